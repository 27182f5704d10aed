// The steps of a transformation and how each can fail.
#include "base/utf8.hpp"
#include "converter/result_code.hpp"
#include "converter/transform.hpp"
#include "converter_test_support.hpp"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace quarn {
namespace {

using test::Exists;
using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

constexpr const char* kSource = "<?xml version=\"1.0\"?><model name=\"m\"><item>one</item></model>";

// Copies the source's text into a small result and says something on the way.
constexpr const char* kCopyStylesheet = R"(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" encoding="utf-8"/>
  <xsl:template match="/">
    <xsl:message>looked at <xsl:value-of select="/model/@name"/></xsl:message>
    <result><xsl:value-of select="/model/item"/></result>
  </xsl:template>
</xsl:stylesheet>
)";

class TransformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteBytes(source, kSource));
        ASSERT_TRUE(WriteBytes(stylesheet, kCopyStylesheet));
    }

    TransformOutcome Run(const std::string& from, const std::string& to, const std::string& sheet)
    {
        return TransformXmiToXml(DecodeUtf8(from), DecodeUtf8(to), DecodeUtf8(sheet));
    }

    ScratchFolder folder;
    std::string source = folder.File("model.xmi");
    std::string stylesheet = folder.File("sheet.xsl");
    std::string destination = folder.File("model.xml");
};

TEST_F(TransformTest, WritesTheResultAndKeepsTheMessages)
{
    testing::internal::CaptureStderr();
    const TransformOutcome outcome = Run(source, destination, stylesheet);
    const std::string printed = testing::internal::GetCapturedStderr();

    EXPECT_EQ(outcome.status, TransformStatus::Success);
    EXPECT_EQ(outcome.code, 0u);
    EXPECT_EQ(ReadBytes(destination), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<result>one</result>\n");
    ASSERT_EQ(outcome.notes.size(), 1u);
    EXPECT_EQ(outcome.notes[0], u"looked at m");
    EXPECT_EQ(printed, "") << "the engine must not print";
}

TEST_F(TransformTest, EmptySourceDoesNothing)
{
    const TransformOutcome outcome = Run("", destination, stylesheet);
    EXPECT_EQ(outcome.status, TransformStatus::NothingDone);
    EXPECT_TRUE(TransformOutcomeText(outcome).empty());
    EXPECT_FALSE(Exists(destination));
    EXPECT_FALSE(Exists(folder.File(".xml")));
}

TEST_F(TransformTest, EmptyDestinationIsTheSourceWithXmlAppended)
{
    const TransformOutcome outcome = Run(source, "", stylesheet);
    EXPECT_EQ(outcome.status, TransformStatus::Success);
    EXPECT_EQ(EncodeUtf8(outcome.destination), source + ".xml");
    EXPECT_NE(ReadBytes(source + ".xml").find("<result>one</result>"), std::string::npos);
}

TEST_F(TransformTest, ExistingDestinationIsReplacedWhole)
{
    ASSERT_TRUE(WriteBytes(destination, std::string(5000, 'x')));
    EXPECT_EQ(Run(source, destination, stylesheet).status, TransformStatus::Success);
    EXPECT_EQ(ReadBytes(destination), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<result>one</result>\n");
}

// A failed load ends with the general failure code, before anything is
// written; a destination that exists stays as it was.
TEST_F(TransformTest, FailedLoadsLeaveTheDestinationAlone)
{
    const std::string notWellFormed = folder.File("broken.xml");
    ASSERT_TRUE(WriteBytes(notWellFormed, "<model><item>one</model>"));
    const std::string notAStylesheet = folder.File("plain.xsl");
    ASSERT_TRUE(WriteBytes(notAStylesheet, "<?xml version=\"1.0\"?><just-data/>"));
    ASSERT_TRUE(WriteBytes(destination, "previous"));

    struct Row {
        const char* what;
        std::string source;
        std::string stylesheet;
    };
    const Row rows[] = {
        {"missing stylesheet", source, folder.File("none.xsl")},
        {"stylesheet not well formed", source, notWellFormed},
        {"not a stylesheet", source, notAStylesheet},
        {"missing source", folder.File("none.xmi"), stylesheet},
        {"source not well formed", notWellFormed, stylesheet},
        {"source on the network", "http://127.0.0.1:9/model.xmi", stylesheet},
    };
    for (const Row& row : rows) {
        testing::internal::CaptureStderr();
        const TransformOutcome outcome = Run(row.source, destination, row.stylesheet);
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(outcome.status, TransformStatus::Failure) << row.what;
        EXPECT_EQ(outcome.code, kCodeGeneralFailure) << row.what;
        EXPECT_EQ(EncodeUtf8(TransformOutcomeText(outcome)), "Some error occured Unspecified error (80004005)")
            << row.what;
        EXPECT_EQ(ReadBytes(destination), "previous") << row.what;
        EXPECT_EQ(printed, "") << row.what;
    }
}

// Lowers the largest file this process may write, for one scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit lowered = previous_;
        lowered.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Active() const { return active_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

// A save that fails half way (here: the file may not grow past 20 bytes)
// keeps the destination that was there, byte for byte, and leaves no
// temporary file behind.
TEST_F(TransformTest, SaveThatFailsHalfWayKeepsTheOldDestination)
{
    const std::string previous = "previous\r\nbytes";
    ASSERT_TRUE(WriteBytes(destination, previous));
    TransformOutcome outcome;
    {
        FileSizeLimit limit(20);
        ASSERT_TRUE(limit.Active());
        outcome = Run(source, destination, stylesheet);
    }
    EXPECT_EQ(outcome.status, TransformStatus::Failure);
    EXPECT_EQ(outcome.notes.size(), 1u) << "the transformation itself ran";
    EXPECT_EQ(ReadBytes(destination), previous);

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"model.xmi", "model.xml", "sheet.xsl"}));
}

TEST_F(TransformTest, ParserDiagnosticsAreKeptForTheCaller)
{
    const std::string notWellFormed = folder.File("broken.xmi");
    ASSERT_TRUE(WriteBytes(notWellFormed, "<model><item>one</model>"));
    const TransformOutcome outcome = Run(notWellFormed, destination, stylesheet);
    ASSERT_FALSE(outcome.diagnostics.empty());
    EXPECT_NE(EncodeUtf8(outcome.diagnostics.front()).find("broken.xmi"), std::string::npos);
}

// Every failed load ends with the same code; the reason says which file and
// why, in the engine's words.
TEST_F(TransformTest, FailedLoadsSayWhy)
{
    ASSERT_TRUE(WriteBytes(folder.File("broken.xmi"), "<model>\n  <item>one</model>"));
    ASSERT_TRUE(WriteBytes(folder.File("text.xmi"), "hello"));
    const struct {
        std::string source;
        std::string sheet;
        std::string reason;
    } cases[] = {
        {folder.File("missing.xmi"), stylesheet, folder.File("missing.xmi") + ": no such file"},
        {source, folder.File("missing.xsl"), folder.File("missing.xsl") + ": no such file"},
        {folder.File("broken.xmi"), stylesheet,
         folder.File("broken.xmi") + ": not well-formed at line 2, column 20: "
                                     "Opening and ending tag mismatch: item line 2 and model"},
        {folder.File("text.xmi"), stylesheet,
         folder.File("text.xmi") + ": not well-formed at line 1, column 1: Start tag expected, '<' not found"},
        {folder.path().string(), stylesheet, folder.path().string() + ": a folder, not a file"},
    };
    for (const auto& c : cases) {
        const TransformOutcome outcome = Run(c.source, destination, c.sheet);
        EXPECT_EQ(outcome.status, TransformStatus::Failure) << c.source;
        EXPECT_EQ(outcome.code, 0x80004005u) << c.source;
        EXPECT_EQ(EncodeUtf8(TransformOutcomeText(outcome)), "Some error occured Unspecified error (80004005)");
        EXPECT_EQ(EncodeUtf8(outcome.reason), c.reason);
    }
    EXPECT_TRUE(Run(source, destination, stylesheet).reason.empty());
}

TEST_F(TransformTest, StylesheetThatStopsItselfFails)
{
    ASSERT_TRUE(WriteBytes(stylesheet, R"(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template match="/"><out/><xsl:message terminate="yes">cannot go on</xsl:message></xsl:template>
</xsl:stylesheet>)"));
    const TransformOutcome outcome = Run(source, destination, stylesheet);
    EXPECT_EQ(outcome.status, TransformStatus::Failure);
    EXPECT_EQ(outcome.code, kCodeGeneralFailure);
    EXPECT_FALSE(Exists(destination));
}

TEST_F(TransformTest, OutputThatIsNoStateMachineStillSucceeds)
{
    ASSERT_TRUE(WriteBytes(stylesheet, R"(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template match="/"><hello/></xsl:template>
</xsl:stylesheet>)"));
    const TransformOutcome outcome = Run(source, destination, stylesheet);
    EXPECT_EQ(outcome.status, TransformStatus::Success);
    EXPECT_NE(ReadBytes(destination).find("<hello/>"), std::string::npos);
}

TEST_F(TransformTest, UnwritableDestinationsFailAtTheSaveStep)
{
    struct Row {
        const char* what;
        std::string destination;
        std::uint32_t code;
    };
    std::filesystem::create_directory(folder.File("a-folder"));
    const Row rows[] = {
        {"missing folder", folder.File("missing/model.xml"), kCodePathNotFound},
        {"a folder", folder.File("a-folder"), kCodeAccessDenied},
    };
    for (const Row& row : rows) {
        const TransformOutcome outcome = Run(source, row.destination, stylesheet);
        EXPECT_EQ(outcome.status, TransformStatus::Failure) << row.what;
        EXPECT_EQ(outcome.code, row.code) << row.what;
        EXPECT_EQ(outcome.notes.size(), 1u) << "the transformation itself ran: " << row.what;
    }
}

TEST_F(TransformTest, WriteProtectedFolderFailsWithAccessDenied)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    const std::string locked = folder.File("locked");
    ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
    const TransformOutcome outcome = Run(source, locked + "/model.xml", stylesheet);
    EXPECT_EQ(outcome.code, kCodeAccessDenied);
    EXPECT_EQ(EncodeUtf8(TransformOutcomeText(outcome)), "Some error occured Access is denied. (80070005)");
}

// The build copies the stylesheet beside this test program as it does
// beside the programs, so that copy is the default one.
TEST_F(TransformTest, DefaultStylesheetLiesBesideTheExecutable)
{
    EXPECT_TRUE(Exists(EncodeUtf8(DefaultStylesheetPath())));
    const TransformOutcome outcome = TransformXmiToXml(DecodeUtf8(source), DecodeUtf8(destination));
    EXPECT_EQ(outcome.status, TransformStatus::Success);
    EXPECT_NE(ReadBytes(destination).find("<statemachine>"), std::string::npos);
}

}  // namespace
}  // namespace quarn
