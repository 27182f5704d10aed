#include "document/file_text.hpp"
#include "document/file_text_source.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace quarn {
namespace {

struct Case {
    const char* name;
    std::string bytes;
    std::u16string text;
};

std::vector<Case> Cases()
{
    return {
        {"UTF-8 with mark", "\xEF\xBB\xBF<a>\xC3\xA9</a>\r\n", u"<a>\u00e9</a>\n"},
        {"UTF-8 without mark", "<a>\xE2\x82\xAC</a>\n", u"<a>\u20ac</a>\n"},
        {"UTF-16 little-endian", std::string("\xFF\xFE<\0a\0\r\0\n\0\xAC\x20", 12), u"<a\n\u20ac"},
        {"lone CR kept, CR CR LF loses one", "a\rb\r\r\nc\n\r", u"a\rb\r\nc\n\r"},
        {"mark only", "\xEF\xBB\xBF", u""},
        {"empty", "", u""},
        {"a mark not at the start is text", "a\xEF\xBB\xBF", u"a\uFEFF"},
        {"outside the BMP", "\xEF\xBB\xBFx\xF0\x9F\x98\x80\r\n\xF0\x9F\x98\x80", u"x\U0001F600\n\U0001F600"},
    };
}

TEST(FileText, DecodesByByteOrderMarkAndReadsCrLfAsLf)
{
    for (const Case& c : Cases()) {
        std::u16string text = u"stale";
        EXPECT_EQ(DecodeFileText(c.bytes, text), 0) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
    }
}

TEST(FileText, BigEndianFileIsRefused)
{
    std::u16string text = u"stale";
    EXPECT_EQ(DecodeFileText(std::string("\xFE\xFF\0<\0a", 6), text), EINVAL);
    EXPECT_EQ(text, u"");
}

// The parser's source gives the same text as DecodeFileText, whatever the
// size of the pieces asked for (two units is the least that always fits).
TEST(FileTextSource, GivesTheDecodedTextInPieces)
{
    for (const Case& c : Cases()) {
        for (const std::size_t piece : {std::size_t{2}, std::size_t{3}, std::size_t{4095}}) {
            FileTextSource source(c.bytes);
            EXPECT_EQ(source.Error(), 0) << c.name;
            EXPECT_GE(source.size_hint(), c.text.size()) << c.name;
            std::u16string text;
            std::u16string buffer(piece, u'\0');
            while (const std::size_t got = source.read(buffer.data(), piece)) {
                ASSERT_LE(got, piece) << c.name;
                text.append(buffer.data(), got);
            }
            EXPECT_EQ(text, c.text) << c.name << ", pieces of " << piece;
        }
    }
}

TEST(FileTextSource, BigEndianFileGivesAnErrorAndNoText)
{
    FileTextSource source(std::string("\xFE\xFF\0<\0a", 6));
    EXPECT_EQ(source.Error(), EINVAL);
    char16_t buffer[8];
    EXPECT_EQ(source.read(buffer, 8), 0u);
}

}  // namespace
}  // namespace quarn
