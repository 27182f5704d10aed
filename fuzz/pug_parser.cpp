// The pug parser over arbitrary 16-bit text under any option set, followed by
// every lookup and by the serializer over what was parsed.
//
// Input: two bytes of parse options (little-endian, so every combination of
// the sixteen option bits is reachable), then the text as little-endian
// 16-bit units.

#include "fuzz/fuzz_check.hpp"
#include "xml/pug.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace pug;

bool IsWhiteSpace(char16_t c)
{
    return c >= 1 && c <= 32;
}

// A parsed string lies inside the parse buffer, ended by a zero before the
// buffer's terminating zero; an owned string is simply readable.
void CheckText(const xml_parser& parser, const char16_t* text, bool in_buffer)
{
    if (text == nullptr)
        return;
    const char16_t* first = parser.buffer();
    const char16_t* last = first + parser.buffer_size();
    // A string that is not owned and not in the buffer is the shared empty text.
    if (in_buffer && first != nullptr && (text < first || text > last)) {
        FUZZ_CHECK(*text == 0);
        return;
    }
    if (in_buffer && first != nullptr) {
        const char16_t* end = text;
        while (end < last && *end != 0)
            ++end;
        FUZZ_CHECK(end <= last && *end == 0);
    } else {
        FUZZ_CHECK(std::u16string(text).size() < SIZE_MAX);
    }
}

// Walks the whole tree without recursion and checks its links; returns the
// nodes in document order, the document first.
std::vector<xml_node> WalkTree(const xml_parser& parser)
{
    std::vector<xml_node> order;
    std::vector<xml_node> pending{parser.root()};
    while (!pending.empty()) {
        const xml_node node = pending.back();
        pending.pop_back();
        order.push_back(node);
        node_record* record = node.record();
        FUZZ_CHECK(record != nullptr);
        FUZZ_CHECK(record->attribute_count <= static_cast<std::uint32_t>(record->attribute_capacity) ||
                   record->attribute_count == 0);
        FUZZ_CHECK(record->child_count <= static_cast<std::uint32_t>(record->child_capacity) ||
                   record->child_count == 0);
        CheckText(parser, record->name, record->name_in_buffer);
        CheckText(parser, record->value, record->value_in_buffer);
        for (std::uint32_t i = 0; i < node.attribute_count(); ++i) {
            const attribute_record* attribute = node.attribute(i).record();
            FUZZ_CHECK(attribute != nullptr);
            CheckText(parser, attribute->name, attribute->name_in_buffer);
            CheckText(parser, attribute->value, attribute->value_in_buffer);
        }
        for (std::uint32_t i = node.child_count(); i-- > 0;) {
            const xml_node child = node.child(i);
            FUZZ_CHECK(!child.empty());
            FUZZ_CHECK(child.parent() == node);
            FUZZ_CHECK(child.kind() != kind_document);
            pending.push_back(child);
        }
    }
    FUZZ_CHECK(order.front().kind() == kind_document);
    FUZZ_CHECK(order.front().parent() == order.front());
    return order;
}

void CheckNormalised(const char16_t* value, bool collapsed)
{
    const std::u16string text(value);
    if (text.empty())
        return;
    FUZZ_CHECK(!IsWhiteSpace(text.front()) && !IsWhiteSpace(text.back()));
    if (!collapsed)
        return;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsWhiteSpace(text[i])) {
            FUZZ_CHECK(text[i] == u' ');
            FUZZ_CHECK(i + 1 < text.size() && text[i + 1] != u' ');
        }
    }
}

void ExerciseLookups(xml_node root, const std::vector<xml_node>& nodes)
{
    static const char16_t* const patterns[] = {
        u"statemachine", u"version", u"timer",  u"parallel", u"state", u"transition", u"*",    u"?",
        u"*a*",          u"[a-z]*",  u"[!s]?*", u"[",        u"[]",    u"[!]",        u"[a-]", u"*[*",
    };
    std::vector<xml_node> found;
    for (const char16_t* pattern : patterns) {
        const xml_node first = root.find_first_by_name(pattern);
        found.clear();
        root.collect_by_name(pattern, found);
        // The first match of a search is the first one collected.
        FUZZ_CHECK(found.empty() ? first.empty() : found.front() == first);
        found.clear();
        root.collect_children_by_name(pattern, found);
        FUZZ_CHECK(found.size() <= root.child_count());
    }

    std::size_t named = 0;
    for (std::size_t i = 1; i < nodes.size(); ++i) {
        if (nodes[i].name() != nullptr)
            ++named;
    }
    found.clear();
    root.collect_by_name(u"*", found);
    FUZZ_CHECK(found.size() == named);

    for (int kind = kind_empty; kind <= kind_notation_decl; ++kind) {
        const xml_node first = root.find_first_by_kind(static_cast<node_kind>(kind));
        FUZZ_CHECK(first.empty() || first.kind() == kind);
    }

    // Names and values found in the tree, tried as patterns against each
    // other, and every attribute looked up by its own name.
    for (std::size_t i = 0; i < nodes.size() && i < 64; ++i) {
        xml_node node = nodes[i];
        if (node.name() != nullptr) {
            (void)root.find_first_by_name(node.name());
            (void)match_pattern(nodes[(i + 1) % nodes.size()].name(), node.name());
        }
        for (std::uint32_t a = 0; a < node.attribute_count() && a < 8; ++a) {
            const xml_attribute attribute = node.attribute(a);
            if (attribute.name() != nullptr) {
                const xml_attribute again = node.find_attribute(attribute.name());
                FUZZ_CHECK(!again.empty());
            }
            (void)attribute.value_text();
        }
        const std::uint32_t before = node.attribute_count();
        const xml_attribute added = node.get_attribute(u"fuzz-missing-name");
        FUZZ_CHECK(node.kind() == kind_empty || !added.empty());
        FUZZ_CHECK(node.attribute_count() <= before + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint32_t options = data[0] | (data[1] << 8);
    const std::u16string text = quarn::fuzz::Utf16Units(data + 2, size - 2);

    xml_parser parser;
    string_source source(text);
    const bool parsed = parser.parse_stream(&source, options);
    FUZZ_CHECK(parsed == !text.empty());
    if (!parsed)
        return 0;
    FUZZ_CHECK(parser.end() >= parser.buffer() && parser.end() <= parser.buffer() + parser.buffer_size());

    const std::vector<xml_node> nodes = WalkTree(parser);
    const bool collapse = (options & opt_collapse) != 0;
    for (const xml_node& node : nodes) {
        if (node.kind() == kind_text && (options & opt_trim_text) && node.value() != nullptr)
            CheckNormalised(node.value(), collapse);
        if (node.kind() == kind_comment && (options & opt_trim_comments) && node.value() != nullptr)
            CheckNormalised(node.value(), collapse);
    }

    string_sink whole;
    parser.root().write_tree(whole);
    for (std::size_t i = 1; i < nodes.size() && i < 8; ++i) {
        string_sink part;
        nodes[i].write_tree(part);
    }

    ExerciseLookups(parser.root(), nodes);
    // The lookups added attributes; the serializer must take those as well.
    whole.clear();
    parser.root().write_tree(whole);

    // Trimming and collapsing on their own, over a copy of the text.
    std::u16string copy = text;
    CheckNormalised(trim_text(copy.data()), false);
    copy = text;
    CheckNormalised(collapse_text(copy.data()), true);
    return 0;
}
