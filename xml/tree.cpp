// The document tree: records, editing, lookups and release.
#include "xml/pug.hpp"
#include "xml/records.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace pug {

namespace {

std::size_t text_length(const char16_t* text)
{
    return std::char_traits<char16_t>::length(text);
}

char16_t* copy_text(const char16_t* text)
{
    const std::size_t size = (text_length(text) + 1) * sizeof(char16_t);
    auto* copy = static_cast<char16_t*>(std::malloc(size));
    if (copy)
        std::memcpy(copy, text, size);
    return copy;
}

char16_t* copy_ascii(const char* text)
{
    const std::size_t length = std::strlen(text);
    auto* copy = static_cast<char16_t*>(std::malloc((length + 1) * sizeof(char16_t)));
    if (!copy)
        return nullptr;
    for (std::size_t i = 0; i <= length; ++i)
        copy[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
    return copy;
}

xml_attribute append_owned_attribute(node_record* node, const char16_t* name, char16_t* value)
{
    char16_t* name_copy = value ? copy_text(name) : nullptr;
    if (!name_copy) {
        std::free(value);
        return {};
    }
    attribute_record* attribute = detail::append_attribute(node, 1, false);
    if (!attribute) {
        std::free(name_copy);
        std::free(value);
        return {};
    }
    attribute->name = name_copy;
    attribute->value = value;
    return xml_attribute(attribute);
}

// The name a lookup asks for. A plain name (no "*", "?" or "[", as every
// name the program asks for) is compared as it stands; only a pattern goes
// through match_pattern. Which one it is is decided once per lookup.
class name_matcher {
public:
    explicit name_matcher(const char16_t* pattern) : pattern_(pattern), plain_(is_plain(pattern)) {}

    bool operator()(const char16_t* name) const
    {
        if (!name)
            return false;
        if (!plain_)
            return match_pattern(name, pattern_);
        const char16_t* p = pattern_;
        while (*p && *p == *name) {
            ++p;
            ++name;
        }
        return *p == *name;
    }

private:
    static bool is_plain(const char16_t* pattern)
    {
        for (; *pattern; ++pattern)
            if (*pattern == u'*' || *pattern == u'?' || *pattern == u'[')
                return false;
        return true;
    }

    const char16_t* pattern_;
    bool plain_;
};

// Depth-first walk in document order (a node before its children) over the
// descendants of start, without recursion. The stack holds only where each
// level goes on; the way back up is the parent link, as in free_tree, so a
// deep tree costs four bytes a level. visit returns true to stop.
template <typename Visit>
void walk_descendants(node_record* start, Visit visit)
{
    if (!start || start->child_count == 0)
        return;
    std::vector<std::uint32_t> next{0};  // per level from start down: the next child to visit
    node_record* node = start;
    for (;;) {
        std::uint32_t& index = next.back();
        if (index >= node->child_count) {
            next.pop_back();
            if (next.empty())
                return;
            node = node->parent;
            continue;
        }
        node_record* child = node->children[index++];
        if (visit(child))
            return;
        if (child->child_count > 0) {
            next.push_back(0);
            node = child;
        }
    }
}

}  // namespace

text_sink::~text_sink() = default;
text_source::~text_source() = default;

std::size_t string_source::read(char16_t* buf, std::size_t max)
{
    const std::size_t count = max < text_.size() ? max : text_.size();
    text_.copy(buf, count);
    text_.remove_prefix(count);
    return count;
}

std::u16string xml_attribute::value_text() const
{
    if (!record_ || !record_->value)
        return {};
    return std::u16string(record_->value);
}

bool assign_text(char16_t** slot, bool* in_buffer, const char16_t* text)
{
    if (!slot || !in_buffer || !text)
        return false;
    const std::size_t length = text_length(text);
    if (*slot) {
        const std::size_t old_length = text_length(*slot);
        if (old_length != 0 && old_length >= length) {
            std::memmove(*slot, text, (length + 1) * sizeof(char16_t));
            return true;
        }
    }
    char16_t* copy = copy_text(text);
    if (!copy)
        return false;
    if (!*in_buffer)
        std::free(*slot);
    *slot = copy;
    *in_buffer = false;
    return true;
}

void free_tree(node_record* document)
{
    if (!document)
        return;
    node_record* current = document;
    for (;;) {
        while (current->child_count > 0) {
            node_record* last = current->children[current->child_count - 1];
            if (last->child_count > 0) {
                current = last;
            } else {
                detail::release_node(last);
                --current->child_count;
            }
        }
        if (current->parent == current || current == document)
            break;
        current = current->parent;
    }
    detail::release_node(current);
}

node_record* make_document()
{
    return detail::new_document_node();
}

xml_node xml_node::parent() const
{
    return record_ ? xml_node(record_->parent) : xml_node();
}

xml_attribute xml_node::attribute(std::uint32_t i) const
{
    if (!record_ || i >= record_->attribute_count)
        return {};
    return xml_attribute(record_->attributes[i]);
}

xml_node xml_node::child(std::uint32_t i) const
{
    if (!record_ || i >= record_->child_count)
        return {};
    return xml_node(record_->children[i]);
}

xml_node xml_node::add_child(node_kind kind)
{
    if (!record_ || (record_->kind != kind_document && record_->kind != kind_element))
        return {};
    const bool holds_children = kind == kind_document || kind == kind_element || kind == kind_doctype;
    const bool holds_attributes = !(kind == kind_document || kind == kind_text || kind == kind_cdata ||
                                    kind == kind_comment || kind == kind_include);
    node_record* child = detail::new_node(kind, holds_attributes ? 1 : 0, holds_children ? 1 : 0, false);
    if (!child)
        return {};
    if (!detail::append_child(record_, child, 1)) {
        detail::release_node(child);
        return {};
    }
    return xml_node(child);
}

bool xml_node::set_name(const char16_t* text)
{
    if (!record_ || (record_->kind != kind_element && record_->kind != kind_instruction))
        return false;
    return assign_text(&record_->name, &record_->name_in_buffer, text);
}

bool xml_node::set_value(const char16_t* text)
{
    if (!record_ || (record_->kind != kind_text && record_->kind != kind_cdata && record_->kind != kind_comment))
        return false;
    return assign_text(&record_->value, &record_->value_in_buffer, text);
}

xml_attribute xml_node::add_attribute(const char16_t* name, const char16_t* text)
{
    if (!record_ || record_->kind == kind_empty || !name || !text)
        return {};
    return append_owned_attribute(record_, name, copy_text(text));
}

xml_attribute xml_node::add_attribute(const char16_t* name, std::int32_t number)
{
    if (!record_ || record_->kind == kind_empty || !name)
        return {};
    char digits[16];
    std::snprintf(digits, sizeof digits, "%ld", static_cast<long>(number));
    return append_owned_attribute(record_, name, copy_ascii(digits));
}

xml_attribute xml_node::add_attribute(const char16_t* name, std::uint32_t number)
{
    if (!record_ || record_->kind == kind_empty || !name)
        return {};
    char digits[16];
    std::snprintf(digits, sizeof digits, "%lu", static_cast<unsigned long>(number));
    return append_owned_attribute(record_, name, copy_ascii(digits));
}

xml_attribute xml_node::find_attribute(const char16_t* name) const
{
    if (!record_ || !name)
        return {};
    const name_matcher matches(name);
    for (std::uint32_t i = 0; i < record_->attribute_count; ++i) {
        attribute_record* attribute = record_->attributes[i];
        if (matches(attribute->name))
            return xml_attribute(attribute);
    }
    return {};
}

xml_attribute xml_node::get_attribute(const char16_t* name)
{
    xml_attribute found = find_attribute(name);
    if (!found.empty())
        return found;
    return add_attribute(name, u"");
}

xml_node xml_node::find_first_by_name(const char16_t* name) const
{
    if (!name)
        return {};
    node_record* found = nullptr;
    const name_matcher matches(name);
    walk_descendants(record_, [&](node_record* node) {
        if (matches(node->name)) {
            found = node;
            return true;
        }
        return false;
    });
    return found ? xml_node(found) : xml_node();
}

xml_node xml_node::find_first_by_kind(node_kind kind) const
{
    node_record* found = nullptr;
    walk_descendants(record_, [&](node_record* node) {
        if (node->kind == kind) {
            found = node;
            return true;
        }
        return false;
    });
    return found ? xml_node(found) : xml_node();
}

void xml_node::collect_by_name(const char16_t* name, std::vector<xml_node>& list) const
{
    if (!name)
        return;
    const name_matcher matches(name);
    walk_descendants(record_, [&](node_record* node) {
        if (matches(node->name))
            list.emplace_back(node);
        return false;
    });
}

void xml_node::collect_children_by_name(const char16_t* name, std::vector<xml_node>& list) const
{
    if (!record_ || !name)
        return;
    const name_matcher matches(name);
    for (std::uint32_t i = 0; i < record_->child_count; ++i) {
        node_record* node = record_->children[i];
        if (matches(node->name))
            list.emplace_back(node);
    }
}

}  // namespace pug
