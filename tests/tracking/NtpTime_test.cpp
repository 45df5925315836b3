// SNTP time-stamp arithmetic: the fraction table, the calendar, the
// differences and moves, and stamps after the seconds word wraps in 2036.
#include "platform/SystemTime.h"
#include "tracking/NtpTime.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

constexpr NtpTimestamp Stamp(std::uint64_t seconds, std::uint32_t fraction)
{
    return (seconds << 32) | fraction;
}

struct FrozenClock {
    explicit FrozenClock(const QDateTime& utc) { systime::SetClockSource([utc] { return utc; }); }
    ~FrozenClock() { systime::SetClockSource({}); }
};

}  // namespace

TEST(NtpTime, FractionTableAndMilliseconds)
{
    const struct {
        int ms;
        std::uint32_t fraction;
    } table[] = {{0, 0}, {1, 4294967}, {2, 8589935}, {3, 12884902}, {500, 2147483648u}, {999, 4290672329u}, {1000, 0}};
    for (const auto& t : table)
        EXPECT_EQ(MillisecondsToNtpFraction(t.ms), t.fraction) << t.ms;
    for (int ms = 0; ms < 1000; ++ms)
        ASSERT_EQ(NtpFractionToMilliseconds(MillisecondsToNtpFraction(ms)), ms) << "round trip of " << ms;
    EXPECT_EQ(NtpFractionToMilliseconds(4292819811u), 999);
    EXPECT_EQ(NtpFractionToMilliseconds(4292819812u), 1000);
    for (std::uint32_t fraction : {4292819812u, 4294967295u})
        EXPECT_EQ(NtpToSystemTime(Stamp(3'900'000'000u, fraction)).Milliseconds, 999) << fraction;
}

TEST(NtpTime, CalendarAndNow)
{
    EXPECT_EQ(JulianDayNumber(1900, 1, 1), 2415021);
    int y, m, d;
    JulianDayToDate(2415021, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 19000101);
    JulianDayToDate(JulianDayNumber(2024, 2, 29), y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);

    // Day 1 of the stamps' first era, a Monday.
    const TNtpSystemTime first = NtpToSystemTime(Stamp(0x80000000u, 0));
    EXPECT_EQ(first.Year, 1968);
    const TNtpSystemTime monday = NtpToSystemTime(Stamp(3'155'673'600u, 0));  // 1 Jan 2000
    EXPECT_EQ(monday.Year, 2000);
    EXPECT_EQ(monday.DayOfWeek, 6) << "a Saturday";
    EXPECT_EQ((kNtpEpochJulianDay + 1) % 7, 1) << "1 January 1900 was a Monday";

    FrozenClock clock(QDateTime(QDate(2024, 5, 17), QTime(12, 0, 0, 500), Qt::UTC));
    const NtpTimestamp now = NtpNow();
    EXPECT_EQ(static_cast<std::uint32_t>(now), 2147483648u);
    const TNtpSystemTime t = NtpToSystemTime(now);
    EXPECT_EQ(QDate(t.Year, t.Month, t.Day), QDate(2024, 5, 17));
    EXPECT_EQ(QTime(t.Hour, t.Minute, t.Second, t.Milliseconds), QTime(12, 0, 0, 500));
    EXPECT_EQ(t.DayOfWeek, 5) << "a Friday";

    std::uint8_t bytes[8];
    NtpToNetwork(Stamp(0x01020304u, 0x05060708u), bytes);
    const std::uint8_t expected[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(std::memcmp(bytes, expected, 8), 0) << "big-endian, seconds first";
    EXPECT_EQ(NtpFromNetwork(bytes), Stamp(0x01020304u, 0x05060708u));
}

TEST(NtpTime, DifferencesAndMoves)
{
    const NtpTimestamp a = Stamp(3'900'000'010u, 0x80000000u);
    const NtpTimestamp b = Stamp(3'900'000'000u, 0);
    EXPECT_NEAR(NtpDifference(a, b), 10.5, 1e-9);
    EXPECT_NEAR(NtpDifference(b, a), -10.5, 1e-9);
    EXPECT_EQ(NtpDifference(a, a), 0.0);
    // Borrow: 10 s minus 0.75 s.
    EXPECT_NEAR(NtpDifference(Stamp(3'900'000'010u, 0), Stamp(3'900'000'000u, 0xC0000000u)), 9.25, 1e-9);

    EXPECT_EQ(NtpAddSeconds(Stamp(100, 0xC0000000u), 0.5), Stamp(101, 0x3FFFFFFFu)) << "carry into the seconds";
    EXPECT_EQ(NtpAddSeconds(Stamp(100, 0x40000000u), -0.5), Stamp(99, 0xC0000001u)) << "borrow from the seconds";
    EXPECT_EQ(NtpAddSeconds(Stamp(3'900'000'000u, 7), 3600), Stamp(3'900'003'600u, 7));
    EXPECT_EQ(NtpAddSeconds(Stamp(3'900'003'600u, 7), -3600), Stamp(3'900'000'000u, 7));
}

// On 7 February 2036 06:28:16 UTC the seconds word wraps to 0. Stamps made
// after it read back as their own date, and differences and moves across the
// wrap keep their size.
TEST(NtpTime, StampsAfterTheWrapOf2036)
{
    const QDateTime wrap(QDate(2036, 2, 7), QTime(6, 28, 16), Qt::UTC);
    NtpTimestamp before, after;
    {
        FrozenClock clock(wrap.addSecs(-2));
        before = NtpNow();
    }
    {
        FrozenClock clock(wrap.addSecs(3).addMSecs(250));
        after = NtpNow();
    }
    EXPECT_NE(after, 0u) << "a check after 2036 must have a stamp";
    EXPECT_EQ(after >> 32, 3u) << "three seconds into the second era";
    const TNtpSystemTime t = NtpToSystemTime(after);
    EXPECT_EQ(QDateTime(QDate(t.Year, t.Month, t.Day), QTime(t.Hour, t.Minute, t.Second, t.Milliseconds), Qt::UTC),
              wrap.addSecs(3).addMSecs(250));
    EXPECT_NEAR(NtpDifference(after, before), 5.25, 1e-6);
    EXPECT_NEAR(NtpDifference(before, after), -5.25, 1e-6);
    EXPECT_EQ(NtpAddSeconds(before, 5.25) >> 32, after >> 32);
    EXPECT_EQ(NtpAddSeconds(after, -5.25) >> 32, before >> 32);

    FrozenClock late(QDateTime(QDate(2105, 1, 1), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(NtpNow(), 0u) << "beyond the second era";
}
