// quarnctl check end to end: the report as text and JSON, the exit statuses,
// and every schedule it gives replayed through quarnctl simulate.
#include "quarnctl_runner.hpp"
#include "runtime/calendar.hpp"
#include "runtime/condition.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace quarn::test {
namespace {

std::string Escaped(const std::string& text)
{
    std::string escaped;
    for (const char c : text)
        escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
    return escaped;
}

// A state-machine file as the editor writes it: the relays with their
// conditions (switched off on the negation) and the given timer elements.
std::string MachineFile(const std::vector<std::pair<int, std::string>>& relays, const std::string& timers = "")
{
    std::string text = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n"
                       "\t<version>check</version>\r\n" +
                       timers + "\t<parallel>\r\n";
    for (const auto& [n, condition] : relays) {
        const std::string d = std::to_string(n);
        text += "\t\t<state id=\"R" + d + "\" initial=\"Roff" + d + "\">\r\n\t\t\t<state id=\"Roff" + d +
                "\"><transition target=\"Ron" + d + "\" cond=\"" + Escaped(condition) +
                "\"> </transition></state>\r\n\t\t\t<state id=\"Ron" + d + "\"><transition target=\"Roff" + d +
                "\" cond=\"!(" + Escaped(condition) + ")\"> </transition></state>\r\n\t\t</state>\r\n";
    }
    return text + "\t</parallel>\r\n</statemachine>\r\n";
}

// T0 on 07:30-22:00, Monday to Friday.
const std::string kOfficeHours = "\t<timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"31\"> </timer>\r\n";

class CheckCommand : public ::testing::Test {
protected:
    QuarnctlRunner quarn;

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        QuarnctlRunner::Write(quarn.Path(name), bytes);
        return QuarnctlRunner::Quoted(quarn.Path(name));
    }

    // The state simulate reports at `at` for the schedule, from its JSON.
    runtime::SignalState SimulatedState(const std::string& file, const std::string& period,
                                        const std::vector<std::string>& inputs, const std::string& at) const
    {
        std::string arguments = "simulate " + file + " " + period + " --format json";
        for (const std::string& input : inputs)
            arguments += " --input " + QuarnctlRunner::Quoted(input);
        const auto run = quarn(arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        const auto json = nlohmann::json::parse(run.out);
        runtime::SignalState state;
        const auto apply = [&state](const nlohmann::json& signals) {
            for (const runtime::Signal signal : runtime::AllSignals()) {
                const std::string name = runtime::SignalName(signal);
                if (signals.contains(name))
                    runtime::SetSignal(state, signal, signals[name].get<bool>());
            }
        };
        apply(json["initial"]);
        for (const auto& change : json["changes"]) {
            if (change["at"].get<std::string>() > at)
                break;
            apply(change);
        }
        return state;
    }
};

// R1 and R2 follow S0 (in office hours) and S1 without looking at each
// other; the latch R0 = (#S0&&#T0)||#R0 holds itself through a restart.
const std::vector<std::pair<int, std::string>> kPumps = {{0, "(#S0&&#T0)||#R0"}, {1, "#S0&&#T0"}, {2, "#S1"}};

TEST_F(CheckCommand, TextNamesFindingsThenPropertiesInCommandLineOrder)
{
    const std::string file = Write("pumps.xml", MachineFile(kPumps, kOfficeHours));
    const auto run =
        quarn("check " + file + " --from 2026-12-14 --never '#R1&&#R2' --always '#R0||!#T0' --never '#R3'");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "warning  never-off  R0  R0 can switch on (first at Mon 2026-12-14 07:30:00 with S0 on, S1 off) but "
              "never switches off again: the condition that switches it off, !((#S0&&#T0)||#R0), does not hold while "
              "it is on\n"
              "warning  power-loss  R0  R0 is on at Mon 2026-12-14 07:30:01 with S0 off, S1 off, but a restart then "
              "leaves it off: it holds itself through #R0\n"
              "FAILS  never #R1&&#R2  at Mon 2026-12-14 07:30:00  with --input S0=1@2026-12-14T00:00:00 --input "
              "S1=1@2026-12-14T00:00:00\n"
              "FAILS  always #R0||!#T0  at Mon 2026-12-14 07:30:00\n"
              "holds  never #R3\n");
}

TEST_F(CheckCommand, JsonHasTheDocumentedForm)
{
    const std::string file = Write("latch.xml", MachineFile({{0, "#S0||#R0"}}));
    const auto run = quarn("check " + file + " --from 2026-12-14 --days 1 --format json --never '#R0' --always '1'");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, R"({
  "from": "2026-12-14T00:00:00",
  "to": "2026-12-15T00:00:00",
  "findings": [
    {
      "code": "never-off",
      "severity": "warning",
      "subject": "R0",
      "message": "R0 can switch on (first at Mon 2026-12-14 00:00:00 with S0 on) but never switches off again: the condition that switches it off, !(#S0||#R0), does not hold while it is on",
      "at": "2026-12-14T00:00:00",
      "inputs": [
        "S0=1@2026-12-14T00:00:00"
      ]
    },
    {
      "code": "power-loss",
      "severity": "warning",
      "subject": "R0",
      "message": "R0 is on at Mon 2026-12-14 00:00:01 with S0 off, but a restart then leaves it off: it holds itself through #R0",
      "at": "2026-12-14T00:00:01",
      "inputs": [
        "S0=1@2026-12-14T00:00:00",
        "S0=0@2026-12-14T00:00:01"
      ]
    }
  ],
  "properties": [
    {
      "property": "never #R0",
      "holds": false,
      "at": "2026-12-14T00:00:00",
      "inputs": [
        "S0=1@2026-12-14T00:00:00"
      ]
    },
    {
      "property": "always 1",
      "holds": true,
      "at": null,
      "inputs": []
    }
  ]
}
)");
}

// Every schedule check gives, run through simulate with the same period,
// reaches a state in which the property fails, at the instant check names.
TEST_F(CheckCommand, SchedulesReplayThroughSimulate)
{
    // R3 needs S2 then S3 while T0 is on; R4 latches on S1 rising while S0 is on.
    const std::string file = Write("plant.xml", MachineFile({{0, "(#S0&&#T0)||#R0"},
                                                             {1, "#S0&&#T0"},
                                                             {2, "#S1"},
                                                             {3, "(#T0&&#S3&&#R5)||#R3"},
                                                             {5, "#T0&&#S2&&!#S3"},
                                                             {4, "(#S0&&#S1&&!#R6)||#R4"},
                                                             {6, "#S1"}},
                                                            kOfficeHours));
    const std::string period = "--from 2026-12-16T12:00:00 --days 3";
    const char* const properties[][2] = {
        {"never", "#R1&&#R2"}, {"never", "#R3"}, {"never", "#R4"}, {"always", "#R0||!#T0"}, {"never", "#R0&&!#S0"},
    };
    std::string arguments = "check " + file + " " + period + " --format json";
    for (const auto& property : properties)
        arguments += std::string(" --") + property[0] + " " + QuarnctlRunner::Quoted(property[1]);
    const auto run = quarn(arguments);
    ASSERT_EQ(run.status, 1) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    ASSERT_EQ(json["properties"].size(), std::size(properties));
    for (std::size_t i = 0; i < std::size(properties); ++i) {
        const auto& outcome = json["properties"][i];
        SCOPED_TRACE(outcome.dump());
        ASSERT_FALSE(outcome["holds"].get<bool>());
        const std::string condition = properties[i][1];
        auto parsed = runtime::Condition::Parse(std::u16string(condition.begin(), condition.end()));
        ASSERT_TRUE(std::holds_alternative<runtime::Condition>(parsed));
        const runtime::SignalState state = SimulatedState(
            file, period, outcome["inputs"].get<std::vector<std::string>>(), outcome["at"].get<std::string>());
        const bool always = std::string(properties[i][0]) == "always";
        EXPECT_NE(std::get<runtime::Condition>(parsed).Evaluate(state), always);
    }
    // The findings' states too: R0 on with S0 off, where a restart leaves it off.
    for (const auto& finding : json["findings"]) {
        if (finding["code"] != "power-loss" || finding["subject"] != "R0")
            continue;
        const runtime::SignalState state = SimulatedState(
            file, period, finding["inputs"].get<std::vector<std::string>>(), finding["at"].get<std::string>());
        EXPECT_EQ(state.relays & 1, 1);
        EXPECT_EQ(state.inputs & 1, 0);
    }
}

TEST_F(CheckCommand, ExitStatuses)
{
    const std::string follower = Write("follower.xml", MachineFile({{0, "#S0"}}));
    const std::string withNote = Write("note.xml", MachineFile({{0, "#S0"}}, kOfficeHours));
    const std::string broken = Write("broken.xml", MachineFile({{0, "#S0"}, {6, "(#T0&&#T8)"}}));
    const struct {
        std::string arguments;
        int status;
        const char* err;  // the start of stderr
    } cases[] = {
        {follower, 0, ""},
        {follower + " --never '#R0&&!#S0' --always '#R0||!#S0'", 0, ""},
        {withNote, 0, ""},  // an unused timer is a note
        {follower + " --never '#R0'", 1, ""},
        {follower + " --input S0=1 --never '#R0'", 1, ""},
        {follower + " --input S0=0 --never '#R0'", 1, ""},  // R0 is never on: a warning
        {broken, 2, ""},
        {follower + " --never '#R0&&'", 2, "quarnctl: --never condition \"#R0&&\": unexpected end at character 6"},
        {follower + " --input S0=1@2026-12-14T08:00:00", 2,
         "quarnctl: --input \"S0=1@2026-12-14T08:00:00\": check pins"},
        {follower + " --days 0", 2, "quarnctl: --days 0"},
        {follower + " --format svg", 2, ""},
        {QuarnctlRunner::Quoted(quarn.Path("missing.xml")), 2, "quarnctl: "},
    };
    for (const auto& c : cases) {
        const auto run = quarn("check " + c.arguments + " --from 2026-12-14");
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.out << run.err;
        EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << c.arguments << "\n" << run.err;
    }
    const auto run = quarn("check " + broken + " --from 2026-12-14");
    EXPECT_EQ(run.out, "error  condition-error  R6  R6: condition \"(#T0&&#T8)\": no signal T8 at character 9\n");
}

}  // namespace
}  // namespace quarn::test
