#include "orbit/Satutil.h"

#include "platform/SystemTime.h"

#include <QDate>
#include <cmath>
#include <ctime>

const char DayAbbreviations[] = "SunMonTueWedThuFriSat";
const char MonthAbbreviations[] = "JanFebMarAprMayJunJulAugSepOctNovDec";

namespace {

// QDate's Julian day number of 30 December 1899, the framework's day 0.
constexpr qint64 DateTimeEpochJulianDay = 2415019;
constexpr double SecondsPerDay = 86400.0;
constexpr qint64 MilliSecondsPerDay = 86400000;
const char* const DayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                "Thursday", "Friday", "Saturday"};
const char* const MonthNames[] = {"January", "February", "March", "April", "May", "June",
                                  "July", "August", "September", "October", "November",
                                  "December"};

std::time_t ToTimeT(TDateTime t)
{
    return static_cast<std::time_t>(std::floor((t - UnixEpochDateTime) * SecondsPerDay + 0.5));
}

TDateTime AddMinutes(TDateTime t, int minutes)
{
    return (t * 1440.0 + minutes) / 1440.0;
}

QString Abbreviation(const char* table, int index)
{
    return QString::fromLatin1(table + 3 * (index - 1), 3);
}

}  // namespace

TDateParts DecodeDateTime(TDateTime t)
{
    // The framework's convention: whole days before the point, the time of
    // day as the magnitude of the fraction (so negative values work too).
    double whole = std::trunc(t);
    qint64 ms = std::llround(std::fabs(t - whole) * MilliSecondsPerDay);
    if (ms >= MilliSecondsPerDay) {
        ms -= MilliSecondsPerDay;
        whole += t < 0 ? -1 : 1;
    }
    const QDate date = QDate::fromJulianDay(DateTimeEpochJulianDay + static_cast<qint64>(whole));
    TDateParts p{};
    p.Year = date.year();
    p.Month = date.month();
    p.Day = date.day();
    p.Hour = static_cast<int>(ms / 3600000);
    p.Minute = static_cast<int>(ms / 60000 % 60);
    p.Second = static_cast<int>(ms / 1000 % 60);
    p.MilliSecond = static_cast<int>(ms % 1000);
    p.DayOfWeek = date.dayOfWeek() % 7 + 1;
    return p;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int milliSecond)
{
    const double days = static_cast<double>(QDate(year, month, day).toJulianDay() -
                                            DateTimeEpochJulianDay);
    const double time = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + milliSecond) /
                        MilliSecondsPerDay;
    // Before day 0 the time of day is the fraction's magnitude, as decoding reads it.
    return days < 0 ? days - time : days + time;
}

TDateTime NowUTC()
{
    return UnixEpochDateTime +
           static_cast<double>(systime::UtcNow().toMSecsSinceEpoch()) / MilliSecondsPerDay;
}

TDateTime NowLocal()
{
    return UTCToLocal(NowUTC());
}

QString FormatDateTime(const char* format, TDateTime t)
{
    const TDateParts p = DecodeDateTime(t);
    QString out;
    const auto two = [](int v) { return QString::asprintf("%02d", v); };
    for (const char* c = format; *c;) {
        const char letter = *c;
        int run = 0;
        while (c[run] == letter)
            ++run;
        switch (letter) {
        case 'd':
            if (run == 1) out += QString::number(p.Day);
            else if (run == 2) out += two(p.Day);
            else if (run == 3) out += Abbreviation(DayAbbreviations, p.DayOfWeek);
            else out += DayNames[p.DayOfWeek - 1];
            break;
        case 'm':
            if (run == 1) out += QString::number(p.Month);
            else if (run == 2) out += two(p.Month);
            else if (run == 3) out += Abbreviation(MonthAbbreviations, p.Month);
            else out += MonthNames[p.Month - 1];
            break;
        case 'y':
            out += run <= 2 ? two(p.Year % 100) : QString::number(p.Year);
            break;
        case 'h':
            out += run == 1 ? QString::number(p.Hour) : two(p.Hour);
            break;
        case 'n':
            out += run == 1 ? QString::number(p.Minute) : two(p.Minute);
            break;
        case 's':
            out += run == 1 ? QString::number(p.Second) : two(p.Second);
            break;
        default:
            out += QString(run, QChar::fromLatin1(letter));
        }
        c += run;
    }
    return out;
}

double DateTimeToDayNumber(TDateTime t)
{
    if (t == 0)
        t = LocalToUTC(0);
    const TDateParts p = DecodeDateTime(t);
    // Whole days from the date alone, so the rounding of the time of day to
    // the millisecond cannot push the day across midnight twice.
    const double wholeDays =
        EncodeDateTime(p.Year, p.Month, p.Day) - DayNumberDateTimeOffset;
    return wholeDays + p.Hour / 24.0 + p.Minute / 1440.0 + p.Second / SecondsPerDay;
}

TDateTime LocalToUTC(TDateTime local)
{
    if (local == 0)
        return NowUTC();
    // UTC = local + bias(UTC): the bias belongs to the instant itself, which
    // is found by taking the local time as UTC first and correcting once.
    int bias = systime::LocalBiasMinutes(ToTimeT(local));
    bias = systime::LocalBiasMinutes(ToTimeT(AddMinutes(local, bias)));
    return AddMinutes(local, bias);
}

TDateTime UTCToLocal(TDateTime utc)
{
    if (utc == 0)
        utc = NowUTC();
    return AddMinutes(utc, -systime::LocalBiasMinutes(ToTimeT(utc)));
}

QString FormatRFC822Date(TDateTime t)
{
    const TDateParts p = DecodeDateTime(t);
    return QString::asprintf("%s, %.2d %s %d %.2d:%.2d:%.2d GMT",
                             qPrintable(Abbreviation(DayAbbreviations, p.DayOfWeek)), p.Day,
                             qPrintable(Abbreviation(MonthAbbreviations, p.Month)), p.Year,
                             p.Hour, p.Minute, p.Second);
}

QString GetLastModifiedText(const QString& headerLine)
{
    return headerLine.mid(15);
}

namespace {

bool AllDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

}  // namespace

bool ParseLastModified(const QString& text, TDateTime& result)
{
    // "Www, DD Mon YYYY HH:MM:SS GMT": every field at its fixed column.
    result = 0;
    if (text.size() < 25 || text[7] != ' ' || text[11] != ' ' || text[16] != ' ' ||
        text[19] != ':' || text[22] != ':')
        return false;
    const QString day = text.mid(5, 2), month = text.mid(8, 3), year = text.mid(12, 4);
    const QString hour = text.mid(17, 2), minute = text.mid(20, 2), second = text.mid(23, 2);
    if (!AllDigits(day) || !AllDigits(year) || !AllDigits(hour) || !AllDigits(minute) ||
        !AllDigits(second))
        return false;
    // A month is found only at the start of an abbreviation ("anF" is none).
    const int at = QString::fromLatin1(MonthAbbreviations).indexOf(month);
    if (at < 0 || at % 3 != 0)
        return false;
    const QDate date(year.toInt(), at / 3 + 1, day.toInt());
    if (!date.isValid() || hour.toInt() > 23 || minute.toInt() > 59 || second.toInt() > 59)
        return false;
    // No document was modified before day 0 (30 December 1899): such a date
    // is the server's error, and before day 0 a time no longer counts
    // forwards, so it could not be compared or sent back as a date.
    if (date.toJulianDay() < DateTimeEpochJulianDay)
        return false;
    result = EncodeDateTime(date.year(), date.month(), date.day(), hour.toInt(), minute.toInt(),
                            second.toInt());
    return true;
}

QString OrbitGridCaption(int row)
{
    static const char* const captions[OrbitGridRows] = {
        "Description", "Spacecraft Name", "Catalog Number", "Orbit Number",
        "Element Set Number", "Reference Epoch", "Issued date", "Inclination", "RAAN",
        "Eccentricity", "Arg of Perigee", "Mean Anomaly", "Mean Motion", "Decay Rate",
        "Nddot/6", "Bstar Drag Term", "Semi-Major Axis", "Apogee Altitude",
        "Perigee Altitude", "Anomalistic Period", "Nodal Period", "Decay date"};
    return row >= 0 && row < OrbitGridRows ? QString::fromLatin1(captions[row]) : QString();
}

void SetupOrbitGrid(QList<QStringList>& rows)
{
    rows.clear();
    rows << QStringList{OrbitGridCaption(0), "Data"};
    for (int row = 1; row < OrbitGridRows; ++row)
        rows << QStringList{OrbitGridCaption(row), QString()};
}
