#include "base/terminal_text.hpp"

namespace quarn {

namespace {

// The length of the well-formed UTF-8 sequence at the start of bytes and
// its code point, or 0 when it does not start with one.
std::size_t DecodeOne(std::string_view bytes, char32_t& c)
{
    const auto byte = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

}  // namespace

bool IsTerminalControl(char32_t c)
{
    return (c < 0x20 && c != U'\t') || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::string TerminalSafeUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        char32_t c = 0;
        const std::size_t length = DecodeOne(bytes, c);
        if (length == 0 || IsTerminalControl(c)) {
            out += '?';
            bytes.remove_prefix(length == 0 ? 1 : length);
            continue;
        }
        out.append(bytes.substr(0, length));
        bytes.remove_prefix(length);
    }
    return out;
}

std::string TerminalSafeLines(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = text.find('\n', start);
        out += TerminalSafeUtf8(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

}  // namespace quarn
