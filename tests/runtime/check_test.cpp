// The exploration of every input schedule and the checks on top of it: each
// failure found comes with a schedule that Simulate follows into the failing
// state, and every test replays it.
#include "runtime/check.hpp"
#include "runtime/exploration.hpp"
#include "runtime/step.hpp"
#include "runtime/timer_text.hpp"
#include "runtime_test_support.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <variant>
#include <vector>

namespace quarn::runtime::test {
namespace {

using Relays = std::initializer_list<std::pair<int, std::u16string>>;
using Timers = std::initializer_list<std::pair<int, TimerEntry>>;

ProgramText TextOf(Relays relays, Timers timers = {})
{
    StateMachineModel model;
    for (const auto& [n, condition] : relays)
        model.relays[static_cast<std::size_t>(n)] = condition;
    for (const auto& [n, entry] : timers)
        model.timers[static_cast<std::size_t>(n)] = entry;
    return ProgramTextFromModel(model);
}

// A timer on from one date and time to another on every day.
TimerEntry Dated(CalendarDate on, TimeOfDay onTime, CalendarDate off, TimeOfDay offTime)
{
    TimerEntry entry;
    entry.onDate = on;
    entry.onTime = onTime;
    entry.offDate = off;
    entry.offTime = offTime;
    entry.weekdays.fill(true);
    return entry;
}

Property Prop(bool always, const std::string& text)
{
    Property property;
    property.always = always;
    property.text = text;
    auto parsed = Condition::Parse(std::u16string(text.begin(), text.end()));
    EXPECT_TRUE(std::holds_alternative<Condition>(parsed)) << text;
    if (auto* condition = std::get_if<Condition>(&parsed))
        property.condition = *condition;
    return property;
}

std::string Schedule(const InputSchedule& inputs)
{
    std::string text;
    for (const InputChange& change : inputs) {
        text += (text.empty() ? "S" : " S") + std::to_string(change.input) + (change.on ? "=1" : "=0");
        if (change.at)
            text += "@" + FormatIso(*change.at);
    }
    return text;
}

// Simulates the schedule and expects `holds` of the state at `at`.
void ExpectReplay(const Program& program, Instant from, Instant to, Instant at, const InputSchedule& inputs,
                  const std::function<bool(const SignalState&)>& holds, const std::string& what)
{
    const Timeline timeline = Simulate(program, from, to, inputs);
    EXPECT_TRUE(holds(StateAt(timeline, at))) << what << " at " << FormatIso(at) << " with " << Schedule(inputs);
}

struct Checked {
    Program program;
    CheckReport report;
};

Checked Check(const ProgramText& text, Instant from, Instant to, std::vector<Property> properties = {},
              std::uint8_t pinned = 0, std::uint8_t pinnedValues = 0)
{
    CheckRequest request;
    request.from = from;
    request.to = to;
    request.pinned = pinned;
    request.pinnedValues = pinnedValues;
    request.properties = std::move(properties);
    auto compiled = CompileProgram(text);
    Program program = std::holds_alternative<Program>(compiled) ? std::get<Program>(compiled) : Program{};
    return {std::move(program), CheckProgram(text, request)};
}

// Replays a failed property's schedule and expects the property to fail there.
void ExpectPropertyFailsOnReplay(const Checked& checked, const Property& property, std::size_t index, Instant from,
                                 Instant to)
{
    const PropertyOutcome& outcome = checked.report.properties.at(index);
    ASSERT_FALSE(outcome.holds) << outcome.property;
    ASSERT_TRUE(outcome.at.has_value());
    ExpectReplay(
        checked.program, from, to, *outcome.at, outcome.inputs,
        [&property](const SignalState& s) { return property.condition.Evaluate(s) != property.always; },
        outcome.property);
}

const Finding* FindingOf(const CheckReport& report, const std::string& code, Signal subject)
{
    for (const Finding& finding : report.findings) {
        if (finding.code == code && finding.subject == subject)
            return &finding;
    }
    return nullptr;
}

constexpr Signal R(int n)
{
    return {SignalKind::Relay, n};
}
constexpr Signal T(int n)
{
    return {SignalKind::Timer, n};
}

const Instant kWeekEnd = kMonday + kSecondsPerWeek;

// The question a timeline cannot answer: R1 and R2 exclude each other through
// each other's state. They can only both switch on in one round when S0 and
// S1 rise at one instant, and then the step rule switches both off again and
// again: after round 100 both are off. The interlock holds; the program does
// not settle there.
TEST(Check, InterlockThroughTheStepRuleHoldsAndNamesTheStepThatDoesNotSettle)
{
    const ProgramText text = TextOf({{1, u"#S0&&!#R2"}, {2, u"#S1&&!#R1"}});
    const Property interlock = Prop(false, "#R1&&#R2");
    const Checked checked = Check(text, kMonday, kWeekEnd, {interlock, Prop(false, "#R1")});
    ASSERT_EQ(checked.report.properties.size(), 2u);
    EXPECT_TRUE(checked.report.properties[0].holds);
    EXPECT_EQ(checked.report.properties[0].property, "never #R1&&#R2");
    EXPECT_FALSE(checked.report.properties[1].holds);
    ExpectPropertyFailsOnReplay(checked, Prop(false, "#R1"), 1, kMonday, kWeekEnd);

    const Finding* noSettle = FindingOf(checked.report, "no-settle", R(1));
    ASSERT_NE(noSettle, nullptr);
    EXPECT_EQ(noSettle->message, "R1 and R2 do not settle within 100 rounds at Mon 2026-12-14 00:00:00 with S0 on, "
                                 "S1 on: the state after round 100 stands");
    EXPECT_EQ(Schedule(noSettle->inputs), "S0=1@2026-12-14T00:00:00 S1=1@2026-12-14T00:00:00");
    ExpectReplay(
        checked.program, kMonday, kWeekEnd, *noSettle->at, noSettle->inputs,
        [&checked](const SignalState& s) { return RelaysToSwitch(checked.program, s) == 0b110; }, "no-settle");
    EXPECT_NE(FindingOf(checked.report, "no-settle", R(2)), nullptr);
}

// Failures that need a particular moment: the schedule must find it, and the
// state must be reached exactly there.
TEST(Check, FailuresOnlyAtOneMomentComeWithTheScheduleThatReachesThem)
{
    const TimerEntry eightToNine = Daily("08:00:00", "09:00:00", 0x1f);
    const TimerEntry march = Dated({2027, 3, 1}, {0, 0, 0}, {2027, 3, 5}, {0, 0, 0});
    const struct Case {
        const char* name;
        ProgramText text;
        Instant from;
        Instant to;
        Instant at;            // where the earliest failure of "never #R0" lies
        const char* schedule;  // and what gets there
    } cases[] = {
        // R2 and R3 follow S0 and S1, so both are off in a step's first
        // round only when both inputs rise in it: at one instant, here the
        // first instant T0 lets R0 latch.
        {"two inputs at one instant",
         TextOf({{0, u"(#T0&&#S0&&!#R2&&#S1&&!#R3)||#R0"}, {2, u"#S0"}, {3, u"#S1"}}, {{0, eightToNine}}), kMonday,
         kWeekEnd, At("2026-12-14T08:00:00"), "S0=1@2026-12-14T08:00:00 S1=1@2026-12-14T08:00:00"},
        // R1 follows T0, so only the step of T0's edge sees T0 on with R1 off.
        {"only at a timer edge", TextOf({{0, u"(#T0&&#S0&&!#R1)||#R0"}, {1, u"#T0"}}, {{0, eightToNine}}),
         kMonday + 3600, kWeekEnd, At("2026-12-14T08:00:00"), "S0=1@2026-12-14T01:00:00"},
        // T0 is dated in March 2027; a hundred years are checked.
        {"only after a dated timer starts", TextOf({{0, u"#T0&&#S1"}}, {{0, march}}), kMonday,
         kMonday + 36600 * kSecondsPerDay, At("2027-03-01T00:00:00"), "S1=1@2026-12-14T00:00:00"},
        // S0 latches R0, S1 after S0 has gone latches R1, S2 after S1 has
        // gone latches R2: three changes, at three instants.
        {"a sequence of three changes",
         TextOf({{1, u"#S0||#R1"}, {2, u"(#S1&&#R1&&!#S0)||#R2"}, {0, u"(#S2&&#R2&&!#S1)||#R0"}}), kMonday, kWeekEnd,
         kMonday + 2,
         "S0=1@2026-12-14T00:00:00 S0=0@2026-12-14T00:00:01 S1=1@2026-12-14T00:00:01 "
         "S1=0@2026-12-14T00:00:02 S2=1@2026-12-14T00:00:02"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Property never = Prop(false, "#R0");
        const Checked checked = Check(c.text, c.from, c.to, {never});
        ASSERT_EQ(checked.report.properties.size(), 1u);
        const PropertyOutcome& outcome = checked.report.properties[0];
        ASSERT_FALSE(outcome.holds);
        EXPECT_EQ(FormatIso(outcome.at.value_or(0)), FormatIso(c.at));
        EXPECT_EQ(Schedule(outcome.inputs), c.schedule);
        ExpectPropertyFailsOnReplay(checked, never, 0, c.from, c.to);
        // Before that instant no schedule gets there.
        const Checked before = Check(c.text, c.from, c.at, {never});
        EXPECT_TRUE(before.report.properties[0].holds);
    }
}

// A stretch of one second leaves room only for the step at its start: R3
// remembers S0 (without S1) while T0 is on, and R0 needs R3 and then S1
// while T0 is still on.
TEST(Check, AStretchOfOneSecondHasRoomForNoChangeInside)
{
    const auto text = [](const std::string& off) {
        return TextOf({{3, u"(#T0&&#S0&&!#S1)||(#R3&&#T0)"}, {0, u"(#R3&&#S1&&#T0)||#R0"}},
                      {{0, Daily("08:00:00", off, 0x7f)}});
    };
    const Property never = Prop(false, "#R0");
    const Checked oneSecond = Check(text("08:00:01"), kMonday, kWeekEnd, {never});
    EXPECT_TRUE(oneSecond.report.properties[0].holds);
    EXPECT_NE(FindingOf(oneSecond.report, "never-on", R(0)), nullptr);

    const Checked twoSeconds = Check(text("08:00:02"), kMonday, kWeekEnd, {never});
    ASSERT_FALSE(twoSeconds.report.properties[0].holds);
    EXPECT_EQ(FormatIso(*twoSeconds.report.properties[0].at), "2026-12-14T08:00:01");
    ExpectPropertyFailsOnReplay(twoSeconds, never, 0, kMonday, kWeekEnd);
}

// The latch: S0 switches R0 on and R0 holds itself; a restart after S0 has
// gone leaves it off.
TEST(Check, LatchLosesItsStateOnARestartAndNeverSwitchesOff)
{
    const ProgramText text = TextOf({{0, u"#S0||#R0"}});
    const Checked checked = Check(text, kMonday, kWeekEnd);
    const Finding* lost = FindingOf(checked.report, "power-loss", R(0));
    ASSERT_NE(lost, nullptr);
    EXPECT_EQ(lost->message, "R0 is on at Mon 2026-12-14 00:00:01 with S0 off, but a restart then leaves it off: it "
                             "holds itself through #R0");
    EXPECT_EQ(Schedule(lost->inputs), "S0=1@2026-12-14T00:00:00 S0=0@2026-12-14T00:00:01");
    ExpectReplay(
        checked.program, kMonday, kWeekEnd, *lost->at, lost->inputs,
        [](const SignalState& s) { return s.relays == 1 && s.inputs == 0; }, "power-loss");

    const Finding* neverOff = FindingOf(checked.report, "never-off", R(0));
    ASSERT_NE(neverOff, nullptr);
    EXPECT_EQ(neverOff->message,
              "R0 can switch on (first at Mon 2026-12-14 00:00:00 with S0 on) but never switches off "
              "again: the condition that switches it off, !(#S0||#R0), does not hold while it is on");
    // R1 is held off by the latch; a restart drops the latch and lets R1 on.
    const Checked held = Check(TextOf({{0, u"#S0||#R0"}, {1, u"#S1&&!#R0"}}), kMonday, kWeekEnd);
    const Finding* heldOff = FindingOf(held.report, "power-loss", R(1));
    ASSERT_NE(heldOff, nullptr);
    EXPECT_EQ(heldOff->message, "R1 is off at Mon 2026-12-14 00:00:01 with S0 off, S1 on, but a restart then switches "
                                "it on: it depends on R0 (on now, off after a restart)");
    ExpectReplay(
        held.program, kMonday, kWeekEnd, *heldOff->at, heldOff->inputs,
        [](const SignalState& s) { return s.relays == 1 && s.inputs == 2; }, "power-loss R1");
    // A relay that follows its input switches off and survives a restart.
    const Checked follower = Check(TextOf({{0, u"#S0"}}), kMonday, kWeekEnd);
    EXPECT_TRUE(follower.report.findings.empty());
}

// Pinned inputs keep their value the whole period, and the schedules that
// show a failure name them so simulate takes the same inputs.
TEST(Check, PinnedInputsKeepTheirValue)
{
    const ProgramText text = TextOf({{1, u"#S0&&!#R2"}, {2, u"#S1&&!#R1"}});
    const Property never = Prop(false, "#R2");
    const Checked s1Off = Check(text, kMonday, kWeekEnd, {never}, 0b10, 0b00);
    EXPECT_TRUE(s1Off.report.properties[0].holds);
    EXPECT_NE(FindingOf(s1Off.report, "never-on", R(2)), nullptr);
    EXPECT_EQ(FindingOf(s1Off.report, "no-settle", R(1)), nullptr);

    const Checked s1On = Check(text, kMonday, kWeekEnd, {never}, 0b11, 0b10);
    ASSERT_FALSE(s1On.report.properties[0].holds);
    EXPECT_EQ(Schedule(s1On.report.properties[0].inputs), "S1=1");
    ExpectPropertyFailsOnReplay(s1On, never, 0, kMonday, kWeekEnd);
    // S0 is pinned off, so R1 never comes on and the two never race.
    EXPECT_NE(FindingOf(s1On.report, "never-on", R(1)), nullptr);
    EXPECT_EQ(FindingOf(s1On.report, "no-settle", R(2)), nullptr);
}

TEST(Check, AlwaysFailsWhereTheConditionDoesNotHold)
{
    const ProgramText text = TextOf({{0, u"#T0||#S2"}}, {{0, Daily("07:30:00", "22:00:00", 0x1f)}});
    const Property always = Prop(true, "#R0||!#T0");
    const Property alwaysOn = Prop(true, "#R0");
    const Checked checked = Check(text, kMonday, kWeekEnd, {always, alwaysOn});
    EXPECT_TRUE(checked.report.properties[0].holds);
    EXPECT_EQ(checked.report.properties[0].property, "always #R0||!#T0");
    ASSERT_FALSE(checked.report.properties[1].holds);
    EXPECT_EQ(FormatIso(*checked.report.properties[1].at), "2026-12-14T00:00:00");
    EXPECT_TRUE(checked.report.properties[1].inputs.empty());
    ExpectPropertyFailsOnReplay(checked, alwaysOn, 1, kMonday, kWeekEnd);
}

// One program with every code but the condition error, which stops a check
// before anything else.
TEST(Check, EveryFindingCodeInItsOrder)
{
    TimerEntry unticked = Daily("07:00:00", "08:00:00", 0);
    TimerEntry dated2013 = Dated({2013, 2, 8}, {10, 0, 0}, {2013, 2, 10}, {18, 30, 0});
    const ProgramText text = TextOf({{0, u"#S0||#R0"}, {1, u"#T3&&#T1"}, {2, u"#R5"}, {4, u"!#R4"}, {6, u"#T0"}},
                                    {{0, unticked}, {1, dated2013}, {2, Daily("07:30:00", "22:00:00", 0x1f)}});
    const Checked checked = Check(text, kMonday, kWeekEnd);
    std::vector<std::string> listed;
    for (const Finding& finding : checked.report.findings)
        listed.push_back(std::string(SeverityName(finding.severity)) + " " + finding.code + " " +
                         SignalName(finding.subject));
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "warning unset-timer T3",
                          "warning never-off R0",
                          "warning power-loss R0",
                          "warning never-on R1",
                          "warning never-on R2",
                          "warning never-on R4",
                          "warning no-settle R4",
                          "warning missing-relay R5",
                          "warning never-on R6",
                          "note idle-timer T0",
                          "note idle-timer T1",
                          "note unused-timer T2",
                      }));
    const auto message = [&checked](const std::string& code, Signal subject) {
        const Finding* finding = FindingOf(checked.report, code, subject);
        return finding ? finding->message : "(none)";
    };
    EXPECT_EQ(message("unset-timer", T(3)),
              "T3 is read by R1 but is not in use (its OFF time is blank), so it is never on");
    EXPECT_EQ(message("missing-relay", R(5)), "R5 is read by R2 but the file has no R5, so it is always off");
    EXPECT_EQ(message("idle-timer", T(0)), "T0 is never on in the period: no weekday is ticked");
    EXPECT_EQ(message("idle-timer", T(1)), "T1 is never on in the period: it is dated 2013-02-08 10:00:00 - "
                                           "2013-02-10 18:30:00, outside the period");
    EXPECT_EQ(message("unused-timer", T(2)), "T2 is in use but no condition reads it");
    EXPECT_EQ(message("never-on", R(6)),
              "R6 never switches on in the period, whatever the inputs do: it switches on when #T0");
    EXPECT_EQ(message("no-settle", R(4)),
              "R4 does not settle within 100 rounds at Mon 2026-12-14 00:00:00 with S0 off: the state after round 100 "
              "stands");
    EXPECT_FALSE(checked.report.conditionErrors);

    ProgramText broken = text;
    broken.switchOn[6] = u"(#T0&&#T8)";
    broken.switchOff[3] = u"!(#S9)";  // R3 is not used: not read
    broken.switchOff[4] = u"#R4&&";
    const Checked errors = Check(broken, kMonday, kWeekEnd, {Prop(false, "#R0")});
    EXPECT_TRUE(errors.report.conditionErrors);
    ASSERT_EQ(errors.report.findings.size(), 2u);
    EXPECT_EQ(errors.report.findings[0].code, "condition-error");
    EXPECT_EQ(errors.report.findings[0].severity, Severity::Error);
    EXPECT_EQ(errors.report.findings[0].message, "R4 (on state): condition \"#R4&&\": unexpected end at character 6");
    EXPECT_EQ(errors.report.findings[1].message, "R6: condition \"(#T0&&#T8)\": no signal T8 at character 9");
    EXPECT_TRUE(errors.report.properties.empty());
}

TEST(Check, IdleTimerReasons)
{
    const struct {
        TimerEntry entry;
        Instant from;
        Instant to;
        const char* reason;  // nullptr: on at some instant
    } cases[] = {
        {Daily("07:00:00", "07:00:00", 0x7f), kMonday, kWeekEnd, "its ON time equals its OFF time"},
        {Daily("07:00:00", "08:00:00", 0x20), kMonday, kMonday + kSecondsPerDay,
         "it is on only on Sat, and no such day falls in the period"},
        {Daily("07:00:00", "08:00:00", 0x20), kMonday, kWeekEnd, nullptr},
        // Sunday night into Monday morning: on at the period's first instant.
        {Daily("22:00:00", "05:00:00", 0x40), kMonday, kMonday + 3600, nullptr},
        {Dated({2026, 12, 20}, {0, 0, 0}, {2026, 12, 10}, {0, 0, 0}), kMonday, kWeekEnd,
         "it is dated 2026-12-20 00:00:00 - 2026-12-10 00:00:00, which ends before it starts"},
    };
    for (const auto& c : cases) {
        const auto reason = IdleReason(c.entry, c.from, c.to);
        if (c.reason)
            EXPECT_EQ(reason.value_or("(on)"), c.reason);
        else
            EXPECT_FALSE(reason.has_value()) << *reason;
    }
}

// A hundred years of a program with all eight timers and four free inputs:
// the searches repeat week after week, so only a few are done.
TEST(Exploration, LongPeriodsReuseTheirSearches)
{
    const Program program = FromConditions({{0, u"(#T0&&#S0)||#T3"},
                                            {1, u"(#T1)||#R0"},
                                            {2, u"(#T2&&#T4)||#S1"},
                                            {3, u"(#T0&&#T1)||#R2"},
                                            {4, u"(#S2&&#T5)||#T6"},
                                            {5, u"(#R1&&#R2)||#S3"},
                                            {6, u"(#T7)||#R5"},
                                            {7, u"(#R3&&#R6&&#S0)||#T4"}},
                                           {{0, Daily("07:30:00", "22:00:00", 31)},
                                            {1, Daily("22:00:00", "06:00:00", 127)},
                                            {2, Dated({2026, 12, 20}, {8, 0, 0}, {2027, 6, 30}, {20, 0, 0})},
                                            {3, Daily("06:00:00", "07:00:00", 127)},
                                            {4, Daily("12:00:00", "13:30:00", 31)},
                                            {5, Daily("18:00:00", "23:59:59", 96)},
                                            {6, Daily("00:00:00", "18:00:00", 85)},
                                            {7, Daily("09:15:00", "09:45:00", 127)}});
    ExplorationRequest request;
    request.from = kMonday;
    request.to = kMonday + 36600 * kSecondsPerDay;
    auto explored = Exploration::Run(program, request);
    ASSERT_TRUE(std::holds_alternative<Exploration>(explored)) << std::get<std::string>(explored);
    const Exploration& exploration = std::get<Exploration>(explored);
    EXPECT_GT(exploration.StretchCount(), 36600u * 5);
    EXPECT_LT(exploration.SearchCount(), 2000u);
    // Every relay can be on; replay the first time R5 is.
    const auto r5 = exploration.FindFirst([](const SignalState& s) { return (s.relays >> 5 & 1) != 0; });
    ASSERT_TRUE(r5.has_value());
    ExpectReplay(
        program, request.from, request.to, r5->at, r5->inputs, [&r5](const SignalState& s) { return s == r5->state; },
        "R5 on");
}

// Random programs against random schedules: every state Simulate passes
// through is one the exploration finds, and the schedule it gives for that
// state leads Simulate there. Short timer windows put timer edges, input
// changes and stretches of a few seconds together.
TEST(Exploration, FindsEveryStateASimulationReachesAndItsScheduleReplays)
{
    std::mt19937 random(2612);
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::function<std::u16string(int)> expression = [&](int depth) -> std::u16string {
        const int kind = depth == 0 ? 0 : pick(4);
        if (kind == 0) {
            const char16_t letter = u"TSR"[pick(3)];
            return std::u16string(u"#") + letter + static_cast<char16_t>(u'0' + pick(letter == u'R' ? 4 : 3));
        }
        if (kind == 1)
            return u"!" + expression(depth - 1);
        return u"(" + expression(depth - 1) + (kind == 2 ? u"&&" : u"||") + expression(depth - 1) + u")";
    };
    TimerEntry dated = Dated({2026, 12, 15}, {8, 0, 1}, {2026, 12, 15}, {8, 0, 4});
    const Instant from = At("2026-12-14T07:59:58");
    const Instant to = At("2026-12-15T08:00:10");
    for (int round = 0; round < 40; ++round) {
        StateMachineModel model;
        model.timers[0] = Daily("08:00:00", "08:00:03", 0x7f);
        model.timers[1] = Daily("08:00:02", "20:00:00", 0x7f);
        model.timers[2] = dated;
        for (int n = 0; n < 4; ++n)
            model.relays[static_cast<std::size_t>(n)] = expression(1 + pick(3));
        const ProgramText text = ProgramTextFromModel(model);
        const Program program = Compile(text);
        auto explored = Exploration::Run(program, {from, to, 0, 0});
        ASSERT_TRUE(std::holds_alternative<Exploration>(explored));
        const Exploration& exploration = std::get<Exploration>(explored);

        InputSchedule schedule;
        for (int i = 0; i < 12; ++i) {
            const Instant base = pick(2) == 0 ? from : At("2026-12-15T07:59:58");
            schedule.push_back({pick(3), pick(2) == 0, base + pick(12)});
        }
        const Timeline timeline = Simulate(program, from, to, schedule);
        std::vector<SignalState> visited{timeline.initial};
        for (const TimelineChange& change : timeline.changes)
            visited.push_back(change.state);
        for (const SignalState& state : visited) {
            const auto found = exploration.FindFirst([&state](const SignalState& s) { return s == state; });
            ASSERT_TRUE(found.has_value()) << "round " << round << ": state not found: T" << int{state.timers} << " S"
                                           << int{state.inputs} << " R" << int{state.relays};
            ExpectReplay(
                program, from, to, found->at, found->inputs, [&state](const SignalState& s) { return s == state; },
                "round " + std::to_string(round));
        }
    }
}

}  // namespace
}  // namespace quarn::runtime::test
