#include "tests/xml/render.hpp"
#include "xml/pug.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using xmltest::render;
using xmltest::widen;

struct parse_case {
    const char* input;
    const char* expected;
    std::uint32_t options = pug::opt_all;
};

std::ostream& operator<<(std::ostream& out, const parse_case& c)
{
    return out << "input: " << c.input;
}

std::string parse_and_render(const std::u16string& text, std::uint32_t options = pug::opt_all)
{
    pug::xml_parser parser;
    pug::string_source source(text);
    if (!parser.parse_stream(&source, options))
        return "failed";
    return render(parser.root());
}

class ParseOptAll : public testing::TestWithParam<parse_case> {};

TEST_P(ParseOptAll, BuildsTree)
{
    const std::u16string text = widen(GetParam().input);
    EXPECT_EQ(parse_and_render(text, GetParam().options), GetParam().expected);

    // parse_buffer over a buffer that ends right at the text's zero (the
    // stream's buffer has room after it) builds the same tree.
    std::vector<char16_t> buffer(text.begin(), text.end());
    buffer.push_back(u'\0');
    pug::node_record* document = pug::make_document();
    pug::parse_buffer(buffer.data(), document, 4, GetParam().options);
    EXPECT_EQ(render(pug::xml_node(document)), GetParam().expected);
    pug::free_tree(document);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, ParseOptAll,
    testing::Values(
        // text is collapsed; attribute values too
        parse_case{"<a>  hello   world  </a>", R"(doc{a{"hello world"}})"},
        parse_case{"<a x=\"  one \t two\r\n  three  \"/>", "doc{a[x=one two three]}"},
        // references stay as written
        parse_case{"<c x=\"A &amp; B\">1 &lt; 2</c>", R"(doc{c[x=A &amp; B]{"1 &lt; 2"}})"},
        // end tags are not compared; a stray end tag at the top keeps the document current
        parse_case{"<a></b><c/>", "doc{a;c}"}, parse_case{"</x></y><a/>", "doc{a}"},
        // mixed content
        parse_case{"<a>x<b/>y</a>", R"(doc{a{"x";b}})"}, parse_case{"<a>x<b>z</b>y</a>", R"(doc{a{"x";b{"z"};"y"}})"},
        parse_case{"<a>\r\n\t<b/>\n\t<c/>\n</a>", "doc{a{b;c}}"},
        // quoting
        parse_case{"<a x='1>\"2' y=\"'>\"/>", "doc{a[x=1>\"2,y='>]}"},
        parse_case{"<a x = \"1\"\ty\n=\n'2'/>", "doc{a[x=1,y=2]}"},
        // declaration ahead of the root
        parse_case{"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<root/>",
                   "doc{?xml[version=1.0,encoding=utf-8];root}"},
        parse_case{"<?pi?><?pj a=\"1\" ?><r/>", "doc{?pi;?pj[a=1];r}"},
        // text ahead of the first element is dropped
        parse_case{"text before<a/>", "doc{a}"},
        // names: a leading digit, a colon, non-ASCII letters
        parse_case{"<1a b:c=\"v\" d-e.f_g=\"w\"/>", "doc{1a[b:c=v,d-e.f_g=w]}"},
        // comments, CDATA and INCLUDE sections
        parse_case{"<a><!--  note  --></a>", "doc{a{<!--note-->}}"},
        parse_case{"<a><![CDATA[ <x> & \"y\" ]]>t</a>", R"(doc{a{<cdata:<x> & "y">;"t"}})"},
        parse_case{"<a><![INCLUDE[ inc ]]></a>", "doc{a{<include:inc>}}"},
        // DOCTYPE without a subset does not end the parse
        parse_case{"<!DOCTYPE html><p/>", "doc{!DOCTYPE[html=html](~);p}"},
        parse_case{"<!DOCTYPE r SYSTEM \"r.dtd\"><r/>", "doc{!DOCTYPE[r=r,SYSTEM=SYSTEM,~=r.dtd](~);r}"},
        parse_case{"<!DOCTYPE r PUBLIC '-//X//Y' \"y.dtd\" ><r/>",
                   "doc{!DOCTYPE[r=r,PUBLIC=PUBLIC,~=-//X//Y,~=y.dtd](~);r}"},
        // DOCTYPE with a subset ends the parse after it
        parse_case{"<?xml version=\"1.0\"?><!DOCTYPE r [<!ELEMENT r ANY>]><r/>",
                   "doc{?xml[version=1.0];!DOCTYPE[r=r](<!ELEMENT){!ELEMENT r(ANY)}}"},
        parse_case{"<!DOCTYPE r [ <!ENTITY % p \"a>b\" > <!ENTITY  e 'x'>\n"
                   "<!ATTLIST r id CDATA #IMPLIED> <!NOTATION n SYSTEM \"n\"> <!FOO f  bar  baz > ]><r/>",
                   "doc{!DOCTYPE[r=r]( <!ENTITY){!ENTITY %p(\"a>b\");!ENTITY e('x');"
                   "!ATTLIST r(id CDATA #IMPLIED);!NOTATION n(SYSTEM \"n\");!ENTITY f(bar baz)}}"},
        parse_case{"<!DOCTYPE r [<!ENTITY %q 'v'><![INCLUDE[<!ELEMENT x ANY>]]>]>",
                   "doc{!DOCTYPE[r=r](<!ENTITY){!ENTITY %q('v');<include:<!ELEMENT x ANY>>}}"},
        // nested brackets in the subset are counted
        parse_case{"<!DOCTYPE r [<!ENTITY e \"[x]\">]><r/>", "doc{!DOCTYPE[r=r](<!ENTITY){!ENTITY e(\"[x]\")}}"},
        // an end tag inside the subset does not leave the doctype
        parse_case{"<!DOCTYPE r [</x></y><!ELEMENT a ANY>]>", "doc{!DOCTYPE[r=r](</x></y><!ELEMENT){!ELEMENT a(ANY)}}"},
        // a DOCTYPE inside a subset: its own subset ends the whole parse
        parse_case{"<!DOCTYPE a [<!DOCTYPE b [<!ENTITY e 'v'>]><!ELEMENT x ANY>]><r/>",
                   "doc{!DOCTYPE[a=a](<!DOCTYPE b){!DOCTYPE[b=b](<!ENTITY){!ENTITY e('v')}}}"},
        // a "[" that the name's zero replaced still opens the subset
        parse_case{"<!DOCTYPE r[<!ELEMENT r ANY>]><r/>", "doc{!DOCTYPE[r=r](<!ELEMENT){!ELEMENT r(ANY)}}"},
        parse_case{"<!DOCTYPE r SYSTEM 'r.dtd'[<!ELEMENT r ANY>]><r/>",
                   "doc{!DOCTYPE[r=r,SYSTEM=SYSTEM,~=r.dtd](<!ELEMENT){!ELEMENT r(ANY)}}"},
        // a declaration outside a DOCTYPE still becomes a node
        parse_case{"<!ELEMENT e (#PCDATA)><e/>", "doc{!ELEMENT e((#PCDATA));e}"},
        // not well-formed input
        parse_case{"<a b c=\"1\">t</a>", R"(doc{a[b,c=1]{"t"}})"}, parse_case{"<a b=1 c=\"2\"/>", "doc{a[b,1,c=2]}"},
        parse_case{"<<a/>", "doc{a}"}, parse_case{"< a/><!x><!Doc/><b/>", "doc{!ENTITY ~(~);b}"},
        parse_case{"<?pi <a/>", "doc{?pi;a}"},
        // a declaration whose "?>" is missing ends with its tag, also right after a
        // quoted value; a "?" after the tag stays in the text
        parse_case{"<?xml version=\"1.0\" encoding=\"utf-8\"><statemachine><version>Why?</version></statemachine>",
                   R"(doc{?xml[version=1.0,encoding=utf-8];statemachine{version{"Why?"}}})"},
        parse_case{"<?xml version='1.0'>t<r/>", R"(doc{?xml[version=1.0];"t";r})"},
        parse_case{"<?pi a=\"1\" b><r>?</r>", R"(doc{?pi[a=1,b];r{"?"}})"},
        parse_case{"<a>x</a>tail<b/>", R"(doc{a{"x"};"tail";b})"}));

// Whatever is left open at the end of the text stays as far as it got, and
// the scan stops at the terminating zero.
INSTANTIATE_TEST_SUITE_P(
    Unterminated, ParseOptAll,
    testing::Values(
        parse_case{"<", "doc"}, parse_case{"&", "doc"}, parse_case{"<a", "doc{a}"}, parse_case{"<a ", "doc{a}"},
        parse_case{"<a x", "doc{a[x]}"}, parse_case{"<a x=", "doc{a[x]}"}, parse_case{"<a x=\"abc", "doc{a[x=abc]}"},
        parse_case{"<a/", "doc{a}"}, parse_case{"<a>&", R"(doc{a{"&"}})"}, parse_case{"<a>hello", R"(doc{a{"hello"}})"},
        parse_case{"<a>x</a", R"(doc{a{"x"}})"}, parse_case{"<a>x<", R"(doc{a{"x"}})"},
        parse_case{"<a><!-- abc", "doc{a{<!--abc-->}}"}, parse_case{"<a><!--", "doc{a{<!---->}}"},
        parse_case{"<!-", "doc"}, parse_case{"<!- x", "doc"}, parse_case{"<![CDATA[abc", "doc{<cdata:abc>}"},
        parse_case{"<![CDA", "doc"}, parse_case{"<![INCLUDE[ x ]]", "doc{<include:x ]]>}"},
        parse_case{"<!DOCTYPE", "doc{!DOCTYPE[=](~)}"}, parse_case{"<!DOCTYPE r \"lit", "doc{!DOCTYPE[r=r,~=lit](~)}"},
        parse_case{"<!DOCTYPE r [ <!ELEMENT r ANY> [ ", "doc{!DOCTYPE[r=r]( <!ELEMENT){!ELEMENT r(ANY)}}"},
        parse_case{"<!DOCTYPE r [", "doc{!DOCTYPE[r=r]()}"}, parse_case{"<!ENTITY", "doc{!ENTITY ~(~)}"},
        parse_case{"<!ENTITY e \"a>", "doc{!ENTITY e(\"a>)}"}, parse_case{"<?x", "doc{?x}"},
        parse_case{"<?x a='1'", "doc{?x[a=1]}"}));

// Which scanning state follows each construct: text right after it is kept
// in content scan and dropped in markup scan.
INSTANTIATE_TEST_SUITE_P(
    StateAfterConstruct, ParseOptAll,
    testing::Values(parse_case{"<r>t</r>", R"(doc{r{"t"}})"},                     // ">" of a start tag
                    parse_case{"<r x=\"1\">t</r>", R"(doc{r[x=1]{"t"}})"},        // ... with attributes
                    parse_case{"<r><b x=\"1\"/>t</r>", R"(doc{r{b[x=1];"t"}})"},  // "/>" right after a value
                    parse_case{"<?xml version=\"1.0\"?>t<r/>",
                               R"(doc{?xml[version=1.0];"t";r})"},                        // ... ending a declaration
                    parse_case{"<r><b/>t</r>", "doc{r{b}}"},                              // "/>" after a name
                    parse_case{"<r><b x=\"1\" />t</r>", "doc{r{b[x=1]}}"},                // "/>" after white space
                    parse_case{"<r><b>x</b>t</r>", R"(doc{r{b{"x"};"t"}})"},              // end tag after text
                    parse_case{"<r><b><c/></b>t</r>", "doc{r{b{c}}}"},                    // other end tag
                    parse_case{"<r><!--c-->t</r>", R"(doc{r{<!--c-->;"t"}})"},            // comment
                    parse_case{"<r><![CDATA[c]]>t</r>", R"(doc{r{<cdata:c>;"t"}})"},      // CDATA
                    parse_case{"<r><![INCLUDE[c]]>t</r>", R"(doc{r{<include:c>;"t"}})"},  // INCLUDE
                    parse_case{"<r><!DOCTYPE d>t</r>", "doc{r{!DOCTYPE[d=d](~)}}"},       // DOCTYPE
                    parse_case{"<r><!ENTITY e 'v'>t</r>", "doc{r{!ENTITY e('v')}}"}));    // declaration

// The other option sets: each construct is skipped or kept raw when its bit is off.
constexpr std::uint32_t all_but(std::uint32_t bits)
{
    return pug::opt_all & ~bits;
}

INSTANTIATE_TEST_SUITE_P(
    OtherOptions, ParseOptAll,
    testing::Values(
        parse_case{"<!DOCTYPE r [<!ELEMENT r ANY>]><r/>", "doc{!DOCTYPE[r=r](<!ELEMENT){!ELEMENT r(ANY)};r}",
                   all_but(pug::opt_subset_only)},
        parse_case{"<!DOCTYPE r [ <!ELEMENT  r ANY> ]><r/>", "doc{!DOCTYPE[r=r]( <!ELEMENT  r ANY> )}",
                   all_but(pug::opt_parse_subset)},
        parse_case{"<!DOCTYPE a [<!DOCTYPE b [<!ENTITY e 'v'>]><!ELEMENT x ANY>]><r/>",
                   "doc{!DOCTYPE[a=a](<!DOCTYPE b){!DOCTYPE[b=b](<!ENTITY){!ENTITY e('v')};!ELEMENT x(ANY)};r}",
                   all_but(pug::opt_subset_only)},
        // subsets side by side and inside each other, each to its own "]"
        parse_case{"<!DOCTYPE a [<!DOCTYPE b [<!ENTITY e '[v'>]]><!DOCTYPE c [<!ELEMENT y ANY>]>]>"
                   "<!DOCTYPE d [[]]><r/>",
                   "doc{!DOCTYPE[a=a](<!DOCTYPE b){!DOCTYPE[b=b](<!ENTITY){!ENTITY e('[v')};"
                   "!DOCTYPE[c=c](<!ELEMENT){!ELEMENT y(ANY)}};!DOCTYPE[d=d]([]);r}",
                   all_but(pug::opt_subset_only)},
        parse_case{"<!DOCTYPE a [<!DOCTYPE b [x]>]><!DOCTYPE c [<!DOCTYPE d [y]>]><r/>",
                   "doc{!DOCTYPE[a=a](<!DOCTYPE b [x]>);!DOCTYPE[c=c](<!DOCTYPE d [y]>);r}",
                   all_but(pug::opt_subset_only | pug::opt_parse_subset | pug::opt_trim_subset)},
        parse_case{"<!DOCTYPE r [ <!ELEMENT  r ANY> ]><r/>", "doc{!DOCTYPE[r=r](<!ELEMENT  r ANY>);r}",
                   all_but(pug::opt_parse_subset | pug::opt_subset_only | pug::opt_collapse)},
        parse_case{"<!DOCTYPE r [ <!ELEMENT r ANY> ]><r/>", "doc{!DOCTYPE[r=r]( <!ELEMENT r ANY> );r}",
                   all_but(pug::opt_parse_subset | pug::opt_subset_only | pug::opt_trim_subset)},
        parse_case{"<!DOCTYPE r [<!ELEMENT r ANY>]><r/>", "doc", all_but(pug::opt_doctype)},
        parse_case{"<!DOCTYPE r><r><![INCLUDE[i]]>t</r>", R"(doc{r{"t"}})", all_but(pug::opt_doctype)},
        parse_case{"<?xml version=\"1.0\"?><r/>", "doc{r}", all_but(pug::opt_instructions)},
        parse_case{"<r><!-- c -->t</r>", R"(doc{r{"t"}})", all_but(pug::opt_comments)},
        parse_case{"<r><!-- c --></r>", "doc{r{<!-- c -->}}", all_but(pug::opt_trim_comments)},
        parse_case{"<r><![CDATA[ <c> ]]>t</r>", R"(doc{r{"t"}})", all_but(pug::opt_cdata)},
        parse_case{"<r><![CDATA[ c ]]></r>", "doc{r{<cdata: c >}}", all_but(pug::opt_trim_cdata)},
        parse_case{"<r> a  b </r>", R"(doc{r{" a  b "}})", all_but(pug::opt_trim_text)},
        parse_case{"<r> a  b </r>", R"(doc{r{"a  b"}})", all_but(pug::opt_collapse)},
        parse_case{"<r x=\" a  b \"/>", "doc{r[x= a  b ]}", all_but(pug::opt_trim_attributes)},
        parse_case{"<!ENTITY e  'a  b'  >", "doc{!ENTITY e('a  b'  )}", all_but(pug::opt_trim_declarations)},
        parse_case{"<r>t</r>", R"(doc{r{"t"}})", 0x0001 | 0x0020 | 0x8000}));

TEST(ParseStream, NamesTakeLettersBeyondAscii)
{
    pug::xml_parser parser;
    pug::string_source source(u"<caf\u00e9 \u00e4\u4e2d=\"1\"/>");
    ASSERT_TRUE(parser.parse_stream(&source));
    pug::xml_node element = parser.root().child(0);
    EXPECT_EQ(std::u16string(element.name()), u"caf\u00e9");
    EXPECT_EQ(element.find_attribute(u"\u00e4\u4e2d").value_text(), u"1");
}

TEST(ParseStream, NeedsAStreamAndAtLeastOneCharacter)
{
    pug::xml_parser parser;
    EXPECT_FALSE(parser.parse_stream(nullptr));

    pug::string_source empty(u"");
    EXPECT_FALSE(parser.parse_stream(&empty));
    EXPECT_TRUE(parser.root().empty());

    pug::string_source blank(u" \r\n\t ");
    ASSERT_TRUE(parser.parse_stream(&blank));
    EXPECT_EQ(parser.root().kind(), pug::kind_document);
    EXPECT_EQ(parser.root().child_count(), 0u);
}

TEST(ParseStream, SetsOptionsToAllAndRecordsWhereItStopped)
{
    pug::xml_parser parser;
    pug::string_source first(u"<a/>");
    ASSERT_TRUE(parser.parse_stream(&first, pug::opt_comments));
    EXPECT_EQ(parser.options(), pug::opt_comments);

    const std::u16string text = u"<!DOCTYPE r [<!ELEMENT r ANY>]><r/>";
    pug::string_source second(text);
    ASSERT_TRUE(parser.parse_stream(&second));
    EXPECT_EQ(parser.options(), pug::opt_all);
    EXPECT_EQ(parser.end() - parser.buffer(), static_cast<std::ptrdiff_t>(text.find(u'>', text.find(u']'))));
}

// DOCTYPEs nested in each other's internal subsets, as deep as a few MB of
// text makes them. Each level's subset lies inside the one around it, so
// looking for each level's "]" afresh would read the text once per level:
// 300,000 levels would then take minutes; matched in one pass they take a
// fraction of a second. The bound is generous for slow builds and still far
// below what the quadratic scan needs.
TEST(ParseStream, NestedSubsetsAreReadInOnePass)
{
    constexpr std::size_t levels = 300000;
    std::u16string open;
    for (std::size_t i = 0; i < levels; ++i)
        open += u"<!DOCTYPE x [";
    std::u16string closed = open;
    for (std::size_t i = 0; i < levels; ++i)
        closed += u"]>";
    closed += u"<r/>";

    const struct {
        const char* name;
        const std::u16string& text;
        std::uint32_t options;
        bool root_follows;
    } cases[] = {
        {"levels left open", open, pug::opt_all, false},
        {"levels closed, parse ends after the subset", closed, pug::opt_all, false},
        {"levels closed, parse goes on", closed, all_but(pug::opt_subset_only), true},
    };
    for (const auto& c : cases) {
        const auto started = std::chrono::steady_clock::now();
        pug::xml_parser parser;
        pug::string_source source(c.text);
        ASSERT_TRUE(parser.parse_stream(&source, c.options)) << c.name;
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        EXPECT_LT(seconds, 20.0) << c.name;

        std::size_t depth = 0;
        pug::xml_node node = parser.root();
        while (node.child_count() > 0 && node.child(0).kind() == pug::kind_doctype) {
            node = node.child(0);
            ++depth;
        }
        EXPECT_EQ(depth, levels) << c.name;
        EXPECT_EQ(node.child_count(), 0u) << c.name;
        const pug::xml_node last = parser.root().child(parser.root().child_count() - 1);
        EXPECT_EQ(last.kind() == pug::kind_element, c.root_follows) << c.name;
    }
}

// Values and texts are scanned several units at a time: white space, units
// above 0x7FFF and the closing mark at every offset from the start give the
// same trimmed and collapsed values.
TEST(ParseStream, ValuesAreScannedAlikeAtEveryOffset)
{
    const std::u16string bodies[] = {u"plain", u"two  words", u"\u9000\u9001", u"\u9000 \uffff",
                                     u" lead", u"trail\t",    u"a\r\nb"};
    for (std::size_t offset = 0; offset < 18; ++offset) {
        for (const std::u16string& body : bodies) {
            const std::u16string value = std::u16string(offset, u'v') + body;
            std::u16string copy = value;
            const std::u16string expected(pug::collapse_text(copy.data()));
            pug::xml_parser parser;
            const std::u16string text = u"<a x=\"" + value + u"\" y='" + value + u"'>" + value + u"</a>";
            pug::string_source source(text);
            ASSERT_TRUE(parser.parse_stream(&source));
            const pug::xml_node a = parser.root().child(0);
            EXPECT_EQ(a.find_attribute(u"x").value_text(), expected) << "offset " << offset;
            EXPECT_EQ(a.find_attribute(u"y").value_text(), expected) << "offset " << offset;
            EXPECT_EQ(std::u16string(a.child(0).value()), expected) << "offset " << offset;
        }
    }
}

// A source that hands out one character per call, so the buffer is built from
// many pieces, and that then reports a read error as the end.
class trickle_source : public pug::text_source {
public:
    explicit trickle_source(std::u16string text) : text_(std::move(text)) {}
    std::size_t read(char16_t* buf, std::size_t max) override
    {
        calls_ += 1;
        EXPECT_LE(max, 4095u);
        if (position_ >= text_.size())
            return 0;
        buf[0] = text_[position_++];
        return 1;
    }
    int calls_ = 0;

private:
    std::u16string text_;
    std::size_t position_ = 0;
};

TEST(ParseStream, ReadsTheWholeStreamInPieces)
{
    std::u16string text = u"<r>";
    for (int i = 0; i < 3000; ++i)
        text += u"<v>" + widen(std::to_string(i)) + u"</v>";
    text += u"</r>";

    pug::xml_parser parser;
    trickle_source source(text);
    ASSERT_TRUE(parser.parse_stream(&source));
    EXPECT_EQ(parser.buffer_size(), text.size());
    pug::xml_node r = parser.root().child(0);
    ASSERT_EQ(r.child_count(), 3000u);
    EXPECT_EQ(std::u16string(r.child(2999).child(0).value()), u"2999");
}

// The size a source reports only sizes the buffer: a wrong one still gives
// the whole text, no more and no less. The larger text needs a buffer and
// pool chunks of the size that is mapped by itself, and a buffer grown from
// a small block into such a one. (Its elements are spread over groups of 100:
// an array grown four entries at a time is copied at every step under
// AddressSanitizer.)
TEST(ParseStream, SizeHintOnlySizesTheBuffer)
{
    class hinted_source : public pug::string_source {
    public:
        hinted_source(std::u16string_view text, std::size_t hint) : string_source(text), hint_(hint) {}
        std::size_t size_hint() const override { return hint_; }

    private:
        std::size_t hint_;
    };
    constexpr std::uint32_t kGroup = 100;
    for (const std::uint32_t groups : {20u, 2000u}) {
        std::u16string text = u"<r>";
        for (std::uint32_t g = 0; g < groups; ++g) {
            text += u"<g>";
            for (std::uint32_t i = 0; i < kGroup; ++i)
                text += u"<v>" + widen(std::to_string(g * kGroup + i)) + u"</v>";
            text += u"</g>";
        }
        text += u"</r>";
        for (const std::size_t hint : {std::size_t{0}, std::size_t{1}, text.size() - 1, text.size(), text.size() * 3}) {
            pug::xml_parser parser;
            hinted_source source(text, hint);
            ASSERT_TRUE(parser.parse_stream(&source)) << groups << " hint " << hint;
            EXPECT_EQ(parser.buffer_size(), text.size()) << groups << " hint " << hint;
            EXPECT_EQ(std::u16string_view(parser.buffer(), 3), std::u16string_view(u"<r\0", 3))
                << groups << " hint " << hint;
            EXPECT_EQ(parser.buffer()[parser.buffer_size()], u'\0') << groups << " hint " << hint;
            pug::xml_node r = parser.root().child(0);
            ASSERT_EQ(r.child_count(), groups) << groups << " hint " << hint;
            for (const std::uint32_t g : {0u, groups / 2, groups - 1}) {
                ASSERT_EQ(r.child(g).child_count(), kGroup) << groups << " hint " << hint;
                EXPECT_EQ(std::u16string(r.child(g).child(kGroup - 1).child(0).value()),
                          widen(std::to_string(g * kGroup + kGroup - 1)))
                    << groups << " group " << g << " hint " << hint;
            }
        }
    }
}

TEST(ParseStream, ANulCharacterEndsTheTextThere)
{
    const std::u16string text(u"<a>x\0<b/></a><c/>", 17);
    pug::xml_parser parser;
    pug::string_source source(text);
    ASSERT_TRUE(parser.parse_stream(&source));
    EXPECT_EQ(render(parser.root()), R"(doc{a{"x"}})");
    EXPECT_EQ(parser.end() - parser.buffer(), 4);

    pug::string_source only_nul(std::u16string_view(u"\0", 1));
    ASSERT_TRUE(parser.parse_stream(&only_nul));
    EXPECT_EQ(parser.root().child_count(), 0u);
}

TEST(ParseStream, ValuesPointIntoTheBuffer)
{
    pug::xml_parser parser;
    pug::string_source source(u"<a x=\"1\">t</a>");
    ASSERT_TRUE(parser.parse_stream(&source));
    const pug::node_record* a = parser.root().child(0).record();
    const char16_t* begin = parser.buffer();
    const char16_t* end = begin + parser.buffer_size();
    const auto inside = [&](const char16_t* p) { return p >= begin && p < end; };
    EXPECT_TRUE(a->name_in_buffer && a->value_in_buffer && inside(a->name));
    EXPECT_TRUE(a->attributes[0]->name_in_buffer && inside(a->attributes[0]->name));
    EXPECT_TRUE(a->attributes[0]->value_in_buffer && inside(a->attributes[0]->value));
    EXPECT_TRUE(inside(a->children[0]->value));
}

TEST(ParseStream, GrowsArraysByTheGrowthIncrement)
{
    pug::xml_parser parser;
    pug::string_source source(u"<r a='1' b='2'><x/><y/><z/></r>");
    ASSERT_TRUE(parser.parse_stream(&source));
    const pug::node_record* r = parser.root().child(0).record();
    EXPECT_EQ(r->attribute_capacity, 5);  // room for one, then four more
    EXPECT_EQ(r->child_capacity, 5);
    EXPECT_EQ(parser.root().child(0).child(0).record()->child_capacity, 1);
}

// Parsed records share memory that goes with the tree; edits made afterwards
// allocate on their own. A tree that mixes both, and spans many blocks of that
// memory, must read back whole and be released whole (the sanitizer build
// reports any leak or double release).
TEST(ParseStream, ParsedTreeTakesEditsAndIsReleasedWhole)
{
    std::u16string text = u"<r>";
    for (int i = 0; i < 3000; ++i)
        text += u"<e a='" + widen(std::to_string(i).c_str()) + u"' b='x' c='y'>t</e>";
    text += u"</r>";
    pug::xml_parser parser;
    for (int round = 0; round < 2; ++round) {
        pug::string_source source(text);
        ASSERT_TRUE(parser.parse_stream(&source));
        pug::xml_node r = parser.root().child(0);
        ASSERT_EQ(r.child_count(), 3000u);
        pug::xml_node last = r.child(2999);
        EXPECT_EQ(xmltest::narrow(last.find_attribute(u"a").value()), "2999");

        EXPECT_FALSE(last.get_attribute(u"missing").empty());  // added after the parsed ones
        last.add_attribute(u"n", std::int32_t{-5});
        last.add_attribute(u"o", u"6");  // the sixth: the array outgrows what the parse gave it
        last.add_attribute(u"p", std::uint32_t{7});
        ASSERT_TRUE(last.set_name(u"a-much-longer-name"));
        ASSERT_TRUE(last.child(0).set_value(u"longer text than before"));
        pug::xml_node added = last.add_child(pug::kind_element);
        ASSERT_TRUE(added.set_name(u"new"));
        added.add_attribute(u"k", u"v");
        r.child(0).add_child(pug::kind_text).set_value(u"more");

        EXPECT_EQ(render(last),
                  "a-much-longer-name[a=2999,b=x,c=y,missing=,n=-5,o=6,p=7]{\"longer text than before\";new[k=v]}");
        EXPECT_EQ(render(r.child(0)), "e[a=0,b=x,c=y]{\"t\";\"more\"}");
    }
}

TEST(TrimText, TrimsAndCollapsesInPlace)
{
    struct row {
        const char16_t* input;
        const char16_t* trimmed;
        const char16_t* collapsed;
    };
    const row rows[] = {
        {u"", u"", u""},
        {u" \t\r\n", u"", u""},
        {u"a", u"a", u"a"},
        {u"  a \x01 b\t\tc  ", u"a \x01 b\t\tc", u"a b c"},
        {u"\x1f"
         u"x\x20",
         u"x", u"x"},
    };
    for (const row& r : rows) {
        std::u16string a(r.input);
        std::u16string b(r.input);
        EXPECT_EQ(std::u16string(pug::trim_text(a.data())), r.trimmed) << xmltest::narrow(r.input);
        EXPECT_EQ(std::u16string(pug::collapse_text(b.data())), r.collapsed) << xmltest::narrow(r.input);
    }
}

}  // namespace
