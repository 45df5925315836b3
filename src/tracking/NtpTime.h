#pragma once
// SNTP time stamps (RFC 4330): 32 bits of seconds since 1 January 1900
// 00:00 UTC and 32 bits of fraction (units of 2^-32 s), sent big-endian.
// The seconds word wraps on 7 February 2036 06:28:16 UTC; stamps are made
// and read era-aware: a seconds word with its top bit set counts from 1900
// (1968 to 2036), one with the top bit clear from 2036 (2036 to 2104).
// Everything here is plain arithmetic on values, except NtpNow, which reads
// the program's one clock.
#include <array>
#include <cstdint>

using NtpTimestamp = std::uint64_t;  // seconds word high, fraction word low

// The calendar time of a stamp, in UTC.
struct TNtpSystemTime {
    int Year = 0;
    int Month = 0;      // 1..12
    int DayOfWeek = 0;  // 0 = Sunday
    int Day = 0;        // 1..31
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Milliseconds = 0;  // 0..999
};

// The Julian day number of 1 January 1900, a Monday.
inline constexpr long kNtpEpochJulianDay = 2415021;

// Proleptic Gregorian date <-> Julian day number.
long JulianDayNumber(int year, int month, int day);
void JulianDayToDate(long julianDay, int& year, int& month, int& day);

// The eight wire bytes of a stamp, and back.
void NtpToNetwork(NtpTimestamp stamp, std::uint8_t bytes[8]);
NtpTimestamp NtpFromNetwork(const std::uint8_t bytes[8]);

// round(ms * 2^32 / 1000) from a table of 1000 entries; 1000 or more gives 0.
std::uint32_t MillisecondsToNtpFraction(int milliseconds);
// trunc(fraction * 1000 / (2^32 - 1) + 0.5): 0..1000.
int NtpFractionToMilliseconds(std::uint32_t fraction);
double NtpFractionToSeconds(std::uint32_t fraction);

// The stamp of a UTC calendar time; 0 before 1 January 1900 (exclusive of
// the day itself) or from 2104 on, where no era of the stamp reaches.
NtpTimestamp NtpFromCalendar(int year, int month, int day, int hour, int minute, int second, int milliseconds);
// The stamp of the program's clock now (systime::UtcNow).
NtpTimestamp NtpNow();

// The calendar time of a stamp. A fraction that rounds to 1000 ms shows 999.
TNtpSystemTime NtpToSystemTime(NtpTimestamp stamp);

// a - b in seconds (negative when a is earlier), across the 2036 wrap.
double NtpDifference(NtpTimestamp a, NtpTimestamp b);
// The stamp moved by seconds (either sign), with carry and borrow.
NtpTimestamp NtpAddSeconds(NtpTimestamp stamp, double seconds);
