// status --expect and --format prometheus without a controller: what a
// program predicts for each relay, the verdict, and the exposition text as
// Debian's python3-prometheus-client parser reads it.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/fleet_expect.hpp"
#include "cli/prometheus.hpp"
#include "tests/support/files.hpp"
#include "tests/support/process.hpp"

namespace quarn::cli {
namespace {

struct Relay {
    int n;
    std::string cond;  // unescaped
};

// T0 07:30-22:00 Monday to Friday, T1 10:00-18:00 every day.
std::string Program(const std::vector<Relay>& relays)
{
    std::string text = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n\t<version>v"
                       "</version>\r\n\t<timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"31\"> </timer>\r\n"
                       "\t<timer id=\"1\" start=\"36000\" end=\"64800\" dow=\"127\"> </timer>\r\n\t<parallel>\r\n";
    for (const Relay& relay : relays) {
        std::string cond;
        for (const char c : relay.cond)
            cond += c == '&' ? std::string("&amp;") : std::string(1, c);
        const std::string d = std::to_string(relay.n);
        text += "\t\t<state id=\"R" + d + "\" initial=\"Roff" + d + "\">\r\n\t\t\t<state id=\"Roff" + d +
                "\"><transition target=\"Ron" + d + "\" cond=\"" + cond + "\"> </transition></state>\r\n" +
                "\t\t\t<state id=\"Ron" + d + "\"><transition target=\"Roff" + d + "\" cond=\"!(" + cond +
                ")\"> </transition></state>\r\n\t\t</state>\r\n";
    }
    return text + "\t</parallel>\r\n</statemachine>\r\n";
}

runtime::Instant At(const char* text)
{
    return *runtime::ParseInstant(text);
}

TEST(PredictRelays, TimersAndInputsDirectlyOrThroughRelays)
{
    const std::string program =
        Program({{0, "#T0"}, {1, "#T1"}, {2, "#S0"}, {3, "#R2||#T0"}, {4, "#R0"}, {5, "#R3&&#T1"}});
    struct Case {
        const char* now;
        std::uint8_t mask;  // what the controller shows
        const char* verdict;
    };
    const Case cases[] = {
        {"2026-12-14T08:00:00", 0b0001'0001, "as programmed"},
        // Inputs are unknown: R2, R3 and R5 may show anything.
        {"2026-12-14T08:00:00", 0b0011'1101, "as programmed"},
        {"2026-12-14T08:00:00", 0b0000'0011,
         "differs: R1 on, program says off since Mon 00:00:00; R4 off, program says on since Mon 07:30:00"},
        // Past midnight the edge of the day before counts.
        {"2026-12-15T06:00:00", 0b0000'0001, "differs: R0 on, program says off since Mon 22:00:00"},
        {"2026-12-15T12:00:00", 0b0001'0011, "as programmed"},
        // Saturday: T0 has been off since Friday evening.
        {"2026-12-19T23:59:59", 0b0000'0000, "as programmed"},
        {"2026-12-19T23:59:59", 0b1000'0000, "differs: R7 on, program says off since Mon 00:00:00"},
    };
    for (const Case& c : cases) {
        const Prediction prediction = PredictRelays(program, At(c.now));
        ASSERT_TRUE(prediction.ok) << prediction.error;
        EXPECT_EQ(prediction.relays[2].state, Predicted::DependsOnInputs);
        EXPECT_EQ(prediction.relays[3].state, Predicted::DependsOnInputs);
        EXPECT_EQ(prediction.relays[5].state, Predicted::DependsOnInputs) << "reads S0 through R3 and R2";
        EXPECT_EQ(prediction.relays[6].state, Predicted::Off);
        EXPECT_EQ(Compare(prediction, c.mask).text, c.verdict) << c.now << " mask " << int{c.mask};
    }
    EXPECT_FALSE(PredictRelays("", At("2026-12-14T08:00:00")).ok);
    EXPECT_FALSE(PredictRelays(Program({{0, "#T0&&"}}), At("2026-12-14T08:00:00")).ok);
}

TEST(Prometheus, LabelValuesAreEscaped)
{
    struct Case {
        std::string value;
        std::string escaped;
    };
    const Case cases[] = {
        {"greenhouse-north:8080", "greenhouse-north:8080"},
        {"a\"b", "a\\\"b"},
        {"a\\b", "a\\\\b"},
        {"a\nb", "a\\nb"},
        {"\xC3\xA4", "\xC3\xA4"},
        {"x\xFFy", "x\xEF\xBF\xBDy"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EscapeLabelValue(c.value), c.escaped) << c.value;
}

// What the Python client's parser makes of text: [family, type, help,
// sample, labels, value] per sample.
nlohmann::json ParseWithPythonClient(const std::string& text)
{
    const test::ScratchFolder dir;
    const std::filesystem::path input = dir / "metrics.prom";
    const std::filesystem::path script = dir / "parse.py";
    const std::filesystem::path output = dir / "parsed.json";
    std::ofstream(input, std::ios::binary) << text;
    std::ofstream(script, std::ios::binary)
        << "import json, sys\n"
           "from prometheus_client.parser import text_string_to_metric_families\n"
           "rows = []\n"
           "for family in text_string_to_metric_families(open(sys.argv[1], encoding='utf-8').read()):\n"
           "    for sample in family.samples:\n"
           "        rows.append([family.name, family.type, family.documentation, sample.name, sample.labels,"
           " sample.value])\n"
           "json.dump(rows, open(sys.argv[2], 'w'))\n";
    const test::CommandResult run =
        test::RunCommand({"/usr/bin/python3", script.string(), input.string(), output.string()});
    EXPECT_EQ(run.status, 0) << "python3-prometheus-client could not parse:\n" << text << "\n" << run.error;
    return run.status == 0 ? nlohmann::json::parse(test::ReadBytes(output)) : nlohmann::json::array();
}

TEST(Prometheus, TheClientParserReadsFamiliesLabelsAndValues)
{
    PrometheusText text;
    text.Family("quarn_up", "Whether the controller's relays could be read (1) or not (0); a \\ stays.");
    text.Sample("quarn_up", {{"host", "greenhouse-north"}}, 1);
    text.Sample("quarn_up", {{"host", "we\"ird\\host\nname\xFF"}}, 0);
    text.Family("quarn_relay_on", "Relay on.");
    text.Sample("quarn_relay_on", {{"host", "greenhouse-north"}, {"relay", "R3"}}, 1);
    text.Family("quarn_status_seconds", "Seconds.");
    text.Sample("quarn_status_seconds", {{"host", "greenhouse-north"}}, 0.0123);
    const nlohmann::json rows = ParseWithPythonClient(text.Text());
    ASSERT_EQ(rows.size(), 4u) << text.Text();
    EXPECT_EQ(rows[0], nlohmann::json::parse(R"(["quarn_up", "gauge",
        "Whether the controller's relays could be read (1) or not (0); a \\ stays.", "quarn_up",
        {"host": "greenhouse-north"}, 1.0])"));
    EXPECT_EQ(rows[1][4]["host"], "we\"ird\\host\nname\xEF\xBF\xBD");
    EXPECT_EQ(rows[1][5], 0.0);
    EXPECT_EQ(rows[2][4], nlohmann::json({{"host", "greenhouse-north"}, {"relay", "R3"}}));
    EXPECT_DOUBLE_EQ(rows[3][5].get<double>(), 0.0123);
}

}  // namespace
}  // namespace quarn::cli
