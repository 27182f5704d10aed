// The civil calendar: day counts both ways over any year, dates that exist,
// weekdays.
#include "base/civil_date.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

namespace quarn {
namespace {

TEST(CivilDate, KnownDaysBothWays)
{
    struct KnownDay {
        std::int64_t year;
        int month;
        int day;
        std::int64_t days;
    };
    const KnownDay cases[] = {
        {1970, 1, 1, 0},       {1969, 12, 31, -1},      {2000, 1, 1, 10957},     {2000, 2, 29, 11016},
        {2000, 3, 1, 11017},   {2100, 3, 1, 47541},     {1600, 2, 29, -135081},  {0, 1, 1, -719528},
        {-1, 12, 31, -719529}, {9999, 12, 31, 2932896}, {40000, 1, 1, 13890172}, {-40000, 12, 31, -15328863},
    };
    for (const KnownDay& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
        EXPECT_EQ(DaysFromCivil(c.year, c.month, c.day), c.days);
        const CivilDate date = CivilFromDays(c.days);
        EXPECT_EQ(date.year, c.year);
        EXPECT_EQ(date.month, c.month);
        EXPECT_EQ(date.day, c.day);
    }
    // Days past the month's end count on; day 0 is the day before the 1st.
    EXPECT_EQ(DaysFromCivil(2001, 2, 31), DaysFromCivil(2001, 3, 3));
    EXPECT_EQ(DaysFromCivil(2000, 3, 0), DaysFromCivil(2000, 2, 29));
}

// Where std::chrono's calendar reaches, the two agree day by day.
TEST(CivilDate, AgreesWithTheStandardCalendar)
{
    namespace chrono = std::chrono;
    for (std::int64_t days = -800000; days <= 800000; days += 211) {
        const chrono::year_month_day expected{chrono::sys_days{chrono::days{days}}};
        const CivilDate date = CivilFromDays(days);
        ASSERT_EQ(date.year, static_cast<int>(expected.year())) << days;
        ASSERT_EQ(date.month, static_cast<int>(static_cast<unsigned>(expected.month()))) << days;
        ASSERT_EQ(date.day, static_cast<int>(static_cast<unsigned>(expected.day()))) << days;
        ASSERT_EQ(DaysFromCivil(date.year, date.month, date.day), days);
        ASSERT_EQ(WeekdayOfDays(days), static_cast<int>(chrono::weekday{expected}.iso_encoding()) - 1) << days;
    }
}

TEST(CivilDate, OnlyDaysOfTheCalendarAreDates)
{
    struct DateCase {
        int year;
        int month;
        int day;
        bool isDate;
    };
    const DateCase cases[] = {
        {2024, 2, 29, true},   {2000, 2, 29, true},   {2100, 2, 29, false}, {2026, 2, 29, false},
        {2026, 4, 30, true},   {2026, 4, 31, false},  {2026, 12, 31, true}, {2026, 13, 1, false},
        {2026, 0, 10, false},  {2026, 1, 0, false},   {2026, 1, 32, false}, {2026, 257, 1, false},
        {2026, 1, 257, false}, {2026, -11, 1, false}, {40000, 1, 1, false}, {-40000, 1, 1, false},
    };
    for (const DateCase& c : cases)
        EXPECT_EQ(IsCivilDate(c.year, c.month, c.day), c.isDate) << c.year << "-" << c.month << "-" << c.day;
}

TEST(CivilDate, WeekdaysAroundTheStartOfTheCount)
{
    EXPECT_EQ(WeekdayOfDays(0), 3);      // Thursday 1970-01-01
    EXPECT_EQ(WeekdayOfDays(-1), 2);     // Wednesday
    EXPECT_EQ(WeekdayOfDays(-4), 6);     // Sunday
    EXPECT_EQ(WeekdayOfDays(10957), 5);  // Saturday 2000-01-01
    EXPECT_EQ(WeekdayOfDays(10959), 0);  // Monday 2000-01-03
}

}  // namespace
}  // namespace quarn
