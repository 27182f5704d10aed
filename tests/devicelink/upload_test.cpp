#include "devicelink/upload.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/file_name.hpp"
#include "devicelink/outcome_explanation.hpp"
#include "tests/support/files.hpp"
#include "tests/support/test_peer.hpp"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace quarn {
namespace {

using namespace std::chrono_literals;
using test::TestPeer;

const std::string kReplyWithMessage =
    "HTTP/1.0 200 OK\r\n\r\n<html><body><td name=\"status\"><b> Accepted: 1 timer </b></td></body></html>";

// The request the controller gets for content with the password "tovel".
std::string ExpectedRequest(const std::string& token, const std::string& content)
{
    return "POST /state_machine_mp.html HTTP/1.0\r\n"
           "logoff: true\r\n"
           "Authorization: Basic " +
           token +
           "\r\n"
           "boundary=1234567890\r\n"
           "--1234567890\r\n"
           "name=\"file\"\r\n\r\n" +
           content +
           "\r\n"
           "--1234567890--\r\n"
           "\r\n";
}

class UploadTest : public ::testing::Test {
protected:
    const test::ScratchFolder scratch_;
    const std::filesystem::path dir_ = scratch_.path();

    std::u16string WriteFile(const std::string& name, const std::string& bytes)
    {
        const std::filesystem::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.u16string();
    }

    UploadOptions Options(std::uint16_t port) { return test::FastUploadOptions(port); }
};

TEST_F(UploadTest, SendsTheRequestByteForByteAndReturnsTheMessage)
{
    const std::string file = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<statemachine>\r\n</statemachine>\r\n";
    TestPeer peer({kReplyWithMessage});
    const UploadOutcome outcome =
        UploadStateMachine(u"127.0.0.1", WriteFile("sm.xml", file), u"tovel", Options(peer.Port()));
    EXPECT_EQ(
        peer.Request(),
        ExpectedRequest("YWRtaW46dG92ZWw=", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<statemachine>\n</statemachine>\n"));
    EXPECT_EQ(outcome.failure, UploadFailure::None);
    EXPECT_EQ(outcome.status, 200);
    EXPECT_EQ(outcome.text, u"Accepted: 1 timer");
}

TEST_F(UploadTest, EmptyFileAndEmptyPassword)
{
    TestPeer peer({kReplyWithMessage});
    const UploadOutcome outcome =
        UploadStateMachine(u"127.0.0.1", WriteFile("empty.xml", ""), u"", Options(peer.Port()));
    EXPECT_EQ(peer.Request(), ExpectedRequest("YWRtaW46", ""));
    EXPECT_EQ(outcome.status, 200);
}

TEST_F(UploadTest, FileLongerThanOneBufferIsSentWhole)
{
    std::string file;
    std::string sent;
    for (int i = 0; i < 600; ++i) {
        const std::string line = "<state id=\"R" + std::to_string(i % 8) + "_on\"/>";
        file += line + "\r\n";
        sent += line + "\n";
    }
    ASSERT_GT(sent.size(), 8192u);
    TestPeer peer({kReplyWithMessage});
    UploadStateMachine(u"127.0.0.1", WriteFile("big.xml", file), u"tovel", Options(peer.Port()));
    EXPECT_EQ(peer.Request(), ExpectedRequest("YWRtaW46dG92ZWw=", sent));
}

TEST_F(UploadTest, TheWaitEndsOnEveryPath)
{
    // The upload holds its wait around the exchange's own; both end whether
    // the file cannot be opened, nothing answers or the controller replies.
    const std::u16string path = WriteFile("sm.xml", "<statemachine/>");
    TestPeer peer({kReplyWithMessage});
    const struct {
        const char* name;
        std::u16string path;
        std::uint16_t port;
        UploadVariant variant;
        std::string waits;
    } cases[] = {
        {"missing file, editor", (dir_ / "missing.xml").u16string(), peer.Port(), UploadVariant::Editor, "+-"},
        {"missing file, converter", (dir_ / "missing.xml").u16string(), peer.Port(), UploadVariant::Converter, "+-"},
        {"nothing listens", path, test::ClosedPort(), UploadVariant::Converter, "++--"},
        {"answered", path, peer.Port(), UploadVariant::Converter, "++--"},
    };
    for (const auto& c : cases) {
        std::string waits;
        UploadOptions options = Options(c.port);
        options.variant = c.variant;
        options.showMessage = [&waits](const std::u16string&) { waits += 'm'; };
        test::RecordWaits(options.exchange.hooks, waits);
        UploadStateMachine(u"127.0.0.1", c.path, u"tovel", options);
        EXPECT_EQ(waits, c.variant == UploadVariant::Editor ? "+m-" : c.waits) << c.name;
    }
}

TEST(TextModeContent, ReadsLikeATextModeStream)
{
    const struct {
        std::string raw;
        std::string content;
    } cases[] = {
        {"a\r\nb\r\n", "a\nb\n"},
        {"lone\rcr\r", "lone\rcr\r"},
        {"\r\r\n", "\r\n"},
        {"before\x1A"
         "after",
         "before"},
        {std::string("before\0after", 12), "before"},
        {"\xEF\xBB\xBFx", "\xEF\xBB\xBFx"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextModeContent(c.raw), c.content) << c.raw;
}

TEST_F(UploadTest, PasswordOutsideTheNarrowEncodingSendsTheDefaultCharacter)
{
#ifdef _WIN32
    // U+4E00 is in no single-byte ANSI code page and becomes '?', so the
    // token is that of "admin:?".
    if (GetACP() == 932 || GetACP() == 936 || GetACP() == 949 || GetACP() == 950 || GetACP() == 65001)
        GTEST_SKIP() << "the ANSI code page " << GetACP() << " has U+4E00";
    EXPECT_EQ(CredentialsToken(u"\u4e00"), "YWRtaW46Pw==");
#else
    // "admin:\u20ac" cannot be written in the plain locale; the euro sign
    // becomes '?', so the token is that of "admin:?".
    EXPECT_EQ(CredentialsToken(u"\u20ac"), "YWRtaW46Pw==");
#endif
}

TEST_F(UploadTest, FileThatCannotBeOpenedSendsNothing)
{
    const std::u16string missing = (dir_ / "missing.xml").u16string();
    const std::u16string expected = u"Cannot open file " + missing + u" for reading (2)";
    ASSERT_EQ(ENOENT, 2);

    TestPeer peer({kReplyWithMessage});
    UploadOptions converter = Options(peer.Port());
    const UploadOutcome byConverter = UploadStateMachine(u"127.0.0.1", missing, u"tovel", converter);
    EXPECT_EQ(byConverter.failure, UploadFailure::OpenFile);
    EXPECT_EQ(byConverter.error, ENOENT);
    EXPECT_EQ(byConverter.text, expected);

    UploadOptions editor = Options(peer.Port());
    editor.variant = UploadVariant::Editor;
    std::u16string shown;
    editor.showMessage = [&](const std::u16string& text) { shown = text; };
    const UploadOutcome byEditor = UploadStateMachine(u"127.0.0.1", missing, u"tovel", editor);
    EXPECT_EQ(byEditor.failure, UploadFailure::OpenFile);
    EXPECT_EQ(byEditor.error, ENOENT);
    EXPECT_EQ(byEditor.text, u"");
    EXPECT_EQ(shown, expected);

    // A folder is not a file either.
    const UploadOutcome folder = UploadStateMachine(u"127.0.0.1", dir_.u16string(), u"tovel", converter);
#ifdef _WIN32
    EXPECT_EQ(folder.error, EACCES);
#else
    EXPECT_EQ(folder.error, EISDIR);
#endif
}

#ifndef _WIN32
TEST_F(UploadTest, WhatIsNotARegularFileFailsAtOnceAndSendsNothing)
{
    // A FIFO without a writer would block the open for ever, /dev/zero
    // never ends; neither is read.
    const std::filesystem::path fifo = dir_ / "fifo.xml";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::filesystem::path path;
        int error;
    } cases[] = {
        {fifo, EINVAL},
        {"/dev/zero", EINVAL},
        {dir_, EISDIR},
    };
    for (const auto& c : cases) {
        TestPeer peer({kReplyWithMessage}, TestPeer::Ending::Reply);
        const auto start = std::chrono::steady_clock::now();
        const UploadOutcome outcome =
            UploadStateMachine(u"127.0.0.1", c.path.u16string(), u"tovel", Options(peer.Port()));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << c.path;
        EXPECT_EQ(outcome.failure, UploadFailure::OpenFile) << c.path;
        EXPECT_EQ(outcome.error, c.error) << c.path;
        EXPECT_EQ(outcome.text, CannotOpenText(c.path.u16string(), c.error)) << c.path;
    }
}

TEST_F(UploadTest, ReadingStopsAtTheFirstZeroByte)
{
    // 8 GiB that are all zero bytes after a short text (a sparse file, so
    // it costs no disk): only the text is read, at once.
    const std::filesystem::path huge = dir_ / "huge.xml";
    std::ofstream(huge, std::ios::binary) << "<statemachine/>\r\n";
    std::filesystem::resize_file(huge, 8ull << 30);
    const auto start = std::chrono::steady_clock::now();
    const UploadContent content = ReadUploadContent(huge.u16string());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(content.error, 0);
    EXPECT_EQ(content.bytes, "<statemachine/>\n");
}

TEST_F(UploadTest, NamesThatAreNotUtf8AreOpenedByTheirBytes)
{
    const std::string content = "<statemachine/>";
    for (const std::string name : {"caf\xE9.xml", "\xFF\xFE.xml", "gr\xC3\xBC\xC3\x9F.xml"}) {
        const std::filesystem::path path = dir_.string() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        const std::u16string inMemory = FileNameFromBytes(path.string());
        const UploadContent read = ReadUploadContent(inMemory);
        EXPECT_EQ(read.error, 0) << name;
        EXPECT_EQ(read.bytes, content) << name;
    }
}
#endif

TEST_F(UploadTest, RepliesBecomeResultTexts)
{
    const struct {
        std::string reply;
        std::int32_t code;
        std::u16string text;
    } cases[] = {
        {kReplyWithMessage, 200, u"Accepted: 1 timer"},
        {"HTTP/1.1 401 Unauthorized\r\n\r\n", 401, u"Error: 401: Authorization required"},
        {"HTTP/1.0 500 Oops\r\n\r\n<p name=\"status\"><b>x</b></p>", 500, u"Error: 500"},
        {"no status line", 0, u"Error: 0"},
        {"HTTP/1.0 200 OK\r\n\r\n<p>no status element</p>", 200, u""},
    };
    const std::u16string path = WriteFile("sm.xml", "<statemachine/>");
    for (const auto& c : cases) {
        TestPeer peer({c.reply});
        const UploadOutcome outcome = UploadStateMachine(u"127.0.0.1", path, u"tovel", Options(peer.Port()));
        EXPECT_EQ(outcome.failure, c.code == 200 ? UploadFailure::None : UploadFailure::Status) << c.reply;
        EXPECT_EQ(outcome.status, c.code) << c.reply;
        EXPECT_EQ(outcome.text, c.text) << c.reply;
    }

    const UploadOutcome refused = UploadStateMachine(u"127.0.0.1", path, u"tovel", Options(test::ClosedPort()));
    EXPECT_EQ(refused.failure, UploadFailure::Connect);
    EXPECT_EQ(refused.error, net::kConnectionRefused);
    EXPECT_EQ(refused.text, CannotConnectText(net::kConnectionRefused));
}

// A controller that takes the request and goes quiet is told apart from
// one that closes the connection without a word: both end as "Error: 0",
// and the explanation says which it was.
TEST_F(UploadTest, SilentControllerIsToldApartFromOneThatCloses)
{
    const std::u16string path = WriteFile("sm.xml", "<statemachine/>");
    const struct {
        TestPeer::Ending ending;
        bool timedOut;
        std::u16string explanation;
    } cases[] = {
        {TestPeer::Ending::StaySilent, true,
         u"The controller took the connection but sent no reply within the time limit."},
        {TestPeer::Ending::CloseAtOnce, false,
         u"The controller closed the connection without an answer it could read."},
    };
    for (const auto& c : cases) {
        TestPeer peer({}, c.ending);
        UploadOptions options = Options(peer.Port());
        options.exchange.receiveTimeLimit = 200ms;
        const UploadOutcome outcome = UploadStateMachine(u"127.0.0.1", path, u"tovel", options);
        EXPECT_EQ(outcome.failure, UploadFailure::Status);
        EXPECT_EQ(outcome.text, u"Error: 0");
        EXPECT_EQ(outcome.timedOut, c.timedOut);
        EXPECT_TRUE(ExplainUploadOutcome(outcome, 80) == c.explanation) << c.timedOut;
    }
}

TEST_F(UploadTest, AReplyThatRunsPastTheLimitIsNoSuccess)
{
    // A 200 whose status element never ends: what fits in the limit is not
    // the controller's message.
    const std::u16string path = WriteFile("sm.xml", "<statemachine/>");
    const std::string endless =
        "HTTP/1.0 200 OK\r\n\r\n<p name=\"status\">State machine accepted " + std::string(kReplyLimit + 4096, 'x');
    std::vector<std::string> chunks;
    for (std::size_t at = 0; at < endless.size(); at += 65536)
        chunks.push_back(endless.substr(at, 65536));
    TestPeer peer(chunks);
    const UploadOutcome outcome = UploadStateMachine(u"127.0.0.1", path, u"tovel", Options(peer.Port()));
    EXPECT_EQ(outcome.failure, UploadFailure::Status);
    EXPECT_EQ(outcome.status, 200);
    EXPECT_TRUE(outcome.text == kReplyCutOffText);
    EXPECT_TRUE(ExplainUploadOutcome(outcome, 80).empty());

    // A whole reply of the usual size is still a success.
    TestPeer usual({kReplyWithMessage});
    EXPECT_EQ(UploadStateMachine(u"127.0.0.1", path, u"tovel", Options(usual.Port())).failure, UploadFailure::None);
}

TEST(StatusElementText, TakesTheTextAfterTheTagThatFollowsTheMarker)
{
    const struct {
        std::u16string_view reply;
        std::u16string_view text;
    } cases[] = {
        // A tag, then the message.
        {u"HTTP/1.0 200\r\n\r\n<td name=\"status\"><b>  Done\t</b></td>", u"Done"},
        // Text, then the closing tag: what follows that tag is the message.
        {u"HTTP/1.0 200\r\n\r\n<p name=\"status\">ignored</p>after<br>", u"after"},
        {u"HTTP/1.0 200\r\n\r\n<p name=\"status\">ignored</p>\r\n<br>", u"page response unknown"},
        {u"HTTP/1.0 200\r\n\r\n<p name=\"status\">", u"page response unknown"},
        {u"HTTP/1.0 200\r\n\r\n<p name=\"status\"><b>tail without tag", u"tail without tag"},
        {u"HTTP/1.0 200\r\n\r\n<p name=\"other\"><b>x</b>", u""},
        {u"name=\"status\"><b>at the very start</b>", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StatusElementText(c.reply), c.text) << std::string(c.reply.begin(), c.reply.end());
}

}  // namespace
}  // namespace quarn
