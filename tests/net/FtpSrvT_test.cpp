// The FTP time-stamp helpers: MDTM and MLST texts to date-times and back,
// and file times.
#include "net/FtpSrvT.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// 31 January 2005 23:59:59 as days since 30 December 1899.
const double k2005Jan31 = 38383.0 + (23 * 3600 + 59 * 60 + 59) / 86400.0;

TEST(FtpSrvT, Mdtm2DateReadsStampsAndRejectsBadOnes)
{
    struct Case {
        const char* name;
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"14 digits", "20050131235959", k2005Jan31},
        {"with milliseconds", "20050131235959.250", k2005Jan31 + 0.25 / 86400.0},
        {"30 February cannot be encoded", "20050230120000", -1},
        {"hour 24 cannot be encoded", "20050131240000", -1},
        {"month 13", "20051331120000", 0},
        {"day 0", "20050100120000", 0},
        {"13 characters are too short", "2005013123595", 0},
        {"letters are no stamp", "2005O131235959", 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(MDTM2Date(QString::fromLatin1(c.text)), c.expected, 1e-9) << c.name;
}

TEST(FtpSrvT, TimeDateStrPadsEveryFieldAndRoundTrips)
{
    const double t = 38510.0 + (1 * 3600 + 2 * 60 + 3) / 86400.0 + 0.006 / 86400.0;  // 7 June 2005 01:02:03.006
    EXPECT_EQ(TimeDateStr(t), QStringLiteral("20050607010203.006"));
    EXPECT_EQ(TimeDateStr(MDTM2Date(QStringLiteral("19991231000000.999"))), QStringLiteral("19991231000000.999"));
}

TEST(FtpSrvT, DecodeMlsRespReadsFactsInAnyCase)
{
    QString name, type, perms;
    double date = 1;
    long long size = 1;
    ASSERT_TRUE(DecodeMlsResp(QStringLiteral("Type=File;Size=1234;Modify=20050131235959;Perm=RW; My File.TXT"), name, type,
                              date, size, perms));
    EXPECT_EQ(name, QStringLiteral("My File.TXT"));
    EXPECT_EQ(type, QStringLiteral("file"));
    EXPECT_EQ(size, 1234);
    EXPECT_NEAR(date, k2005Jan31, 1e-9);
    EXPECT_EQ(perms, QStringLiteral("rw"));

    ASSERT_TRUE(DecodeMlsResp(QStringLiteral("type=dir;sizd=1; size=1;"), name, type, date, size, perms))
        << "facts are read before the name only";
    EXPECT_EQ(size, 0);
    EXPECT_EQ(name, QStringLiteral("size=1;"));

    EXPECT_FALSE(DecodeMlsResp(QStringLiteral(" type=file; name"), name, type, date, size, perms));
    EXPECT_FALSE(DecodeMlsResp(QStringLiteral("type=file; "), name, type, date, size, perms));
    EXPECT_TRUE(name.isEmpty()) << "outputs are cleared";
}

TEST(FtpSrvT, FileTimesAreSetAndReadInUtc)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bin");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("abc");
    f.close();

    ASSERT_TRUE(UpdateUFileAge(path, k2005Jan31));
    EXPECT_EQ(FileUtcStr(path), QStringLiteral("20050131235959.000"));
    EXPECT_EQ(QFileInfo(path).size(), 3) << "setting the time keeps the content";

    ASSERT_TRUE(UpdateFileAge(path, UTCToLocalDT(k2005Jan31)));
    EXPECT_EQ(FileUtcStr(path), QStringLiteral("20050131235959.000")) << "local time goes through the zone's bias";

    EXPECT_FALSE(UpdateUFileAge(dir.filePath("missing/none"), k2005Jan31));
    EXPECT_EQ(FileUtcStr(dir.filePath("missing")), QString());
    EXPECT_NEAR(DateTimeToUTC(UTCToLocalDT(k2005Jan31)), k2005Jan31, 1e-9);
}

}  // namespace
