// quarnctl diff end to end: a table of program pairs, the JSON form and the
// exit statuses.
#include "quarnctl_runner.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace quarn::test {
namespace {

struct Relay {
    int n;
    std::string cond;  // as the condition text, unescaped
};

// A file in the writer's form with timer T0 and the given relays.
std::string Program(const std::string& version, const std::string& t0Weekdays, const std::vector<Relay>& relays)
{
    std::string text = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n\t<version>" +
                       version + "</version>\r\n\t<timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"" + t0Weekdays +
                       "\"> </timer>\r\n\t<timer id=\"1\" start=\"36000\" end=\"64800\" dow=\"127\"> </timer>\r\n"
                       "\t<parallel>\r\n";
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

class Diff : public ::testing::Test {
protected:
    QuarnctlRunner quarn;

    QuarnctlRunner::Run Compare(const std::string& a, const std::string& b, const std::string& options = "")
    {
        QuarnctlRunner::Write(quarn.Path("a.xml"), a);
        QuarnctlRunner::Write(quarn.Path("b.xml"), b);
        return quarn("diff " + QuarnctlRunner::Quoted(quarn.Path("a.xml")) + " " +
                     QuarnctlRunner::Quoted(quarn.Path("b.xml")) + " --from 2026-12-14 " + options);
    }
};

TEST_F(Diff, ProgramPairs)
{
    const std::string office = Program("office", "31", {{3, "(#T0&&#T1)||#R2"}});
    const struct {
        const char* name;
        std::string a;
        std::string b;
        std::string options;
        int status;
        std::string out;
    } pairs[] = {
        {"identical", office, office, "", 0, "same documents\nsame behaviour\n"},
        {"same behaviour, different text", Program("p", "31", {{3, "(#T0&&#T1)"}}),
         Program("p", "31", {{3, "(#T1&&#T0)"}}), "", 0,
         "R3 condition: \"(#T0&&#T1)\" in A, \"(#T1&&#T0)\" in B\nsame behaviour\n"},
        {"only on Saturdays", Program("p", "31", {{0, "(#T0)"}}), Program("p", "63", {{0, "(#T0)"}}), "", 1,
         "T0 weekdays: Mo Tu We Th Fr -- -- in A, Mo Tu We Th Fr Sa -- in B\n"
         "R0  off in A, on in B  Sat 2026-12-19 07:30:00 - Sat 2026-12-19 22:00:00\n"},
        {"only the version", Program("one", "31", {{3, "(#T0)"}}), Program("two", "31", {{3, "(#T0)"}}), "", 0,
         "version: \"one\" in A, \"two\" in B\nsame behaviour\n"},
        {"only when an input is on, input off", Program("p", "31", {{2, "(#T1)"}}),
         Program("p", "31", {{2, "(#T1)||#S1"}}), "", 0,
         "R2 condition: \"(#T1)\" in A, \"(#T1)||#S1\" in B\nsame behaviour\n"},
        {"only when an input is on, input on", Program("p", "31", {{2, "(#T1)"}}),
         Program("p", "31", {{2, "(#T1)||#S1"}}),
         "--days 2 --input S1=1@2026-12-14T08:00:00 --input S1=0@2026-12-15T12:00:00", 1,
         "R2 condition: \"(#T1)\" in A, \"(#T1)||#S1\" in B\n"
         "R2  off in A, on in B  Mon 2026-12-14 08:00:00 - Mon 2026-12-14 10:00:00\n"
         "R2  off in A, on in B  Mon 2026-12-14 18:00:00 - Tue 2026-12-15 10:00:00\n"},
        {"hysteresis in one of them", Program("p", "31", {{1, "#S0"}}),
         [] {
             std::string b = Program("p", "31", {{1, "#S0"}});
             b.replace(b.find("!(#S0)"), 6, "#S1");
             return b;
         }(),
         "--days 1 --input S0=1@2026-12-14T08:00:00 --input S0=0@2026-12-14T09:00:00", 1,
         "R1 on-state condition: \"!(#S0)\" in A, \"#S1\" in B\n"
         "R1  off in A, on in B  Mon 2026-12-14 09:00:00 - Tue 2026-12-15 00:00:00\n"},
        {"a relay only one of them uses, on at the period's end", Program("p", "31", {}),
         Program("p", "31", {{7, "#S0"}}), "--days 1 --input S0=1@2026-12-14T23:00:00", 1,
         "R7 condition: (not used) in A, \"#S0\" in B\n"
         "R7  off in A, on in B  Mon 2026-12-14 23:00:00 - Tue 2026-12-15 00:00:00\n"},
    };
    for (const auto& pair : pairs) {
        const auto run = Compare(pair.a, pair.b, pair.options);
        EXPECT_EQ(run.status, pair.status) << pair.name << "\n" << run.err;
        EXPECT_EQ(run.out, pair.out) << pair.name;
        EXPECT_EQ(run.err, "") << pair.name;
    }
}

TEST_F(Diff, JsonGivesTheSameFindings)
{
    const auto run = Compare(Program("p", "31", {{0, "(#T0)"}}), Program("q", "63", {{0, "(#T0)"}}), "--json");
    EXPECT_EQ(run.status, 1) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["from"], "2026-12-14T00:00:00");
    EXPECT_EQ(json["to"], "2026-12-21T00:00:00");
    EXPECT_EQ(json["documents"], nlohmann::json::parse(R"([
        {"item": "version", "a": "\"p\"", "b": "\"q\""},
        {"item": "T0 weekdays", "a": "Mo Tu We Th Fr -- --", "b": "Mo Tu We Th Fr Sa --"}])"));
    EXPECT_EQ(json["behaviour"], nlohmann::json::parse(R"([{"relay": "R0", "a": false, "b": true,
        "from": "2026-12-19T07:30:00", "to": "2026-12-19T22:00:00"}])"));
    EXPECT_EQ(json["sameBehaviour"], false);
    EXPECT_EQ(json["warnings"], nlohmann::json::parse(R"({"a": [], "b": []})"));
}

TEST_F(Diff, ErrorsEndWithStatusTwo)
{
    const std::string good = Program("p", "31", {{0, "(#T0)"}});
    QuarnctlRunner::Write(quarn.Path("good.xml"), good);
    const std::string goodPath = QuarnctlRunner::Quoted(quarn.Path("good.xml"));
    const auto missing = quarn("diff " + goodPath + " " + QuarnctlRunner::Quoted(quarn.Path("missing.xml")));
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "quarnctl: " + quarn.Path("missing.xml") + ": Cannot open the file for reading\n");

    const auto bad = Compare(good, Program("p", "31", {{4, "(#T0&&#X)"}}));
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("R4: condition \"(#T0&&#X)\": unexpected \"X\" after \"#\" at character 8"),
              std::string::npos)
        << bad.err;
    EXPECT_EQ(Compare(good, good, "--days 0").status, 2);
    EXPECT_EQ(Compare(good, good, "--input S9=1").status, 2);
    EXPECT_EQ(quarn("diff " + goodPath).status, 2);
}

}  // namespace
}  // namespace quarn::test
