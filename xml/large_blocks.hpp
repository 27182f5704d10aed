// Memory for the big blocks of a parse: the text buffer and the record pool's
// chunks. Small blocks come from malloc as before.
#pragma once

#include <cstddef>

namespace pug::detail {

// From this size on a block is mapped from the system by itself, in whole
// huge pages where the system offers them (Linux: transparent huge pages on
// advice). Touching fresh memory one 4 KiB page at a time costs a page fault
// per page; a 2 MiB page costs one for 512 of them, and page faults are most
// of what a large read costs on a virtual machine.
constexpr std::size_t kLargeBlock = std::size_t{2} << 20;

// size bytes, aligned for any object; nullptr when memory fails. Released
// only by release_block with the same size.
void* allocate_block(std::size_t size);
void release_block(void* block, std::size_t size);

// Moves a block to a new size, keeping the first min(old_size, new_size)
// bytes; nullptr (and the old block kept) when memory fails. A null block
// with old_size 0 allocates.
void* resize_block(void* block, std::size_t old_size, std::size_t new_size);

}  // namespace pug::detail
