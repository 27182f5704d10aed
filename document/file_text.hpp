#pragma once
// How the bytes of a state-machine file become text.

#include <string>
#include <string_view>

namespace quarn {

// Decodes by byte-order mark: EF BB BF is UTF-8 after the mark, FF FE is
// UTF-16 little-endian after the mark, and anything else is UTF-8 from the
// first byte. CR LF becomes LF. A file that begins with FE FF (UTF-16
// big-endian) is not read: the result is EINVAL and text stays empty.
// Otherwise the result is 0.
int DecodeFileText(std::string_view bytes, std::u16string& text);

}  // namespace quarn
