#include "document/reader.hpp"

#include "document/writer.hpp"
#include "tests/support/files.hpp"
#include "tests/support/office_model.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace quarn {
namespace {

namespace fs = std::filesystem;
using test::Date;
using test::Time;

// Reads path into a model that starts out holding the office example, and
// records the hook calls.
struct ReadAttempt {
    StateMachineModel model;
    int result = 0;
    std::u16string text;
    std::vector<std::string> steps;
};

ReadAttempt Read(const std::u16string& path)
{
    ReadAttempt attempt;
    attempt.model = test::OfficeModel();
    attempt.model.modified = true;
    attempt.model.path = path;
    ReaderHooks hooks;
    hooks.reportUsed = [&](const std::u16string& used) {
        attempt.steps.push_back(used == path ? "used" : "used (other path)");
    };
    hooks.showModel = [&] { attempt.steps.push_back("show"); };
    const ReadOutcome outcome = ReadStateMachineFile(attempt.model, hooks);
    attempt.result = outcome.code;
    attempt.text = outcome.text;
    return attempt;
}

StateMachineModel EmptyModelAt(const std::u16string& path)
{
    StateMachineModel model;
    model.path = path;
    return model;
}

TEST(Reader, OfficeFixtureReadsIntoTheModelItWasWrittenFrom)
{
    const std::u16string path = test::U16Path(fs::path(QUARN_DOCUMENT_FIXTURES) / "office.xml");
    const ReadAttempt attempt = Read(path);
    ASSERT_EQ(attempt.result, 0);
    StateMachineModel expected = test::OfficeModel();
    expected.path = path;
    EXPECT_EQ(attempt.model, expected);
    EXPECT_EQ(attempt.steps, (std::vector<std::string>{"used", "show"}));
}

TEST(Reader, WrittenFileReadsBackExceptWhatTheFileCannotCarry)
{
    test::ScratchFolder folder;
    StateMachineModel model = test::OfficeModel();
    model.path = test::U16Path(folder / "plan.xml");
    model.version = u"B\u00fcro \u20ac & co <v2> &amp;";
    model.timers[2].offTime = Time(18, 0, 0);   // blank ON time and dates
    model.timers[3].onDate = Date(2000, 6, 1);  // a date before 2001
    model.timers[3].onTime = Time(1, 2, 3);
    model.timers[3].offDate = Date(2099, 12, 31);
    model.timers[3].offTime = Time(23, 59, 59);
    model.timers[4].onTime = Time(5, 0, 0);  // no OFF time: not in use
    SetWeekdayMask(model, 4, 3);
    model.relays[0] = u"#R1||#S0";
    model.relays[7] = u"(#S3&&#R7&&#T7&&#0)||#S1||#S2||#R0||#T3";
    ASSERT_TRUE(WriteStateMachineFile(model).written());

    StateMachineModel expected = model;
    expected.timers[2].onTime = Time(0, 0, 0);
    expected.timers[3].onDate.reset();
    expected.timers[3].offDate.reset();
    expected.timers[4] = TimerEntry{};

    const ReadAttempt attempt = Read(model.path);
    ASSERT_EQ(attempt.result, 0);
    EXPECT_EQ(attempt.model, expected);
}

struct TextCase {
    const char* name;
    std::string xml;
    std::function<void(StateMachineModel&)> expect;  // applied to an empty model
};

void Relay(StateMachineModel& model, int n, std::u16string text)
{
    model.relays[n] = std::move(text);
}

std::string RelayState(const std::string& id, const std::string& inner)
{
    return "<state id=\"" + id + "\">" + inner + "</state>";
}

std::string Halves(const std::string& offId, const std::string& onId, const std::string& cond)
{
    return "<state id=\"" + offId + "\"><onentry/><transition target=\"x\" cond=\"" + cond +
           "\"> </transition></state><state id=\"" + onId + "\"/>";
}

TEST(Reader, TakesWhatItNeedsAndSkipsMalformedParts)
{
    const TextCase cases[] = {
        {"time without date", R"(<statemachine><timer id="0" start="27000" end="79200" dow="31"/></statemachine>)",
         [](StateMachineModel& m) {
             m.timers[0].onTime = Time(7, 30, 0);
             m.timers[0].offTime = Time(22, 0, 0);
             SetWeekdayMask(m, 0, 31);
         }},
        {"only one value with a date",
         R"(<statemachine><timer id="5" start="413632800" end="79200" dow="0"/></statemachine>)",
         [](StateMachineModel& m) {
             m.timers[5].onTime = Time(10, 0, 0);
             m.timers[5].offTime = Time(22, 0, 0);
         }},
        {"missing attributes", R"(<statemachine><timer/></statemachine>)",
         [](StateMachineModel& m) {
             m.timers[0].onTime = Time(0, 0, 0);
             m.timers[0].offTime = Time(0, 0, 0);
         }},
        {"ids out of range", R"(<statemachine><timer id="8" end="60"/><timer id="-1" end="60"/></statemachine>)",
         [](StateMachineModel&) {}},
        {"numbers as the C library reads them",
         R"(<statemachine><timer id=" +3x" start="-1" end="99999999999" dow="255"/></statemachine>)",
         [](StateMachineModel& m) {
             m.timers[3].onTime = Time(6, 28, 15);
             m.timers[3].offTime = Time(6, 28, 15);
             SetWeekdayMask(m, 3, 127);
         }},
        {"equal ids: later times win, dates only with years after 2000",
         R"(<statemachine><timer id="1" start="413632800" end="413836200" dow="96"/>)"
         R"(<timer id="1" start="3600" end="7200" dow="1"/></statemachine>)",
         [](StateMachineModel& m) {
             m.timers[1].onDate = Date(2013, 2, 8);
             m.timers[1].offDate = Date(2013, 2, 10);
             m.timers[1].onTime = Time(1, 0, 0);
             m.timers[1].offTime = Time(2, 0, 0);
             SetWeekdayMask(m, 1, 1);
         }},
        {"timers and version only inside statemachine",
         R"(<timer id="2" end="60"/><version>outside</version><statemachine><x><version>v1<y/></version></x>)"
         R"(<version>v2</version><a><timer id="4" end="60"/></a></statemachine>)",
         [](StateMachineModel& m) {
             m.version = u"v1";
             m.timers[4].onTime = Time(0, 0, 0);
             m.timers[4].offTime = Time(0, 1, 0);
         }},
        {"version without text", R"(<statemachine><version/></statemachine>)", [](StateMachineModel&) {}},
        {"conditions are unescaped once and otherwise taken as they are",
         "<statemachine><parallel>" + RelayState("R3", Halves("Roff3", "Ron3", "(#T0&amp;&amp;#T1)||#R2")) +
             RelayState("R4", Halves("Roff4", "Ron4", "#T0&&#T1")) +
             RelayState("R5", Halves("Roff5", "Ron5", "&amp;amp;x")) +
             RelayState("R6", "<state id=\"Roff6\"><transition/></state><state id=\"Ron6\"/>") +
             "</parallel></statemachine>",
         [](StateMachineModel& m) {
             Relay(m, 3, u"(#T0&&#T1)||#R2");
             Relay(m, 4, u"#T0&&#T1");
             Relay(m, 5, u"&amp;x");
             Relay(m, 6, u"");
         }},
        {"relay states of the wrong form",
         "<parallel>" + RelayState("R8", Halves("Roff8", "Ron8", "#S0")) +
             RelayState("R10", Halves("Roff1", "Ron1", "#S0")) + RelayState("r1", Halves("Roff1", "Ron1", "#S0")) +
             RelayState("R1", Halves("Rof1", "Ron1", "#S0")) + RelayState("R1", Halves("Roff1", "Ron12", "#S0")) +
             RelayState("R2", Halves("Roff2", "Ron2", "#S0") + "<state id=\"x\"/>") +
             RelayState("R3", "<state id=\"Roff3\"/><state id=\"Ron3\"/>") + "<other><state id=\"R4\">" +
             Halves("Roff4", "Ron4", "#S0") + "</state></other>" + RelayState("R0", Halves("RoffX", "RonY", "#S1")) +
             "</parallel>",
         [](StateMachineModel& m) { Relay(m, 0, u"#S1"); }},
        {"first parallel anywhere, transition anywhere below the off state",
         "<doc><parallel>" +
             RelayState("R7", "<state id=\"Roff7\"><a><transition cond=\"#T7\"/></a></state><state id=\"Ron7\"/>") +
             "</parallel><parallel>" + RelayState("R6", Halves("Roff6", "Ron6", "#T6")) + "</parallel></doc>",
         [](StateMachineModel& m) { Relay(m, 7, u"#T7"); }},
        {"not XML at all", "just some text", [](StateMachineModel&) {}},
        {"declaration without \"?>\"",
         R"(<?xml version="1.0" encoding="utf-8"><statemachine><version>Why?</version>)"
         R"(<timer id="2" end="60"/></statemachine>)",
         [](StateMachineModel& m) {
             m.version = u"Why?";
             m.timers[2].onTime = Time(0, 0, 0);
             m.timers[2].offTime = Time(0, 1, 0);
         }},
    };
    test::ScratchFolder folder;
    const std::u16string path = test::U16Path(folder / "case.xml");
    for (const TextCase& c : cases) {
        test::WriteBytes(folder / "case.xml", c.xml);
        const ReadAttempt attempt = Read(path);
        StateMachineModel expected = EmptyModelAt(path);
        c.expect(expected);
        EXPECT_EQ(attempt.result, 0) << c.name;
        EXPECT_EQ(attempt.model, expected) << c.name;
    }
}

TEST(Reader, DecodesByByteOrderMarkAndReadsCrLfAsLf)
{
    const std::u16string text = u"<statemachine>\n<version>B\u00fcro\u20ac\U0001F600</version>\n"
                                u"<timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"31\"> </timer>\n<parallel>\n"
                                u"<state id=\"R1\"><state id=\"Roff1\"><transition cond=\"#S0||#S1\"/></state>"
                                u"<state id=\"Ron1\"/></state>\n</parallel>\n</statemachine>\n";
    std::string utf8;
    std::string utf16;
    for (const char16_t c : text) {
        if (c == u'\n') {
            utf16 += std::string("\r\0\n\0", 4);
        } else {
            utf16 += static_cast<char>(c & 0xFF);
            utf16 += static_cast<char>(c >> 8);
        }
    }
    utf8 = "<statemachine>\n<version>B\xC3\xBCro\xE2\x82\xAC\xF0\x9F\x98\x80</version>\n"
           "<timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"31\"> </timer>\n<parallel>\n"
           "<state id=\"R1\"><state id=\"Roff1\"><transition cond=\"#S0||#S1\"/></state>"
           "<state id=\"Ron1\"/></state>\n</parallel>\n</statemachine>\n";
    std::string utf8CrLf;
    for (const char c : utf8)
        utf8CrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);

    const std::pair<const char*, std::string> files[] = {
        {"UTF-8 without mark, LF", utf8},
        {"UTF-8 with mark, CR LF", "\xEF\xBB\xBF" + utf8CrLf},
        {"UTF-16 little-endian with mark, CR LF", "\xFF\xFE" + utf16},
    };
    test::ScratchFolder folder;
    const std::u16string path = test::U16Path(folder / "enc.xml");
    StateMachineModel expected = EmptyModelAt(path);
    expected.version = u"B\u00fcro\u20ac\U0001F600";
    expected.timers[0].onTime = Time(7, 30, 0);
    expected.timers[0].offTime = Time(22, 0, 0);
    SetWeekdayMask(expected, 0, 31);
    expected.relays[1] = u"#S0||#S1";
    for (const auto& [name, bytes] : files) {
        test::WriteBytes(folder / "enc.xml", bytes);
        const ReadAttempt attempt = Read(path);
        EXPECT_EQ(attempt.result, 0) << name;
        EXPECT_TRUE(attempt.text.empty()) << name;
        EXPECT_EQ(attempt.model, expected) << name;
    }
}

TEST(Reader, FailuresLeaveAnEmptyModelAndTheCallerShowsIt)
{
    test::ScratchFolder folder;
    test::WriteBytes(folder / "empty.xml", "");
    test::WriteBytes(folder / "mark-only.xml", "\xEF\xBB\xBF");
    test::WriteBytes(folder / "big-endian.xml", std::string("\xFE\xFF\0<\0a\0/\0>", 10));
    fs::create_directory(folder / "folder.xml");

    struct Case {
        std::u16string path;
        int result;
        std::vector<std::string> steps;
    };
    const Case cases[] = {
        {u"", -1, {"show"}},
        {test::U16Path(folder / "missing.xml"), -1, {"show"}},
        {test::U16Path(folder / "empty.xml"), -1, {"used", "show"}},
        {test::U16Path(folder / "mark-only.xml"), -1, {"used", "show"}},
        {test::U16Path(folder / "big-endian.xml"), EINVAL, {"used", "show"}},
        {test::U16Path(folder / "folder.xml"), test::kFolderReadError, {"used", "show"}},
    };
    for (const Case& c : cases) {
        const ReadAttempt attempt = Read(c.path);
        const std::string name(c.path.begin(), c.path.end());
        EXPECT_EQ(attempt.result, c.result) << name;
        EXPECT_EQ(attempt.text, u"Cannot open the file for reading") << name;
        EXPECT_EQ(attempt.model, EmptyModelAt(c.path)) << name;
        EXPECT_EQ(attempt.steps, c.steps) << name;
    }
}

#ifndef _WIN32
// chmod 0 makes a file unreadable only on POSIX systems.
TEST(Reader, UnreadableFileGivesTheSystemErrorNumber)
{
    if (test::RunningAsRoot())
        GTEST_SKIP() << "permissions do not apply to root";
    test::ScratchFolder folder;
    test::WriteBytes(folder / "locked.xml", test::Fixture("office.xml"));
    ::chmod((folder / "locked.xml").c_str(), 0);
    const ReadAttempt attempt = Read(test::U16Path(folder / "locked.xml"));
    EXPECT_EQ(attempt.result, EACCES);
    EXPECT_EQ(attempt.steps, (std::vector<std::string>{"used", "show"}));
}
#endif

TEST(Reader, DeeplyNestedFileReadsWithoutCrash)
{
    constexpr int kDepth = 1000000;
    std::string xml = "<statemachine><version>deep</version>";
    xml.reserve(8 * kDepth + 200);
    for (int i = 0; i < kDepth; ++i)
        xml += "<a>";
    xml += R"(<timer id="6" start="60" end="120" dow="64"/>)";
    for (int i = 0; i < kDepth; ++i)
        xml += "</a>";
    xml += R"(<parallel><state id="R2"><state id="Roff2"><transition cond="#T6"/></state>)"
           R"(<state id="Ron2"/></state></parallel></statemachine>)";
    test::ScratchFolder folder;
    test::WriteBytes(folder / "deep.xml", xml);

    const ReadAttempt attempt = Read(test::U16Path(folder / "deep.xml"));
    ASSERT_EQ(attempt.result, 0);
    EXPECT_EQ(attempt.model.version, u"deep");
    EXPECT_EQ(attempt.model.timers[6].offTime, Time(0, 2, 0));
    EXPECT_EQ(WeekdayMask(attempt.model, 6), 64);
    EXPECT_EQ(attempt.model.relays[2], u"#T6");
}

// Unclosed nesting to the end of the text, as a broken file might hold.
TEST(Reader, DeeplyNestedUnclosedFileReadsWithoutCrash)
{
    std::string xml = "<statemachine><version>v</version>";
    for (int i = 0; i < 1000000; ++i)
        xml += "<b x='1'>";
    test::ScratchFolder folder;
    test::WriteBytes(folder / "open.xml", xml);
    const ReadAttempt attempt = Read(test::U16Path(folder / "open.xml"));
    EXPECT_EQ(attempt.result, 0);
    EXPECT_EQ(attempt.model.version, u"v");
}

}  // namespace
}  // namespace quarn
