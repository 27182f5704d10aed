#include "devicelink/base64.hpp"

#include <cstring>

namespace quarn {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kNotInAlphabet = 254;
constexpr std::uint8_t kPad = 255;
// Larger inputs would overflow the 32-bit sizes; they give empty results.
constexpr std::uint32_t kMaxInput = 0x40000000;

// Built once for the whole process. A byte with its top bit set looks up like
// the same byte without it.
struct DecodeTable {
    std::uint8_t entry[256];
    DecodeTable()
    {
        std::memset(entry, kNotInAlphabet, sizeof entry);
        for (int i = 0; i < 64; ++i) {
            const auto c = static_cast<unsigned char>(kAlphabet[i]);
            entry[c] = static_cast<std::uint8_t>(i);
            entry[c + 128] = static_cast<std::uint8_t>(i);
        }
        entry[static_cast<unsigned char>('=')] = kPad;
        entry[static_cast<unsigned char>('=') + 128] = kPad;
    }
};

const DecodeTable& Table()
{
    static const DecodeTable table;
    return table;
}

}  // namespace

void CBase64::EncodeString(const char* text)
{
    if (text == nullptr)
        return;
    Encode(text, static_cast<std::uint32_t>(std::strlen(text)));
}

void CBase64::Encode(const void* bytes, std::uint32_t count)
{
    if (count > kMaxInput)
        count = 0;
    LoadBytes(bytes, count);
    // Four characters for every three bytes or part of three.
    ReserveText(static_cast<std::uint32_t>((count + 2ull) / 3 * 4));
    char out[4];
    std::uint32_t i = 0;
    for (; i + 3 <= count; i += 3) {
        Base64Group group;
        group.value[0] = bytes_[i];
        group.value[1] = bytes_[i + 1];
        group.value[2] = bytes_[i + 2];
        group.count = 3;
        EncodeGroup(group, out);
        text_.append(out, 4);
    }
    if (i < count) {
        // One or two bytes are left.
        Base64Group group;
        group.count = static_cast<std::uint8_t>(count - i);
        group.value[0] = bytes_[i];
        if (group.count > 1)
            group.value[1] = bytes_[i + 1];
        EncodeGroup(group, out);
        text_.append(out, 4);
    }
}

void CBase64::DecodeString(const char* text)
{
    if (text == nullptr)
        return;
    Decode(text, static_cast<std::uint32_t>(std::strlen(text)));
}

void CBase64::Decode(const char* text, std::uint32_t count)
{
    const DecodeTable& table = Table();
    if (count > kMaxInput)
        count = 0;
    LoadText(text, count);
    const std::size_t length = text_.size();
    // Three bytes for every four characters, one for each left over.
    ReserveBytes(static_cast<std::uint32_t>(length / 4 * 3 + length % 4));
    std::uint8_t out[3];
    std::size_t k = 0;
    for (; k + 4 <= length; k += 4) {
        Base64Group group;
        for (int j = 0; j < 4; ++j)
            group.value[j] = table.entry[static_cast<unsigned char>(text_[k + j])];
        for (int j = 2; j < 4; ++j)
            if (group.value[j] == kPad)
                group.value[j] = 0;
        group.count = 4;
        DecodeGroup(group, out);
        AppendBytes(out, 3);
    }
    if (k < length) {
        Base64Group group;
        group.count = static_cast<std::uint8_t>(length - k);
        for (std::uint32_t j = 0; j < group.count; ++j) {
            const std::uint8_t v = table.entry[static_cast<unsigned char>(text_[k + j])];
            group.value[j] = v == kPad ? 0 : v;
        }
        DecodeGroup(group, out);
        AppendBytes(out, group.count);
    }
}

const std::uint8_t* CBase64::GetBytes() const
{
    return bytes_.data();
}

const char* CBase64::GetText() const
{
    return text_.c_str();
}

// Both empty their buffer and make room for size bytes, so that filling it
// allocates at most once.
void CBase64::ReserveText(std::uint32_t size)
{
    text_.clear();
    text_.reserve(size);
}

void CBase64::ReserveBytes(std::uint32_t size)
{
    bytes_.assign(1, 0);
    bytes_.reserve(static_cast<std::size_t>(size) + 1);
}

void CBase64::LoadText(const char* text, std::uint32_t count)
{
    ReserveText(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if (!IsSpaceByte(byte))
            text_ += static_cast<char>(byte);
    }
}

void CBase64::LoadBytes(const void* bytes, std::uint32_t count)
{
    ReserveBytes(count);
    AppendBytes(static_cast<const std::uint8_t*>(bytes), count);
}

void CBase64::AppendBytes(const std::uint8_t* bytes, std::uint32_t count)
{
    if (count > 0)
        bytes_.insert(bytes_.end() - 1, bytes, bytes + count);
}

void CBase64::EncodeGroup(const Base64Group& group, char* out) const
{
    std::uint8_t six[4];
    SplitGroup(group.value, six);
    for (int j = 0; j < 4; ++j)
        out[j] = kAlphabet[six[j]];
    if (group.count == 1)
        out[2] = '=';
    if (group.count <= 2)
        out[3] = '=';
}

int CBase64::DecodeGroup(const Base64Group& group, std::uint8_t* out) const
{
    JoinGroup(group.value, out);
    int real = 0;
    for (int j = 0; j < 3; ++j)
        if (out[j] != 255)
            ++real;
    return real;
}

void CBase64::SplitGroup(const std::uint8_t in[3], std::uint8_t out[4]) const
{
    out[0] = static_cast<std::uint8_t>(in[0] >> 2);
    out[1] = static_cast<std::uint8_t>(((in[0] & 3) << 4) | (in[1] >> 4));
    out[2] = static_cast<std::uint8_t>(((in[1] & 15) << 2) | (in[2] >> 6));
    out[3] = static_cast<std::uint8_t>(in[2] & 63);
}

void CBase64::JoinGroup(const std::uint8_t in[4], std::uint8_t out[3]) const
{
    out[0] = static_cast<std::uint8_t>((in[0] << 2) | ((in[1] >> 4) & 3));
    out[1] = static_cast<std::uint8_t>((in[1] << 4) | ((in[2] >> 2) & 15));
    out[2] = static_cast<std::uint8_t>((in[2] << 6) | (in[3] & 63));
}

bool CBase64::IsSpaceByte(std::uint8_t byte) const
{
    return (byte >= 7 && byte <= 13) || byte == 32;
}

}  // namespace quarn
