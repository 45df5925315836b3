#include "platform/SystemTime.h"

#include <cerrno>
#include <cstring>

namespace systime {

QDateTime UtcNow()
{
    return QDateTime::currentDateTimeUtc();
}

static std::tm LocalTm(std::time_t at)
{
    std::tm local{};
    localtime_r(&at, &local);
    return local;
}

int LocalBiasMinutes(std::time_t at)
{
    return static_cast<int>(-LocalTm(at).tm_gmtoff / 60);
}

QString ZoneName(std::time_t at)
{
    const std::tm local = LocalTm(at);
    return QString::fromLocal8Bit(local.tm_zone ? local.tm_zone : "");
}

bool IsDaylightSaving(std::time_t at)
{
    return LocalTm(at).tm_isdst > 0;
}

bool SetSystemClock(const QDateTime& utc, QString& error)
{
    const qint64 ms = utc.toMSecsSinceEpoch();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ms / 1000);
    ts.tv_nsec = static_cast<long>((ms % 1000) * 1000000);
    if (clock_settime(CLOCK_REALTIME, &ts) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

}  // namespace systime
