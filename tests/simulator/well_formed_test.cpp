#include "simulator/well_formed.hpp"

#include <gtest/gtest.h>

#include <string>

namespace quarn::sim {
namespace {

std::string Narrow(std::u16string_view text)
{
    return std::string(text.begin(), text.end());
}

TEST(CheckWellFormed, AcceptsWellFormedDocumentsWithTheRoot)
{
    const std::u16string_view documents[] = {
        u"<statemachine/>",
        u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n</statemachine>\r\n",
        u"<?xml version='1.0'?><!-- note --><?editor x?>\n<statemachine a=\"1\" b='&lt;&#65;&#x42;'>"
        u"<version>caf\u00e9 &amp; \U0001F600</version><![CDATA[<raw> & ]]><x/><y></y ></statemachine>\n<!-- end -->",
        u"<!DOCTYPE statemachine SYSTEM \"sm.dtd\"><statemachine/>",
        u"<statemachine><parallel><state id=\"R3\"><state id=\"Roff3\"><transition cond=\"#T0&amp;&amp;#S1\"/>"
        u"</state><state id=\"Ron3\"/></state></parallel></statemachine>",
    };
    for (const std::u16string_view text : documents) {
        const auto fault = CheckWellFormed(text, u"statemachine");
        EXPECT_FALSE(fault.has_value()) << Narrow(text) << ": " << fault->reason << " at " << fault->line << ":"
                                        << fault->column;
    }
}

TEST(CheckWellFormed, NamesTheFirstFaultAndWhereItIs)
{
    const struct {
        std::u16string_view text;
        std::string reason;
        std::size_t line;
        std::size_t column;
    } cases[] = {
        {u"", "the file has no root element", 1, 1},
        {u"<statemachine", "a tag that does not end", 1, 14},
        {u"<statemachine>\n<timer id=\"0\">\n</statemachine>", "an end tag that does not match the open element", 3, 1},
        {u"<statemachine>\n<timer>", "the file ends inside an element", 2, 8},
        {u"<statemachine a=1/>", "an attribute value without quotes", 1, 17},
        {u"<statemachine a=\"1\" a=\"2\"/>", "an attribute given twice in one tag", 1, 28},
        {u"<statemachine a=\"1\"b=\"2\"/>", "white space was expected before an attribute", 1, 20},
        {u"<statemachine a=\"<\"/>", "\"<\" in an attribute value", 1, 18},
        {u"<statemachine>&nbsp;</statemachine>", "a reference to an undeclared entity", 1, 15},
        {u"<statemachine>& x</statemachine>", "a malformed entity reference", 1, 15},
        {u"<statemachine>&#0;</statemachine>", "a character reference to a character that XML does not allow", 1, 15},
        {u"<statemachine>&#x;</statemachine>", "a malformed character reference", 1, 15},
        {u"<statemachine>\x01</statemachine>", "a character that XML does not allow", 1, 15},
        {u"<statemachine>\xD800</statemachine>", "a character that XML does not allow", 1, 15},
        {u"<statemachine><!-- a -- b --></statemachine>", "\"--\" inside a comment", 1, 22},
        {u"<statemachine><![CDATA[x</statemachine>", "a CDATA section that does not end", 1, 15},
        {u"<statemachine>]]></statemachine>", "\"]]>\" in text", 1, 15},
        {u"<statemachine/><statemachine/>", "only comments and instructions may follow the root element", 1, 16},
        {u"<statemachine/>text", "only comments and instructions may follow the root element", 1, 16},
        {u"text<statemachine/>", "the root element was expected", 1, 1},
        {u" <?xml version=\"1.0\"?><statemachine/>", "an XML declaration that is not at the very start", 1, 2},
        {u"<?xml encoding=\"utf-8\"?><statemachine/>", "an XML declaration without its version first", 1, 1},
        {u"<!DOCTYPE x [<!ENTITY a \"aaaa\">]><statemachine/>",
         "a document type with an internal subset (the controller declares no entities)", 1, 13},
        {u"<statemachine><!DOCTYPE x></statemachine>", "markup that is not allowed inside an element", 1, 15},
        {u"<statemachine></statemachine", "an end tag that does not end", 1, 29},
    };
    for (const auto& c : cases) {
        const auto fault = CheckWellFormed(c.text, u"statemachine");
        ASSERT_TRUE(fault.has_value()) << Narrow(c.text);
        EXPECT_EQ(fault->reason, c.reason) << Narrow(c.text);
        EXPECT_EQ(fault->line, c.line) << Narrow(c.text);
        EXPECT_EQ(fault->column, c.column) << Narrow(c.text);
        EXPECT_FALSE(fault->otherRoot) << Narrow(c.text);
    }
}

TEST(CheckWellFormed, AnotherRootIsToldApart)
{
    for (const std::u16string_view text : {u"<html/>", u"<statemachines></statemachines>", u"<state/>"}) {
        const auto fault = CheckWellFormed(text, u"statemachine");
        ASSERT_TRUE(fault.has_value()) << Narrow(text);
        EXPECT_TRUE(fault->otherRoot) << Narrow(text);
    }
}

TEST(CheckWellFormed, DeepAndLongInputsTakeLinearTime)
{
    constexpr int kDepth = 200000;
    std::u16string deep = u"<statemachine>";
    for (int i = 0; i < kDepth; ++i)
        deep += u"<a>";
    for (int i = 0; i < kDepth; ++i)
        deep += u"</a>";
    deep += u"</statemachine>";
    EXPECT_FALSE(CheckWellFormed(deep, u"statemachine").has_value());

    std::u16string attributes = u"<statemachine";
    for (int i = 0; i < 50000; ++i) {
        attributes += u" a";
        for (const char digit : std::to_string(i))
            attributes += static_cast<char16_t>(digit);
        attributes += u"=\"1\"";
    }
    attributes += u"/>";
    EXPECT_FALSE(CheckWellFormed(attributes, u"statemachine").has_value());
}

}  // namespace
}  // namespace quarn::sim
