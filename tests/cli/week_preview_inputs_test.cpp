// The Week preview's inputs as `--input` options: quarnctl simulate, given
// the document and those options, runs the week the preview shows.
#include "quarnctl_runner.hpp"

#include "cli/timeline_output.hpp"
#include "document/writer.hpp"
#include "runtime/input_plan.hpp"
#include "runtime/week_preview.hpp"

#include <gtest/gtest.h>

#include <string>

namespace quarn::test {
namespace {

runtime::Instant WeekInstant(const std::string& text)
{
    const auto at = runtime::ParseInstant(text);
    EXPECT_TRUE(at) << text;
    return at.value_or(0);
}

// T0 07:30-22:00 Monday to Friday; R3 needs T0 and S0; R5 is set by S1 and
// reset by S2; R6 follows S3.
StateMachineModel LatchesAndTimers()
{
    StateMachineModel model;
    ResetModel(model);
    model.version = u"inputs over time";
    model.timers[0].onTime = TimeOfDay{7, 30, 0};
    model.timers[0].offTime = TimeOfDay{22, 0, 0};
    SetWeekdayMask(model, 0, 31);
    model.relays[3] = u"#T0&&#S0";
    model.relays[5] = u"#S1||(#R5&&!#S2)";
    model.relays[6] = u"#S3";
    return model;
}

std::string RelayRows(const std::string& csv)
{
    std::string rows;
    for (std::size_t at = 0; at < csv.size();) {
        const std::size_t end = csv.find('\n', at);
        const std::string row = csv.substr(at, end - at);
        if (row.find(",R") != std::string::npos)
            rows += row + "\n";
        at = end == std::string::npos ? csv.size() : end + 1;
    }
    return rows;
}

TEST(WeekPreviewInputs, QuarnctlSimulateWithTheOptionsRunsThePreviewsWeek)
{
    const runtime::Instant monday = WeekInstant("2026-12-14T00:00:00");
    runtime::InputPlan plan(monday, monday + runtime::kSecondsPerWeek);
    for (const char* at : {"2026-12-14T08:00:00", "2026-12-14T17:00:00", "2026-12-16T12:15:00"})
        plan.Toggle(0, WeekInstant(at));
    for (const char* at : {"2026-12-15T09:00:00", "2026-12-15T09:15:00", "2026-12-17T06:00:00", "2026-12-17T06:30:00"})
        plan.Toggle(1, WeekInstant(at));
    plan.SetStartsOn(2, true);
    plan.Toggle(2, WeekInstant("2026-12-15T00:00:00"));
    plan.Toggle(2, WeekInstant("2026-12-16T18:00:00"));
    plan.SetStartsOn(3, true);

    const StateMachineModel model = LatchesAndTimers();
    const runtime::WeekPreview preview = runtime::BuildWeekPreview(model, plan);
    ASSERT_FALSE(preview.error);

    QuarnctlRunner quarn;
    const std::string file = quarn.Path("inputs.xml");
    QuarnctlRunner::Write(file, StateMachineFileBytes(model));
    const auto run = quarn("simulate " + QuarnctlRunner::Quoted(file) + " --from 2026-12-14 --days 7 --format csv " +
                           runtime::InputOptionsText(preview.inputs));
    ASSERT_EQ(run.status, 0) << run.err;

    const std::string shown = cli::TimelineCsv(preview.timeline);
    EXPECT_EQ(RelayRows(run.out), RelayRows(shown));
    EXPECT_EQ(run.out, shown);
    // The relays did follow the inputs: R5 latched by S1 on Tuesday, reset
    // by S2 on Wednesday evening, latched again on Thursday morning.
    for (const char* row : {"2026-12-15T09:00:00,R5,1", "2026-12-16T18:00:00,R5,0", "2026-12-17T06:00:00,R5,1",
                            "2026-12-16T12:15:00,R3,1", "2026-12-14T00:00:00,R6,1"})
        EXPECT_NE(RelayRows(run.out).find(row), std::string::npos) << row << "\n" << RelayRows(run.out);
}

}  // namespace
}  // namespace quarn::test
