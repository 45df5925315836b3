#include "platform/SystemTime.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

namespace systime {

namespace {
std::mutex clockMutex;
std::shared_ptr<const TClockSource> clockSource;  // guarded by clockMutex; null: the system clock
TClockSetter clockSetter;  // empty: clock_settime
}  // namespace

QDateTime UtcNow()
{
    std::shared_ptr<const TClockSource> source;
    {
        std::lock_guard lock(clockMutex);
        source = clockSource;
    }
    return source ? (*source)().toUTC() : QDateTime::currentDateTimeUtc();
}

void SetClockSource(TClockSource source)
{
    auto made = source ? std::make_shared<const TClockSource>(std::move(source)) : nullptr;
    std::lock_guard lock(clockMutex);
    clockSource = std::move(made);
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

ZoneInfo CurrentZoneInfo(std::time_t at)
{
    // Sample the middle of January and of July of that year: one is standard
    // time and, where the zone has daylight saving, the other is not.
    std::tm probe = LocalTm(at);
    ZoneInfo info;
    bool haveStandard = false;
    for (int month : {0, 6}) {
        std::tm t{};
        t.tm_year = probe.tm_year;
        t.tm_mon = month;
        t.tm_mday = 15;
        t.tm_hour = 12;
        t.tm_isdst = -1;
        const std::time_t when = mktime(&t);
        const std::tm local = LocalTm(when);
        const int bias = static_cast<int>(-local.tm_gmtoff / 60);
        const QString name = QString::fromLocal8Bit(local.tm_zone ? local.tm_zone : "");
        if (local.tm_isdst > 0) {
            info.DaylightName = name;
            info.DaylightBias = bias;  // made relative below
        } else if (!haveStandard) {
            info.Bias = bias;
            info.StandardName = name;
            haveStandard = true;
        }
    }
    if (!info.DaylightName.isEmpty())
        info.DaylightBias -= info.Bias;
    return info;
}

TClockSetter SetClockSetter(TClockSetter setter)
{
    std::swap(clockSetter, setter);
    return setter;
}

bool SetSystemClock(const QDateTime& utc, QString& error)
{
    if (clockSetter)
        return clockSetter(utc, error);
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
