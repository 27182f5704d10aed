// quarnctl simulate end to end: the worked example's weeks against
// hand-checked files, every format, and the exit statuses.
#include "quarnctl_runner.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <ctime>
#include <filesystem>
#include <string>

namespace quarn::test {
namespace {

namespace fs = std::filesystem;

const std::string kWorkedExample = QUARN_WORKED_EXAMPLE;

std::string Data(const std::string& name)
{
    return QuarnctlRunner::Read(fs::path(QUARN_CLI_DATA) / name);
}

// A file with relays R0 = #S0||#R0 (a latch) and R1 = #T0 with T0 on
// 07:30-22:00 on Mondays, as the editor writes it.
const char* const kLatchFile =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n\t<version>latch</version>\r\n"
    "\t<timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"1\"> </timer>\r\n\t<parallel>\r\n"
    "\t\t<state id=\"R0\" initial=\"Roff0\">\r\n"
    "\t\t\t<state id=\"Roff0\"><transition target=\"Ron0\" cond=\"#S0||#R0\"> </transition></state>\r\n"
    "\t\t\t<state id=\"Ron0\"><transition target=\"Roff0\" cond=\"!(#S0||#R0)\"> </transition></state>\r\n"
    "\t\t</state>\r\n"
    "\t\t<state id=\"R1\" initial=\"Roff1\">\r\n"
    "\t\t\t<state id=\"Roff1\"><transition target=\"Ron1\" cond=\"#T0\"> </transition></state>\r\n"
    "\t\t\t<state id=\"Ron1\"><transition target=\"Roff1\" cond=\"!(#T0)\"> </transition></state>\r\n"
    "\t\t</state>\r\n\t</parallel>\r\n</statemachine>\r\n";

// A file with only relay R2, written by another tool.
std::string WithConditions(const std::string& offCond, const std::string& onCond)
{
    return "<statemachine><parallel><state id=\"R2\"><state id=\"Roff2\"><transition cond=\"" + offCond +
           "\"/></state><state id=\"Ron2\"><transition cond=\"" + onCond +
           "\"/></state></state></parallel></statemachine>";
}

class Simulate : public ::testing::Test {
protected:
    QuarnctlRunner quarn;
    std::string latch = quarn.Path("latch.xml");
    void SetUp() override { QuarnctlRunner::Write(latch, kLatchFile); }
};

TEST_F(Simulate, WorkedExampleWeeksAsJsonMatchTheHandCheckedFiles)
{
    const struct {
        const char* from;
        const char* expected;
    } weeks[] = {
        {"2026-12-14", "worked_example_2026-12-14.json"},
        // The week of T1's dates: T1 is on from Saturday 00:00 (Friday is not
        // ticked) to Sunday 18:30, and never together with T0.
        {"2013-02-04T00:00:00", "worked_example_2013-02-04.json"},
    };
    for (const auto& week : weeks) {
        const auto run =
            quarn("simulate " + QuarnctlRunner::Quoted(kWorkedExample) + " --from " + week.from + " --format json");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, Data(week.expected)) << week.from;
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(Simulate, TextListsTheStartThenEveryChangeInSignalOrder)
{
    const auto run = quarn("simulate " + QuarnctlRunner::Quoted(latch) +
                           " --from 2026-12-14T06:00:00 --days 2 --input S0=1@2026-12-14T07:30:00"
                           " --input S0=0@2026-12-15T01:00:00 --input S2=1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Mon 2026-12-14 06:00:00  T0 off  T1 off  T2 off  T3 off  T4 off  T5 off  T6 off  T7 off  S0 off  "
              "S1 off  S2 on  S3 off  R0 off  R1 off  R2 off  R3 off  R4 off  R5 off  R6 off  R7 off\n"
              "Mon 2026-12-14 07:30:00  T0 on  S0 on  R0 on  R1 on\n"
              "Mon 2026-12-14 22:00:00  T0 off  R1 off\n"
              "Tue 2026-12-15 01:00:00  S0 off\n");
}

TEST_F(Simulate, CsvHasTheStartStateAndOneRowPerChangedSignal)
{
    const auto run = quarn("simulate " + QuarnctlRunner::Quoted(latch) +
                           " --from 2026-12-14T06:00:00 --days 1 --format csv --input S0=1@2026-12-14T07:30:00");
    ASSERT_EQ(run.status, 0) << run.err;
    std::string expected = "at,signal,value\n";
    for (const char* signal : {"T0", "T1", "T2", "T3", "T4", "T5", "T6", "T7", "S0", "S1",
                               "S2", "S3", "R0", "R1", "R2", "R3", "R4", "R5", "R6", "R7"})
        expected += std::string("2026-12-14T06:00:00,") + signal + ",0\n";
    expected += "2026-12-14T07:30:00,T0,1\n2026-12-14T07:30:00,S0,1\n2026-12-14T07:30:00,R0,1\n"
                "2026-12-14T07:30:00,R1,1\n2026-12-14T22:00:00,T0,0\n2026-12-14T22:00:00,R1,0\n";
    EXPECT_EQ(run.out, expected);
}

TEST_F(Simulate, SvgGoesToTheOutputFile)
{
    const std::string out = quarn.Path("week.svg");
    const auto run = quarn("simulate " + QuarnctlRunner::Quoted(kWorkedExample) +
                           " --from 2026-12-14 --format svg -o " + QuarnctlRunner::Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string svg = QuarnctlRunner::Read(out);
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
    // The version is the title, R3's lane carries its condition.
    for (const char* part :
         {"<title>office</title>", ">T0</text>", ">T1</text>", ">R2</text>",
          ">R3<title>R3: (#T0&amp;&amp;#T1)||#R2</title></text>", ">Mon</text>", ">2026-12-20</text>",
          "<title>T0 on Fri 2026-12-18 07:30:00 - Fri 2026-12-18 22:00:00</title>"})
        EXPECT_NE(svg.find(part), std::string::npos) << part;
    EXPECT_EQ(svg.find(">S0</text>"), std::string::npos);
}

TEST_F(Simulate, DefaultPeriodIsThisWeekFromMonday)
{
    const auto mondayOf = [](std::time_t now) {
        std::tm day{};
        localtime_r(&now, &day);
        day.tm_mday -= (day.tm_wday + 6) % 7;
        day.tm_hour = day.tm_min = day.tm_sec = 0;
        day.tm_isdst = -1;
        std::mktime(&day);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &day);
        return std::string(text);
    };
    const std::string before = mondayOf(std::time(nullptr));
    const auto run = quarn("simulate " + QuarnctlRunner::Quoted(kWorkedExample) + " --format json");
    const std::string after = mondayOf(std::time(nullptr));
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_TRUE(json["from"] == before || json["from"] == after) << json["from"];
    EXPECT_EQ(json["to"].get<std::string>().substr(11), "00:00:00");
}

TEST_F(Simulate, AnOscillatingProgramWarnsInEveryFormat)
{
    const std::string file = quarn.Path("oscillates.xml");
    QuarnctlRunner::Write(file, WithConditions("!#R2", "#R2"));
    const std::string warning = "R2 does not settle at 2026-12-14T00:00:00";
    const std::string base = "simulate " + QuarnctlRunner::Quoted(file) + " --from 2026-12-14 --days 1";

    const auto json = quarn(base + " --format json");
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(nlohmann::json::parse(json.out)["warnings"], nlohmann::json::array({warning}));
    const auto text = quarn(base);
    EXPECT_NE(text.out.find("\nwarning: " + warning + "\n"), std::string::npos) << text.out;
    const auto csv = quarn(base + " --format csv");
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.err, "warning: " + warning + "\n");
}

TEST_F(Simulate, ExitStatusesAndMessages)
{
    const std::string bad = quarn.Path("bad.xml");
    QuarnctlRunner::Write(bad, WithConditions("(#T0&amp;&amp;#T8)", "#1"));
    const std::string example = QuarnctlRunner::Quoted(kWorkedExample);
    const struct {
        std::string arguments;
        int status;
        std::string err;  // the start of stderr
    } cases[] = {
        {QuarnctlRunner::Quoted(quarn.Path("missing.xml")), 1, "Cannot open the file for reading\n"},
        {QuarnctlRunner::Quoted(bad), 2,
         "quarnctl: " + bad + ": R2: condition \"(#T0&&#T8)\": no signal T8 at character 9\n"},
        {example + " --from 2026-02-30", 2, "quarnctl: --from \"2026-02-30\": expected YYYY-MM-DD"},
        {example + " --from 2026-12-14T07:30", 2, "quarnctl: --from \"2026-12-14T07:30\""},
        {example + " --days 0", 2, "quarnctl: --days 0: expected 1 to 36600\n"},
        {example + " --days 36601", 2, "quarnctl: --days 36601"},
        {example + " --days seven", 2, ""},
        {example + " --input S4=1", 2, "quarnctl: --input \"S4=1\": expected Sn=0|1"},
        {example + " --input S0=2", 2, "quarnctl: --input \"S0=2\""},
        {example + " --input S0=1@2026-12-14T25:00:00", 2, "quarnctl: --input \"S0=1@2026-12-14T25:00:00\""},
        {example + " --format pdf", 2, ""},
        {example + " -o " + QuarnctlRunner::Quoted(quarn.Path("no/such/folder.txt")), 1,
         "quarnctl: " + quarn.Path("no/such/folder.txt") + ": cannot be written"},
    };
    for (const auto& c : cases) {
        const auto run = quarn("simulate " + c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.err;
        EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << c.arguments << "\n" << run.err;
        EXPECT_EQ(run.out, "") << c.arguments;
    }
}

}  // namespace
}  // namespace quarn::test
