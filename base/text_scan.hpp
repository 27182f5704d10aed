#pragma once
// Reading numbers out of text the way the C library's strtol family does,
// over UTF-16 views, without locale and without errno.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quarn {

// White space as the C library sees it in the "C" locale: space, tab, line
// feed, vertical tab, form feed and carriage return.
inline bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

struct ScannedDecimal {
    std::uint64_t magnitude = 0;  // the digits' value, or the limit once it would pass it
    bool negative = false;        // a '-' stood before the digits
    bool digits = false;          // at least one digit was seen
    std::size_t end = 0;          // just after the last digit; where the scan began without digits
};

// Scans text from pos: white space (IsSpace), an optional sign, then decimal
// digits up to the first other character or the end. The magnitude
// saturates at limit, however many digits follow; they are all consumed.
// Without digits the sign is still reported, magnitude is 0 and end is pos.
ScannedDecimal ScanDecimal(std::u16string_view text, std::size_t pos, std::uint64_t limit);

// The magnitude of INT32_MIN: the least limit for which SaturatedInt32 gives
// the right value.
inline constexpr std::uint64_t kInt32Magnitude = std::uint64_t{1} << 31;

// The scanned number clamped to the int32 range (0 without digits), for a
// scan whose limit was at least kInt32Magnitude.
std::int32_t SaturatedInt32(const ScannedDecimal& number);

}  // namespace quarn
