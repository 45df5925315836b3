#include "net/FtpSrvT.h"

#include "platform/SystemTime.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <ctime>

namespace {

constexpr double kMsPerDay = 86400000.0;
const QDate kDayZero(1899, 12, 30);

// A field of decimal digits only; -1 otherwise.
int DigitsField(const QString& s, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const QChar c = s.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

QDateTime ToQDateTime(TDateTime t, Qt::TimeSpec spec)
{
    const qint64 ms = std::llround(t * kMsPerDay);
    const qint64 days = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
    const qint64 msOfDay = ms - days * 86400000;
    return QDateTime(kDayZero.addDays(days), QTime::fromMSecsSinceStartOfDay(static_cast<int>(msOfDay)), spec);
}

TDateTime FromQDateTime(const QDateTime& dt)
{
    return static_cast<double>(kDayZero.daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / kMsPerDay;
}

// The value of "key" in the lower-cased facts, up to the next ';' (a fact
// without its ';' gives nothing).
QString FactValue(const QString& facts, const QString& key)
{
    const int at = facts.indexOf(key);
    if (at < 0)
        return {};
    const int from = at + static_cast<int>(key.size());
    const int end = facts.indexOf(QLatin1Char(';'), from);
    return end < 0 ? QString() : facts.mid(from, end - from);
}

bool SetModificationTime(const QString& fileName, const QDateTime& when)
{
    QFile file(fileName);
    // ReadWrite: a write-only open would truncate the file.
    if (!file.open(QIODevice::ReadWrite))
        return false;
    return file.setFileTime(when, QFileDevice::FileModificationTime);
}

}  // namespace

TDateTime MDTM2Date(const QString& S)
{
    if (S.size() <= 13)
        return 0;
    const int year = DigitsField(S, 0, 4), month = DigitsField(S, 4, 2), day = DigitsField(S, 6, 2);
    const int hour = DigitsField(S, 8, 2), minute = DigitsField(S, 10, 2), second = DigitsField(S, 12, 2);
    const int ms = S.size() >= 18 ? DigitsField(S, 15, 3) : 0;
    if (year < 0 || hour < 0 || minute < 0 || second < 0 || ms < 0)
        return 0;
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return 0;
    const QDate date(year, month, day);
    if (!date.isValid())
        return -1;
    if (hour > 23 || minute > 59 || second > 59)
        return -1;
    return static_cast<double>(kDayZero.daysTo(date)) + ((hour * 60 + minute) * 60 + second) / 86400.0 + ms / kMsPerDay;
}

bool DecodeMlsResp(const QString& Response, QString& Fname, QString& FType, TDateTime& FDateTime, long long& FSize,
                   QString& FPerms)
{
    Fname.clear();
    FType.clear();
    FPerms.clear();
    FDateTime = 0;
    FSize = 0;
    const int blank = Response.indexOf(QLatin1Char(' '));
    if (blank == 0 || (blank > 0 && blank == Response.size() - 1))
        return false;
    Fname = (blank < 0 ? Response : Response.mid(blank + 1)).left(999);
    // Facts are read from the fact part only, so a file named "size=1;"
    // cannot pose as a fact.
    const QString facts = (blank < 0 ? Response : Response.left(blank)).toLower();
    FType = FactValue(facts, QStringLiteral("type="));
    const QString size = FactValue(facts, QStringLiteral("size=")).trimmed();
    for (const QChar c : size) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        FSize = FSize * 10 + (c.unicode() - '0');
    }
    FDateTime = MDTM2Date(FactValue(facts, QStringLiteral("modify=")));
    FPerms = FactValue(facts, QStringLiteral("perm="));
    return true;
}

QString TimeDateStr(TDateTime T)
{
    const QDateTime dt = ToQDateTime(T, Qt::UTC);
    return dt.toString(QStringLiteral("yyyyMMddHHmmss.zzz"));
}

QString FileUtcStr(const QString& FileName)
{
    QString name = FileName;
    if (name.endsWith(QLatin1Char('/')) || name.endsWith(QLatin1Char('\\')))
        name += QLatin1Char('.');
    const QFileInfo info(name);
    if (!info.exists())
        return {};
    return TimeDateStr(FromQDateTime(info.lastModified().toUTC()));
}

int GetLocalBiasUTC() { return systime::LocalBiasMinutes(std::time(nullptr)); }

TDateTime DateTimeToUTC(TDateTime LocalTime) { return LocalTime + GetLocalBiasUTC() / 1440.0; }

TDateTime UTCToLocalDT(TDateTime UtcTime) { return UtcTime - GetLocalBiasUTC() / 1440.0; }

bool UpdateFileAge(const QString& FileName, TDateTime LocalTime)
{
    return SetModificationTime(FileName, ToQDateTime(LocalTime, Qt::LocalTime));
}

bool UpdateUFileAge(const QString& FileName, TDateTime UtcTime)
{
    return SetModificationTime(FileName, ToQDateTime(UtcTime, Qt::UTC));
}
