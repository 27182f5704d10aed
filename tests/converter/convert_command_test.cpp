// quarnctl convert end to end, with the result read back by quarnctl show
// --json: the converted files are documents the editor's reader accepts.
#include "converter_test_support.hpp"
#include "sample_cases.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace quarn {
namespace {

using nlohmann::json;
using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

class ConvertCommandTest : public ::testing::Test {
protected:
    CommandRun Quarnctl(const std::string& arguments)
    {
        const std::string out = folder.File("stdout.txt");
        const std::string err = folder.File("stderr.txt");
        const std::string command =
            Quoted(QUARNCTL_PATH) + " " + arguments + " >" + Quoted(out) + " 2>" + Quoted(err);
        const int raw = std::system(command.c_str());
        return CommandRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(out), ReadBytes(err)};
    }

    json Show(const std::string& file)
    {
        const CommandRun run = Quarnctl("show --json " + Quoted(file));
        EXPECT_EQ(run.status, 0) << run.err;
        return json::parse(run.out, nullptr, false);
    }

    ScratchFolder folder;
};

TEST_F(ConvertCommandTest, OfficeFixtureBecomesTheDocument)
{
    const std::string out = folder.File("office.xml");
    const CommandRun run = Quarnctl("convert " + Quoted(test::FixturePath("office-uml2.uml")) + " " + Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "File transformed successfully: " + out + "\n");
    EXPECT_NE(run.err.find("state \"extra\" (id x1) not mapped"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("timer line \"T9 OFF 01:00:00\" (id c1) not mapped"), std::string::npos) << run.err;

    const json model = Show(out);
    ASSERT_TRUE(model.is_object());
    EXPECT_EQ(model["version"], "office");
    EXPECT_EQ(model["relays"], json({"", "#S1", "", "(#T0&&#T1)||#R2", "", "", "", ""}));
    EXPECT_EQ(model["timers"][0], json::parse(R"({"onDate":null,"onTime":"07:30:00","offDate":null,
                                               "offTime":"22:00:00","weekdays":31})"));
    EXPECT_EQ(model["timers"][1], json::parse(R"({"onDate":"2013/02/08","onTime":"10:00:00",
                                               "offDate":"2013/02/10","offTime":"18:30:00","weekdays":96})"));
    EXPECT_EQ(model["timers"][2]["offTime"], nullptr);
}

TEST_F(ConvertCommandTest, DefaultsAndTheUml1Fixture)
{
    // The source is copied so that IN.xml lands in the scratch folder.
    const std::string in = folder.File("garden.xmi");
    ASSERT_TRUE(WriteBytes(in, ReadBytes(test::FixturePath("garden-uml14.xmi"))));
    const CommandRun run = Quarnctl("convert " + Quoted(in));
    ASSERT_EQ(run.status, 0) << run.err;

    const json model = Show(in + ".xml");
    ASSERT_TRUE(model.is_object());
    EXPECT_EQ(model["version"], "garden");
    EXPECT_EQ(model["relays"], json({"#S3||#T7", "", "", "", "", "", "!#R0", ""}));
    EXPECT_EQ(model["timers"][7], json::parse(R"({"onDate":"2004/02/29","onTime":"00:00:01",
                                               "offDate":"2099/12/31","offTime":"23:59:59","weekdays":65})"));
}

TEST_F(ConvertCommandTest, FailuresEndWithTheMessageAndStatusOne)
{
    const std::string in = folder.File("model.xmi");
    ASSERT_TRUE(WriteBytes(in, "<not-closed>"));
    CommandRun run = Quarnctl("convert " + Quoted(in) + " " + Quoted(folder.File("out.xml")));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Some error occured Unspecified error (80004005)"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("model.xmi:1:"), std::string::npos) << "the parser's explanation: " << run.err;
    EXPECT_FALSE(test::Exists(folder.File("out.xml")));

    run = Quarnctl("convert " + Quoted(test::FixturePath("office-uml2.uml")) + " " + Quoted(folder.File("out.xml")) +
                   " --stylesheet " + Quoted(folder.File("none.xsl")));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("(80004005)"), std::string::npos) << run.err;

    run = Quarnctl("convert " + Quoted(test::FixturePath("office-uml2.uml")) + " " +
                   Quoted(folder.File("missing/out.xml")));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Some error occured The system cannot find the path specified. (80070003)"),
              std::string::npos)
        << run.err;
}

// Each tool's relay-convention copy opens as a document with its relay.
TEST_F(ConvertCommandTest, RelayCopiesOfTheRealExportsOpenAsDocuments)
{
    for (const test::SampleCase& sample : test::RelayCopies()) {
        const std::string path = test::SamplePath(sample.file);
        if (!test::Exists(path)) {
            continue;
        }
        const std::string in = folder.File(std::string(sample.label) + ".xmi");
        ASSERT_TRUE(WriteBytes(in, test::RelayCopyText(sample, ReadBytes(path)))) << sample.label;
        const CommandRun run = Quarnctl("convert " + Quoted(in));
        ASSERT_EQ(run.status, 0) << sample.label << "\n" << run.err;

        std::string condition = sample.condition;
        test::ReplaceAll(condition, "&amp;", "&");
        json relays = json::array();
        for (int n = 0; n < 8; ++n) {
            relays.push_back(n == sample.relay ? condition : "");
        }
        const json model = Show(in + ".xml");
        ASSERT_TRUE(model.is_object()) << sample.label;
        // An unnamed state machine is named after the destination, IN.xml.
        const std::string version = *sample.version == '\0' ? std::string(sample.label) + ".xmi" : sample.version;
        EXPECT_EQ(model["version"], version) << sample.label;
        EXPECT_EQ(model["relays"], relays) << sample.label;
    }
}

}  // namespace
}  // namespace quarn
