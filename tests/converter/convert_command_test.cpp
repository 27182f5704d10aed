// quarnctl convert end to end, with the result read back by quarnctl show
// --json: the converted files are documents the editor's reader accepts.
#include "converter_test_support.hpp"
#include "sample_cases.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "tests/support/process.hpp"

namespace quarn {
namespace {

using nlohmann::json;
using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

std::string Quoted(const std::string& text)
{
    return test::ShellQuoted(text);
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
        test::CommandResult run = test::RunShell(QUARNCTL_PATH, arguments);
        return CommandRun{run.status, std::move(run.output), std::move(run.error)};
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

// A small model in the form of each modelling tool (fixtures/dialects), with
// what it holds.
struct Dialect {
    const char* file;
    const char* version;
    std::vector<std::string> relays;
    std::vector<int> timers;  // the timers in use
};

const Dialect kDialects[] = {
    {"papyrus.uml", "heating", {"(#T0&&#T1)||#R2", "", "", "#S0||#T7", "", "", "", ""}, {0, 1}},
    {"eclipse-uml2.uml", "pumps & valves", {"", "!#S2&&(#T2||#T3)", "", "", "", "#1", "", ""}, {2, 3}},
    {"staruml.xmi", "Garden", {"", "", "#T4&&!#S1", "", "", "", "#T5||#R2", ""}, {4, 5}},
    {"cameo.xml", "Lighting", {"", "", "", "", "#T6||(#S3&&#R0)", "", "", ""}, {6}},
    {"modelio.xmi", "State Machine", {"", "(#0&&#T2)||#1", "", "", "", "", "", "#T7"}, {7}},
    {"argouml.xmi", "garage-door", {"", "", "#S1||(#T0&&!#S0)", "#R2", "", "", "", ""}, {0}},
    // An unnamed state machine: the version is the destination's base name.
    {"visual-paradigm.xmi", "visual-paradigm", {"", "", "", "", "", "#T1&&!#S2", "", ""}, {1}},
    {"enterprise-architect.xmi", "Caf\xC3\xA9 machine", {"#T2&&#S0", "", "", "", "", "", "", ""}, {2}},
};

// The converted file is the file QuarnTool writes for the model it holds,
// byte for byte: converting and then saving in the editor changes nothing.
TEST_F(ConvertCommandTest, EveryDialectConvertsIntoTheWritersFile)
{
    for (const Dialect& dialect : kDialects) {
        const std::string source = test::FixturePath(std::string("dialects/") + dialect.file);
        const std::string name = std::string(dialect.file).substr(0, std::string(dialect.file).find('.'));
        const std::string converted = folder.File(name + ".xml");
        const CommandRun run = Quarnctl("convert " + Quoted(source) + " " + Quoted(converted));
        ASSERT_EQ(run.status, 0) << dialect.file << "\n" << run.err;

        const json model = Show(converted);
        ASSERT_TRUE(model.is_object()) << dialect.file;
        EXPECT_EQ(model["version"], dialect.version) << dialect.file;
        EXPECT_EQ(model["relays"], json(dialect.relays)) << dialect.file;
        std::vector<int> timers;
        for (int n = 0; n < 8; ++n) {
            if (!model["timers"][n]["offTime"].is_null()) {
                timers.push_back(n);
            }
        }
        EXPECT_EQ(timers, dialect.timers) << dialect.file;

        // The writer, given that model, under the same file name elsewhere.
        const std::string jsonFile = folder.File(name + ".json");
        ASSERT_TRUE(WriteBytes(jsonFile, model.dump()));
        ScratchFolder other;
        const std::string written = other.File(name + ".xml");
        ASSERT_EQ(Quarnctl("write " + Quoted(jsonFile) + " " + Quoted(written)).status, 0) << dialect.file;
        const std::string bytes = ReadBytes(converted);
        EXPECT_EQ(bytes, ReadBytes(written)) << dialect.file;
        EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n", 0), 0u) << dialect.file;
    }
}

// Nothing mapped: the file is written, the first line on stderr says so, and
// --strict turns anything left out into status 1.
TEST_F(ConvertCommandTest, NoRelayIsSaidFirstAndStrictFailsOnAnyNote)
{
    const std::string plain = folder.File("plain.xmi");
    ASSERT_TRUE(WriteBytes(plain,
                           "<?xml version=\"1.0\"?>\n<uml:Model xmlns:xmi=\"http://www.omg.org/spec/XMI/20131001\" "
                           "xmlns:uml=\"http://www.eclipse.org/uml2/5.0.0/UML\" xmi:id=\"m\" name=\"plain\">"
                           "<packagedElement xmi:type=\"uml:StateMachine\" xmi:id=\"sm\" name=\"plain\"/>"
                           "</uml:Model>\n"));
    CommandRun run = Quarnctl("convert " + Quoted(plain));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "No relay was found in the model.\n");
    EXPECT_TRUE(test::Exists(plain + ".xml"));

    run = Quarnctl("convert --strict " + Quoted(plain));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("No relay was found in the model.\n", 0), 0u) << run.err;
    EXPECT_NE(run.out.find("File transformed successfully"), std::string::npos) << "the file is still written";

    // Relays, but a region left out: strict fails, without the no-relay line.
    run = Quarnctl("convert --strict " + Quoted(test::FixturePath("dialects/modelio.xmi")) + " " +
                   Quoted(folder.File("modelio.xml")));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.find("No relay"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("region with the states Idle, Running (id _wcH4Ze2sEeSj5b1zqxexug) not mapped"),
              std::string::npos)
        << run.err;

    // Everything mapped: strict is content.
    run = Quarnctl("convert --strict " + Quoted(test::FixturePath("dialects/papyrus.uml")) + " " +
                   Quoted(folder.File("papyrus.xml")));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace quarn
