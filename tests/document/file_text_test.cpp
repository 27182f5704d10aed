#include "base/file_open.hpp"
#include "document/file_text.hpp"
#include "document/file_text_source.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace quarn {
namespace {

struct FileTextCase {
    const char* name;
    std::string bytes;
    std::u16string text;
};

std::vector<FileTextCase> Cases()
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
    for (const FileTextCase& c : Cases()) {
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
    for (const FileTextCase& c : Cases()) {
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

// The same bytes in an open file, read a window at a time: every window
// size from the least up to past the longest case, so CR LF pairs, byte-order
// marks and multi-byte characters fall across every window boundary.
TEST(FileTextSource, ReadsAnOpenFileWindowByWindow)
{
    std::vector<FileTextCase> cases = Cases();
    cases.push_back({"long mixed line",
                     "\xEF\xBB\xBF<a b=\"\xC3\xA9\xE2\x82\xAC\">\r\n\r\r\n\xF0\x9F\x98\x80x\xE2\x82\r\n"
                     "\xC3\r\n\x80\x80\xF0\x9F\x98y</a>\r",
                     u"<a b=\"\u00e9\u20ac\">\n\r\n\U0001F600x\uFFFD\n\uFFFD\n\uFFFD\uFFFD\uFFFDy</a>\r"});
    for (const FileTextCase& c : cases) {
        for (std::size_t window = 8; window <= c.bytes.size() + 1; ++window) {
            const FileHandle file(std::tmpfile());
            ASSERT_NE(file, nullptr);
            std::fwrite(c.bytes.data(), 1, c.bytes.size(), file.get());
            std::rewind(file.get());
            FileTextSource source(file.get(), window);
            EXPECT_EQ(source.Error(), 0) << c.name;
            EXPECT_GE(source.size_hint(), c.text.size()) << c.name;
            std::u16string text;
            char16_t buffer[3];
            while (const std::size_t got = source.read(buffer, 3))
                text.append(buffer, got);
            EXPECT_EQ(text, c.text) << c.name << ", window of " << window;
            EXPECT_EQ(source.Error(), 0) << c.name;
        }
    }
}

TEST(FileTextSource, BigEndianFileGivesAnErrorAndNoText)
{
    const std::string bytes("\xFE\xFF\0<\0a", 6);
    FileTextSource source(bytes);
    EXPECT_EQ(source.Error(), EINVAL);
    char16_t buffer[8];
    EXPECT_EQ(source.read(buffer, 8), 0u);

    const FileHandle file(std::tmpfile());
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    std::rewind(file.get());
    FileTextSource streamed(file.get(), 8);
    EXPECT_EQ(streamed.Error(), EINVAL);
    EXPECT_EQ(streamed.read(buffer, 8), 0u);
}

#ifndef _WIN32
// A file that opens but cannot be read (a folder, on POSIX systems) gives
// the system's error number and no text.
TEST(FileTextSource, ReadErrorIsReported)
{
    const FileHandle folder(std::fopen(".", "rb"));
    ASSERT_NE(folder, nullptr);
    FileTextSource source(folder.get());
    EXPECT_EQ(source.Error(), EISDIR);
    char16_t buffer[8];
    EXPECT_EQ(source.read(buffer, 8), 0u);
}
#endif

}  // namespace
}  // namespace quarn
