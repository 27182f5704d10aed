#include "base/text_scan.hpp"

namespace quarn {

ScannedDecimal ScanDecimal(std::u16string_view text, std::size_t pos, std::uint64_t limit)
{
    ScannedDecimal number;
    number.end = pos;
    while (pos < text.size() && IsSpace(text[pos]))
        ++pos;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        number.negative = text[pos] == u'-';
        ++pos;
    }
    for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
        const auto digit = static_cast<std::uint64_t>(text[pos] - u'0');
        // Checked before multiplying, so that no limit can overflow.
        if (digit > limit || number.magnitude > (limit - digit) / 10)
            number.magnitude = limit;
        else
            number.magnitude = number.magnitude * 10 + digit;
        number.digits = true;
        number.end = pos + 1;
    }
    return number;
}

std::int32_t SaturatedInt32(const ScannedDecimal& number)
{
    if (number.negative) {
        if (number.magnitude >= kInt32Magnitude)
            return INT32_MIN;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(number.magnitude));
    }
    return number.magnitude > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(number.magnitude);
}

}  // namespace quarn
