#include "document/markup_text.hpp"

#include "base/utf8.hpp"

#include <cmath>
#include <cstdint>

namespace quarn {

std::string MarkupText(std::u16string_view text)
{
    // EncodeUtf8 writes a lone surrogate as U+FFFD, so the bytes are
    // well-formed; U+FFFE and U+FFFF are no XML characters either.
    std::u16string characters(text);
    for (char16_t& c : characters) {
        if (c == 0xFFFE || c == 0xFFFF)
            c = 0xFFFD;
    }
    const std::string utf8 = EncodeUtf8(characters);
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r' ? ' ' : c;
        }
    }
    return out;
}

std::string MarkupText(std::string_view utf8)
{
    return MarkupText(DecodeUtf8(utf8));
}

std::string MarkupNumber(double value)
{
    const auto tenths = static_cast<std::int64_t>(std::llround(value * 10));
    const std::int64_t magnitude = tenths < 0 ? -tenths : tenths;
    std::string text = (tenths < 0 && magnitude != 0 ? "-" : "") + std::to_string(magnitude / 10);
    if (magnitude % 10 != 0)
        text += "." + std::to_string(magnitude % 10);
    return text;
}

}  // namespace quarn
