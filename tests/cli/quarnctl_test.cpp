// quarnctl end to end: the built program run on files in a scratch folder.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

#include "quarnctl_runner.hpp"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class Quarnctl : public ::testing::Test {
protected:
    using Run = quarn::test::QuarnctlRunner::Run;

    Run Quarn(const std::string& arguments) const { return quarn_(arguments); }
    static std::string Quoted(const std::string& text) { return quarn::test::QuarnctlRunner::Quoted(text); }
    static std::string Read(const fs::path& path) { return quarn::test::QuarnctlRunner::Read(path); }
    static void Write(const fs::path& path, const std::string& bytes)
    {
        quarn::test::QuarnctlRunner::Write(path, bytes);
    }
    std::string Path(const std::string& name) const { return quarn_.Path(name); }

    quarn::test::QuarnctlRunner quarn_;
};

json Timer(json onDate, json onTime, json offDate, json offTime, int weekdays)
{
    return json{
        {"onDate", onDate}, {"onTime", onTime}, {"offDate", offDate}, {"offTime", offTime}, {"weekdays", weekdays}};
}

json BlankTimer()
{
    return Timer(nullptr, nullptr, nullptr, nullptr, 0);
}

json OfficeJson()
{
    json timers = json::array();
    timers.push_back(Timer(nullptr, "07:30:00", nullptr, "22:00:00", 31));
    timers.push_back(Timer("2013/02/08", "10:00:00", "2013/02/10", "18:30:00", 96));
    for (int n = 2; n < 8; ++n)
        timers.push_back(BlankTimer());
    return json{
        {"version", "office"}, {"timers", timers}, {"relays", json{"", "", "", "(#T0&&#T1)||#R2", "", "", "", ""}}};
}

TEST_F(Quarnctl, VersionFlag)
{
    const Run run = Quarn("--version");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "quarnctl 1.0.0\n");
}

TEST_F(Quarnctl, WriteThenShowGivesTheDocumentBack)
{
    Write(Path("office.json"), OfficeJson().dump());
    const Run write = Quarn("write " + Quoted(Path("office.json")) + " " + Quoted(Path("office.xml")));
    ASSERT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(write.out, "");
    EXPECT_EQ(Read(Path("office.xml")), Read(fs::path(QUARN_DOCUMENT_FIXTURES) / "office.xml"));

    const Run show = Quarn("show --json " + Quoted(Path("office.xml")));
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_EQ(json::parse(show.out), OfficeJson());
}

TEST_F(Quarnctl, WriteFillsInVersionAndTheReaderChangesWhatTheFileCannotCarry)
{
    json input = json::object();
    input["timers"] = json::array(
        {json{{"offTime", "18:00:00"}},
         json{{"onDate", "2000/06/01"}, {"onTime", "01:00:00"}, {"offDate", "2030/01/01"}, {"offTime", "02:00:00"}},
         json{{"onTime", "05:00:00"}, {"weekdays", 3}}, json::object(), json::object(), json::object(), json::object(),
         json::object()});
    input["relays"] = json{"#R1||#S0", "", "", "", "", "", "", "(#T0)"};
    Write(Path("in.json"), input.dump());
    ASSERT_EQ(Quarn("write " + Quoted(Path("in.json")) + " " + Quoted(Path("plan.b.xml"))).status, 0);

    const Run show = Quarn("show --json " + Quoted(Path("plan.b.xml")));
    ASSERT_EQ(show.status, 0) << show.err;
    json expected = json::object();
    expected["version"] = "plan.b";
    expected["timers"] = json::array(
        {Timer(nullptr, "00:00:00", nullptr, "18:00:00", 0), Timer(nullptr, "01:00:00", nullptr, "02:00:00", 0)});
    for (int n = 2; n < 8; ++n)
        expected["timers"].push_back(BlankTimer());
    expected["relays"] = input["relays"];
    EXPECT_EQ(json::parse(show.out), expected);
}

TEST_F(Quarnctl, ShowPrintsATable)
{
    const Run show = Quarn("show " + Quoted(std::string(QUARN_DOCUMENT_FIXTURES) + "/office.xml"));
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_EQ(show.out, "Version: office\n"
                        "\n"
                        "Timer  ON date     ON time   OFF date    OFF time  Weekdays\n"
                        "T0     -           07:30:00  -           22:00:00  Mo Tu We Th Fr -- --\n"
                        "T1     2013/02/08  10:00:00  2013/02/10  18:30:00  -- -- -- -- -- Sa Su\n"
                        "T2     -           -         -           -         -- -- -- -- -- -- --\n"
                        "T3     -           -         -           -         -- -- -- -- -- -- --\n"
                        "T4     -           -         -           -         -- -- -- -- -- -- --\n"
                        "T5     -           -         -           -         -- -- -- -- -- -- --\n"
                        "T6     -           -         -           -         -- -- -- -- -- -- --\n"
                        "T7     -           -         -           -         -- -- -- -- -- -- --\n"
                        "\n"
                        "Relay  Condition\n"
                        "R0     (not used)\n"
                        "R1     (not used)\n"
                        "R2     (not used)\n"
                        "R3     (#T0&&#T1)||#R2\n"
                        "R4     (not used)\n"
                        "R5     (not used)\n"
                        "R6     (not used)\n"
                        "R7     (not used)\n");
}

TEST_F(Quarnctl, FileThatCannotBeReadFailsWithStatusOne)
{
    Write(Path("empty.xml"), "");
    for (const std::string name : {"missing.xml", "empty.xml"}) {
        for (const std::string flag : {"", "--json "}) {
            const Run run = Quarn("show " + flag + Quoted(Path(name)));
            EXPECT_EQ(run.status, 1) << name;
            EXPECT_EQ(run.out, "") << name;
            EXPECT_EQ(run.err, "Cannot open the file for reading\n") << name;
        }
    }
}

TEST_F(Quarnctl, WriteThatFailsKeepsTheOldFileAndFailsWithStatusOne)
{
    Write(Path("office.json"), OfficeJson().dump());
    const Run missingFolder = Quarn("write " + Quoted(Path("office.json")) + " " + Quoted(Path("no/such/folder.xml")));
    EXPECT_EQ(missingFolder.status, 1);
    EXPECT_EQ(missingFolder.err, "Cannot open the file for writing\n");

    fs::create_directory(Path("taken.xml"));
    const Run onFolder = Quarn("write " + Quoted(Path("office.json")) + " " + Quoted(Path("taken.xml")));
    EXPECT_EQ(onFolder.status, 1);
    EXPECT_EQ(onFolder.err, "Cannot open the file for writing\n");
    EXPECT_TRUE(fs::is_directory(Path("taken.xml")));
}

TEST_F(Quarnctl, UnfitInputIsRejectedWithStatusTwoAndTouchesNoFile)
{
    json wrongDate = OfficeJson();
    wrongDate["timers"][1]["offDate"] = "10.02.2013";
    const std::pair<std::string, std::string> cases[] = {
        {"{\"version\": ", "not valid JSON"},
        {wrongDate.dump(), "timers[1].offDate: expected a date written yyyy/MM/dd"},
        {"[]", "the document: expected an object"},
    };
    Write(Path("old.xml"), "old contents");
    for (const auto& [input, message] : cases) {
        Write(Path("in.json"), input);
        const Run run = Quarn("write " + Quoted(Path("in.json")) + " " + Quoted(Path("old.xml")));
        EXPECT_EQ(run.status, 2) << input;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_EQ(Read(Path("old.xml")), "old contents");
        const Run fresh = Quarn("write " + Quoted(Path("in.json")) + " " + Quoted(Path("new.xml")));
        EXPECT_EQ(fresh.status, 2) << input;
        EXPECT_FALSE(fs::exists(Path("new.xml")));
    }
    const Run missing = Quarn("write " + Quoted(Path("nothing.json")) + " " + Quoted(Path("new.xml")));
    EXPECT_EQ(missing.status, 2);
    EXPECT_FALSE(fs::exists(Path("new.xml")));
}

TEST_F(Quarnctl, UsageErrorsFailWithStatusTwo)
{
    for (const std::string arguments : {"", "show", "write only-one.json", "frobnicate"}) {
        const Run run = Quarn(arguments);
        EXPECT_EQ(run.status, 2) << "quarnctl " << arguments;
        EXPECT_FALSE(run.err.empty()) << "quarnctl " << arguments;
    }
}

}  // namespace
