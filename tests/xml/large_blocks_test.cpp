// Blocks below and above the size that is mapped by itself: what a resize
// keeps, whichever side of that size the old and the new block lie.
#include "xml/large_blocks.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

using pug::detail::kLargeBlock;

std::uint8_t Pattern(std::size_t i)
{
    return static_cast<std::uint8_t>(i * 7 + i / 4093);
}

void Fill(void* block, std::size_t size)
{
    auto* bytes = static_cast<std::uint8_t*>(block);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = Pattern(i);
}

// The first position in [0, size) that does not hold the pattern, or size.
std::size_t FirstDifference(const void* block, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(block);
    for (std::size_t i = 0; i < size; ++i)
        if (bytes[i] != Pattern(i))
            return i;
    return size;
}

TEST(LargeBlocks, ResizeKeepsTheCommonPrefixAcrossTheMappedSize)
{
    const struct {
        std::size_t from;
        std::size_t to;
    } cases[] = {
        {100, 5000},                             // both small
        {5000, kLargeBlock},                     // small to mapped
        {kLargeBlock - 1, kLargeBlock + 1},      // just below to just above
        {kLargeBlock, 3 * kLargeBlock + 12345},  // mapped to a larger mapped one
        {3 * kLargeBlock, kLargeBlock + 1},      // mapped to a smaller mapped one
        {kLargeBlock + 1, 4096},                 // mapped to small
    };
    for (const auto& c : cases) {
        void* block = pug::detail::allocate_block(c.from);
        ASSERT_NE(block, nullptr) << c.from;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % alignof(std::max_align_t), 0u) << c.from;
        Fill(block, c.from);
        void* moved = pug::detail::resize_block(block, c.from, c.to);
        ASSERT_NE(moved, nullptr) << c.from << " -> " << c.to;
        const std::size_t kept = c.from < c.to ? c.from : c.to;
        EXPECT_EQ(FirstDifference(moved, kept), kept) << c.from << " -> " << c.to;
        // The whole new size is usable.
        std::memset(moved, 0xA5, c.to);
        pug::detail::release_block(moved, c.to);
    }
}

TEST(LargeBlocks, ANullBlockResizesAsANewOne)
{
    void* block = pug::detail::resize_block(nullptr, 0, 2 * kLargeBlock);
    ASSERT_NE(block, nullptr);
    Fill(block, 2 * kLargeBlock);
    EXPECT_EQ(FirstDifference(block, 2 * kLargeBlock), 2 * kLargeBlock);
    pug::detail::release_block(block, 2 * kLargeBlock);
    pug::detail::release_block(nullptr, kLargeBlock);  // nothing to release
}

}  // namespace
