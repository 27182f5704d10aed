// Reading a document from bytes in memory gives what reading the same bytes
// from a file gives.
#include "document/reader.hpp"

#include "tests/support/files.hpp"
#include "tests/support/office_model.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace quarn {
namespace {

std::string Utf16Le(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST(ReaderBytes, ReadsAsTheFileReaderReadsTheSameBytes)
{
    const std::string office = test::Fixture("office.xml");
    const std::string plain = office.starts_with("\xEF\xBB\xBF") ? office.substr(3) : office;
    const struct {
        const char* name;
        std::string bytes;
        int result;
    } cases[] = {
        {"UTF-8 with mark, CR LF", office, 0},
        {"UTF-8 without mark", plain, 0},
        {"UTF-16 little-endian with mark", Utf16Le(plain), 0},
        {"UTF-16 big-endian", std::string("\xFE\xFF\0<\0a\0/\0>", 10), EINVAL},
        {"empty", "", kReadNoFile},
        {"mark only", "\xEF\xBB\xBF", kReadNoFile},
        {"no XML", "just some words", 0},
        {"cut short", plain.substr(0, 300), 0},
    };
    test::ScratchFolder folder;
    const std::u16string path = test::U16Path(folder / "same.xml");
    for (const auto& c : cases) {
        test::WriteBytes(folder / "same.xml", c.bytes);
        StateMachineModel fromFile;
        fromFile.path = path;
        ASSERT_EQ(ReadStateMachineFile(fromFile).code, c.result) << c.name;

        StateMachineModel fromBytes = test::OfficeModel();
        fromBytes.modified = true;
        fromBytes.path = path;
        EXPECT_EQ(ReadStateMachineBytes(fromBytes, c.bytes).code, c.result) << c.name;
        EXPECT_EQ(fromBytes, fromFile) << c.name;
    }

    StateMachineModel office16;
    ASSERT_EQ(ReadStateMachineBytes(office16, Utf16Le(plain)).code, 0);
    StateMachineModel expected = test::OfficeModel();
    expected.path.clear();
    expected.modified = false;
    EXPECT_EQ(office16, expected);
}

// A file that switches no relay is told apart from one that uses one, so an
// upload can ask before it replaces a running program with nothing.
TEST(ReaderBytes, TellsAFileThatSwitchesNoRelay)
{
    const std::string office = test::Fixture("office.xml");
    const struct {
        const char* name;
        std::string bytes;
        bool switchesNone;
    } cases[] = {
        {"the worked example (R3)", office, false},
        {"one relay on S0",
         "<statemachine><parallel><state id=\"R0\" initial=\"Roff0\"><state id=\"Roff0\">"
         "<transition target=\"Ron0\" cond=\"#S0\"> </transition></state><state id=\"Ron0\">"
         "<transition target=\"Roff0\" cond=\"!(#S0)\"> </transition></state></state></parallel></statemachine>",
         false},
        {"timers only",
         "<statemachine><timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"31\"> </timer></statemachine>", true},
        {"no statemachine at all", "<statemachine/>\r\n", true},
        {"empty", "", true},
        {"not XML", "0 timers, 0 relays", true},
        // Bytes the reader cannot decode say nothing about relays.
        {"UTF-16 big-endian", std::string("\xFE\xFF\0<\0a\0/\0>", 10), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SwitchesNoRelay(c.bytes), c.switchesNone) << c.name;
}

}  // namespace
}  // namespace quarn
