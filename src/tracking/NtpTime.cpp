#include "tracking/NtpTime.h"

#include "platform/SystemTime.h"

#include <algorithm>
#include <cmath>

namespace {

using u128 = unsigned __int128;

constexpr std::uint64_t kEraSeconds = 1ull << 32;
constexpr double kFractionUnit = 4294967295.0;  // the divisor the readings use: 2^32 - 1

constexpr std::array<std::uint32_t, 1000> MakeFractionTable()
{
    std::array<std::uint32_t, 1000> table{};
    for (std::uint64_t ms = 0; ms < 1000; ++ms)
        table[ms] = static_cast<std::uint32_t>((ms * kEraSeconds + 500) / 1000);
    return table;
}
constexpr std::array<std::uint32_t, 1000> kFractionTable = MakeFractionTable();

// The seconds since 1900 that a stamp stands for: a top bit clear means the
// era that began in 2036.
std::uint64_t UnfoldedSeconds(NtpTimestamp stamp)
{
    const std::uint64_t seconds = stamp >> 32;
    return (seconds & 0x80000000u) ? seconds : seconds + kEraSeconds;
}

u128 Unfolded(NtpTimestamp stamp)
{
    return (static_cast<u128>(UnfoldedSeconds(stamp)) << 32) | (stamp & 0xFFFFFFFFu);
}

NtpTimestamp Folded(u128 value)
{
    return static_cast<NtpTimestamp>(value);  // the seconds word modulo 2^32: the era is implicit
}

}  // namespace

long JulianDayNumber(int year, int month, int day)
{
    const long a = (14 - month) / 12;
    const long y = year + 4800 - a;
    const long m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

void JulianDayToDate(long julianDay, int& year, int& month, int& day)
{
    const long a = julianDay + 32044;
    const long b = (4 * a + 3) / 146097;
    const long c = a - 146097 * b / 4;
    const long d = (4 * c + 3) / 1461;
    const long e = c - 1461 * d / 4;
    const long m = (5 * e + 2) / 153;
    day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    month = static_cast<int>(m + 3 - 12 * (m / 10));
    year = static_cast<int>(100 * b + d - 4800 + m / 10);
}

void NtpToNetwork(NtpTimestamp stamp, std::uint8_t bytes[8])
{
    for (int i = 7; i >= 0; --i) {
        bytes[i] = static_cast<std::uint8_t>(stamp & 0xFF);
        stamp >>= 8;
    }
}

NtpTimestamp NtpFromNetwork(const std::uint8_t bytes[8])
{
    NtpTimestamp stamp = 0;
    for (int i = 0; i < 8; ++i)
        stamp = (stamp << 8) | bytes[i];
    return stamp;
}

std::uint32_t MillisecondsToNtpFraction(int milliseconds)
{
    return milliseconds >= 0 && milliseconds < 1000 ? kFractionTable[milliseconds] : 0;
}

int NtpFractionToMilliseconds(std::uint32_t fraction)
{
    return static_cast<int>(std::trunc(fraction * 1000.0 / kFractionUnit + 0.5));
}

double NtpFractionToSeconds(std::uint32_t fraction)
{
    return fraction / kFractionUnit;
}

NtpTimestamp NtpFromCalendar(int year, int month, int day, int hour, int minute, int second, int milliseconds)
{
    const long days = JulianDayNumber(year, month, day) - kNtpEpochJulianDay;
    if (days <= 0)
        return 0;
    const std::uint64_t seconds = ((static_cast<std::uint64_t>(days) * 24 + hour) * 60 + minute) * 60 + second;
    // Before the wrap the stamp must carry its top bit (1968 on); after it,
    // the second era holds until its own top bit would be set (2104).
    if (seconds < 0x80000000u || seconds >= kEraSeconds + 0x80000000u)
        return 0;
    return ((seconds % kEraSeconds) << 32) | MillisecondsToNtpFraction(milliseconds);
}

NtpTimestamp NtpNow()
{
    const QDateTime now = systime::UtcNow().toUTC();
    const QDate date = now.date();
    const QTime time = now.time();
    return NtpFromCalendar(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(),
                           time.msec());
}

TNtpSystemTime NtpToSystemTime(NtpTimestamp stamp)
{
    const std::uint64_t s = UnfoldedSeconds(stamp);
    TNtpSystemTime t;
    t.Second = static_cast<int>(s % 60);
    t.Minute = static_cast<int>((s / 60) % 60);
    t.Hour = static_cast<int>((s / 3600) % 24);
    const long julianDay = static_cast<long>(s / 86400) + kNtpEpochJulianDay;
    JulianDayToDate(julianDay, t.Year, t.Month, t.Day);
    t.DayOfWeek = static_cast<int>((julianDay + 1) % 7);
    // Fractions from 4292819812 up round to 1000 ms, which no calendar time
    // holds: they show the last millisecond of their second.
    t.Milliseconds = std::min(NtpFractionToMilliseconds(static_cast<std::uint32_t>(stamp)), 999);
    return t;
}

double NtpDifference(NtpTimestamp a, NtpTimestamp b)
{
    const u128 ua = Unfolded(a), ub = Unfolded(b);
    const bool negative = ua < ub;
    const u128 d = negative ? ub - ua : ua - ub;
    const double seconds = static_cast<double>(static_cast<std::uint64_t>(d >> 32)) +
                           NtpFractionToSeconds(static_cast<std::uint32_t>(d));
    return negative ? -seconds : seconds;
}

NtpTimestamp NtpAddSeconds(NtpTimestamp stamp, double seconds)
{
    const double magnitude = std::fabs(seconds);
    double whole = 0;
    const double part = std::modf(magnitude, &whole);
    const u128 amount = (static_cast<u128>(static_cast<std::uint64_t>(whole)) << 32) |
                        static_cast<std::uint32_t>(std::trunc(part * kFractionUnit));
    const u128 value = Unfolded(stamp);
    return Folded(seconds >= 0 ? value + amount : value - amount);
}
