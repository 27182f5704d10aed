#pragma once
// The civil calendar: the proleptic Gregorian one, which every date in the
// file, on the controller's clock and on a command line is written in.
// std::chrono's calendar types check dates and name weekdays; the count of
// days from a date and back is kept here because those types hold a year in
// 16 bits, and the controller's clock counts seconds in 64.

#include <cstdint>

namespace quarn {

struct CivilDate {
    std::int64_t year = 1970;
    int month = 1;  // 1-12
    int day = 1;    // 1-31
};

// Days from 1970-01-01 to year-month-day, negative before it, for any year.
// Month and day are not checked: a day past the month's last counts on into
// the next month, day 0 is the day before the 1st.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day);
// The date of a count of days from 1970-01-01.
CivilDate CivilFromDays(std::int64_t days);

// Whether year-month-day names a day of the calendar (February 29 only in
// leap years); years outside -32767 to 32767 are not.
bool IsCivilDate(int year, int month, int day);

// 0 Monday ... 6 Sunday for a count of days from 1970-01-01.
int WeekdayOfDays(std::int64_t days);

}  // namespace quarn
