#include "devicelink/narrow_text.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace quarn {
namespace {

// Switches the program's locale for one test and back.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : previous_(std::setlocale(LC_ALL, nullptr))
    {
        ok_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~LocaleScope() { std::setlocale(LC_ALL, previous_.c_str()); }
    bool ok() const { return ok_; }

private:
    std::string previous_;
    bool ok_ = false;
};

// The narrow encoding follows the C library's locale only where there is no
// ANSI code page; on Windows setlocale() does not change it.
#ifdef _WIN32
#define SKIP_WHERE_THE_LOCALE_IS_NOT_THE_NARROW_ENCODING() \
    GTEST_SKIP() << "the narrow encoding is the ANSI code page, which setlocale() does not change"
#else
#define SKIP_WHERE_THE_LOCALE_IS_NOT_THE_NARROW_ENCODING() static_cast<void>(0)
#endif

TEST(NarrowText, PlainLocaleUsesOneBytePerCharacterAndQuestionMarkForTheRest)
{
    SKIP_WHERE_THE_LOCALE_IS_NOT_THE_NARROW_ENCODING();
    LocaleScope locale("C");
    ASSERT_TRUE(locale.ok());
    EXPECT_EQ(ToNarrow(u""), "");
    EXPECT_EQ(ToNarrow(u"admin:tovel"), "admin:tovel");
    EXPECT_EQ(ToNarrow(u"p\u00e4ss"), "p\xe4ss");
    // Outside the encoding: the euro sign, a character beyond U+FFFF (one
    // question mark for its two units) and a lone surrogate.
    EXPECT_EQ(ToNarrow(u"a\u20acb\U0001F600c\xD800"), "a?b?c?");

    EXPECT_EQ(ToWide("p\xe4ss"), u"p\u00e4ss");
    EXPECT_EQ(ToWide(nullptr), u"");
}

TEST(NarrowText, Utf8LocaleConvertsMultiByteAndReplacesInvalidBytes)
{
    SKIP_WHERE_THE_LOCALE_IS_NOT_THE_NARROW_ENCODING();
    LocaleScope locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    EXPECT_EQ(ToNarrow(u"p\u00e4\u20ac"), "p\xc3\xa4\xe2\x82\xac");
    EXPECT_EQ(ToNarrow(u"x\xDC00y"), "x?y");
    EXPECT_EQ(ToWide("p\xc3\xa4\xe2\x82\xac"), u"p\u00e4\u20ac");
    // A stray byte and a sequence cut off at the end of a chunk.
    EXPECT_EQ(ToWide("a\xff"
                     "b\xe2\x82"),
              u"a\uFFFDb\uFFFD\uFFFD");
}

#ifdef _WIN32
TEST(NarrowText, AnsiCodePage1252)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
    EXPECT_EQ(ToNarrow(u""), "");
    EXPECT_EQ(ToNarrow(u"admin:tovel"), "admin:tovel");
    EXPECT_EQ(ToNarrow(u"p\u00e4ss \u20ac"), "p\xe4ss \x80");
    // Characters the code page lacks become '?', look-alikes included: no
    // best-fit "a" for U+0101.
    EXPECT_EQ(ToNarrow(u"\u0101b\u4e00c"), "?b?c");
    EXPECT_EQ(ToWide("p\xe4ss \x80"), u"p\u00e4ss \u20ac");
    EXPECT_EQ(ToWide(nullptr), u"");
}
#endif

TEST(NarrowText, WideTextEndsAtTheFirstZeroByte)
{
    EXPECT_EQ(ToWide(std::string_view("HTTP/1.0\0 200", 13)), u"HTTP/1.0");
}

}  // namespace
}  // namespace quarn
