#include "document/writer.hpp"

#include "tests/support/files.hpp"
#include "tests/support/office_model.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#ifndef _WIN32
#include "tests/support/file_size_limit.hpp"
#endif

namespace quarn {
namespace {

namespace fs = std::filesystem;
using test::Date;
using test::Time;

// The file's lines without the byte-order mark, each with its CR LF.
std::string Lines(std::initializer_list<const char*> lines)
{
    std::string text = "\xEF\xBB\xBF";
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text;
}

TEST(Writer, OfficeExampleMatchesTheFixtureByteForByte)
{
    const std::string expected = test::Fixture("office.xml");
    ASSERT_EQ(expected.size(), 737u);
    EXPECT_EQ(StateMachineFileBytes(test::OfficeModel()), expected);
}

TEST(Writer, EmptyDocumentHasAOneLineParallel)
{
    StateMachineModel model;
    model.version = u"v";
    EXPECT_EQ(StateMachineFileBytes(model), Lines({
                                                "<?xml version=\"1.0\" encoding=\"utf-8\"?>",
                                                "<statemachine>",
                                                "\t<version>v</version>",
                                                "\t<parallel/>",
                                                "</statemachine>",
                                            }));
}

TEST(Writer, OnlyTimersWithAnOffTimeAreWritten)
{
    StateMachineModel model;
    model.version = u"v";
    // Only an OFF time: the blank fields count as zero.
    model.timers[2].offTime = Time(18, 0, 0);
    // Everything but the OFF time: not in use.
    model.timers[3].onDate = Date(2013, 2, 8);
    model.timers[3].onTime = Time(10, 0, 0);
    model.timers[3].offDate = Date(2013, 2, 10);
    SetWeekdayMask(model, 3, 127);
    // All seven days.
    model.timers[7].offDate = Date(2001, 1, 1);
    model.timers[7].offTime = Time(0, 0, 1);
    SetWeekdayMask(model, 7, 255);

    EXPECT_EQ(StateMachineFileBytes(model), Lines({
                                                "<?xml version=\"1.0\" encoding=\"utf-8\"?>",
                                                "<statemachine>",
                                                "\t<version>v</version>",
                                                "\t<timer id=\"2\" start=\"0\" end=\"64800\" dow=\"0\"> </timer>",
                                                "\t<timer id=\"7\" start=\"0\" end=\"31622401\" dow=\"127\"> </timer>",
                                                "\t<parallel/>",
                                                "</statemachine>",
                                            }));
}

TEST(Writer, TextsAreWrittenAsHeldExceptWhatWouldEndTheirMarkup)
{
    StateMachineModel model;
    model.version = u"a<b&c \u00e9\u20ac";
    model.relays[0] = u"#R1||#S0";
    model.relays[7] = u"(#T0&&#T1)";
    const std::string bytes = StateMachineFileBytes(model);

    EXPECT_NE(bytes.find("\t<version>a&lt;b&amp;c \xC3\xA9\xE2\x82\xAC</version>\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\t<state id=\"R0\" initial=\"Roff0\">\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("<transition target=\"Ron0\" cond=\"#R1||#S0\"> </transition>"), std::string::npos);
    EXPECT_NE(bytes.find("<transition target=\"Roff0\" cond=\"!(#R1||#S0)\"> </transition>"), std::string::npos);
    EXPECT_NE(bytes.find("<transition target=\"Ron7\" cond=\"(#T0&amp;&amp;#T1)\"> </transition>"), std::string::npos);
    EXPECT_NE(bytes.find("<content>N7</content>"), std::string::npos);
    EXPECT_LT(bytes.find("id=\"R0\""), bytes.find("id=\"R7\""));
    EXPECT_EQ(bytes.find("R3"), std::string::npos) << "unused relays are left out";
}

TEST(Writer, BaseNameOfPath)
{
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"/home/u/office.xml", u"office"},
        {u"/home/u/plan.old.xml", u"plan.old"},
        {u"office", u"office"},
        {u"dir.d/plain", u"plain"},
        {u"/x/.xml", u""},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(BaseNameOfPath(path), name) << std::string(path.begin(), path.end());
}

TEST(WriteFile, EmptyPathDoesNothing)
{
    StateMachineModel model = test::OfficeModel();
    model.modified = true;
    bool called = false;
    WriterHooks hooks{[&] { called = true; }, [&](const std::u16string&) { called = true; }};
    const WriteOutcome outcome = WriteStateMachineFile(model, hooks);
    EXPECT_EQ(outcome.code, WriteResult::PathEmpty);
    EXPECT_FALSE(called);
    EXPECT_TRUE(model.modified);
}

TEST(WriteFile, WritesTakesFieldsFirstAndNamesAnEmptyVersionAfterTheFile)
{
    test::ScratchFolder folder;
    StateMachineModel model;
    model.path = test::U16Path(folder / "office.xml");
    model.modified = true;
    std::vector<std::string> steps;
    WriterHooks hooks;
    hooks.takeFields = [&] {
        steps.push_back(model.modified ? "take (modified)" : "take");
        const std::u16string path = model.path;
        model = test::OfficeModel();
        model.version.clear();
        model.path = path;
    };
    hooks.reportUsed = [&](const std::u16string& path) {
        steps.push_back(path == model.path ? "used" : "used (other path)");
    };

    const WriteOutcome outcome = WriteStateMachineFile(model, hooks);

    ASSERT_TRUE(outcome.written());
    EXPECT_TRUE(outcome.text.empty());
    EXPECT_EQ(steps, (std::vector<std::string>{"take", "used"}));
    EXPECT_EQ(model.version, u"office");
    EXPECT_FALSE(model.modified);
    EXPECT_EQ(test::ReadBytes(folder / "office.xml"), test::Fixture("office.xml"));
    EXPECT_EQ(folder.Listing(), "office.xml\n");
}

TEST(WriteFile, MissingFolderFailsAndKeepsTheChangesOfStepOne)
{
    test::ScratchFolder folder;
    StateMachineModel model = test::OfficeModel();
    model.version.clear();
    model.path = test::U16Path(folder / "no-such-folder" / "plan.xml");
    model.modified = true;
    bool reported = false;
    WriterHooks hooks;
    hooks.reportUsed = [&](const std::u16string&) { reported = true; };

    const WriteOutcome outcome = WriteStateMachineFile(model, hooks);

    EXPECT_EQ(outcome.code, WriteResult::NotWritten);
    EXPECT_EQ(outcome.text, u"Cannot open the file for writing");
    EXPECT_FALSE(reported);
    EXPECT_FALSE(model.modified);
    EXPECT_EQ(model.version, u"plan");
    EXPECT_EQ(folder.Listing(), "");
}

#ifndef _WIN32

// A disk that fills up while the file is written: the file size limit makes
// the write fail part way, in a child process so the limit stays there.
TEST(WriteFile, FullDiskLeavesTheOldFileUnchanged)
{
    test::ScratchFolder folder;
    test::WriteBytes(folder / "office.xml", "old contents");
    const std::optional<bool> reported = test::RunWithFileSizeLimit(100, [&] {
        StateMachineModel model = test::OfficeModel();
        model.path = test::U16Path(folder / "office.xml");
        const WriteOutcome outcome = WriteStateMachineFile(model);
        return outcome.code == WriteResult::NotWritten && outcome.text == u"Cannot open the file for writing";
    });
    ASSERT_TRUE(reported.has_value()) << "the writing process did not end by itself";
    EXPECT_TRUE(*reported) << "the write did not report its failure";
    EXPECT_EQ(test::ReadBytes(folder / "office.xml"), "old contents");
    EXPECT_EQ(folder.Listing(), "office.xml\n");
}

#endif

}  // namespace
}  // namespace quarn
