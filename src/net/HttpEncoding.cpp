#include "net/HttpEncoding.h"

#include <QDate>
#include <cmath>

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kDayNames[] = "MonTueWedThuFriSatSun";
constexpr char kMonthNames[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
const QDate kDayZero(1899, 12, 30);  // TDateTime 0
constexpr qint64 kMsPerDay = 86400000;

// The uuencode character of a 6-bit group: 0 is "`", 1..63 are "!".."_".
char UuChar(unsigned group) { return group == 0 ? '`' : static_cast<char>(group + 32); }

// A decimal field of text (characters from..from+len-1, counted from 1), 0
// when it is missing or not a number.
int Field(const QString& text, int from, int len)
{
    bool ok = false;
    const int value = text.mid(from - 1, len).toInt(&ok);
    return ok && value >= 0 ? value : 0;
}

}  // namespace

QString EncodeLine(THttpEncoding Encoding, const char* Buf, int Len)
{
    QByteArray out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(Buf);
    if (Encoding == encUUEncode) {
        out += static_cast<char>(((Len - 1) & 63) + 33);
        for (int i = 0; i < Len; i += 3) {
            const unsigned b0 = bytes[i];
            const unsigned b1 = i + 1 < Len ? bytes[i + 1] : 0;
            const unsigned b2 = i + 2 < Len ? bytes[i + 2] : 0;
            const unsigned group = (b0 << 16) | (b1 << 8) | b2;
            for (int shift = 18; shift >= 0; shift -= 6)
                out += UuChar((group >> shift) & 63);
        }
        return QString::fromLatin1(out);
    }
    for (int i = 0; i < Len; i += 3) {
        const int count = std::min(3, Len - i);
        unsigned group = 0;
        for (int k = 0; k < 3; ++k)
            group = (group << 8) | (k < count ? bytes[i + k] : 0u);
        // count bytes give count + 1 characters; the rest is padding.
        for (int k = 0; k < 4; ++k)
            out += k <= count ? kBase64[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return QString::fromLatin1(out);
}

QString EncodeStr(THttpEncoding Encoding, const QByteArray& Value)
{
    return EncodeLine(Encoding, Value.constData(), static_cast<int>(Value.size()));
}

QString RFC1123_Date(TDateTime aDate)
{
    qint64 wholeDays = static_cast<qint64>(std::floor(aDate));
    qint64 ms = std::llround((aDate - static_cast<double>(wholeDays)) * kMsPerDay);
    if (ms >= kMsPerDay) {
        ++wholeDays;
        ms -= kMsPerDay;
    }
    const QDate date = kDayZero.addDays(wholeDays);
    // TDateTime 2 was a Monday.
    const int weekday = static_cast<int>(((wholeDays - 2) % 7 + 7) % 7);
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1, %2 %3 %4 %5:%6:%7")
        .arg(QLatin1String(kDayNames + 3 * weekday, 3))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(kMonthNames + 3 * (date.month() - 1), 3))
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

TDateTime RFC1123_StrToDate(const QString& aDate)
{
    const QString monthName = aDate.mid(8, 3);
    const int monthIndex =
        monthName.size() == 3 ? static_cast<int>(QLatin1String(kMonthNames).indexOf(monthName)) : -1;
    const int month = monthIndex >= 0 && monthIndex % 3 == 0 ? monthIndex / 3 + 1 : 0;
    const QDate date(Field(aDate, 13, 4), month, Field(aDate, 6, 2));
    if (!date.isValid())
        return 0;
    const int hour = Field(aDate, 18, 2);
    const int minute = Field(aDate, 21, 2);
    const int second = Field(aDate, 24, 2);
    return static_cast<double>(kDayZero.daysTo(date)) + (hour * 3600 + minute * 60 + second) / 86400.0;
}
