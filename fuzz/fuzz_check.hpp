#pragma once
// Invariant checks for the fuzz targets: a broken invariant is reported and
// the process aborts, which the fuzzing engine records as a finding and the
// corpus replay as a failed test.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace quarn::fuzz {

// Little-endian 16-bit units from bytes; an odd last byte is dropped.
inline std::u16string Utf16Units(const std::uint8_t* data, std::size_t size)
{
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return text;
}

}  // namespace quarn::fuzz
