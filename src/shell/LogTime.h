#pragma once
#include <QDateTime>
#include <QString>

// "ddd d mmm yyyy hh:nn:ss" with English day and month names: the time
// stamp of the clock, the process log and the pass-information files.
inline constexpr const char* kLogTimeFormat = "ddd d MMM yyyy hh:mm:ss";
QString FormatLogTime(const QDateTime& when);
