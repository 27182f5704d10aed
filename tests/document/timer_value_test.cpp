#include "document/timer_value.hpp"

#include "tests/support/files.hpp"
#include "tests/support/office_model.hpp"

#include <gtest/gtest.h>

namespace quarn {
namespace {

using test::Date;
using test::Time;

struct KnownValue {
    CalendarDate date;
    TimeOfDay time;
    std::uint32_t value;
};

TEST(TimerValue, KnownValuesEncodeAndDecode)
{
    const KnownValue cases[] = {
        {Date(2000, 1, 1), Time(0, 0, 0), 0},
        {Date(2000, 1, 1), Time(7, 30, 0), 27000},
        {Date(2000, 2, 29), Time(0, 0, 0), 59 * 86400u},
        {Date(2000, 3, 1), Time(0, 0, 0), 60 * 86400u},
        {Date(2000, 12, 31), Time(23, 59, 59), 366 * 86400u - 1},
        {Date(2001, 1, 1), Time(0, 0, 0), 31622400},
        {Date(2004, 2, 29), Time(12, 0, 0), 131328000 + 43200},
        {Date(2004, 3, 1), Time(0, 0, 0), 131414400},
        {Date(2013, 2, 8), Time(10, 0, 0), 413632800},
        {Date(2013, 2, 10), Time(18, 30, 0), 413836200},
        {Date(2096, 2, 29), Time(1, 2, 3), 3034627200 + 3723},
        {Date(2099, 12, 31), Time(23, 59, 59), 3155759999},
    };
    for (const KnownValue& c : cases) {
        EXPECT_EQ(EncodeTimerValue(c.date, c.time), c.value);
        const DecodedTimerValue decoded = DecodeTimerValue(c.value);
        EXPECT_EQ(decoded.date, c.date) << c.value;
        EXPECT_EQ(decoded.time, c.time) << c.value;
    }
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && year % 4 == 0 ? 29 : days[month - 1];
}

// Every day of the encodable century, counted independently of the code.
TEST(TimerValue, EveryDayFrom2000To2099RoundTrips)
{
    std::uint32_t dayIndex = 0;
    for (int year = 2000; year <= 2099; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= DaysInMonth(year, month); ++day, ++dayIndex) {
                const CalendarDate date = Date(year, month, day);
                const std::uint32_t value = EncodeTimerValue(date, Time(13, 14, 15));
                ASSERT_EQ(value, dayIndex * 86400u + 47655) << year << '/' << month << '/' << day;
                const DecodedTimerValue decoded = DecodeTimerValue(value);
                ASSERT_EQ(decoded.date, date) << value;
                ASSERT_EQ(decoded.time, Time(13, 14, 15)) << value;
            }
        }
    }
    EXPECT_EQ(dayIndex, 36525u);
}

TEST(TimerValue, BlankFieldsCountAsZero)
{
    EXPECT_EQ(EncodeTimerValue(std::nullopt, std::nullopt), 0u);
    EXPECT_EQ(EncodeTimerValue(std::nullopt, Time(18, 0, 0)), 64800u);
    EXPECT_EQ(EncodeTimerValue(Date(2001, 1, 1), std::nullopt), 31622400u);
}

// Dates the value cannot carry are clamped into 2000-01-01 ... 2099-12-31.
TEST(TimerValue, DatesOutsideTheCenturyAreClamped)
{
    const std::pair<CalendarDate, std::uint32_t> cases[] = {
        {Date(1999, 12, 31), 3600},
        {Date(1970, 1, 1), 3600},
        {Date(0, 1, 1), 3600},
        {Date(2100, 1, 1), 3155673600 + 3600},
        {Date(2200, 6, 15), 3155673600 + 3600},
        {Date(65535, 12, 31), 3155673600 + 3600},
        {Date(2001, 0, 0), 31622400 + 3600},  // month and day 0 read as 1
    };
    for (const auto& [date, value] : cases)
        EXPECT_EQ(EncodeTimerValue(date, Time(1, 0, 0)), value) << date.year;
}

TEST(TimerValue, ValuesFrom2100OnDecodeToYearZero)
{
    const DecodedTimerValue first = DecodeTimerValue(3155760000);
    EXPECT_EQ(first.date.year, 0);
    EXPECT_EQ(first.time, Time(0, 0, 0));

    const DecodedTimerValue last = DecodeTimerValue(4294967295);
    EXPECT_EQ(last.date.year, 0);
    EXPECT_EQ(last.time, Time(6, 28, 15));
}

}  // namespace
}  // namespace quarn
