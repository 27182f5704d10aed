#pragma once
// UTF-8 <-> UTF-16 for paths and engine texts. Invalid input becomes U+FFFD.

#include <string>
#include <string_view>

namespace quarn {

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace quarn
