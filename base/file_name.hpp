#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarn {

// File names as the system holds them. Outside Windows a name is any string
// of bytes. In memory it is UTF-16 decoded from UTF-8, and every byte that is
// not part of valid UTF-8 is kept as the lone surrogate U+DC00 + byte
// (U+DC80 to U+DCFF), so that any name comes back to the same bytes. On
// Windows names are UTF-16 already; command-line arguments arrive there as
// UTF-8 and decode the same way.

// Bytes to the name in memory; never fails.
std::u16string FileNameFromBytes(std::string_view bytes);

// The name in memory back to bytes: UTF-8, with the kept bytes restored. A
// lone surrogate that stands for no byte becomes U+FFFD.
std::string FileNameBytes(std::u16string_view name);

// Whether a UTF-16 unit stands for a kept byte, and which.
inline bool IsKeptByte(char16_t unit)
{
    return unit >= 0xDC80 && unit <= 0xDCFF;
}
inline char KeptByte(char16_t unit)
{
    return static_cast<char>(unit - 0xDC00);
}

}  // namespace quarn
