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

// Releases one record with its attributes and owned strings, not its children.
void release_node(node_record* node);

// A zero-length string for names and values cut out as empty runs. Never
// written to and never freed (its flag stays in_buffer).
char16_t* empty_text();

}  // namespace pug::detail
