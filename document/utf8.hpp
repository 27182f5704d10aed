#pragma once
// Conversions between the UTF-16 text held in memory and the bytes of files.
// Malformed input never fails: each bad sequence becomes U+FFFD.

#include <string>
#include <string_view>

namespace quarn {

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

}  // namespace quarn
