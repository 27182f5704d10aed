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
std::u16string DecodeUtf16Le(std::string_view bytes);

}  // namespace quarn
