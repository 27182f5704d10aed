// The serializer: TAB-indented lines ended by LF, nothing escaped.
#include "xml/pug.hpp"

#include <cstdlib>
#include <cstring>

namespace pug {

indent_stack::indent_stack(char16_t indent) : indent_(indent)
{
}

indent_stack::~indent_stack()
{
    std::free(text_);
}

void indent_stack::push()
{
    if (indent_ == 0)
        return;
    const std::size_t needed = static_cast<std::size_t>(depth_) + 2;
    if (needed > capacity_) {
        std::size_t grown = capacity_ ? capacity_ * 2 : 16;
        if (grown < needed)
            grown = needed;
        void* moved = std::realloc(text_, grown * sizeof(char16_t));
        if (!moved)
            return;
        text_ = static_cast<char16_t*>(moved);
        capacity_ = grown;
    }
    text_[depth_] = indent_;
    ++depth_;
    text_[depth_] = 0;
}

void indent_stack::pop()
{
    if (indent_ == 0 || depth_ == 0)
        return;
    --depth_;
    text_[depth_] = 0;
}

namespace {

constexpr std::u16string_view anonymous = u"anonymous";

std::u16string_view view(const char16_t* text)
{
    return text ? std::u16string_view(text) : std::u16string_view();
}

std::u16string_view name_or_anonymous(const node_record* node)
{
    return node->name ? std::u16string_view(node->name) : anonymous;
}

void write_attributes(text_sink& out, const node_record* node)
{
    for (std::uint32_t i = 0; i < node->attribute_count; ++i) {
        const attribute_record* attribute = node->attributes[i];
        if (!attribute->name)
            continue;
        out.write(u" ");
        out.write(attribute->name);
        if (attribute->value) {
            out.write(u"=\"");
            out.write(attribute->value);
            out.write(u"\"");
        }
    }
}

bool is_declaration(node_kind kind)
{
    return kind >= kind_entity_decl && kind <= kind_notation_decl;
}

// Writes everything of one node up to its children. Returns true when the
// node's children follow, each on its own line one level deeper; the caller
// then writes the closing part with write_close.
bool write_open(text_sink& out, const node_record* node)
{
    switch (node->kind) {
    case kind_element:
    case kind_instruction: {
        const bool instruction = node->kind == kind_instruction;
        out.write(instruction ? u"<?" : u"<");
        out.write(name_or_anonymous(node));
        write_attributes(out, node);
        if (instruction) {
            out.write(u"?>");
            return false;
        }
        if (node->child_count == 0) {
            out.write(u"/>");
            return false;
        }
        if (node->child_count == 1 && node->children[0]->kind == kind_text) {
            out.write(u">");
            out.write(view(node->children[0]->value));
            out.write(u"</");
            out.write(name_or_anonymous(node));
            out.write(u">");
            return false;
        }
        out.write(u">\n");
        return true;
    }
    case kind_text:
        out.write(view(node->value));
        return false;
    case kind_cdata:
    case kind_comment:
    case kind_include:
        if (node->value) {
            out.write(node->kind == kind_cdata ? u"<![CDATA[" : node->kind == kind_comment ? u"<!--" : u"<![INCLUDE[");
            out.write(node->value);
            out.write(node->kind == kind_comment ? u"-->" : u"]]>");
        }
        return false;
    case kind_doctype:
        out.write(u"<!DOCTYPE ");
        for (std::uint32_t i = 0; i < node->attribute_count; ++i) {
            const attribute_record* attribute = node->attributes[i];
            out.write(u" ");
            if (attribute->name) {
                out.write(attribute->name);
            } else if (attribute->value) {
                out.write(u"\"");
                out.write(attribute->value);
                out.write(u"\"");
            }
        }
        if (node->child_count > 0) {
            out.write(u"\n[\n");
            return true;
        }
        if (node->value) {
            out.write(u" [");
            out.write(node->value);
            out.write(u"]");
        }
        out.write(u">");
        return false;
    case kind_entity_decl:
    case kind_attlist_decl:
    case kind_element_decl:
    case kind_notation_decl:
        if (node->name) {
            static constexpr const char16_t* keywords[] = {u"<!ENTITY ", u"<!ATTLIST ", u"<!ELEMENT ", u"<!NOTATION "};
            out.write(keywords[node->kind - kind_entity_decl]);
            out.write(node->name);
            out.write(u" ");
            out.write(view(node->value));
            out.write(u">");
        }
        return false;
    default:
        return false;
    }
}

void write_close(text_sink& out, const node_record* node, const indent_stack& indent)
{
    if (node->kind == kind_doctype) {
        out.write(u"]>\n");
    } else {
        out.write(indent.text());
        out.write(u"</");
        out.write(name_or_anonymous(node));
        out.write(u">\n");
    }
    out.flush();
}

// Writes one node and its subtree with an explicit stack of open nodes.
void write_node(text_sink& out, const node_record* start, indent_stack& indent)
{
    struct frame {
        const node_record* node;
        std::uint32_t next;
    };
    std::vector<frame> open;
    const node_record* node = start;
    for (;;) {
        if (node) {
            out.write(indent.text());
            if (write_open(out, node)) {
                open.push_back({node, 0});
                indent.push();
            } else {
                out.write(u"\n");
                out.flush();
            }
        }
        node = nullptr;
        if (open.empty())
            return;
        frame& top = open.back();
        const bool doctype = top.node->kind == kind_doctype;
        while (top.next < top.node->child_count) {
            const node_record* child = top.node->children[top.next++];
            if (!doctype || is_declaration(child->kind)) {
                node = child;
                break;
            }
        }
        if (node)
            continue;
        indent.pop();
        write_close(out, top.node, indent);
        open.pop_back();
    }
}

}  // namespace

void xml_node::write_tree(text_sink& stream) const
{
    if (!record_ || record_->kind == kind_empty)
        return;
    indent_stack indent(u'\t');
    if (record_->kind == kind_document && record_->parent == record_) {
        for (std::uint32_t i = 0; i < record_->child_count; ++i)
            write_node(stream, record_->children[i], indent);
    } else {
        write_node(stream, record_, indent);
    }
}

}  // namespace pug
