#pragma once
// System time and the local time zone, from the C library.
#include <QDateTime>
#include <QString>
#include <ctime>

namespace systime {

// Now, in UTC, to the millisecond.
QDateTime UtcNow();

// The local bias in minutes at a moment: UTC = local + bias, so zones east
// of Greenwich have negative biases (Berlin in winter: -60).
int LocalBiasMinutes(std::time_t at);

// The zone's abbreviation at a moment ("CET", "CEST") and whether daylight
// saving is in force then.
QString ZoneName(std::time_t at);
bool IsDaylightSaving(std::time_t at);

// Sets the system clock; false with the system's reason (e.g. no privilege).
bool SetSystemClock(const QDateTime& utc, QString& error);

}  // namespace systime
