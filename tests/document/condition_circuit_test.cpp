// A condition drawn as the condition dialog's circuit, and text made safe
// for a page.
#include "document/condition_circuit.hpp"
#include "document/markup_text.hpp"

#include "tests/support/markup_check.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quarn {
namespace {

// The texts the circuit writes, in order: the eight inputs first.
std::vector<std::string> CircuitTexts(const ConditionCircuit& circuit)
{
    const test::MarkupReading svg = test::ReadMarkup(WriteCircuitSvg(circuit));
    EXPECT_EQ(svg.error, "");
    return svg.Texts("text");
}

TEST(ConditionCircuit, DrawsTheInputsTheDialogWouldSelectAndGreysAnUnusedGate)
{
    struct Case {
        std::u16string condition;
        std::vector<std::string> inputs;
        bool andUsed;
        bool orUsed;
        bool exact;
        std::u16string shown;
    };
    const Case cases[] = {
        {u"(#T0&&#T1)||#R2", {"T0", "T1", "1", "1", "R2", "0", "0", "0"}, true, true, true, u"(#T0&&#T1)||#R2"},
        {u"#S0||#T7", {"1", "1", "1", "1", "S0", "T7", "0", "0"}, false, true, true, u"#S0||#T7"},
        {u"(#R5)", {"R5", "1", "1", "1", "0", "0", "0", "0"}, true, false, true, u"(#R5)"},
        {u"", {"1", "1", "1", "1", "0", "0", "0", "0"}, false, false, true, u""},
        // What the lists cannot show: the dialog's reading and what OK would store.
        {u"#X7||#T2", {"1", "1", "1", "1", "0", "T2", "0", "0"}, false, true, false, u"#T2"},
    };
    for (const Case& c : cases) {
        const std::string name(c.condition.begin(), c.condition.end());
        const ConditionCircuit circuit = CircuitOf(c.condition, 3);
        EXPECT_EQ(circuit.andGateUsed, c.andUsed) << name;
        EXPECT_EQ(circuit.orGateUsed, c.orUsed) << name;
        EXPECT_EQ(circuit.shown, c.shown) << name;
        EXPECT_EQ(circuit.relayLabel, u"R 3");
        const std::vector<std::string> texts = CircuitTexts(circuit);
        ASSERT_GE(texts.size(), 8u) << name;
        EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 8), c.inputs) << name;
        // The gate labels, "not used" on each unused gate, the output and its relay.
        const auto count = [&texts](const std::string& text) { return std::count(texts.begin(), texts.end(), text); };
        EXPECT_EQ(count("&&"), 1) << name;
        EXPECT_EQ(count(">=1"), 2) << name;
        EXPECT_EQ(count("not used"), (c.andUsed ? 0 : 1) + (c.orUsed ? 0 : 1)) << name;
        EXPECT_EQ(count("R 3"), 1) << name;
        EXPECT_EQ(circuit.exact, c.exact) << name;
    }
}

TEST(ConditionCircuit, AnUnusedGateAndItsWiresAreGreyTheUsedOnesBlack)
{
    const std::string svg = WriteCircuitSvg(CircuitOf(u"#S0", 0));  // OR gate only
    const test::MarkupReading reading = test::ReadMarkup(svg);
    ASSERT_EQ(reading.error, "");
    std::vector<std::string> wireInk;
    for (const test::MarkupElement* rect : reading.All("rect")) {
        if (rect->attributes.count("class") && rect->attributes.at("class") == "wire")
            wireInk.push_back(rect->attributes.at("fill"));
    }
    ASSERT_EQ(wireInk.size(), kCircuitWires.size());
    for (std::size_t w = 0; w < kCircuitWires.size(); ++w) {
        const bool grey = kCircuitWireParts[w] == CircuitPart::AndGate;
        EXPECT_EQ(wireInk[w] == "#000000", !grey) << "wire " << w;
    }
}

TEST(MarkupText, EscapesMarkupAndReplacesWhatXmlCannotHold)
{
    struct Case {
        std::u16string text;
        std::string markup;
    };
    const Case cases[] = {
        {u"<script>alert(\"x\")</script>", "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;"},
        {u"a & b 'c'", "a &amp; b &#39;c&#39;"},
        {u"&amp;", "&amp;amp;"},
        {u"tab\tline\nend\r", "tab\tline\nend\r"},
        {std::u16string(u"nul") + char16_t(0) + u"bell\a", "nul bell "},
        {std::u16string(1, char16_t(0xDC00)) + u"x" + char16_t(0xFFFE), "\xEF\xBF\xBDx\xEF\xBF\xBD"},
        {u"\u00e4\u20ac\U0001F600", "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MarkupText(c.text), c.markup) << c.markup;
    // Bytes that are no UTF-8 at all come out as U+FFFD, never as raw bytes.
    EXPECT_EQ(MarkupText(std::string_view("a\xFF<b\xC3")), "a\xEF\xBF\xBD&lt;b\xEF\xBF\xBD");
}

TEST(MarkupText, NumbersKeepOneDecimalAndNoLocale)
{
    EXPECT_EQ(MarkupNumber(12), "12");
    EXPECT_EQ(MarkupNumber(12.54), "12.5");
    EXPECT_EQ(MarkupNumber(-3.01), "-3");
    EXPECT_EQ(MarkupNumber(-0.01), "0");
}

}  // namespace
}  // namespace quarn
