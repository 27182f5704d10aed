// CBase64: decoding arbitrary text, and encoding arbitrary bytes. Invariants:
// decode(encode(x)) gives x (followed by the zero bytes that stand for the
// padding), the encoded text is 4 * ceil(n / 3) alphabet characters, and a
// decode yields three bytes per four text characters and one per leftover.
// One codec object serves every step, as a reused object must.

#include "devicelink/base64.hpp"
#include "fuzz/fuzz_check.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

bool InAlphabet(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
           c == '=';
}

bool IsSpaceByte(unsigned char c)
{
    return (c >= 7 && c <= 13) || c == 32;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using quarn::CBase64;
    const auto count = static_cast<std::uint32_t>(size);
    const char* text = reinterpret_cast<const char*>(data);
    CBase64 codec;

    codec.Decode(text, count);
    std::uint32_t kept = 0;
    for (std::size_t i = 0; i < size; ++i)
        kept += IsSpaceByte(data[i]) ? 0 : 1;
    FUZZ_CHECK(codec.TextLength() == kept);
    FUZZ_CHECK(codec.ByteLength() == kept / 4 * 3 + kept % 4);

    // The same text up to its first zero byte.
    const std::string terminated(text, size);
    codec.DecodeString(terminated.c_str());
    FUZZ_CHECK(codec.TextLength() <= kept);

    codec.Encode(data, count);
    const std::uint32_t expected = (count + 2) / 3 * 4;
    FUZZ_CHECK(codec.TextLength() == expected);
    FUZZ_CHECK(std::strlen(codec.GetText()) == expected);
    for (std::uint32_t i = 0; i < expected; ++i)
        FUZZ_CHECK(InAlphabet(codec.GetText()[i]));
    const std::string encoded(codec.GetText(), expected);

    codec.Decode(encoded.data(), static_cast<std::uint32_t>(encoded.size()));
    FUZZ_CHECK(codec.ByteLength() == expected / 4 * 3);
    FUZZ_CHECK(codec.ByteLength() >= count);
    FUZZ_CHECK(size == 0 || std::memcmp(codec.GetBytes(), data, size) == 0);
    for (std::uint32_t i = count; i < codec.ByteLength(); ++i)
        FUZZ_CHECK(codec.GetBytes()[i] == 0);

    // EncodeString stops at the first zero byte.
    codec.EncodeString(terminated.c_str());
    FUZZ_CHECK(codec.TextLength() == (std::strlen(terminated.c_str()) + 2) / 3 * 4);
    return 0;
}
