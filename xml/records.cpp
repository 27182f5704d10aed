// Node and attribute records: how they are allocated, grown and released.
// Records the parser makes come from a pool that belongs to the document.
#include "xml/records.hpp"

#include "xml/large_blocks.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace pug::detail {

namespace {

// Chunks double from 4 KiB, so a small document costs little, up to 32 MiB;
// from kLargeBlock on they are mapped by themselves in huge pages, and the
// part of the last chunk that a parse never reaches is never touched.
constexpr std::size_t kFirstChunk = 4096;
constexpr std::size_t kLargestChunk = std::size_t{32} << 20;

}  // namespace

void* pool_allocate(node_block* block, std::size_t size)
{
    if (!block->has_pool)
        return nullptr;
    auto* document = reinterpret_cast<document_block*>(block);
    size = rounded(size);
    pool_chunk* chunk = document->pool;
    if (!chunk || chunk->size - chunk->used < size) {
        // Each block twice the size of the last, its header included.
        std::size_t bytes = chunk ? (chunk->size + kChunkHeader) * 2 : kFirstChunk;
        if (bytes > kLargestChunk)
            bytes = kLargestChunk;
        if (bytes - kChunkHeader < size)
            bytes = kChunkHeader + size;
        auto* fresh = static_cast<pool_chunk*>(allocate_block(bytes));
        if (!fresh)
            return nullptr;
        *fresh = pool_chunk{chunk, 0, bytes - kChunkHeader};
        document->pool = fresh;
        chunk = fresh;
    }
    void* memory = reinterpret_cast<char*>(chunk) + kChunkHeader + chunk->used;
    chunk->used += size;
    return memory;
}

namespace {

void release_pool(pool_chunk* chunk)
{
    while (chunk) {
        pool_chunk* next = chunk->next;
        release_block(chunk, kChunkHeader + chunk->size);
        chunk = next;
    }
}

// Makes room for one more entry; false when memory fails. With a pool owner
// (a parse) a small array that is not on the heap grows into that pool.
template <typename T>
bool reserve_one(T**& array, T** inline_slot, bool& in_pool, std::uint32_t count, std::int32_t& capacity,
                 std::int32_t step, node_block* pool_owner)
{
    if (static_cast<std::int64_t>(count) < capacity && array)
        return true;
    const std::int64_t wanted = static_cast<std::int64_t>(count) + (step > 0 ? step : 1);
    if (wanted > INT32_MAX)
        return false;
    const std::size_t size = sizeof(T*) * static_cast<std::size_t>(wanted);
    const bool on_heap = array && array != inline_slot && !in_pool;
    const bool into_pool = pool_owner && pool_owner->has_pool && !on_heap && size <= kLargestPooledArray;
    void* grown = nullptr;
    if (on_heap) {
        grown = std::realloc(array, size);
    } else {
        grown = into_pool ? pool_allocate(pool_owner, size) : std::malloc(size);
        if (grown && count > 0)
            std::memcpy(grown, array, sizeof(T*) * count);
    }
    if (!grown)
        return false;
    array = static_cast<T**>(grown);
    capacity = static_cast<std::int32_t>(wanted);
    in_pool = into_pool;
    return true;
}

// Allocates an array of room entries: the inline slot for one, the heap for more.
template <typename T>
bool new_array(T**& array, T** inline_slot, std::int32_t room)
{
    if (room <= 0)
        array = nullptr;
    else if (room == 1)
        array = inline_slot;
    else
        array = static_cast<T**>(std::malloc(sizeof(T*) * static_cast<std::size_t>(room)));
    return room <= 0 || array != nullptr;
}

char16_t empty_string[1] = {0};

}  // namespace

char16_t* empty_text()
{
    return empty_string;
}

namespace {

// Fills a fresh block; false (and nothing left to free but the block) when
// memory fails.
bool init_block(node_block* block, node_kind kind, std::int32_t attribute_room, std::int32_t child_room, bool in_buffer,
                bool pooled)
{
    block->has_pool = false;
    node_record* node = &block->record;
    *node = node_record{nullptr, nullptr, in_buffer, kind, 0, 0, nullptr, 0, 0, nullptr, nullptr, in_buffer};
    block->pooled_attributes = 0;
    block->pooled = pooled;
    block->attributes_in_pool = false;
    block->children_in_pool = false;
    const bool attributes_made = new_array(node->attributes, &block->first_attribute, attribute_room);
    if (!attributes_made || !new_array(node->children, &block->first_child, child_room)) {
        if (attributes_made && node->attributes != &block->first_attribute)
            std::free(node->attributes);
        return false;
    }
    node->attribute_capacity = attribute_room > 0 ? attribute_room : 0;
    node->child_capacity = child_room > 0 ? child_room : 0;
    return true;
}

}  // namespace

node_record* new_node(node_kind kind, std::int32_t attribute_room, std::int32_t child_room, bool in_buffer)
{
    auto* block = static_cast<node_block*>(std::malloc(sizeof(node_block)));
    if (!block)
        return nullptr;
    if (!init_block(block, kind, attribute_room, child_room, in_buffer, false)) {
        std::free(block);
        return nullptr;
    }
    return &block->record;
}

node_record* new_document_node()
{
    auto* document = static_cast<document_block*>(std::malloc(sizeof(document_block)));
    if (!document)
        return nullptr;
    if (!init_block(&document->block, kind_document, 0, 1, true, false)) {
        std::free(document);
        return nullptr;
    }
    document->block.has_pool = true;
    document->pool = nullptr;
    document->block.record.parent = &document->block.record;
    return &document->block.record;
}

node_record* new_parsed_node_slow(node_record* document, node_kind kind, std::int32_t attribute_room,
                                  std::int32_t child_room)
{
    auto* block = static_cast<node_block*>(pool_allocate(block_of(document), sizeof(node_block)));
    if (!block || !init_block(block, kind, attribute_room, child_room, true, true))
        return nullptr;  // a block left unused stays in the pool until the document goes
    return &block->record;
}

bool append_child(node_record* parent, node_record* child, std::int32_t step)
{
    node_block* block = block_of(parent);
    if (!reserve_one(parent->children, &block->first_child, block->children_in_pool, parent->child_count,
                     parent->child_capacity, step, nullptr))
        return false;
    child->parent = parent;
    parent->children[parent->child_count++] = child;
    return true;
}

bool append_parsed_child_slow(node_record* parent, node_record* child, node_record* document, std::int32_t step)
{
    node_block* block = block_of(parent);
    if (!reserve_one(parent->children, &block->first_child, block->children_in_pool, parent->child_count,
                     parent->child_capacity, step, block_of(document)))
        return false;
    child->parent = parent;
    parent->children[parent->child_count++] = child;
    return true;
}

attribute_record* append_attribute(node_record* node, std::int32_t step, bool in_buffer)
{
    node_block* block = block_of(node);
    if (!reserve_one(node->attributes, &block->first_attribute, block->attributes_in_pool, node->attribute_count,
                     node->attribute_capacity, step, nullptr))
        return nullptr;
    auto* attribute = static_cast<attribute_record*>(std::malloc(sizeof(attribute_record)));
    if (!attribute)
        return nullptr;
    *attribute = attribute_record{nullptr, in_buffer, nullptr, in_buffer};
    node->attributes[node->attribute_count++] = attribute;
    return attribute;
}

attribute_record* append_parsed_attribute_slow(node_record* node, node_record* document, std::int32_t step)
{
    node_block* block = block_of(node);
    if (!block->pooled || block->pooled_attributes != node->attribute_count)
        return append_attribute(node, step, true);
    if (!reserve_one(node->attributes, &block->first_attribute, block->attributes_in_pool, node->attribute_count,
                     node->attribute_capacity, step, block_of(document)))
        return nullptr;
    auto* attribute = static_cast<attribute_record*>(pool_allocate(block_of(document), sizeof(attribute_record)));
    if (!attribute)
        return nullptr;
    *attribute = attribute_record{nullptr, true, nullptr, true};
    node->attributes[node->attribute_count++] = attribute;
    ++block->pooled_attributes;
    return attribute;
}

void release_node_slow(node_record* node)
{
    node_block* block = block_of(node);
    for (std::uint32_t i = 0; i < node->attribute_count; ++i) {
        attribute_record* attribute = node->attributes[i];
        if (!attribute->name_in_buffer)
            std::free(attribute->name);
        if (!attribute->value_in_buffer)
            std::free(attribute->value);
        if (i >= block->pooled_attributes)
            std::free(attribute);
    }
    if (node->attributes != &block->first_attribute && !block->attributes_in_pool)
        std::free(node->attributes);
    if (node->children != &block->first_child && !block->children_in_pool)
        std::free(node->children);
    if (!node->name_in_buffer)
        std::free(node->name);
    if (!node->value_in_buffer)
        std::free(node->value);
    pool_chunk* pool = block->has_pool ? reinterpret_cast<document_block*>(block)->pool : nullptr;
    if (!block->pooled)
        std::free(block);
    release_pool(pool);
}

}  // namespace pug::detail
