#include "tests/xml/render.hpp"
#include "xml/pug.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using xmltest::render;

std::u16string str(const char16_t* text)
{
    return text ? std::u16string(text) : u"<none>";
}

pug::xml_node parse(pug::xml_parser& parser, std::u16string_view text)
{
    pug::string_source source(text);
    EXPECT_TRUE(parser.parse_stream(&source));
    return parser.root();
}

TEST(NewDocument, MakesASelfParentedDocumentAndReplacesTheOldTree)
{
    pug::xml_parser parser;
    EXPECT_TRUE(parser.root().empty());
    parse(parser, u"<a><b/></a>");
    parser.new_document();
    const pug::node_record* doc = parser.root().record();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->kind, pug::kind_document);
    EXPECT_EQ(doc->parent, doc);
    EXPECT_EQ(doc->child_count, 0u);
    EXPECT_EQ(doc->child_capacity, 1);
    EXPECT_EQ(doc->attributes, nullptr);
    EXPECT_EQ(parser.buffer(), nullptr);
    EXPECT_EQ(parser.root().parent(), parser.root());
}

TEST(AddChild, OnlyDocumentsAndElementsTakeChildren)
{
    pug::xml_parser parser;
    parser.new_document();
    pug::xml_node doc = parser.root();
    pug::xml_node element = doc.add_child(pug::kind_element);
    ASSERT_EQ(element.kind(), pug::kind_element);
    EXPECT_EQ(element.parent(), doc);
    EXPECT_FALSE(element.record()->name_in_buffer);
    EXPECT_EQ(element.record()->attribute_capacity, 1);
    EXPECT_EQ(element.record()->child_capacity, 1);

    pug::xml_node text = element.add_child(pug::kind_text);
    EXPECT_EQ(text.record()->attribute_capacity, 0);
    EXPECT_EQ(text.record()->child_capacity, 0);
    pug::xml_node instruction = doc.add_child(pug::kind_instruction);
    EXPECT_EQ(instruction.record()->attribute_capacity, 1);
    EXPECT_EQ(instruction.record()->child_capacity, 0);

    for (pug::xml_node refusing : {text, instruction, pug::xml_node()}) {
        EXPECT_TRUE(refusing.add_child(pug::kind_element).empty());
        EXPECT_EQ(refusing.child_count(), 0u);
    }
    // editing arrays grow one entry at a time
    element.add_child(pug::kind_element);
    element.add_child(pug::kind_element);
    EXPECT_EQ(element.record()->child_capacity, 3);
    EXPECT_EQ(render(doc), "doc{~{\"~\";~;~};?~}");
}

TEST(SetNameAndValue, ActOnlyOnTheirKinds)
{
    pug::xml_parser parser;
    parser.new_document();
    pug::xml_node doc = parser.root();
    pug::xml_node element = doc.add_child(pug::kind_element);
    pug::xml_node text = element.add_child(pug::kind_text);
    pug::xml_node comment = element.add_child(pug::kind_comment);

    EXPECT_TRUE(element.set_name(u"e"));
    EXPECT_FALSE(element.set_name(nullptr));
    EXPECT_FALSE(element.set_value(u"v"));
    EXPECT_FALSE(text.set_name(u"t"));
    EXPECT_TRUE(text.set_value(u"v"));
    EXPECT_TRUE(comment.set_value(u"c"));
    EXPECT_FALSE(doc.set_name(u"d"));
    EXPECT_FALSE(pug::xml_node().set_value(u"x"));
    EXPECT_EQ(render(doc), "doc{e{\"v\";<!--c-->}}");
}

TEST(AssignText, OverwritesInPlaceOnlyWhenTheOldTextIsLongEnoughAndNotEmpty)
{
    pug::xml_parser parser;
    parser.new_document();
    pug::xml_node element = parser.root().add_child(pug::kind_element);
    ASSERT_TRUE(element.set_name(u"timer"));
    const char16_t* first = element.name();
    ASSERT_TRUE(element.set_name(u"id"));
    EXPECT_EQ(element.name(), first);
    EXPECT_EQ(str(element.name()), u"id");
    ASSERT_TRUE(element.set_name(u"longer"));  // longer than the five-character slot
    EXPECT_NE(element.name(), first);
    EXPECT_EQ(str(element.name()), u"longer");

    char16_t* slot = nullptr;
    bool in_buffer = true;
    ASSERT_TRUE(pug::assign_text(&slot, &in_buffer, u""));
    EXPECT_FALSE(in_buffer);
    ASSERT_TRUE(pug::assign_text(&slot, &in_buffer, u""));  // an empty old text is replaced
    EXPECT_NE(slot, nullptr);
    std::free(slot);
    EXPECT_FALSE(pug::assign_text(nullptr, &in_buffer, u"x"));
    EXPECT_FALSE(pug::assign_text(&slot, nullptr, u"x"));
    EXPECT_FALSE(pug::assign_text(&slot, &in_buffer, nullptr));

    // a parsed name is overwritten inside the buffer and stays unowned
    pug::xml_parser parsed;
    pug::xml_node state = parse(parsed, u"<state/>").child(0);
    const char16_t* in_place = state.name();
    ASSERT_TRUE(state.set_name(u"st"));
    EXPECT_EQ(state.name(), in_place);
    EXPECT_TRUE(state.record()->name_in_buffer);
    ASSERT_TRUE(state.set_name(u"statemachine"));
    EXPECT_FALSE(state.record()->name_in_buffer);
    EXPECT_EQ(str(state.name()), u"statemachine");
}

TEST(AddAttribute, StoresOwnedCopiesAndFormatsNumbers)
{
    pug::xml_parser parser;
    parser.new_document();
    pug::xml_node element = parser.root().add_child(pug::kind_element);
    std::u16string name = u"n";
    std::u16string value = u"v";
    pug::xml_attribute attribute = element.add_attribute(name.c_str(), value.c_str());
    name[0] = u'x';
    value[0] = u'x';
    EXPECT_EQ(str(attribute.name()), u"n");
    EXPECT_EQ(attribute.value_text(), u"v");
    EXPECT_FALSE(attribute.record()->name_in_buffer);
    EXPECT_FALSE(attribute.record()->value_in_buffer);

    EXPECT_EQ(element.add_attribute(u"a", std::int32_t{-5}).value_text(), u"-5");
    EXPECT_EQ(element.add_attribute(u"b", std::int32_t{INT32_MIN}).value_text(), u"-2147483648");
    EXPECT_EQ(element.add_attribute(u"c", std::uint32_t{UINT32_MAX}).value_text(), u"4294967295");
    EXPECT_EQ(element.add_attribute(u"d", std::uint32_t{0}).value_text(), u"0");
    EXPECT_EQ(element.attribute_count(), 5u);
    EXPECT_EQ(element.record()->attribute_capacity, 5);

    EXPECT_TRUE(element.add_attribute(nullptr, u"v").empty());
    EXPECT_TRUE(element.add_attribute(u"n", static_cast<const char16_t*>(nullptr)).empty());
    EXPECT_TRUE(element.add_attribute(nullptr, std::int32_t{1}).empty());
    EXPECT_TRUE(element.add_attribute(nullptr, std::uint32_t{1}).empty());
    EXPECT_EQ(element.attribute_count(), 5u);

    pug::xml_attribute none;
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.value_text(), u"");
    EXPECT_EQ(none.value(), nullptr);
}

TEST(GetAttribute, FindsOrAddsAnEmptyOne)
{
    pug::xml_parser parser;
    pug::xml_node timer = parse(parser, u"<timer id='3' b/>").child(0);
    EXPECT_EQ(timer.get_attribute(u"id").value_text(), u"3");
    EXPECT_EQ(timer.find_attribute(u"b").value(), nullptr);  // present without a value
    EXPECT_TRUE(timer.find_attribute(u"dow").empty());

    pug::xml_attribute added = timer.get_attribute(u"dow");
    ASSERT_FALSE(added.empty());
    EXPECT_EQ(str(added.value()), u"");
    EXPECT_EQ(timer.attribute_count(), 3u);
    EXPECT_EQ(timer.get_attribute(u"dow").record(), added.record());
    EXPECT_EQ(timer.attribute_count(), 3u);
    EXPECT_EQ(timer.find_attribute(u"i?").value_text(), u"3");  // names are patterns
}

TEST(Lookups, SearchDepthFirstInDocumentOrder)
{
    pug::xml_parser parser;
    pug::xml_node doc = parse(parser, u"<r><a><x k='1'><x k='2'/></x></a><x k='3'/><b><x k='4'/>t</b></r>");
    pug::xml_node r = doc.child(0);

    EXPECT_EQ(r.find_first_by_name(u"x").find_attribute(u"k").value_text(), u"1");
    EXPECT_TRUE(r.find_first_by_name(u"r").empty());  // the node itself is no candidate
    EXPECT_EQ(str(doc.find_first_by_name(u"r").name()), u"r");
    EXPECT_TRUE(r.find_first_by_name(nullptr).empty());
    EXPECT_TRUE(r.find_first_by_name(u"missing").empty());
    EXPECT_TRUE(pug::xml_node().find_first_by_name(u"*").empty());
    EXPECT_EQ(str(r.find_first_by_kind(pug::kind_text).value()), u"t");
    EXPECT_TRUE(r.child(1).find_first_by_kind(pug::kind_element).empty());

    const auto keys = [](const std::vector<pug::xml_node>& list) {
        std::string out;
        for (const pug::xml_node& node : list)
            out += xmltest::narrow(node.find_attribute(u"k").value());
        return out;
    };
    std::vector<pug::xml_node> list;
    r.collect_by_name(u"x", list);
    EXPECT_EQ(keys(list), "1234");
    r.collect_children_by_name(u"x", list);  // appends
    EXPECT_EQ(keys(list), "12343");
    list.clear();
    r.collect_by_name(nullptr, list);
    pug::xml_node().collect_by_name(u"x", list);
    r.child(1).collect_children_by_name(u"x", list);
    EXPECT_TRUE(list.empty());
    r.collect_by_name(u"[ab]", list);
    EXPECT_EQ(list.size(), 2u);

    // A plain name matches the whole name only, never a longer or a shorter one.
    pug::xml_parser other;
    pug::xml_node names = parse(other, u"<r><xy k='1'/><x k='2' kk='5'/><xyz k='3'/></r>").child(0);
    EXPECT_EQ(names.find_first_by_name(u"x").find_attribute(u"k").value_text(), u"2");
    EXPECT_EQ(names.find_first_by_name(u"x").find_attribute(u"kk").value_text(), u"5");
    EXPECT_TRUE(names.find_first_by_name(u"xyzw").empty());
    list.clear();
    names.collect_children_by_name(u"xy", list);
    EXPECT_EQ(keys(list), "1");
}

TEST(EmptyHandle, BehavesAsAnEmptyRecord)
{
    pug::xml_node none;
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.kind(), pug::kind_empty);
    EXPECT_EQ(none.name(), nullptr);
    EXPECT_EQ(none.value(), nullptr);
    EXPECT_TRUE(none.parent().empty());
    EXPECT_TRUE(none.child(0).empty());
    EXPECT_TRUE(none.attribute(0).empty());
    EXPECT_TRUE(none.get_attribute(u"x").empty());

    pug::xml_parser parser;
    pug::xml_node a = parse(parser, u"<a/>").child(0);
    EXPECT_TRUE(a.child(0).empty());
    EXPECT_TRUE(a.attribute(7).empty());
}

// Lookups, collection, writing and release walk the tree without recursion,
// so a very deep document cannot exhaust the call stack.
class length_sink : public pug::text_sink {
public:
    void write(std::u16string_view text) override
    {
        length_ += text.size();
        if (!text.empty())
            last_ = text.back();
    }
    std::uint64_t length_ = 0;
    char16_t last_ = 0;
};

// Repeats piece count times by doubling, which stays fast in unoptimised builds.
std::u16string repeat(std::u16string_view piece, std::size_t count)
{
    std::u16string text(piece);
    while (text.size() < piece.size() * count)
        text += text;
    text.resize(piece.size() * count);
    return text;
}

TEST(DeepTree, MillionNestedElementsParseSearchWriteAndFree)
{
    constexpr std::uint64_t depth = 1'000'000;
    const std::u16string text = repeat(u"<a>", depth) + u"<z k='v'/>" + repeat(u"</a>", depth);

    auto parser = std::make_unique<pug::xml_parser>();
    pug::xml_node doc = parse(*parser, text);
    pug::xml_node z = doc.find_first_by_name(u"z");
    EXPECT_EQ(z.find_attribute(u"k").value_text(), u"v");
    EXPECT_TRUE(doc.find_first_by_kind(pug::kind_text).empty());
    std::uint64_t levels = 0;
    for (pug::xml_node node = z; node.kind() != pug::kind_document; node = node.parent())
        ++levels;
    EXPECT_EQ(levels, depth + 1);

    // Line at depth d: d TABs, "<a>" and LF; its end tag: d TABs, "</a>" and
    // LF; innermost: depth TABs, <z k="v"/> and LF.
    length_sink sink;
    doc.write_tree(sink);
    EXPECT_EQ(sink.length_, depth * (depth - 1) + 9 * depth + depth + 11);
    EXPECT_EQ(sink.last_, u'\n');
    parser.reset();  // frees every record
}

TEST(DeepTree, EditedChainIsFreedByNewDocument)
{
    pug::xml_parser built;
    built.new_document();
    pug::xml_node node = built.root();
    for (int i = 0; i < 100'000; ++i) {
        node = node.add_child(pug::kind_element);
        node.set_name(u"b");
    }
    EXPECT_EQ(str(built.root().find_first_by_name(u"b").name()), u"b");
    built.new_document();
    EXPECT_EQ(built.root().child_count(), 0u);
}

}  // namespace
