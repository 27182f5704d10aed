#include "document/file_text.hpp"

#include <gtest/gtest.h>

#include <cerrno>

namespace quarn {
namespace {

TEST(FileText, DecodesByByteOrderMarkAndReadsCrLfAsLf)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"UTF-8 with mark", "\xEF\xBB\xBF<a>\xC3\xA9</a>\r\n", u"<a>\u00e9</a>\n"},
        {"UTF-8 without mark", "<a>\xE2\x82\xAC</a>\n", u"<a>\u20ac</a>\n"},
        {"UTF-16 little-endian", std::string("\xFF\xFE<\0a\0\r\0\n\0\xAC\x20", 12), u"<a\n\u20ac"},
        {"lone CR kept, CR CR LF loses one", "a\rb\r\r\nc\n\r", u"a\rb\r\nc\n\r"},
        {"mark only", "\xEF\xBB\xBF", u""},
        {"empty", "", u""},
        {"a mark not at the start is text", "a\xEF\xBB\xBF", u"a\uFEFF"},
    };
    for (const Case& c : cases) {
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

}  // namespace
}  // namespace quarn
