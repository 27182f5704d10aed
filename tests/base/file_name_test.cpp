#include "base/file_name.hpp"

#include <gtest/gtest.h>

#include <string>

namespace quarn {
namespace {

TEST(FileName, AnyBytesComeBackUnchanged)
{
    const struct {
        std::string bytes;
        std::u16string name;
    } cases[] = {
        {"plain.xml", u"plain.xml"},
        {"gr\xC3\xBC\xC3\x9F.xml", u"gr\u00FC\u00DF.xml"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        // Latin-1 bytes, a stray continuation byte, a cut-off sequence.
        {"caf\xE9", u"caf\xDCE9"},
        {"\x80x", u"\xDC80x"},
        {"\xE2\x82", u"\xDCE2\xDC82"},
        // Not UTF-8 either: an overlong slash, an encoded surrogate, beyond U+10FFFF.
        {"\xC0\xAF", u"\xDCC0\xDCAF"},
        {"\xED\xB2\x80", u"\xDCED\xDCB2\xDC80"},
        {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileNameFromBytes(c.bytes), c.name) << c.bytes;
        EXPECT_EQ(FileNameBytes(FileNameFromBytes(c.bytes)), c.bytes) << c.bytes;
    }
}

TEST(FileName, LoneSurrogatesThatStandForNoByteBecomeTheReplacementCharacter)
{
    EXPECT_EQ(FileNameBytes(u"a\xD800"
                            "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(FileNameBytes(u"\xDC10"), "\xEF\xBF\xBD");
    EXPECT_EQ(FileNameBytes(std::u16string(1, u'\xDBFF')), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace quarn
