// quarnctl report end to end: the page from a file whose texts carry markup,
// the period options, -o, and the refusals.
#include "quarnctl_runner.hpp"
#include "tests/support/markup_check.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace quarn::test {
namespace {

// T0 daily 07:30-22:00 Monday to Friday; R3 on T0 and S0; R1 on a condition
// outside the grammar that carries markup; a version text that does too.
const std::string kMarkupFile =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n"
    "\t<version>v &lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; 'q'</version>\r\n"
    "\t<timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"31\"> </timer>\r\n"
    "\t<parallel>\r\n"
    "\t\t<state id=\"R1\" initial=\"Roff1\">\r\n"
    "\t\t\t<state id=\"Roff1\"><transition target=\"Ron1\" cond=\"#S0||&quot;&lt;script&quot;&amp;\"> "
    "</transition></state>\r\n"
    "\t\t\t<state id=\"Ron1\"><transition target=\"Roff1\" cond=\"!(#S0)\"> </transition></state>\r\n"
    "\t\t</state>\r\n"
    "\t\t<state id=\"R3\" initial=\"Roff3\">\r\n"
    "\t\t\t<state id=\"Roff3\"><transition target=\"Ron3\" cond=\"(#T0&amp;&amp;#S0)\"> </transition></state>\r\n"
    "\t\t\t<state id=\"Ron3\"><transition target=\"Roff3\" cond=\"!((#T0&amp;&amp;#S0))\"> "
    "</transition></state>\r\n"
    "\t\t</state>\r\n"
    "\t</parallel>\r\n</statemachine>\r\n";

bool Contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class ReportCommand : public ::testing::Test {
protected:
    QuarnctlRunner quarn;
    std::string file = QuarnctlRunner::Quoted(quarn.Path("markup.xml"));

    void SetUp() override { QuarnctlRunner::Write(quarn.Path("markup.xml"), kMarkupFile); }
};

TEST_F(ReportCommand, ThePageShowsTheTextsTheFileHoldsEscapedWithTheRelaysAndTheFindings)
{
    // What the reader makes of the file's texts is what the page must show.
    const auto show = quarn("show --json " + file);
    ASSERT_EQ(show.status, 0) << show.err;
    const auto model = nlohmann::json::parse(show.out);
    const std::string version = model["version"];
    const std::string hostile = model["relays"][1];
    ASSERT_NE(version.find('<'), std::string::npos) << version;
    ASSERT_NE(hostile.find('<'), std::string::npos) << hostile;

    const auto run = quarn("report " + file + " --from 2026-12-14");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("<script"), std::string::npos);
    const MarkupReading page = ReadMarkup(run.out);
    ASSERT_EQ(page.error, "") << run.out;

    const std::vector<std::string> cells = page.Texts("td");
    EXPECT_TRUE(Contains(cells, version));
    EXPECT_TRUE(Contains(page.Texts("code"), hostile));
    EXPECT_TRUE(Contains(page.Texts("code"), "(#T0&&#S0)"));
    EXPECT_TRUE(Contains(cells, "Mon 2026-12-14 00:00:00 - Mon 2026-12-21 00:00:00"));
    // R1 and R3 each with a circuit; a condition outside the grammar leaves
    // no week picture, and the findings name it.
    EXPECT_EQ(page.All("svg").size(), 2u);
    EXPECT_TRUE(Contains(cells, "condition-error"));
    EXPECT_TRUE(Contains(cells, "R1"));
}

TEST_F(ReportCommand, ThePeriodOptionsAndOutputFileWorkAsSimulateHasThem)
{
    // A program inside the grammar: the week picture is there, for the days asked.
    QuarnctlRunner::Write(quarn.Path("good.xml"), kMarkupFile.substr(0, kMarkupFile.find("\t\t<state id=\"R1\"")) +
                                                      kMarkupFile.substr(kMarkupFile.find("\t\t<state id=\"R3\"")));
    const std::string out = quarn.Path("page.html");
    const auto run = quarn("report " + QuarnctlRunner::Quoted(quarn.Path("good.xml")) +
                           " --from 2026-12-14 --days 2 -o " + QuarnctlRunner::Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string html = QuarnctlRunner::Read(out);
    const MarkupReading page = ReadMarkup(html);
    ASSERT_EQ(page.error, "");
    EXPECT_TRUE(Contains(page.Texts("td"), "Mon 2026-12-14 00:00:00 - Wed 2026-12-16 00:00:00"));
    EXPECT_EQ(page.All("svg").size(), 2u);  // R3's circuit and the picture
    // The picture's days: Monday and Tuesday only.
    EXPECT_NE(html.find(">2026-12-15<"), std::string::npos);
    EXPECT_EQ(html.find(">2026-12-16<"), std::string::npos);
}

TEST_F(ReportCommand, RefusesWhatItCannotReadOrWriteAndWritesNothingThen)
{
    struct Case {
        std::string arguments;
        int status;
        std::string message;
    };
    const std::string out = quarn.Path("no-folder/page.html");
    const Case cases[] = {
        {"report " + QuarnctlRunner::Quoted(quarn.Path("missing.xml")), 1, "Cannot open the file for reading"},
        {"report " + file + " --days 0", 2, "--days"},
        {"report " + file + " --from 2026-13-01", 2, "--from"},
        {"report " + file + " --input S0=1", 2, "--input"},
        {"report " + file + " -o " + QuarnctlRunner::Quoted(out), 1, "cannot be written"},
    };
    for (const Case& c : cases) {
        const auto run = quarn(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << "\n" << run.err;
        EXPECT_EQ(run.out, "") << c.arguments;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace quarn::test
