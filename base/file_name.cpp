#include "base/file_name.hpp"

#include "base/utf8.hpp"

#include <cstdint>

namespace quarn {

std::u16string FileNameFromBytes(std::string_view bytes)
{
    std::u16string name;
    name.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[pos]);
        if (lead < 0x80) {
            name.push_back(lead);
            ++pos;
            continue;
        }
        std::uint32_t code = 0;
        const std::size_t length = Utf8SequenceAt(bytes, pos, code);
        if (length == 0) {
            name.push_back(static_cast<char16_t>(0xDC00 + lead));
            ++pos;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            name.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            name.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            name.push_back(static_cast<char16_t>(code));
        }
        pos += length;
    }
    return name;
}

std::string FileNameBytes(std::u16string_view name)
{
    std::string bytes;
    bytes.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i];
        if (IsHighSurrogate(unit) && i + 1 < name.size() && IsLowSurrogate(name[i + 1])) {
            AppendUtf8(bytes, CombineSurrogates(unit, name[i + 1]));
            ++i;
        } else if (IsKeptByte(unit)) {
            bytes.push_back(KeptByte(unit));
        } else if (IsSurrogate(unit)) {
            AppendUtf8(bytes, kReplacementCharacter);
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

}  // namespace quarn
