#pragma once
// System time and the local time zone, from the C library.
#include <QDateTime>
#include <QString>
#include <ctime>
#include <functional>

namespace systime {

// Now, in UTC, to the millisecond: the program's one clock. The tracker, the
// next-pass choice and the recorder all read it, so a test can replace it.
QDateTime UtcNow();

// Replaces the clock (any thread may read it meanwhile); an empty source
// brings the system clock back.
using TClockSource = std::function<QDateTime()>;
void SetClockSource(TClockSource source);

// The local bias in minutes at a moment: UTC = local + bias, so zones east
// of Greenwich have negative biases (Berlin in winter: -60).
int LocalBiasMinutes(std::time_t at);

// The zone's abbreviation at a moment ("CET", "CEST") and whether daylight
// saving is in force then.
QString ZoneName(std::time_t at);
bool IsDaylightSaving(std::time_t at);

// The zone's rules as the program reports them: UTC = local standard time +
// Bias; in daylight time UTC = local + Bias + DaylightBias (so a zone one
// hour ahead in summer has DaylightBias -60). Names are empty when the zone
// has none.
struct ZoneInfo {
    int Bias = 0;
    QString StandardName;
    int StandardBias = 0;
    QString DaylightName;
    int DaylightBias = 0;
};
// From the C library's rules for the year of at.
ZoneInfo CurrentZoneInfo(std::time_t at);

// Sets the system clock; false with the system's reason (e.g. no privilege).
// GUI thread.
bool SetSystemClock(const QDateTime& utc, QString& error);

// Replaces what SetSystemClock does (tests record the call instead of moving
// the machine's clock); an empty setter brings the real one back. Returns the
// setter in place before. GUI thread.
using TClockSetter = std::function<bool(const QDateTime& utc, QString& error)>;
TClockSetter SetClockSetter(TClockSetter setter);

}  // namespace systime
