// Base64 and uuencode of a line, and the RFC 1123 dates of conditional requests.
#include "net/HttpEncoding.h"
#include "support/EventLog.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

TDateTime DateTime(int y, int m, int d, int h, int n, int s)
{
    return static_cast<double>(QDate(1899, 12, 30).daysTo(QDate(y, m, d))) + (h * 3600 + n * 60 + s) / 86400.0;
}

TEST(HttpEncoding, Base64MatchesTheRfc4648Vectors)
{
    // RFC 4648, section 10.
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [in, out] : vectors) {
        EXPECT_EQ(EncodeStr(encBase64, in), out) << in;
        EXPECT_EQ(EncodeStr(encMime, in), out) << in;
    }
    EXPECT_EQ(EncodeStr(encBase64, QByteArray("\xff\xfe\x00", 3)), "//4A") << "every byte value";
    EXPECT_EQ(EncodeStr(encBase64, "station:apt-137"), "c3RhdGlvbjphcHQtMTM3");
}

TEST(HttpEncoding, UuencodeHasALengthCharacterAndNoPadding)
{
    // "Cat": length 3 -> '#' (2 + 33), then C=0x43 a=0x61 t=0x74 -> 16 54 5 52.
    EXPECT_EQ(EncodeStr(encUUEncode, "Cat"), "#0V%T");
    // One byte: its group is completed with zeros; 0 is written as "`".
    EXPECT_EQ(EncodeStr(encUUEncode, QByteArray("\x00", 1)), "!````");
}

TEST(HttpEncoding, Rfc1123DatesBothWays)
{
    EXPECT_EQ(RFC1123_Date(DateTime(2005, 3, 8, 14, 5, 9)), "Tue, 08 Mar 2005 14:05:09");
    EXPECT_EQ(RFC1123_Date(DateTime(2017, 5, 2, 0, 0, 0)), "Tue, 02 May 2017 00:00:00");
    EXPECT_EQ(RFC1123_Date(DateTime(2026, 12, 13, 23, 59, 59)), "Sun, 13 Dec 2026 23:59:59");
    EXPECT_EQ(RFC1123_Date(DateTime(1999, 12, 31, 23, 59, 59) + 0.9999 / 86400), "Sat, 01 Jan 2000 00:00:00")
        << "a time that rounds to midnight is the next day";

    EXPECT_DOUBLE_EQ(RFC1123_StrToDate("Tue, 08 Mar 2005 14:05:09 GMT"), DateTime(2005, 3, 8, 14, 5, 9));
    EXPECT_DOUBLE_EQ(RFC1123_StrToDate("Tue, 08 Mar 2005 xx:05:09"), DateTime(2005, 3, 8, 0, 5, 9))
        << "a field that is not a number counts as 0";
    EXPECT_EQ(RFC1123_StrToDate("Tue, 08 Xyz 2005 14:05:09"), 0) << "unknown month";
    EXPECT_EQ(RFC1123_StrToDate("Tue, 31 Feb 2005 14:05:09"), 0) << "no such day";
    EXPECT_EQ(RFC1123_StrToDate("Tue, 08"), 0) << "cut short";
    EXPECT_EQ(RFC1123_StrToDate(""), 0);
}

}  // namespace
