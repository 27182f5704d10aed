// What the editor's Week preview shows, without its window: lanes and bars
// with inputs held on, the state under the mouse, the check's findings, and
// what a click on a lane explains, inputs switched over the week.
#include "runtime/week_preview.hpp"

#include "runtime_test_support.hpp"
#include "tests/support/office_model.hpp"

#include <gtest/gtest.h>

namespace quarn::runtime {
namespace {

using quarn::test::WorkingWeekModel;
using test::At;
using test::kMonday;

// The week from kMonday with the inputs of bits (bit n: Sn) on throughout.
InputPlan HeldOn(std::uint8_t bits)
{
    InputPlan plan(kMonday, kMonday + kSecondsPerWeek);
    for (int n = 0; n < kInputCount; ++n)
        plan.SetStartsOn(n, (bits & (1u << n)) != 0);
    return plan;
}

std::vector<std::string> LaneLabelsOf(const WeekPreview& preview)
{
    std::vector<std::string> labels;
    for (const PictureLane& lane : preview.picture.lanes)
        labels.push_back(lane.label);
    return labels;
}

const PictureLane* LaneLabelled(const WeekPreview& preview, const std::string& label)
{
    for (const PictureLane& lane : preview.picture.lanes) {
        if (lane.label == label)
            return &lane;
    }
    return nullptr;
}

std::size_t LaneIndexOf(const WeekPreview& preview, const std::string& label)
{
    for (std::size_t i = 0; i < preview.picture.lanes.size(); ++i) {
        if (preview.picture.lanes[i].label == label)
            return i;
    }
    ADD_FAILURE() << "no lane " << label;
    return preview.picture.lanes.size();
}

TEST(WeekPreview, DrawsTheWeekWithTheHeldInputsOnThroughout)
{
    const WeekPreview free = BuildWeekPreview(WorkingWeekModel(), HeldOn(0));
    ASSERT_FALSE(free.error);
    EXPECT_EQ(free.timeline.from, kMonday);
    EXPECT_EQ(free.timeline.to, kMonday + kSecondsPerWeek);
    EXPECT_EQ(LaneLabelsOf(free), (std::vector<std::string>{"T0", "S1", "R3", "R5"}));
    const PictureLane* r3 = LaneLabelled(free, "R3");
    ASSERT_NE(r3, nullptr);
    ASSERT_EQ(r3->bars.size(), 5u);
    EXPECT_EQ(r3->bars.front().from, At("2026-12-14T07:30:00"));
    EXPECT_EQ(r3->bars.front().to, At("2026-12-14T22:00:00"));
    EXPECT_TRUE(LaneLabelled(free, "R5")->bars.empty());
    EXPECT_EQ(free.picture.notes, std::vector<std::string>{"Inputs: all off"});

    const WeekPreview s1 = BuildWeekPreview(WorkingWeekModel(), HeldOn(0b0010));
    const PictureLane* r5 = LaneLabelled(s1, "R5");
    ASSERT_EQ(r5->bars.size(), 1u);
    EXPECT_EQ(r5->bars.front().from, kMonday);
    EXPECT_EQ(r5->bars.front().to, kMonday + kSecondsPerWeek);

    // An input the program does not read gets a lane while it is held.
    const WeekPreview s3 = BuildWeekPreview(WorkingWeekModel(), HeldOn(0b1010));
    EXPECT_EQ(LaneLabelsOf(s3), (std::vector<std::string>{"T0", "S1", "S3", "R3", "R5"}));
}

TEST(WeekPreview, DescribesTheTimeAndEveryLanesStateAtAMoment)
{
    const WeekPreview preview = BuildWeekPreview(WorkingWeekModel(), HeldOn(0));
    EXPECT_EQ(DescribeMoment(preview, At("2026-12-15T12:00:00")),
              "Tue 2026-12-15 12:00:00\nT0 on  S1 off  R3 on  R5 off");
    EXPECT_EQ(DescribeMoment(preview, At("2026-12-19T23:00:00")),
              "Sat 2026-12-19 23:00:00\nT0 off  S1 off  R3 off  R5 off");
}

// A condition outside the grammar: only the error, and nothing to explain.
TEST(WeekPreview, AConditionErrorLeavesNothingElse)
{
    StateMachineModel model = WorkingWeekModel();
    model.relays[2] = u"#T0&&";
    const WeekPreview preview = BuildWeekPreview(model, HeldOn(0));
    ASSERT_TRUE(preview.error);
    EXPECT_EQ(preview.error->relay, 2);
    EXPECT_TRUE(preview.picture.lanes.empty());
    EXPECT_EQ(DescribeMoment(preview, kMonday), "Mon 2026-12-14 00:00:00");
    EXPECT_EQ(ExplainLaneAt(preview, 0, kMonday), "");
}

// The latch R0 loses its state in a power cut unless S0 holds it on for the
// whole week, which pins S0 for the check.
TEST(WeekPreview, FindingsFollowTheHeldInputs)
{
    StateMachineModel model = WorkingWeekModel();
    model.relays[0] = u"#S0||#R0";
    const auto joined = [](const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        return text;
    };
    const std::string free = joined(FindingLines(BuildWeekPreview(model, HeldOn(0))));
    EXPECT_NE(free.find("warning  power-loss  R0  R0 is on at Mon 2026-12-14 00:00:01 with S0 off, S1 off, but a "
                        "restart then leaves it off: it holds itself through #R0\n"),
              std::string::npos)
        << free;
    const std::string held = joined(FindingLines(BuildWeekPreview(model, HeldOn(0b0001))));
    EXPECT_EQ(held.find("power-loss"), std::string::npos) << held;
    // Switched on later, S0 is not pinned: the check still finds the loss.
    InputPlan later = HeldOn(0);
    later.Toggle(0, At("2026-12-14T08:00:00"));
    const std::string switched = joined(FindingLines(BuildWeekPreview(model, later)));
    EXPECT_NE(switched.find("power-loss  R0"), std::string::npos) << switched;
}

// Inputs switched at instants: their lanes and bars, the relays that follow,
// the state under the mouse, the explanation, and the picture's line.
TEST(WeekPreview, InputsSwitchedOverTheWeekDriveTheRelaysAndAreNamedInThePicture)
{
    InputPlan plan = HeldOn(0);
    plan.Toggle(1, At("2026-12-15T08:00:00"));
    plan.Toggle(1, At("2026-12-15T17:00:00"));
    plan.Toggle(3, At("2026-12-16T10:00:00"));  // not read by the program
    const WeekPreview preview = BuildWeekPreview(WorkingWeekModel(), plan);
    ASSERT_FALSE(preview.error);
    EXPECT_EQ(LaneLabelsOf(preview), (std::vector<std::string>{"T0", "S1", "S3", "R3", "R5"}));
    for (const char* label : {"S1", "R5"}) {
        const PictureLane* lane = LaneLabelled(preview, label);
        ASSERT_EQ(lane->bars.size(), 1u) << label;
        EXPECT_EQ(lane->bars[0].from, At("2026-12-15T08:00:00")) << label;
        EXPECT_EQ(lane->bars[0].to, At("2026-12-15T17:00:00")) << label;
    }
    EXPECT_EQ(LaneLabelled(preview, "S3")->bars.at(0).from, At("2026-12-16T10:00:00"));
    EXPECT_EQ(DescribeMoment(preview, At("2026-12-15T12:00:00")),
              "Tue 2026-12-15 12:00:00\nT0 on  S1 on  S3 off  R3 on  R5 on");
    const std::string why = ExplainLaneAt(preview, LaneIndexOf(preview, "R5"), At("2026-12-15T12:00:00"));
    EXPECT_NE(why.find("R5 on since Tue 2026-12-15 08:00:00, when S1 changed"), std::string::npos) << why;

    const std::string caption = "Inputs: S1 on Tue 08:00-17:00; S3 on from Wed 10:00; S0, S2 off";
    EXPECT_EQ(preview.picture.notes, std::vector<std::string>{caption});
    EXPECT_NE(WriteSvg(preview.picture).find(">" + caption + "</text>"), std::string::npos);
    EXPECT_GT(preview.picture.height, preview.picture.notesTop);
}

TEST(WeekPreview, ALaneExplainsARelayOrShowsATimersWindow)
{
    const WeekPreview preview = BuildWeekPreview(WorkingWeekModel(), HeldOn(0));
    const std::string relay = ExplainLaneAt(preview, LaneIndexOf(preview, "R3"), At("2026-12-15T08:00:00"));
    EXPECT_EQ(relay.rfind("Tue 2026-12-15 08:00:00\n", 0), 0u) << relay;
    EXPECT_NE(relay.find("\nR3 on since Tue 2026-12-15 07:30:00, when T0 changed\n"
                         "switches off when !(#T0), which does not hold now\n"),
              std::string::npos)
        << relay;
    EXPECT_TRUE(relay.ends_with("\nnext change: Tue 2026-12-15 22:00:00, when T0 changes")) << relay;

    EXPECT_EQ(ExplainLaneAt(preview, LaneIndexOf(preview, "T0"), At("2026-12-16T12:00:00")),
              "T0: daily 07:30:00-22:00:00 Mon-Fri");
    // Input lanes are left to the window; past the last lane there is nothing.
    EXPECT_EQ(ExplainLaneAt(preview, LaneIndexOf(preview, "S1"), At("2026-12-16T12:00:00")), "");
    EXPECT_EQ(ExplainLaneAt(preview, preview.picture.lanes.size(), At("2026-12-16T12:00:00")), "");
}

}  // namespace
}  // namespace quarn::runtime
