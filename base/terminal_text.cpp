#include "base/terminal_text.hpp"

#include "base/utf8.hpp"

namespace quarn {

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
        const auto lead = static_cast<unsigned char>(bytes.front());
        std::uint32_t code = lead;
        const std::size_t length = lead < 0x80 ? 1 : Utf8SequenceAt(bytes, 0, code);
        const char32_t c = code;
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
        out +=
            TerminalSafeUtf8(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

}  // namespace quarn
