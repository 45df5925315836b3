#pragma once
// Satellite time: the framework's date-time value, the day number of the
// orbit code (days since 31 December 1979 00:00 UTC), local time and UTC,
// and the date texts of feeds and web servers. Pure functions apart from the
// clock and the time-zone rules of the C library.
#include <QString>
#include <QStringList>

// Days since 30 December 1899 00:00 with the time of day as fraction (the
// value the framework's date pickers and formatters work with). 0 means "now"
// for every function below that takes one.
using TDateTime = double;

// Julian date of day number 0 (31 December 1979 00:00 UTC).
constexpr double DayNumberJulianOffset = 2444238.5;
// TDateTime of 31 December 1979 00:00.
constexpr double DayNumberDateTimeOffset = 29220.0;
// TDateTime of 1 January 1970 00:00 (the Unix epoch).
constexpr double UnixEpochDateTime = 25569.0;

// English day and month abbreviations, whatever the user's locale: the day
// of week d (1 = Sunday .. 7 = Saturday) is the three characters at 3d-3
// (0-based), month m (1..12) likewise.
extern const char DayAbbreviations[];
extern const char MonthAbbreviations[];

// Calendar parts of a TDateTime; the time is rounded to the millisecond.
struct TDateParts {
    int Year, Month, Day, Hour, Minute, Second, MilliSecond;
    int DayOfWeek;  // 1 = Sunday .. 7 = Saturday
};
TDateParts DecodeDateTime(TDateTime t);
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0, int milliSecond = 0);

TDateTime NowUTC();
TDateTime NowLocal();

// Formats with the framework's date letters: d dd ddd dddd, m mm mmm mmmm,
// yy yyyy, h hh, n nn, s ss; any other character stands for itself.
// Names are English.
QString FormatDateTime(const char* format, TDateTime t);

// Day number (UTC) of t, to whole seconds; 0 is now (the local clock in UTC),
// any other value is taken as UTC already.
double DateTimeToDayNumber(TDateTime t);

// Local time and UTC by the offset in force at that instant (not today's).
// LocalToUTC(0) is the UTC clock, UTCToLocal(0) the local clock.
TDateTime LocalToUTC(TDateTime local);
TDateTime UTCToLocal(TDateTime utc);

// "Wed, 09 Jun 2021 10:18:14 GMT" of t, formatted as given (callers pass UTC).
QString FormatRFC822Date(TDateTime t);

// What follows "Last-Modified: " (the first 15 characters of the line).
QString GetLastModifiedText(const QString& headerLine);

// The fixed-position RFC 1123 date "Www, DD Mon YYYY HH:MM:SS GMT" as UTC.
// False with result 0 for any text that is not such a date.
bool ParseLastModified(const QString& text, TDateTime& result);

// The orbit-data grid's captions: row 0 "Description", rows 1..21 the
// element captions; the data column's title is "Data". The rows of
// TSat::OrbitGridCells follow the same order.
constexpr int OrbitGridRows = 22;
QString OrbitGridCaption(int row);
// The grid as rows of two cells: the titles, then each caption with an
// empty data cell.
void SetupOrbitGrid(QList<QStringList>& rows);
