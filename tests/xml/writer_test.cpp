#include "tests/xml/render.hpp"
#include "xml/pug.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using xmltest::widen;

pug::xml_node element(pug::xml_node parent, const char16_t* name)
{
    pug::xml_node node = parent.add_child(pug::kind_element);
    node.set_name(name);
    return node;
}

void text(pug::xml_node parent, const char16_t* value)
{
    parent.add_child(pug::kind_text).set_value(value);
}

std::u16string write(const pug::xml_node& node)
{
    pug::string_sink sink;
    node.write_tree(sink);
    return sink.text();
}

// The worked example: declaration, root, a version and a timer.
void build_example(pug::xml_node document)
{
    pug::xml_node declaration = document.add_child(pug::kind_instruction);
    declaration.set_name(u"xml");
    declaration.add_attribute(u"version", u"1.0");
    declaration.add_attribute(u"encoding", u"utf-8");
    pug::xml_node machine = element(document, u"statemachine");
    text(element(machine, u"version"), u"7");
    pug::xml_node timer = element(machine, u"timer");
    timer.add_attribute(u"id", std::int32_t{0});
    text(timer, u" ");
}

const std::u16string example_text = u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                    u"<statemachine>\n"
                                    u"\t<version>7</version>\n"
                                    u"\t<timer id=\"0\"> </timer>\n"
                                    u"</statemachine>\n";

TEST(WriteTree, WritesTheExampleAsFiveLines)
{
    pug::xml_parser parser;
    parser.new_document();
    build_example(parser.root());
    EXPECT_EQ(write(parser.root()), example_text);
}

// White space alone makes no text node when read back, so the timer's single
// space does not survive; everything else does, and the result is stable.
TEST(WriteTree, ParseThenWriteKeepsTheExample)
{
    std::u16string expected = example_text;
    expected.replace(expected.find(u"> </timer>"), 10, u"/>");

    pug::xml_parser parser;
    pug::string_source source(example_text);
    ASSERT_TRUE(parser.parse_stream(&source));
    EXPECT_EQ(xmltest::render(parser.root()),
              "doc{?xml[version=1.0,encoding=utf-8];statemachine{version{\"7\"};timer[id=0]}}");
    EXPECT_EQ(write(parser.root()), expected);

    pug::xml_parser again;
    pug::string_source written(expected);
    ASSERT_TRUE(again.parse_stream(&written));
    EXPECT_EQ(write(again.root()), expected);
}

TEST(WriteTree, Layout)
{
    pug::xml_parser parser;
    parser.new_document();
    pug::xml_node doc = parser.root();

    pug::xml_node empty_text = element(doc, u"version");
    text(empty_text, u"");
    EXPECT_EQ(write(empty_text), u"<version></version>\n");

    pug::xml_node valueless_text = element(doc, u"v");
    valueless_text.add_child(pug::kind_text);
    EXPECT_EQ(write(valueless_text), u"<v></v>\n");

    pug::xml_node leaf = element(doc, u"leaf");
    leaf.add_attribute(u"a", u"1");
    leaf.add_attribute(u"b", std::uint32_t{2});
    EXPECT_EQ(write(leaf), u"<leaf a=\"1\" b=\"2\"/>\n");

    pug::xml_node bare_instruction = doc.add_child(pug::kind_instruction);
    bare_instruction.set_name(u"pi");
    EXPECT_EQ(write(bare_instruction), u"<?pi?>\n");

    pug::xml_node mixed = element(doc, u"m");
    text(mixed, u"one");
    element(element(mixed, u"b"), u"c");
    EXPECT_EQ(write(mixed), u"<m>\n\tone\n\t<b>\n\t\t<c/>\n\t</b>\n</m>\n");

    pug::xml_node only_element = element(doc, u"o");
    text(element(only_element, u"p"), u"x");
    EXPECT_EQ(write(only_element), u"<o>\n\t<p>x</p>\n</o>\n");

    pug::xml_node unescaped = element(doc, u"u");
    unescaped.add_attribute(u"cond", u"a&&\"b\"<c");
    text(unescaped, u"&amp; & \" <");
    EXPECT_EQ(write(unescaped), u"<u cond=\"a&&\"b\"<c\">&amp; & \" <</u>\n");

    pug::xml_node asked = element(doc, u"t");
    asked.get_attribute(u"missing");
    EXPECT_EQ(write(asked), u"<t missing=\"\"/>\n");

    pug::xml_node anonymous = doc.add_child(pug::kind_element);
    text(anonymous, u"x");
    EXPECT_EQ(write(anonymous), u"<anonymous>x</anonymous>\n");
    element(anonymous, u"y");
    EXPECT_EQ(write(anonymous), u"<anonymous>\n\tx\n\t<y/>\n</anonymous>\n");

    pug::xml_node comment = element(doc, u"c");
    comment.add_child(pug::kind_comment).set_value(u" note ");
    comment.add_child(pug::kind_comment);  // no value: an empty line
    EXPECT_EQ(write(comment), u"<c>\n\t<!-- note -->\n\t\n</c>\n");

    EXPECT_EQ(write(pug::xml_node()), u"");
}

TEST(WriteTree, WritesParsedMarkupOfEveryKind)
{
    struct row {
        const char16_t* input;
        std::uint32_t options;
        const char16_t* output;
    };
    const row rows[] = {
        {u"<a b c='2'><!--c--><![CDATA[ d ]]><![INCLUDE[i]]><?p q=\"1\"?></a>", pug::opt_all,
         u"<a b c=\"2\">\n\t<!--c-->\n\t<![CDATA[d]]>\n\t<![INCLUDE[i]]>\n\t<?p q=\"1\"?>\n</a>\n"},
        {u"<!DOCTYPE r SYSTEM \"r.dtd\" [<!ENTITY e \"v\"><!ELEMENT r ANY><!ATTLIST r a CDATA #IMPLIED>"
         u"<!NOTATION n SYSTEM 'n'><?pi?>]>",
         pug::opt_all,
         u"<!DOCTYPE  r SYSTEM \"r.dtd\"\n[\n\t<!ENTITY e \"v\">\n\t<!ELEMENT r ANY>\n"
         u"\t<!ATTLIST r a CDATA #IMPLIED>\n\t<!NOTATION n SYSTEM 'n'>\n]>\n"},
        {u"<!DOCTYPE r [ <!ELEMENT r ANY> ]><r/>", pug::opt_all & ~(pug::opt_parse_subset | pug::opt_subset_only),
         u"<!DOCTYPE  r [<!ELEMENT r ANY>]>\n<r/>\n"},
        {u"<!DOCTYPE html><!ELEMENT x><html/>", pug::opt_all, u"<!DOCTYPE  html>\n<!ELEMENT x >\n<html/>\n"},
    };
    for (const row& r : rows) {
        pug::xml_parser parser;
        pug::string_source source(r.input);
        ASSERT_TRUE(parser.parse_stream(&source, r.options));
        EXPECT_EQ(xmltest::narrow(write(parser.root())), xmltest::narrow(r.output)) << xmltest::narrow(r.input);
    }
}

// Counts flushes; the writer flushes once per node written.
class flush_counter : public pug::text_sink {
public:
    void write(std::u16string_view text) override { written_ += text.size(); }
    void flush() override { ++flushes_; }
    std::size_t written_ = 0;
    int flushes_ = 0;
};

TEST(WriteTree, FlushesAfterEveryNode)
{
    pug::xml_parser parser;
    parser.new_document();
    build_example(parser.root());
    flush_counter sink;
    parser.root().write_tree(sink);
    EXPECT_EQ(sink.flushes_, 4);  // the version's text is written with its element
    EXPECT_EQ(sink.written_, example_text.size());
}

TEST(IndentStack, GrowsAndShrinksByOneCharacter)
{
    pug::indent_stack tabs;
    tabs.pop();
    EXPECT_EQ(tabs.depth(), 0);
    for (int i = 0; i < 40; ++i)
        tabs.push();
    EXPECT_EQ(tabs.text(), std::u16string(40, u'\t'));
    tabs.pop();
    EXPECT_EQ(tabs.depth(), 39);
    EXPECT_EQ(tabs.text(), std::u16string(39, u'\t'));

    pug::indent_stack none(0);
    none.push();
    EXPECT_EQ(none.depth(), 0);
    EXPECT_TRUE(none.text().empty());
}

}  // namespace
