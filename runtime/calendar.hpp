#pragma once
// The controller's clock: naive local wall-clock time in seconds since
// 2000-01-01 00:00:00, the scale of the timer values in the file. No time
// zones and no daylight saving; every day has 86400 seconds. The calendar is
// the Gregorian one, extended to any year.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quarn::runtime {

// Seconds since 2000-01-01 00:00:00; negative before it.
using Instant = std::int64_t;

inline constexpr Instant kSecondsPerDay = 86400;
inline constexpr Instant kSecondsPerWeek = 7 * kSecondsPerDay;
// 9999-12-31T23:59:59, the last instant with a four-digit year: eight
// thousand years of 146,097 days per four hundred after 2000-01-01, less one
// second. Periods and clocks stop there instead of wrapping to year 0000.
inline constexpr Instant kLastInstant = 20 * 146097 * kSecondsPerDay - 1;

struct DateTime {
    int year = 2000;
    int month = 1;   // 1-12
    int day = 1;     // 1-31
    int hour = 0;    // 0-23
    int minute = 0;  // 0-59
    int second = 0;  // 0-59

    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Whole days since 2000-01-01 (floor), and the instant of that day's start.
std::int64_t DayNumber(Instant t);
Instant StartOfDay(Instant t);
// Seconds since the start of t's day, 0-86399.
int TimeOfDaySeconds(Instant t);
// 0 Monday ... 6 Sunday, the bit numbers of the weekday mask.
int Weekday(Instant t);
// Monday 00:00:00 of the week that holds t.
Instant StartOfWeek(Instant t);

DateTime FieldsOf(Instant t);
// Fields outside their ranges are not checked; use ParseInstant for text.
Instant InstantOf(const DateTime& fields);

// "Mon", "Tue", ... for weekday 0-6.
std::string_view WeekdayName(int weekday);

// The texts carry four year digits (an instant outside the years 0-9999 is
// written with its year modulo 10000).
// "Mon 2026-12-14 07:30:00".
std::string FormatDisplay(Instant t);
// "2026-12-14T07:30:00".
std::string FormatIso(Instant t);
// "2026-12-14".
std::string FormatDate(Instant t);

// "YYYY-MM-DD" (midnight) or "YYYY-MM-DDTHH:MM:SS", exactly these digits and
// separators, years 0001-9999, every field in its range (the day within its
// month). Anything else gives nothing.
std::optional<Instant> ParseInstant(std::string_view text);

}  // namespace quarn::runtime
