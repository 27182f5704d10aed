// Timer windows: when each kind of timer is on, and the next edge computed
// directly agrees with a second-by-second walk.
#include "runtime/timer_window.hpp"

#include "runtime_test_support.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace quarn::runtime {
namespace {

using test::At;

constexpr int kMonToFri = 0x1f;
constexpr int kEveryDay = 0x7f;
constexpr int kFriday = 0x10;
constexpr int kSaturday = 0x20;

std::uint32_t Value(const std::string& iso)
{
    return static_cast<std::uint32_t>(At(iso));
}

struct TimerCase {
    const char* name;
    TimerWindow window;
    TimerWindow::Kind kind;
    std::vector<std::pair<const char*, bool>> samples;
};

std::vector<TimerCase> Cases()
{
    return {
        {"daily 07:30-22:00 Mon-Fri",
         TimerWindow::FromValues(27000, 79200, kMonToFri),
         TimerWindow::Kind::Daily,
         {{"2026-12-14T07:29:59", false},
          {"2026-12-14T07:30:00", true},
          {"2026-12-14T21:59:59", true},
          {"2026-12-14T22:00:00", false},
          {"2026-12-18T12:00:00", true},
          {"2026-12-19T12:00:00", false}}},
        {"overnight 22:00-06:00 Friday",
         TimerWindow::FromValues(79200, 21600, kFriday),
         TimerWindow::Kind::Daily,
         {{"2026-12-17T23:00:00", false},
          {"2026-12-18T05:00:00", false},  // the night into Friday belongs to Thursday
          {"2026-12-18T22:00:00", true},
          {"2026-12-19T00:00:00", true},
          {"2026-12-19T05:59:59", true},
          {"2026-12-19T06:00:00", false},
          {"2026-12-19T22:00:00", false}}},
        {"overnight ending at midnight",
         TimerWindow::FromValues(79200, 0, kEveryDay),
         TimerWindow::Kind::Daily,
         {{"2026-12-14T21:59:59", false}, {"2026-12-14T23:59:59", true}, {"2026-12-15T00:00:00", false}}},
        {"start equals end",
         TimerWindow::FromValues(27000, 27000, kEveryDay),
         TimerWindow::Kind::Never,
         {{"2026-12-14T07:30:00", false}}},
        {"no day ticked",
         TimerWindow::FromValues(27000, 79200, 0),
         TimerWindow::Kind::Never,
         {{"2026-12-14T12:00:00", false}}},
        {"only an OFF time: from midnight",
         TimerWindow::FromValues(0, 64800, kEveryDay),
         TimerWindow::Kind::Daily,
         {{"2026-12-14T00:00:00", true}, {"2026-12-14T17:59:59", true}, {"2026-12-14T18:00:00", false}}},
        {"dated across a week's end",
         TimerWindow::FromValues(Value("2026-12-18T20:00:00"), Value("2026-12-21T08:00:00"), kEveryDay),
         TimerWindow::Kind::Dated,
         {{"2026-12-18T19:59:59", false},
          {"2026-12-18T20:00:00", true},
          {"2026-12-20T03:00:00", true},
          {"2026-12-21T07:59:59", true},
          {"2026-12-21T08:00:00", false},
          {"2026-12-25T20:00:00", false}}},
        {"dated on Saturdays only",
         TimerWindow::FromValues(Value("2026-12-14T00:00:00"), Value("2026-12-28T00:00:00"), kSaturday),
         TimerWindow::Kind::Dated,
         {{"2026-12-18T23:59:59", false},
          {"2026-12-19T00:00:00", true},
          {"2026-12-19T23:59:59", true},
          {"2026-12-20T00:00:00", false},
          {"2026-12-26T12:00:00", true},
          {"2027-01-02T12:00:00", false}}},
        {"dated in 2000: read as daily",
         TimerWindow::FromValues(Value("2000-06-01T07:00:00"), Value("2026-12-20T09:00:00"), kEveryDay),
         TimerWindow::Kind::Daily,
         {{"1999-01-01T08:00:00", true}, {"2030-05-05T08:59:59", true}, {"2030-05-05T09:00:00", false}}},
        {"a value from 2100 on: read as daily",
         TimerWindow::FromValues(Value("2026-12-14T07:00:00"), 3155760000u + 3600, kEveryDay),
         TimerWindow::Kind::Daily,
         {{"2026-12-13T00:59:59", true}, {"2026-12-13T01:00:00", false}, {"2026-12-13T07:00:00", true}}},
        {"dated with the end before the start",
         TimerWindow::FromValues(Value("2026-12-20T00:00:00"), Value("2026-12-14T00:00:00"), kEveryDay),
         TimerWindow::Kind::Dated,
         {{"2026-12-17T00:00:00", false}}},
    };
}

TEST(TimerWindow, OnAtTheSampledInstants)
{
    for (const TimerCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.window.kind(), c.kind);
        for (const auto& [at, on] : c.samples)
            EXPECT_EQ(c.window.IsOn(At(at)), on) << at;
    }
}

// Walks nine days second by second from `from` and checks every change
// against NextEdge, and NextEdge at points in between.
void ExpectEdgesMatchWalk(const TimerWindow& window, Instant from)
{
    const Instant end = from + 9 * kSecondsPerDay;
    std::optional<Instant> expected = window.NextEdge(from);
    for (Instant u = from + 1; u < end; ++u) {
        if (window.IsOn(u) != window.IsOn(u - 1)) {
            ASSERT_EQ(expected, u) << "change at " << FormatIso(u);
            expected = window.NextEdge(u);
        } else if (u % 7919 == 0) {
            ASSERT_EQ(window.NextEdge(u), expected) << "from " << FormatIso(u);
        }
    }
    if (expected) {
        EXPECT_GE(*expected, end);
    }
}

TEST(TimerWindow, NextEdgeAgreesWithASecondBySecondWalk)
{
    for (const TimerCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        ExpectEdgesMatchWalk(c.window, At("2026-12-12T00:00:00"));
        ExpectEdgesMatchWalk(c.window, At("2026-12-19T13:17:05"));
    }
}

TEST(TimerWindow, EdgesOfADatedTimerEndWithIt)
{
    const TimerWindow window =
        TimerWindow::FromValues(Value("2026-12-18T20:00:00"), Value("2026-12-21T08:00:00"), kEveryDay);
    EXPECT_EQ(window.NextEdge(At("2013-01-01T00:00:00")), At("2026-12-18T20:00:00"));
    EXPECT_EQ(window.NextEdge(At("2026-12-18T20:00:00")), At("2026-12-21T08:00:00"));
    EXPECT_EQ(window.NextEdge(At("2026-12-21T08:00:00")), std::nullopt);
    EXPECT_EQ(TimerWindow::FromValues(27000, 27000, kEveryDay).NextEdge(0), std::nullopt);
    // A dated window that starts on an unticked day begins at the next ticked midnight.
    const TimerWindow saturdays =
        TimerWindow::FromValues(Value("2026-12-14T09:00:00"), Value("2027-12-14T00:00:00"), kSaturday);
    EXPECT_EQ(saturdays.NextEdge(0), At("2026-12-19T00:00:00"));
}

TEST(TimerWindow, FromEntryEncodesAsTheWriterDoes)
{
    TimerEntry entry = test::Daily("07:30:00", "22:00:00", kMonToFri);
    EXPECT_TRUE(TimerWindow::FromEntry(entry).IsOn(At("2026-12-14T07:30:00")));
    entry.offTime.reset();  // not in use
    EXPECT_EQ(TimerWindow::FromEntry(entry).kind(), TimerWindow::Kind::Never);
    entry = test::Daily("00:00:00", "18:00:00", kEveryDay);
    entry.onTime.reset();  // a blank ON time counts as 00:00:00
    EXPECT_TRUE(TimerWindow::FromEntry(entry).IsOn(At("2026-12-14T00:00:00")));
    entry.onDate = CalendarDate{2026, 12, 14};
    entry.offDate = CalendarDate{2026, 12, 16};
    const TimerWindow dated = TimerWindow::FromEntry(entry);
    EXPECT_EQ(dated.kind(), TimerWindow::Kind::Dated);
    EXPECT_TRUE(dated.IsOn(At("2026-12-15T20:00:00")));
    EXPECT_FALSE(dated.IsOn(At("2026-12-16T18:00:00")));
}

}  // namespace
}  // namespace quarn::runtime
