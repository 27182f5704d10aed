// Allocation helpers shared by the tree, the parser and the serializer.
#pragma once

#include "xml/pug.hpp"

namespace pug::detail {

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

// The same for a record made by the parser into the tree of document: it
// comes from a pool that belongs to document and is released with it by
// free_tree, which spares the allocator one call per record. Only a
// document from new_document_node (make_document) has a pool; with any other
// record the result is nullptr.
node_record* new_parsed_node(node_record* document, node_kind kind, std::int32_t attribute_room,
                             std::int32_t child_room);

// append_child for the parser: small arrays grow into the pool of document.
bool append_parsed_child(node_record* parent, node_record* child, node_record* document, std::int32_t step);

// append_attribute for the parser: the record comes from the pool of
// document while node is a parsed record whose attributes all came from
// there; otherwise from the heap.
attribute_record* append_parsed_attribute(node_record* node, node_record* document, std::int32_t step);

// Releases one record with its attributes and owned strings, not its children.
// Releasing a document also releases its pool.
void release_node(node_record* node);

// A zero-length string for names and values cut out as empty runs. Never
// written to and never freed (its flag stays in_buffer).
char16_t* empty_text();

}  // namespace pug::detail
