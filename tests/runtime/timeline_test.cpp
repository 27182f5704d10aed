// The step rule and timelines: settling, latches, chains, hysteresis,
// oscillation and input schedules.
#include "runtime/timeline.hpp"

#include "runtime/step.hpp"
#include "runtime_test_support.hpp"

#include <gtest/gtest.h>

namespace quarn::runtime {
namespace {

using test::At;
using test::Daily;
using test::FromConditions;

constexpr std::uint8_t kR0 = 0x01;
constexpr std::uint8_t kR1 = 0x02;

using test::kMonday;
const Instant kWeekLater = kMonday + kSecondsPerWeek;

InputChange Input(int n, bool on, const char* at = nullptr)
{
    InputChange change{n, on, std::nullopt};
    if (at != nullptr)
        change.at = At(at);
    return change;
}

// The timeline's changes as "at: T=.. S=.. R=.." lines, for readable failures.
std::vector<std::string> Lines(const Timeline& timeline)
{
    std::vector<std::string> lines;
    for (const TimelineChange& change : timeline.changes)
        lines.push_back(FormatIso(change.at) + " T" + std::to_string(change.state.timers) + " S" +
                        std::to_string(change.state.inputs) + " R" + std::to_string(change.state.relays));
    return lines;
}

TEST(Step, ARelayFollowsAnotherInTheSameStep)
{
    const Program program = FromConditions({{0, u"#S0"}, {1, u"#R0"}, {2, u"#R1&&#S0"}});
    EXPECT_EQ(Settle(program, {0, 1, 0}).relays, 0x07);
    EXPECT_EQ(Settle(program, {0, 1, 0}).unsettled, 0);
    EXPECT_EQ(Settle(program, {0, 0, 0x07}).relays, 0);
    // All relays look at one snapshot per round: R1 sees R0 only one round later.
    EXPECT_EQ(Settle(program, {0, 1, 0}, 1).relays, kR0);
}

TEST(Step, AnOscillatingRelayStopsAfterTheRoundLimitWithAWarning)
{
    const Program program = FromConditions({{0, u"!#R0"}, {1, u"#S0"}});
    const StepOutcome outcome = Settle(program, {0, 1, 0});
    EXPECT_EQ(outcome.unsettled, kR0);
    EXPECT_EQ(outcome.relays, kR1);  // 100 rounds: R0 switched an even number of times
    EXPECT_EQ(Settle(program, {0, 1, 0}, 99).relays, kR0 | kR1);
    EXPECT_EQ(SettleWarning(kR0, At("2026-12-14T07:30:00")), "R0 does not settle at 2026-12-14T07:30:00");
    EXPECT_EQ(SettleWarning(0x05, 0), "R0, R2 do not settle at 2000-01-01T00:00:00");
}

TEST(Timeline, AnOscillatingFileWarnsAtEveryStepThatDoesNotSettle)
{
    const Program program = FromConditions({{0, u"#T0&&!#R0"}}, {{0, Daily("07:30:00", "08:00:00", 0x01)}});
    const Timeline timeline = Simulate(program, kMonday, kWeekLater);
    ASSERT_EQ(timeline.warnings.size(), 1u);
    EXPECT_EQ(timeline.warnings[0].text, "R0 does not settle at 2026-12-14T07:30:00");
    EXPECT_EQ(timeline.warnings[0].at, At("2026-12-14T07:30:00"));
    EXPECT_EQ(Lines(timeline),
              (std::vector<std::string>{"2026-12-14T07:30:00 T1 S0 R0", "2026-12-14T08:00:00 T0 S0 R0"}));
}

TEST(Timeline, ALatchStaysOnAfterItsInputDrops)
{
    const Program program = FromConditions({{0, u"#S0||#R0"}});
    const Timeline timeline = Simulate(program, kMonday, kWeekLater,
                                       {Input(0, true, "2026-12-14T08:00:00"), Input(0, false, "2026-12-14T09:00:00")});
    EXPECT_EQ(timeline.initial, SignalState{});
    EXPECT_EQ(Lines(timeline),
              (std::vector<std::string>{"2026-12-14T08:00:00 T0 S1 R1", "2026-12-14T09:00:00 T0 S0 R1"}));
}

TEST(Timeline, HysteresisFromAFileWhoseOnConditionIsNotTheNegation)
{
    ProgramText text;
    text.switchOn[0] = u"#S0";
    text.switchOff[0] = u"#S1";
    const Timeline timeline = Simulate(test::Compile(text), kMonday, kWeekLater,
                                       {Input(0, true, "2026-12-14T08:00:00"), Input(0, false, "2026-12-14T09:00:00"),
                                        Input(1, true, "2026-12-14T10:00:00"), Input(1, false, "2026-12-14T11:00:00")});
    EXPECT_EQ(Lines(timeline),
              (std::vector<std::string>{"2026-12-14T08:00:00 T0 S1 R1", "2026-12-14T09:00:00 T0 S0 R1",
                                        "2026-12-14T10:00:00 T0 S2 R0", "2026-12-14T11:00:00 T0 S0 R0"}));
}

TEST(Timeline, ARelayWithoutWayBackNeverSwitchesOff)
{
    ProgramText text;
    text.timers[0] = Daily("07:30:00", "22:00:00", 0x7f);
    text.switchOn[4] = u"#T0";
    const Timeline timeline = Simulate(test::Compile(text), kMonday, kWeekLater);
    EXPECT_EQ(Lines(timeline).front(), "2026-12-14T07:30:00 T1 S0 R16");
    EXPECT_EQ(timeline.changes.back().state.relays, 0x10);
}

TEST(Timeline, ATimerOnAtTheStartIsInTheInitialState)
{
    const Program program =
        FromConditions({{3, u"(#T0&&#T1)||#R2"}, {2, u"#T1"}},
                       {{0, Daily("07:30:00", "22:00:00", 0x1f)}, {1, Daily("22:00:00", "06:00:00", 0x40)}});
    // Sunday night into Monday: T1 is on at Monday 00:00 from Sunday's evening.
    const Timeline timeline = Simulate(program, kMonday, kMonday + kSecondsPerDay);
    EXPECT_EQ(timeline.initial, (SignalState{0x02, 0, 0x0c}));
    EXPECT_EQ(Lines(timeline), (std::vector<std::string>{"2026-12-14T06:00:00 T0 S0 R0", "2026-12-14T07:30:00 T1 S0 R0",
                                                         "2026-12-14T22:00:00 T0 S0 R0"}));
}

TEST(Timeline, InputScheduleOrderStartAndEnd)
{
    const Program program = FromConditions({{0, u"#S0"}, {1, u"#S1"}});
    const Timeline timeline = Simulate(
        program, kMonday, kWeekLater,
        {Input(1, true),                         // holds from the start
         Input(0, true, "2026-12-10T00:00:00"),  // before the start: in the initial state
         Input(0, false, "2026-12-15T08:00:00"),
         Input(0, true, "2026-12-15T08:00:00"),  // same instant: the later entry wins
         Input(2, true, "2026-12-16T08:00:00"), Input(2, true, "2026-12-16T09:00:00"),  // no change: nothing reported
         Input(1, false, "2026-12-21T00:00:00"),                                        // at `to`: left out
         Input(3, true, "2026-12-14T00:00:00")});
    EXPECT_EQ(timeline.initial, (SignalState{0, 0x0b, 0x03}));
    EXPECT_EQ(Lines(timeline), (std::vector<std::string>{"2026-12-16T08:00:00 T0 S15 R3"}));
}

TEST(Timeline, SameInstantTimerEdgeAndInputChangeAreOneStep)
{
    // R0 latches on S0 while T0 is off. When T0 switches on in the same
    // instant as S0, one step sees both: R0 stays off.
    const Program program =
        FromConditions({{0, u"(#S0&&!#T0)||(#R0&&#S0)"}}, {{0, Daily("08:00:00", "09:00:00", 0x7f)}});
    const Timeline timeline =
        Simulate(program, kMonday, kMonday + kSecondsPerDay, {Input(0, true, "2026-12-14T08:00:00")});
    EXPECT_EQ(Lines(timeline),
              (std::vector<std::string>{"2026-12-14T08:00:00 T1 S1 R0", "2026-12-14T09:00:00 T0 S1 R1"}));
}

TEST(Timeline, AYearOfEdgesEndsBeforeTo)
{
    const Program program = FromConditions({{0, u"#T0"}}, {{0, Daily("07:30:00", "22:00:00", 0x7f)}});
    const Timeline timeline = Simulate(program, kMonday, kMonday + 365 * kSecondsPerDay);
    EXPECT_EQ(timeline.changes.size(), 2u * 365);
    EXPECT_LT(timeline.changes.back().at, timeline.to);
    EXPECT_EQ(StateAt(timeline, At("2027-06-01T12:00:00")).relays, kR0);
    EXPECT_EQ(StateAt(timeline, At("2027-06-01T22:00:00")).relays, 0);
    EXPECT_EQ(StateAt(timeline, kMonday - 5), timeline.initial);
}

TEST(Timeline, WarningsBeyondTheLimitAreCounted)
{
    const Program program = FromConditions({{0, u"!#R0"}}, {{0, Daily("07:30:00", "08:00:00", 0x7f)}});
    const Timeline timeline = Simulate(program, kMonday, kMonday + 600 * kSecondsPerDay);
    EXPECT_EQ(timeline.warnings.size(), kTimelineWarningLimit);
    EXPECT_EQ(timeline.warningsLeftOut, 1201u - kTimelineWarningLimit);
}

}  // namespace
}  // namespace quarn::runtime
