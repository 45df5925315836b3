#pragma once
// The first entry of the process log: when the program started and which
// time-zone rules it predicts satellites with.
#include "platform/SystemTime.h"

#include <QDateTime>
#include <QStringList>
#include <optional>

// localNow and utcNow are the same moment; zone is empty when the system's
// time-zone information could not be read.
QStringList StartupTimeReport(const QDateTime& localNow, const QDateTime& utcNow,
                              const std::optional<systime::ZoneInfo>& zone);
