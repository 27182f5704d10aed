// SHA-256 against the known answers of FIPS 180-4's examples, and the same
// digest however the message is split into updates.
#include <gtest/gtest.h>

#include <string>

#include "base/sha256.hpp"

namespace quarn {
namespace {

struct KnownAnswer {
    std::string message;
    const char* digest;
};

TEST(Sha256, KnownAnswers)
{
    const KnownAnswer cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 448 bits: the padding needs a block of its own.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrst"
         "nopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const KnownAnswer& known : cases)
        EXPECT_EQ(Sha256Hex(known.message), known.digest) << known.message.substr(0, 120);
}

TEST(Sha256, AnySplitIntoUpdatesGivesTheSameDigest)
{
    // Every length around the block and padding edges, cut at every place.
    std::string message;
    for (int i = 0; i < 130; ++i)
        message.push_back(static_cast<char>(i * 7 + 1));
    for (std::size_t length = 0; length <= message.size(); ++length) {
        const std::string whole = Sha256Hex(message.substr(0, length));
        for (std::size_t cut = 0; cut <= length; ++cut) {
            Sha256 hash;
            hash.Update(std::string_view(message).substr(0, cut));
            hash.Update(std::string_view(message).substr(cut, length - cut));
            const Sha256::Digest digest = hash.Finish();
            std::string hex;
            for (const std::uint8_t byte : digest) {
                constexpr char kHex[] = "0123456789abcdef";
                hex += kHex[byte >> 4];
                hex += kHex[byte & 15];
            }
            ASSERT_EQ(hex, whole) << "length " << length << ", cut at " << cut;
        }
    }
}

}  // namespace
}  // namespace quarn
