// The Week preview's inputs over time: turning an input over from an instant
// on, the schedule and `--input` options it gives, a click's instant, and the
// line the picture carries.
#include "runtime/input_plan.hpp"

#include "runtime_test_support.hpp"

#include <gtest/gtest.h>

#include <utility>

namespace quarn::runtime {
namespace {

using test::At;
using test::kMonday;

using Periods = std::vector<std::pair<std::string, std::string>>;

// The on-periods of input n as ISO texts, the end of the week as "end".
Periods OnPeriodsOf(const InputPlan& plan, int n)
{
    Periods periods;
    bool on = plan.StartsOn(n);
    Instant since = plan.From();
    const auto close = [&](Instant end) {
        periods.emplace_back(FormatIso(since), end == plan.To() ? "end" : FormatIso(end));
    };
    for (const Instant t : plan.Switches(n)) {
        if (on)
            close(t);
        on = !on;
        since = t;
    }
    if (on)
        close(plan.To());
    return periods;
}

InputPlan WeekPlan()
{
    return InputPlan(kMonday, kMonday + kSecondsPerWeek);
}

TEST(InputPlan, AClickTurnsTheInputOverFromThatInstantOn)
{
    const struct {
        const char* what;
        std::vector<std::string> clicks;  // on S2, ISO instants
        Periods expected;
    } cases[] = {
        {"one click: on to the end", {"2026-12-14T08:00:00"}, {{"2026-12-14T08:00:00", "end"}}},
        {"a second click ends it",
         {"2026-12-14T08:00:00", "2026-12-14T17:00:00"},
         {{"2026-12-14T08:00:00", "2026-12-14T17:00:00"}}},
        {"clicks in any order",
         {"2026-12-15T17:00:00", "2026-12-14T08:00:00", "2026-12-14T17:00:00", "2026-12-15T08:00:00"},
         {{"2026-12-14T08:00:00", "2026-12-14T17:00:00"}, {"2026-12-15T08:00:00", "2026-12-15T17:00:00"}}},
        {"inside an on-period everything later turns over",
         {"2026-12-14T08:00:00", "2026-12-14T17:00:00", "2026-12-14T12:00:00"},
         {{"2026-12-14T08:00:00", "2026-12-14T12:00:00"}, {"2026-12-14T17:00:00", "end"}}},
        {"the same instant twice undoes it", {"2026-12-14T08:00:00", "2026-12-14T08:00:00"}, {}},
        {"at the start: the state it starts with", {"2026-12-14T00:00:00"}, {{"2026-12-14T00:00:00", "end"}}},
        {"before the start likewise",
         {"2026-12-16T08:00:00", "2026-12-01T00:00:00"},
         {{"2026-12-14T00:00:00", "2026-12-16T08:00:00"}}},
        {"at or after the end: nothing", {"2026-12-21T00:00:00", "2027-01-01T00:00:00"}, {}},
    };
    for (const auto& c : cases) {
        InputPlan plan = WeekPlan();
        for (const std::string& click : c.clicks)
            plan.Toggle(2, At(click));
        EXPECT_EQ(OnPeriodsOf(plan, 2), c.expected) << c.what;
        for (const int other : {0, 1, 3})
            EXPECT_TRUE(OnPeriodsOf(plan, other).empty()) << c.what;
    }
}

TEST(InputPlan, TellsTheStateAtAnInstantAndWhichInputsAreEverOn)
{
    InputPlan plan = WeekPlan();
    plan.SetStartsOn(1, true);
    plan.Toggle(0, At("2026-12-14T08:00:00"));
    plan.Toggle(0, At("2026-12-14T17:00:00"));
    plan.Toggle(3, At("2026-12-14T00:00:00"));
    plan.Toggle(3, At("2026-12-16T00:00:00"));
    plan.Toggle(4, At("2026-12-14T08:00:00"));   // no such input
    plan.Toggle(-1, At("2026-12-14T08:00:00"));  // likewise
    EXPECT_FALSE(plan.IsOn(0, At("2026-12-14T07:59:59")));
    EXPECT_TRUE(plan.IsOn(0, At("2026-12-14T08:00:00")));
    EXPECT_TRUE(plan.IsOn(0, At("2026-12-14T16:59:59")));
    EXPECT_FALSE(plan.IsOn(0, At("2026-12-14T17:00:00")));
    EXPECT_TRUE(plan.IsOn(1, At("2026-12-20T23:59:59")));
    EXPECT_FALSE(plan.IsOn(3, At("2026-12-16T00:00:00")));
    EXPECT_EQ(plan.EverOn(), 0b1011);
    EXPECT_EQ(plan.OnThroughout(), 0b0010);

    plan.Clear();
    EXPECT_EQ(plan.EverOn(), 0);
    EXPECT_TRUE(plan.Schedule().empty());
    for (int n = 0; n < kInputCount; ++n)
        EXPECT_TRUE(OnPeriodsOf(plan, n).empty()) << n;
}

TEST(InputPlan, ANewFirstDayTakesTheSwitchesAlong)
{
    InputPlan plan = WeekPlan();
    plan.Toggle(0, At("2026-12-14T08:00:00"));
    plan.Toggle(0, At("2026-12-18T17:00:00"));
    plan.MoveTo(kMonday + kSecondsPerWeek);
    EXPECT_EQ(plan.From(), At("2026-12-21T00:00:00"));
    EXPECT_EQ(plan.To(), At("2026-12-28T00:00:00"));
    EXPECT_EQ(OnPeriodsOf(plan, 0), (Periods{{"2026-12-21T08:00:00", "2026-12-25T17:00:00"}}));
}

// "S0 on at 850550400; S1 on at start" without the option syntax under test.
std::string EntriesOf(const InputSchedule& schedule)
{
    std::string text;
    for (const InputChange& change : schedule)
        text += "S" + std::to_string(change.input) + (change.on ? " on" : " off") + " at " +
                (change.at ? std::to_string(*change.at) : std::string("start")) + "; ";
    return text;
}

TEST(InputPlan, GivesTheScheduleAsInputOptionsThatReadBackTheSame)
{
    InputPlan plan = WeekPlan();
    EXPECT_EQ(InputOptionsText(plan.Schedule()), "");

    plan.Toggle(2, At("2026-12-15T17:00:00"));
    plan.Toggle(0, At("2026-12-14T17:00:00"));
    plan.Toggle(0, At("2026-12-14T08:00:00"));
    plan.SetStartsOn(1, true);
    plan.Toggle(1, At("2026-12-16T12:30:00"));
    const InputSchedule schedule = plan.Schedule();
    EXPECT_EQ(InputOptionsText(schedule),
              "--input S0=1@2026-12-14T08:00:00 --input S0=0@2026-12-14T17:00:00 --input S1=1 "
              "--input S1=0@2026-12-16T12:30:00 --input S2=1@2026-12-15T17:00:00");

    // Read back as quarnctl reads each option: the same schedule.
    InputSchedule read;
    const std::string text = InputOptionsText(schedule);
    for (std::size_t at = text.find("--input "); at != std::string::npos; at = text.find("--input ", at + 1)) {
        const std::size_t start = at + 8;
        const auto option = ParseInputOption(text.substr(start, text.find(' ', start) - start));
        ASSERT_TRUE(option) << text.substr(start);
        read.push_back(*option);
    }
    EXPECT_EQ(EntriesOf(read), EntriesOf(schedule));
}

// The week's picture is 980 units for 604,800 seconds, about ten minutes a
// unit: clicks land on quarter hours.
TEST(InputPlan, AClickLandsOnARoundInstantInsideThePeriod)
{
    const Timeline week{kMonday, kMonday + kSecondsPerWeek, {}, {}, {}, 0};
    const PictureLayout layout = LayOutTimeline(week, SignalState{});
    const struct {
        const char* clicked;
        const char* expected;
    } cases[] = {
        {"2026-12-14T08:07:29", "2026-12-14T08:00:00"}, {"2026-12-14T08:07:30", "2026-12-14T08:15:00"},
        {"2026-12-15T23:55:00", "2026-12-16T00:00:00"}, {"2026-12-14T00:03:00", "2026-12-14T00:00:00"},
        {"2026-12-20T23:59:59", "2026-12-20T23:45:00"},  // midnight would be past the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatIso(RoundClickInstant(layout, At(c.clicked))), c.expected) << c.clicked;

    // From a point of the picture: both edges of one unit give the same instant.
    const double x = layout.XOf(At("2026-12-17T08:00:00"));
    EXPECT_EQ(RoundClickInstant(layout, layout.InstantAt(x - 0.5)), At("2026-12-17T08:00:00"));
    EXPECT_EQ(RoundClickInstant(layout, layout.InstantAt(x + 0.5)), At("2026-12-17T08:00:00"));
    EXPECT_EQ(RoundClickInstant(layout, layout.InstantAt(layout.plotLeft)), kMonday);

    // A day's picture has about 90 seconds a unit: whole 5 minutes.
    const Timeline day{kMonday, kMonday + kSecondsPerDay, {}, {}, {}, 0};
    EXPECT_EQ(RoundClickInstant(LayOutTimeline(day, SignalState{}), At("2026-12-14T08:07:31")),
              At("2026-12-14T08:10:00"));
}

TEST(InputPlan, CaptionSaysWhichInputsWereAssumed)
{
    const struct {
        const char* what;
        std::vector<std::pair<int, std::string>> clicks;
        std::vector<std::string> expected;
    } cases[] = {
        {"none", {}, {"Inputs: all off"}},
        {"held on", {{1, "2026-12-14T00:00:00"}}, {"Inputs: S1 on throughout; S0, S2, S3 off"}},
        {"periods",
         {{0, "2026-12-14T08:00:00"},
          {0, "2026-12-14T17:00:00"},
          {0, "2026-12-18T08:00:00"},
          {3, "2026-12-14T00:00:00"},
          {3, "2026-12-16T06:30:00"}},
         {"Inputs: S0 on Mon 08:00-17:00, from Fri 08:00; S3 on until Wed 06:30; S1, S2 off"}},
        {"over midnight, and seconds",
         {{0, "2026-12-14T22:00:00"},
          {0, "2026-12-15T06:00:30"},
          {1, "2026-12-14T00:00:00"},
          {2, "2026-12-14T00:00:00"},
          {3, "2026-12-14T00:00:00"}},
         {"Inputs: S0 on Mon 22:00-Tue 06:00:30; S1 on throughout; S2 on throughout; S3 on throughout"}},
    };
    for (const auto& c : cases) {
        InputPlan plan = WeekPlan();
        for (const auto& [input, at] : c.clicks)
            plan.Toggle(input, At(at));
        EXPECT_EQ(InputsCaption(plan), c.expected) << c.what;
    }

    // A long one is broken after its separators.
    InputPlan busy = WeekPlan();
    for (int day = 14; day <= 18; ++day) {
        busy.Toggle(0, At("2026-12-" + std::to_string(day) + "T08:00:00"));
        busy.Toggle(0, At("2026-12-" + std::to_string(day) + "T17:00:00"));
    }
    busy.SetStartsOn(2, true);
    EXPECT_EQ(InputsCaption(busy, 60), (std::vector<std::string>{"Inputs: S0 on Mon 08:00-17:00, Tue 08:00-17:00,",
                                                                 "Wed 08:00-17:00, Thu 08:00-17:00, Fri 08:00-17:00;",
                                                                 "S2 on throughout; S1, S3 off"}));
}

}  // namespace
}  // namespace quarn::runtime
