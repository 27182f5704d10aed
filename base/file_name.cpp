#include "base/file_name.hpp"

#include <cstdint>

namespace quarn {

namespace {

void AppendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

}  // namespace

std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t pos, std::uint32_t& code)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length = 0;
    std::uint32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > bytes.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(pos + i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

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
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
            name[i + 1] <= 0xDFFF) {
            AppendUtf8(bytes, 0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) + (name[i + 1] - 0xDC00));
            ++i;
        } else if (IsKeptByte(unit)) {
            bytes.push_back(KeptByte(unit));
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(bytes, 0xFFFD);
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

}  // namespace quarn
