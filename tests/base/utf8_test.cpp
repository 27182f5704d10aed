#include "base/utf8.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace quarn {
namespace {

TEST(Utf8, EncodesAndDecodesEveryPlane)
{
    const std::u16string withNul(u"A\u00e9\u20ac\U0001F600\u0000z", 7);
    const std::string bytes("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\0z", 12);
    EXPECT_EQ(EncodeUtf8(withNul), bytes);
    EXPECT_EQ(DecodeUtf8(bytes), withNul);
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters)
{
    const std::pair<std::string, std::u16string> decodeCases[] = {
        {"a\x80z", u"a\uFFFDz"},          // stray continuation byte
        {"a\xC3", u"a\uFFFD"},            // cut short at the end
        {"a\xE2\x82z", u"a\uFFFDz"},      // cut short before an ASCII byte
        {"\xC0\xAF", u"\uFFFD\uFFFD"},    // overlong form
        {"\xED\xA0\x80", u"\uFFFD"},      // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD"},  // beyond U+10FFFF
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& [bytes, text] : decodeCases)
        EXPECT_EQ(DecodeUtf8(bytes), text) << testing::PrintToString(bytes);

    EXPECT_EQ(EncodeUtf8(u"a\xD800z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(EncodeUtf8(u"\xDC00"), "\xEF\xBF\xBD");
}

TEST(Utf8, Utf16LittleEndian)
{
    EXPECT_EQ(DecodeUtf16Le(std::string("A\0\xAC\x20=\xD8\0\xDE", 8)), u"A\u20ac\U0001F600");
    EXPECT_EQ(DecodeUtf16Le(std::string("A\0B", 3)), u"A\uFFFD");
}

// Long inputs go through paths that take several ASCII units at a time; every
// piece must decode the same wherever it falls relative to those steps, and
// CR LF must fold also when the pair straddles two steps.
TEST(Utf8, DecodesAlikeAtEveryAlignment)
{
    const std::pair<std::string, std::u16string> pieces[] = {
        {"<timer id=\"0\">", u"<timer id=\"0\">"},
        {"\r\n", u"\r\n"},
        {"\xC3\xA9t\xC3\xA9", u"\u00e9t\u00e9"},
        {"\r\r\n", u"\r\r\n"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\r", u"\r"},
        {"a\x80", u"a\uFFFD"},
        {"\n\r", u"\n\r"},
        {"\t\tplain ascii run of some length\r\n", u"\t\tplain ascii run of some length\r\n"},
    };
    const auto folded = [](const std::u16string& text) {
        std::u16string out;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'))
                out += text[i];
        return out;
    };
    for (std::size_t offset = 0; offset < 16; ++offset) {
        std::string bytes(offset, 'x');
        std::u16string text(offset, u'x');
        for (int round = 0; round < 3; ++round) {
            for (const auto& [pieceBytes, pieceText] : pieces) {
                bytes += pieceBytes;
                text += pieceText;
            }
        }
        EXPECT_EQ(DecodeUtf8(bytes), text) << "offset " << offset;
        EXPECT_EQ(DecodeUtf8(EncodeUtf8(text)), text) << "offset " << offset;
        EXPECT_EQ(DecodeUtf8Text(bytes), folded(text)) << "offset " << offset;
        // A CR that ends the input is kept.
        EXPECT_EQ(DecodeUtf8Text(bytes + "\r"), folded(text) + u"\r") << "offset " << offset;
        // Piece by piece, whatever the room, the same text.
        for (const std::size_t room : {2u, 3u, 4u, 5u, 7u, 8u, 9u, 10u, 15u, 16u, 17u, 23u, 32u, 4095u}) {
            std::string_view rest(bytes);
            std::u16string decoded;
            std::u16string buffer(room, u'\0');
            while (const std::size_t got = DecodeUtf8TextPiece(rest, buffer.data(), room))
                decoded.append(buffer.data(), got);
            EXPECT_TRUE(rest.empty()) << "offset " << offset << ", room " << room;
            EXPECT_EQ(decoded, folded(text)) << "offset " << offset << ", room " << room;
        }
    }
}

// File names and terminal text read one sequence at a time; what they accept
// must be exactly what the decoder turns into a character, at the edges of
// every length and at the end of the bytes.
TEST(Utf8, SequenceAtAPositionAgreesWithTheDecoder)
{
    struct SequenceCase {
        std::string bytes;
        std::size_t length;  // 0: not one well-formed sequence
        std::uint32_t code;
    };
    const SequenceCase cases[] = {
        {"\xC2\x80", 2, 0x80},
        {"\xDF\xBF", 2, 0x7FF},
        {"\xE0\xA0\x80", 3, 0x800},
        {"\xEF\xBF\xBF", 3, 0xFFFF},
        {"\xF0\x90\x80\x80", 4, 0x10000},
        {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF},
        {"\xC3\xA9z", 2, 0xE9},
        {"A", 0, 0},
        {"\x80", 0, 0},
        {"\xC1\xBF", 0, 0},
        {"\xE0\x9F\xBF", 0, 0},
        {"\xF0\x8F\xBF\xBF", 0, 0},
        {"\xED\xA0\x80", 0, 0},
        {"\xED\xBF\xBF", 0, 0},
        {"\xF4\x90\x80\x80", 0, 0},
        {"\xF5\x80\x80\x80", 0, 0},
        {"\xE2\x82", 0, 0},
        {"\xE2\x82z", 0, 0},
        {"\xF0\x9F\x98", 0, 0},
    };
    for (const SequenceCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        // At the start, and behind a prefix that must not be looked at.
        for (const std::string prefix : {"", "\xC3"}) {
            std::uint32_t code = 0;
            EXPECT_EQ(Utf8SequenceAt(prefix + c.bytes, prefix.size(), code), c.length);
            if (c.length != 0) {
                EXPECT_EQ(code, c.code);
            }
        }
        const std::u16string decoded = DecodeUtf8(c.bytes.substr(0, c.length == 0 ? c.bytes.size() : c.length));
        if (c.length != 0) {
            std::string encoded;
            AppendUtf8(encoded, c.code);
            EXPECT_EQ(encoded, c.bytes.substr(0, c.length));
            EXPECT_EQ(EncodeUtf8(decoded), encoded);
        } else if (c.bytes != "A") {
            EXPECT_EQ(decoded.front(), u'\uFFFD');
        }
    }
}

}  // namespace
}  // namespace quarn
