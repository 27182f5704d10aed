// Allocation helpers shared by the tree, the parser and the serializer.
#pragma once

#include "xml/pug.hpp"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace pug::detail {

// A record and its first array entries live in one allocation: a new record
// with room for one attribute and one child costs a single malloc. Arrays that
// outgrow that room move to the heap; release_node tells the two apart.
//
// Records made by the parser come from a pool instead: chunks that the
// document's block holds and that go with the document. A pooled block is
// never freed by itself, and neither are the first pooled_attributes
// attribute records of a pooled node. Only a document made by make_document
// has a pool (a document_block); every other record leaves that field out,
// which keeps the block of each parsed node at 96 bytes.
struct pool_chunk {
    pool_chunk* next;
    std::size_t used;
    std::size_t size;  // room after the header
};

struct node_block {
    node_record record;
    attribute_record* first_attribute;
    node_record* first_child;
    std::uint32_t pooled_attributes;  // leading attribute records from the pool
    bool pooled;                      // the block itself comes from the pool
    bool attributes_in_pool;          // the attribute array lies in the pool
    bool children_in_pool;            // the child array lies in the pool
    bool has_pool;                    // the block is a document_block
};

struct document_block {
    node_block block;
    pool_chunk* pool;  // the chunks, newest first
};

static_assert(std::is_standard_layout_v<node_block> && std::is_standard_layout_v<document_block>);
static_assert(offsetof(document_block, block) == 0);
// Everything in the pool is aligned for pointers, which is all its records need.
constexpr std::size_t kPoolAlignment = alignof(void*);
static_assert(alignof(node_block) <= kPoolAlignment && alignof(attribute_record) <= kPoolAlignment);
static_assert(sizeof(node_block) % kPoolAlignment == 0 && sizeof(attribute_record) % kPoolAlignment == 0);

constexpr std::size_t rounded(std::size_t size)
{
    return (size + kPoolAlignment - 1) & ~(kPoolAlignment - 1);
}

constexpr std::size_t kChunkHeader = rounded(sizeof(pool_chunk));

// Arrays grown while parsing stay in the pool up to this size (five entries:
// one growth step past the inline slot); larger ones move to the heap, so an
// array grown step by step leaves little behind in the pool.
constexpr std::size_t kLargestPooledArray = 5 * sizeof(void*);

inline node_block* block_of(node_record* node)
{
    return reinterpret_cast<node_block*>(node);
}

// A new record with both arrays sized as given (0 = absent), parent unset,
// both in_buffer flags as given. nullptr when memory fails.
node_record* new_node(node_kind kind, std::int32_t attribute_room, std::int32_t child_room, bool in_buffer);

// Appends child to parent, growing the array by step when full. False (and
// nothing changed) when memory fails.
bool append_child(node_record* parent, node_record* child, std::int32_t step);

// A new attribute record appended to node, growing by step. nullptr when
// memory fails.
attribute_record* append_attribute(node_record* node, std::int32_t step, bool in_buffer);

// A document record (kind_document, its own parent, room for one child)
// that holds the pool the parser's records come from. nullptr when memory
// fails.
node_record* new_document_node();

// size bytes from the pool of the document whose block this is; nullptr when
// memory fails or the record has no pool (it is not a document made by
// make_document).
void* pool_allocate(node_block* block, std::size_t size);

// The general cases of the three operations below.
node_record* new_parsed_node_slow(node_record* document, node_kind kind, std::int32_t attribute_room,
                                  std::int32_t child_room);
bool append_parsed_child_slow(node_record* parent, node_record* child, node_record* document, std::int32_t step);
attribute_record* append_parsed_attribute_slow(node_record* node, node_record* document, std::int32_t step);

// pool_allocate of a size that is a multiple of kPoolAlignment, with the
// common case, room left in the newest chunk, inline.
inline void* pool_take(node_record* document, std::size_t size)
{
    node_block* block = block_of(document);
    if (block->has_pool) {
        pool_chunk* chunk = reinterpret_cast<document_block*>(block)->pool;
        if (chunk && chunk->size - chunk->used >= size) {
            void* memory = reinterpret_cast<char*>(chunk) + kChunkHeader + chunk->used;
            chunk->used += size;
            return memory;
        }
    }
    return pool_allocate(block, size);
}

// The same for a record made by the parser into the tree of document: it
// comes from a pool that belongs to document and is released with it by
// free_tree, which spares the allocator one call per record. Only a
// document from new_document_node (make_document) has a pool; with any other
// record the result is nullptr.
inline node_record* new_parsed_node(node_record* document, node_kind kind, std::int32_t attribute_room,
                                    std::int32_t child_room)
{
    // Room for more than one entry, which the parser never asks for at the
    // start, takes the general way.
    if (static_cast<std::uint32_t>(attribute_room) > 1 || static_cast<std::uint32_t>(child_room) > 1)
        return new_parsed_node_slow(document, kind, attribute_room, child_room);
    auto* block = static_cast<node_block*>(pool_take(document, sizeof(node_block)));
    if (!block)
        return nullptr;  // a block left unused stays in the pool until the document goes
    block->record = node_record{nullptr,
                                nullptr,
                                true,
                                kind,
                                0,
                                attribute_room,
                                attribute_room > 0 ? &block->first_attribute : nullptr,
                                0,
                                child_room,
                                child_room > 0 ? &block->first_child : nullptr,
                                nullptr,
                                true};
    block->pooled_attributes = 0;
    block->pooled = true;
    block->attributes_in_pool = false;
    block->children_in_pool = false;
    block->has_pool = false;
    return &block->record;
}

// The common growth of a parse, inline: a full array that lies in its block
// or in the pool grows by step entries into the pool while it stays small.
// False when that does not apply or memory fails; the general way then
// decides.
template <typename T>
bool grow_in_pool(T**& array, T** inline_slot, bool& in_pool, std::uint32_t count, std::int32_t& capacity,
                  std::int32_t step, node_record* document)
{
    if (!array || (array != inline_slot && !in_pool) || step <= 0)
        return false;
    const std::size_t wanted = std::size_t{count} + static_cast<std::size_t>(step);
    if (wanted > kLargestPooledArray / sizeof(T*))
        return false;
    auto** grown = static_cast<T**>(pool_take(document, wanted * sizeof(T*)));
    if (!grown)
        return false;
    for (std::uint32_t i = 0; i < count; ++i)
        grown[i] = array[i];
    array = grown;
    capacity = static_cast<std::int32_t>(wanted);
    in_pool = true;
    return true;
}

// append_child for the parser: small arrays grow into the pool of document.
inline bool append_parsed_child(node_record* parent, node_record* child, node_record* document, std::int32_t step)
{
    if (!parent->children || static_cast<std::int64_t>(parent->child_count) >= parent->child_capacity) {
        node_block* block = block_of(parent);
        if (!grow_in_pool(parent->children, &block->first_child, block->children_in_pool, parent->child_count,
                          parent->child_capacity, step, document))
            return append_parsed_child_slow(parent, child, document, step);
    }
    child->parent = parent;
    parent->children[parent->child_count++] = child;
    return true;
}

// append_attribute for the parser: the record comes from the pool of
// document while node is a parsed record whose attributes all came from
// there; otherwise from the heap.
inline attribute_record* append_parsed_attribute(node_record* node, node_record* document, std::int32_t step)
{
    node_block* block = block_of(node);
    if (block->pooled && block->pooled_attributes == node->attribute_count &&
        ((node->attributes && static_cast<std::int64_t>(node->attribute_count) < node->attribute_capacity) ||
         grow_in_pool(node->attributes, &block->first_attribute, block->attributes_in_pool, node->attribute_count,
                      node->attribute_capacity, step, document))) {
        auto* attribute = static_cast<attribute_record*>(pool_take(document, sizeof(attribute_record)));
        if (!attribute)
            return nullptr;
        *attribute = attribute_record{nullptr, true, nullptr, true};
        node->attributes[node->attribute_count++] = attribute;
        ++block->pooled_attributes;
        return attribute;
    }
    return append_parsed_attribute_slow(node, document, step);
}

// Releases one record with its attributes and owned strings, not its children.
// Releasing a document also releases its pool.
void release_node_slow(node_record* node);

// A record from the pool that owns nothing on the heap, as the parser leaves
// every record, is released with its pool: nothing to do for it alone.
inline bool owns_nothing(node_record* node)
{
    node_block* block = block_of(node);
    if (!block->pooled || !node->name_in_buffer || !node->value_in_buffer ||
        block->pooled_attributes != node->attribute_count)
        return false;
    if (node->attributes && node->attributes != &block->first_attribute && !block->attributes_in_pool)
        return false;
    if (node->children && node->children != &block->first_child && !block->children_in_pool)
        return false;
    for (std::uint32_t i = 0; i < node->attribute_count; ++i)
        if (!node->attributes[i]->name_in_buffer || !node->attributes[i]->value_in_buffer)
            return false;
    return true;
}

inline void release_node(node_record* node)
{
    if (!owns_nothing(node))
        release_node_slow(node);
}

// A zero-length string for names and values cut out as empty runs. Never
// written to and never freed (its flag stays in_buffer).
char16_t* empty_text();

}  // namespace pug::detail
