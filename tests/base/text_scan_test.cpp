#include "base/text_scan.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace quarn {
namespace {

std::string Printable(std::u16string_view text)
{
    std::string out;
    for (const char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

TEST(TextScan, WhiteSpaceIsTheCLibrarys)
{
    for (const char16_t c : {u' ', u'\t', u'\n', u'\v', u'\f', u'\r'})
        EXPECT_TRUE(IsSpace(c)) << int(c);
    // Neither the characters either side of the control range, nor the
    // spaces that only Unicode calls white space.
    for (const char16_t c : {u'\0', u'\b', u'\x0E', u'\x1F', u'!', u'\x85', u'\xA0', u'\x2028', u'\x3000'})
        EXPECT_FALSE(IsSpace(c)) << int(c);
}

TEST(TextScan, ReadsSignAndDigitsAndSaysWhereItStopped)
{
    constexpr std::uint64_t kBig = std::uint64_t{1} << 40;
    const struct {
        std::u16string_view text;
        std::size_t pos;
        std::uint64_t limit;
        std::uint64_t magnitude;
        bool negative;
        bool digits;
        std::size_t end;
    } cases[] = {
        {u"0", 0, kBig, 0, false, true, 1},
        {u"42", 0, kBig, 42, false, true, 2},
        {u" \t\n\v\f\r17x", 0, kBig, 17, false, true, 8},
        {u"+5", 0, kBig, 5, false, true, 2},
        {u"-5 6", 0, kBig, 5, true, true, 2},
        {u"007", 0, kBig, 7, false, true, 3},
        // Scanning starts at pos; white space before it is not looked at.
        {u"ab 12", 2, kBig, 12, false, true, 5},
        {u"12", 2, kBig, 0, false, false, 2},
        // No digits: the sign is still told, and end stays where the scan began.
        {u"", 0, kBig, 0, false, false, 0},
        {u"   ", 0, kBig, 0, false, false, 0},
        {u"-", 0, kBig, 0, true, false, 0},
        {u" +x1", 1, kBig, 0, false, false, 1},
        {u"x1", 0, kBig, 0, false, false, 0},
        // One sign only, and no white space between it and the digits.
        {u"--1", 0, kBig, 0, true, false, 0},
        {u"- 1", 0, kBig, 0, true, false, 0},
        // Digits other than ASCII's end the number.
        {u"1\x0662", 0, kBig, 1, false, true, 1},
        // At the limit, one past it, and far past it: every digit is consumed.
        {u"4294967296", 0, 4294967296, 4294967296, false, true, 10},
        {u"4294967297", 0, 4294967296, 4294967296, false, true, 10},
        {u"4294967295", 0, 4294967296, 4294967295, false, true, 10},
        {u"-99999999999999999999999 1", 0, 2147483648, 2147483648, true, true, 24},
        {u"18446744073709551615", 0, UINT64_MAX, UINT64_MAX, false, true, 20},
        {u"18446744073709551616", 0, UINT64_MAX, UINT64_MAX, false, true, 20},
        {u"9", 0, 5, 5, false, true, 1},
        {u"10", 0, 9, 9, false, true, 2},
        {u"3", 0, 0, 0, false, true, 1},
    };
    for (const auto& c : cases) {
        const ScannedDecimal number = ScanDecimal(c.text, c.pos, c.limit);
        const std::string what = "\"" + Printable(c.text) + "\" from " + std::to_string(c.pos);
        EXPECT_EQ(number.magnitude, c.magnitude) << what;
        EXPECT_EQ(number.negative, c.negative) << what;
        EXPECT_EQ(number.digits, c.digits) << what;
        EXPECT_EQ(number.end, c.end) << what;
    }
}

TEST(TextScan, SaturatesToTheInt32Range)
{
    const struct {
        std::u16string_view text;
        std::int32_t value;
    } cases[] = {
        {u"", 0},
        {u"-", 0},
        {u"-0", 0},
        {u"123", 123},
        {u"-123", -123},
        {u"2147483647", INT32_MAX},
        {u"2147483648", INT32_MAX},
        {u"99999999999999999999", INT32_MAX},
        {u"-2147483647", -INT32_MAX},
        {u"-2147483648", INT32_MIN},
        {u"-2147483649", INT32_MIN},
        {u"-99999999999999999999", INT32_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SaturatedInt32(ScanDecimal(c.text, 0, kInt32Magnitude)), c.value) << Printable(c.text);
        // A higher limit gives the same values.
        EXPECT_EQ(SaturatedInt32(ScanDecimal(c.text, 0, UINT64_MAX)), c.value) << Printable(c.text);
    }
}

}  // namespace
}  // namespace quarn
