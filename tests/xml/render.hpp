// A compact text form of a tree, so expected trees fit on one line:
//   element      name[attr=value,bare]{children;...}
//   text         "value"        cdata   <cdata:value>   comment <!--value-->
//   include      <include:value>  instruction ?name[attrs]
//   doctype      !DOCTYPE[attrs](value){children}
//   declarations !ENTITY name(value), !ATTLIST ..., !ELEMENT ..., !NOTATION ...
// Absent names and values show as "~"; empty child lists are left out.
#pragma once

#include "xml/pug.hpp"

#include <string>

namespace xmltest {

inline std::string narrow(const char16_t* text)
{
    if (!text)
        return "~";
    std::string out;
    for (; *text; ++text)
        out += *text < 128 ? static_cast<char>(*text) : '?';
    return out;
}

inline std::string narrow(std::u16string_view text)
{
    std::string out;
    for (char16_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

inline std::string render(const pug::xml_node& node);

inline std::string render_attributes(const pug::xml_node& node)
{
    if (node.attribute_count() == 0)
        return {};
    std::string out = "[";
    for (std::uint32_t i = 0; i < node.attribute_count(); ++i) {
        pug::xml_attribute a = node.attribute(i);
        if (i)
            out += ",";
        out += narrow(a.name());
        if (a.value())
            out += "=" + narrow(a.value());
    }
    return out + "]";
}

inline std::string render_children(const pug::xml_node& node)
{
    if (node.child_count() == 0)
        return {};
    std::string out = "{";
    for (std::uint32_t i = 0; i < node.child_count(); ++i) {
        if (i)
            out += ";";
        out += render(node.child(i));
    }
    return out + "}";
}

inline std::string render(const pug::xml_node& node)
{
    switch (node.kind()) {
    case pug::kind_document:
        return "doc" + render_children(node);
    case pug::kind_element:
        return narrow(node.name()) + render_attributes(node) + render_children(node);
    case pug::kind_text:
        return "\"" + narrow(node.value()) + "\"";
    case pug::kind_cdata:
        return "<cdata:" + narrow(node.value()) + ">";
    case pug::kind_comment:
        return "<!--" + narrow(node.value()) + "-->";
    case pug::kind_include:
        return "<include:" + narrow(node.value()) + ">";
    case pug::kind_instruction:
        return "?" + narrow(node.name()) + render_attributes(node) + render_children(node);
    case pug::kind_doctype:
        return "!DOCTYPE" + render_attributes(node) + "(" + narrow(node.value()) + ")" + render_children(node);
    case pug::kind_entity_decl:
        return "!ENTITY " + narrow(node.name()) + "(" + narrow(node.value()) + ")";
    case pug::kind_attlist_decl:
        return "!ATTLIST " + narrow(node.name()) + "(" + narrow(node.value()) + ")";
    case pug::kind_element_decl:
        return "!ELEMENT " + narrow(node.name()) + "(" + narrow(node.value()) + ")";
    case pug::kind_notation_decl:
        return "!NOTATION " + narrow(node.name()) + "(" + narrow(node.value()) + ")";
    default:
        return "empty";
    }
}

inline std::u16string widen(std::string_view text)
{
    return std::u16string(text.begin(), text.end());
}

}  // namespace xmltest
