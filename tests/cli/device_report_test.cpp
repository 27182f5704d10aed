#include "cli/device_report.hpp"

#include <gtest/gtest.h>

#include <string>

#include "base/file_name.hpp"

namespace quarn::cli {
namespace {

// The tests run in the "C" locale, where the narrow encoding stands in as
// ISO 8859-1.
TEST(TerminalText, ControlCharactersButTabBecomeQuestionMarks)
{
    const struct {
        std::u16string text;
        std::string shown;
    } cases[] = {
        {u"State machine accepted", "State machine accepted"},
        {u"a\tb", "a\tb"},
        {u"\x1B[2J\x1B]0;owned\x07", "?[2J?]0;owned?"},
        {u"line\r\nnext", "line??next"},
        {std::u16string(u"nul\0end", 7), "nul?end"},
        {u"del\x7F c1\x9B"
         u"31m",
         "del? c1?31m"},
        {u"caf\u00E9", "caf\xE9"},
        // Bidirectional overrides and isolates would reorder what is shown.
        {u"\u202E1.2 \u2066x\u2069", "?1.2 ?x?"},
        // The kept bytes of a file name, and any lone surrogate, are no text.
        {u"name \xDCFF\xDC80 \xD800", "name ?? ?"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TerminalText(c.text), c.shown) << c.shown;
}

TEST(TerminalText, BytesKeepUtf8ButControlsAndWhatIsNotUtf8)
{
    EXPECT_EQ(TerminalBytes("gr\xC3\xBC\xC3\x9F \xE9.xml"), "gr\xC3\xBC\xC3\x9F ?.xml");
    EXPECT_EQ(TerminalBytes("a\x1B[1mb\nc\x7F"), "a?[1mb?c?");
    EXPECT_EQ(TerminalBytes("c1 \xC2\x9B"
                            "31m"),
              "c1 ?31m");
}

TEST(DeviceReport, UploadSucceedsOnlyForA200WithAMessageThatTakesTheFile)
{
    using enum UploadFailure;
    const struct {
        UploadOutcome outcome;
        bool ok;
        std::u16string shown;
        std::int32_t code;
    } cases[] = {
        {{None, 0, 200, u"State machine accepted: 1 timer (T0)"}, true, u"State machine accepted: 1 timer (T0)", 200},
        {{None, 0, 200, u"State machine refused: the file holds no XML text"},
         false,
         u"State machine refused: the file holds no XML text",
         200},
        {{None, 0, 200, u"page response unknown"}, false, u"page response unknown", 200},
        {{None, 0, 200, u""}, false, std::u16string(kNoMessageText), 200},
        {{Status, 0, 401, u"Error: 401: Authorization required"}, false, u"Error: 401: Authorization required", 401},
        {{Status, 0, 0, u"Error: 0"}, false, u"Error: 0", 0},
        {{Connect, 111, 0, u"Cannot connect: 111"}, false, u"Cannot connect: 111", 111},
    };
    for (const auto& c : cases) {
        const DeviceReport report = ReportUpload(c.outcome, "sm.xml");
        EXPECT_EQ(report.ok, c.ok) << c.code;
        EXPECT_EQ(report.text, c.shown) << c.code;
        EXPECT_EQ(report.terminal, TerminalText(c.shown)) << c.code;
        EXPECT_EQ(UploadCode(c.outcome), c.code);
    }
}

// The name's UTF-8 is shown; its byte that is not UTF-8 and its escape are
// shown as '?'.
TEST(DeviceReport, AFileThatCannotBeOpenedIsNamedAsText)
{
    const std::string name = "/tmp/caf\xC3\xA9 \xE9\x1B.xml";
    const UploadOutcome outcome{UploadFailure::OpenFile, 2, 0, CannotOpenText(FileNameFromBytes(name), 2)};
    const DeviceReport report = ReportUpload(outcome, name);
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.terminal, "Cannot open file /tmp/caf\xC3\xA9 ??.xml for reading (2)");
    EXPECT_EQ(UploadCode(outcome), 2);
}

TEST(DeviceReport, SwitchSucceedsOnlyWhenTheMaskShowsTheSwitch)
{
    using enum ExchangeFailure;
    const struct {
        ControlResult result;
        int relay;
        bool on;
        bool ok;
        std::u16string text;
    } cases[] = {
        {{None, 0, 200, 8}, 3, true, true, u""},
        {{None, 0, 200, 0}, 3, false, true, u""},
        {{None, 0, 200, 0}, 3, true, false, u"R3 is still off after the request to switch it on"},
        {{None, 0, 200, 255}, 7, false, false, u"R7 is still on after the request to switch it off"},
        {{None, 0, 200, std::nullopt}, 3, true, false, u"The controller's page control.html?D=1 shows no relay states"},
        {{None, 0, 401, std::nullopt}, 0, true, false, u"Error: 401: Authorization required"},
        {{Connect, 111, 0, std::nullopt}, 0, true, false, u"Cannot connect: 111"},
        {{Send, 104, 0, std::nullopt}, 0, true, false, u"Cannot connect: 104"},
    };
    for (const auto& c : cases) {
        const DeviceReport report = ReportSwitch(c.result, c.relay, c.on);
        EXPECT_EQ(report.ok, c.ok) << c.relay << c.on;
        EXPECT_EQ(report.text, c.text) << c.relay << c.on;
    }
}

}  // namespace
}  // namespace quarn::cli
