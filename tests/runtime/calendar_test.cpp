// The clock's calendar: instants and their fields, weekdays, the texts.
#include "runtime/calendar.hpp"

#include <gtest/gtest.h>

namespace quarn::runtime {
namespace {

struct KnownInstant {
    Instant t;
    DateTime fields;
    const char* display;
    const char* iso;
};

TEST(Calendar, KnownInstantsConvertBothWays)
{
    const KnownInstant cases[] = {
        {0, {2000, 1, 1, 0, 0, 0}, "Sat 2000-01-01 00:00:00", "2000-01-01T00:00:00"},
        {-1, {1999, 12, 31, 23, 59, 59}, "Fri 1999-12-31 23:59:59", "1999-12-31T23:59:59"},
        {850548600, {2026, 12, 14, 7, 30, 0}, "Mon 2026-12-14 07:30:00", "2026-12-14T07:30:00"},
        {413632800, {2013, 2, 8, 10, 0, 0}, "Fri 2013-02-08 10:00:00", "2013-02-08T10:00:00"},
        {131328000, {2004, 2, 29, 0, 0, 0}, "Sun 2004-02-29 00:00:00", "2004-02-29T00:00:00"},
        {3155759999, {2099, 12, 31, 23, 59, 59}, "Thu 2099-12-31 23:59:59", "2099-12-31T23:59:59"},
        // 2100 is no leap year: March follows February 28.
        {3160857600, {2100, 3, 1, 0, 0, 0}, "Mon 2100-03-01 00:00:00", "2100-03-01T00:00:00"},
    };
    for (const KnownInstant& c : cases) {
        SCOPED_TRACE(c.iso);
        EXPECT_EQ(FieldsOf(c.t), c.fields);
        EXPECT_EQ(InstantOf(c.fields), c.t);
        EXPECT_EQ(FormatDisplay(c.t), c.display);
        EXPECT_EQ(FormatIso(c.t), c.iso);
        EXPECT_EQ(ParseInstant(c.iso), c.t);
    }
}

TEST(Calendar, WeekdaysAndWeekStartsAcrossTheEpoch)
{
    EXPECT_EQ(Weekday(0), 5);                                               // Saturday
    EXPECT_EQ(Weekday(-1), 4);                                              // Friday before
    EXPECT_EQ(Weekday(2 * kSecondsPerDay), 0);                              // Monday 2000-01-03
    EXPECT_EQ(StartOfWeek(850548600), 850521600);                           // Mon 2026-12-14 00:00
    EXPECT_EQ(StartOfWeek(850521600 + 7 * kSecondsPerDay - 1), 850521600);  // Sunday's last second
    EXPECT_EQ(StartOfWeek(0), -5 * kSecondsPerDay);                         // Mon 1999-12-27
    EXPECT_EQ(TimeOfDaySeconds(-1), 86399);
}

TEST(Calendar, ParseTakesTwoFormsAndRejectsTheRest)
{
    EXPECT_EQ(ParseInstant("2026-12-14"), 850521600);
    EXPECT_EQ(ParseInstant("2026-12-14T07:30:00"), 850548600);
    EXPECT_EQ(ParseInstant("2024-02-29"), InstantOf({2024, 2, 29}));
    const char* bad[] = {
        "",
        "2026-12-1",
        "2026-12-14T07:30",
        "2026-12-14 07:30:00",
        "2026/12/14",
        "2026-13-01",
        "2026-00-10",
        "2026-02-29",
        "2100-02-29",
        "2026-12-32",
        "2026-12-14T24:00:00",
        "2026-12-14T23:60:00",
        "2026-12-14T23:59:60",
        "0000-01-01",
        "2026-12-14t07:30:00",
        "+026-12-14",
        "2026-12-14T07:30:00Z",
        "２026-12-14",
    };
    for (const char* text : bad)
        EXPECT_FALSE(ParseInstant(text).has_value()) << text;
}

}  // namespace
}  // namespace quarn::runtime
