#pragma once
// UTF-8 and UTF-16, the one place that knows both: the conversions between
// the UTF-16 text held in memory and the bytes of files, and the pieces that
// file names and terminal text build on. Malformed input never fails: each
// bad sequence becomes U+FFFD.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarn {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

constexpr bool IsHighSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}
constexpr bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}
// The code point of a high surrogate followed by a low one.
constexpr char32_t CombineSurrogates(char32_t high, char32_t low)
{
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

std::string EncodeUtf8(std::u16string_view text);
std::u16string DecodeUtf8(std::string_view bytes);
// DecodeUtf8, and every CR directly followed by LF is dropped.
std::u16string DecodeUtf8Text(std::string_view bytes);
// DecodeUtf8Text piece by piece: decodes from the front of bytes into out,
// at most room units, and removes what it decoded from bytes. It stops
// before a character that does not fit (one outside the Basic Multilingual
// Plane needs two units); with room >= 2 it returns 0 only once bytes is
// empty.
std::size_t DecodeUtf8TextPiece(std::string_view& bytes, char16_t* out, std::size_t room);
std::u16string DecodeUtf16Le(std::string_view bytes);

// Appends the UTF-8 form of the code point c (at most U+10FFFF; a surrogate
// is written as its three bytes, so callers replace lone ones first).
void AppendUtf8(std::string& out, char32_t c);

// The code point of the well-formed UTF-8 sequence of two to four bytes at
// bytes[pos] and its length; 0 when the bytes there are not one (a single
// byte, overlong forms, surrogates and values above U+10FFFF are not).
std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t pos, std::uint32_t& code);

}  // namespace quarn
