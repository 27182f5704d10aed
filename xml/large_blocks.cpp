// Big blocks straight from the system where it helps, malloc elsewhere.
#include "xml/large_blocks.hpp"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#define QUARN_PUG_MAPPED_BLOCKS 1
#else
#define QUARN_PUG_MAPPED_BLOCKS 0
#endif

namespace pug::detail {

namespace {

bool mapped(std::size_t size)
{
    return QUARN_PUG_MAPPED_BLOCKS && size >= kLargeBlock;
}

#if QUARN_PUG_MAPPED_BLOCKS
// Huge pages need 2 MiB-aligned ranges: the block is mapped with room to
// spare and the ends outside the aligned range are given back.
constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

std::size_t mapped_size(std::size_t size)
{
    return (size + kHugePage - 1) & ~static_cast<std::size_t>(kHugePage - 1);
}

void* map_block(std::size_t size)
{
    const std::size_t length = mapped_size(size);
    if (length < size || length + kHugePage < length)
        return nullptr;
    void* area = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(area);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        munmap(area, aligned - start);
    const std::uintptr_t tail = start + length + kHugePage - (aligned + length);
    if (tail > 0)
        munmap(reinterpret_cast<void*>(aligned + length), tail);
    void* block = reinterpret_cast<void*>(aligned);
#if defined(MADV_HUGEPAGE)
    // Only advice: without huge pages the block works the same.
    madvise(block, length, MADV_HUGEPAGE);
#endif
    return block;
}
#endif

}  // namespace

void* allocate_block(std::size_t size)
{
#if QUARN_PUG_MAPPED_BLOCKS
    if (mapped(size))
        return map_block(size);
#endif
    return std::malloc(size > 0 ? size : 1);
}

void release_block(void* block, std::size_t size)
{
    if (!block)
        return;
#if QUARN_PUG_MAPPED_BLOCKS
    if (mapped(size)) {
        munmap(block, mapped_size(size));
        return;
    }
#endif
    (void)size;
    std::free(block);
}

void* resize_block(void* block, std::size_t old_size, std::size_t new_size)
{
    if (!block)
        return allocate_block(new_size);
    if (!mapped(old_size) && !mapped(new_size))
        return std::realloc(block, new_size > 0 ? new_size : 1);
    void* moved = allocate_block(new_size);
    if (!moved)
        return nullptr;
    std::memcpy(moved, block, old_size < new_size ? old_size : new_size);
    release_block(block, old_size);
    return moved;
}

}  // namespace pug::detail
