#pragma once
// SHA-256 (FIPS 180-4): the name the deploy journal gives a program's bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarn {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    // Adds bytes to the message; may be called any number of times.
    void Update(std::string_view bytes);
    // The digest of everything added; the object is spent afterwards.
    Digest Finish();

private:
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_{};
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;  // bytes added so far
};

// The digest of bytes as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace quarn
