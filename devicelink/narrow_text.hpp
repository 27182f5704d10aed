#pragma once

#include <string>
#include <string_view>

namespace quarn {

// Request and reply bytes are 8-bit text in the system's narrow encoding: the
// ANSI code page on Windows, the current locale's encoding elsewhere (where
// the locale is plain ASCII, as in the "C" locale, ISO 8859-1 stands in so
// that every byte has a meaning).

// UTF-16 to narrow text. A character the encoding cannot represent becomes
// '?', the encoding's default character.
std::string ToNarrow(std::u16string_view text);

// Narrow text to UTF-16, up to the first zero byte. A byte sequence that is
// not valid in the encoding becomes U+FFFD, one per byte.
std::u16string ToWide(const char* narrow);

// The same over a counted text; stops at the first zero byte as well.
std::u16string ToWide(std::string_view narrow);

}  // namespace quarn
