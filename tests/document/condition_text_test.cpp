#include "document/condition_text.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace quarn {
namespace {

// Input list indexes by name, for readable tables.
int In(std::u16string_view name)
{
    const auto& list = ConditionInputList();
    for (int i = 0; i < kConditionInputCount; ++i) {
        if (list[i] == name)
            return i;
    }
    ADD_FAILURE() << "no input named that";
    return -1;
}

GateSelections Sel(std::initializer_list<std::u16string_view> names)
{
    GateSelections selections{};
    int i = 0;
    for (auto name : names)
        selections[i++] = In(name);
    return selections;
}

std::string Narrow(std::u16string_view text)
{
    return std::string(text.begin(), text.end());
}

TEST(ConditionText, InputListHasTheTwentyTwoInputsInOrder)
{
    const auto& list = ConditionInputList();
    std::u16string joined;
    for (auto text : list)
        joined += std::u16string(text) + u",";
    EXPECT_EQ(Narrow(joined), "0,1,T0,T1,T2,T3,T4,T5,T6,T7,R0,R1,R2,R3,R4,R5,R6,R7,S0,S1,S2,S3,");
}

struct BuildCase {
    GateSelections selections;
    std::u16string text;
};

TEST(ConditionText, BuildJoinsTheNonNeutralInputs)
{
    const BuildCase cases[] = {
        {Sel({u"T0", u"T1", u"1", u"1", u"R2", u"0", u"0", u"0"}), u"(#T0&&#T1)||#R2"},
        {Sel({u"1", u"1", u"1", u"1", u"S0", u"0", u"T7", u"0"}), u"#S0||#T7"},
        {Sel({u"1", u"R5", u"1", u"1", u"0", u"0", u"0", u"0"}), u"(#R5)"},
        {Sel({u"0", u"T2", u"1", u"1", u"1", u"0", u"0", u"0"}), u"(#0&&#T2)||#1"},
        {Sel({u"1", u"1", u"1", u"1", u"0", u"0", u"0", u"0"}), u""},
        {Sel({u"1", u"T0", u"1", u"T1", u"0", u"0", u"0", u"0"}), u"(#T0&&#T1)"},
        {Sel({u"S3", u"R7", u"T7", u"0", u"S1", u"S2", u"R0", u"T3"}), u"(#S3&&#R7&&#T7&&#0)||#S1||#S2||#R0||#T3"},
        // Missing selections count as neutral.
        {GateSelections{-1, 22, 2, -1, -1, 99, 10, -1}, u"(#T0)||#R0"},
    };
    for (const BuildCase& c : cases)
        EXPECT_EQ(Narrow(BuildConditionText(c.selections)), Narrow(c.text));
}

struct ParseCase {
    std::u16string text;
    GateSelections selections;
};

TEST(ConditionText, ParseFindsTheGateInputs)
{
    const GateSelections neutral = Sel({u"1", u"1", u"1", u"1", u"0", u"0", u"0", u"0"});
    const ParseCase cases[] = {
        {u"(#T0&&#T1)||#R2", Sel({u"T0", u"T1", u"1", u"1", u"R2", u"0", u"0", u"0"})},
        {u"", neutral},
        {u"#R1||#S0", Sel({u"1", u"1", u"1", u"1", u"R1", u"S0", u"0", u"0"})},
        {u"(#T0&&#T1)", Sel({u"T0", u"T1", u"1", u"1", u"0", u"0", u"0", u"0"})},
        // Constants written as terms come back as themselves.
        {u"(#0&&#T2)||#1", Sel({u"0", u"T2", u"1", u"1", u"1", u"0", u"0", u"0"})},
        {u"#R||1||#S", Sel({u"1", u"1", u"1", u"1", u"R0", u"1", u"S0", u"0"})},
        // Only four terms per gate are kept.
        {u"#S0||#S1||#S2||#S3||#T0", Sel({u"1", u"1", u"1", u"1", u"S0", u"S1", u"S2", u"S3"})},
        {u"(#T0&&#T1&&#T2&&#T3&&#T4)", Sel({u"T0", u"T1", u"T2", u"T3", u"0", u"0", u"0", u"0"})},
        // Nothing but ")" after the "(": all neutral.
        {u"(", neutral},
        {u"()", neutral},
        {u"())))", neutral},
        // An unclosed AND group, and runs of ")" skipped around the OR part.
        {u"(#T3&&#R4", Sel({u"T3", u"R4", u"1", u"1", u"0", u"0", u"0", u"0"})},
        {u"(#T3))||#S1)||#S2", Sel({u"T3", u"1", u"1", u"1", u"S1", u"0", u"0", u"0"})},
        // The negated form the writer puts on the on transition.
        {u"!((#T0&&#T1)||#R2)", Sel({u"1", u"1", u"1", u"1", u"0", u"R2", u"0", u"0"})},
        // A single separator swallows the "#" of the next token.
        {u"(#T0&#T1)", Sel({u"T0", u"0", u"1", u"1", u"0", u"0", u"0", u"0"})},
    };
    for (const ParseCase& c : cases)
        EXPECT_EQ(ParseConditionText(c.text), c.selections) << Narrow(c.text);
}

// A gate is used when one of its inputs is not neutral; the AND gate's four
// "1" inputs are then not part of the condition at all.
TEST(ConditionText, GateIsUsedWhenAnInputIsNotNeutral)
{
    const struct {
        std::u16string_view text;
        bool andUsed;
        bool orUsed;
    } cases[] = {
        {u"", false, false},         {u"#R2||#S1", false, true}, {u"(#T0&&#T1)", true, false},
        {u"(#T0)||#R2", true, true}, {u"(#0)", true, false},  // a "0" in the AND gate counts: the relay is never on
    };
    for (const auto& c : cases) {
        const GateSelections selections = ParseConditionText(c.text);
        const std::string text(c.text.begin(), c.text.end());
        EXPECT_EQ(AndGateUsed(selections), c.andUsed) << text;
        EXPECT_EQ(OrGateUsed(selections), c.orUsed) << text;
    }
    GateSelections none = NeutralSelections();
    none[0] = -1;  // nothing selected counts as neutral
    EXPECT_FALSE(AndGateUsed(none));
}

TEST(ConditionText, MapTokenTable)
{
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"#T0", u"T0"},  {u"#T7", u"T7"},  {u"#T8", u"0"},   {u"#R0", u"R0"},
        {u"#R7", u"R7"},  {u"#R-1", u"0"},  {u"#S3", u"S3"},  {u"#S4", u"0"},
        {u"#X1", u"0"},   {u"#0", u"0"},    {u"#1", u"1"},    {u"1", u"1"},
        {u"0", u"0"},     {u"1xyz", u"1"},  {u"(#T3", u"T3"}, {u"(1", u"1"},
        {u"", u"0"},      {u"(", u"0"},     {u"#", u"0"},     {u"#T", u"T0"},
        {u"#T 5", u"T5"}, {u"#R+2", u"R2"}, {u"#S1x", u"S1"}, {u"#T99999999999999", u"0"},
        {u"T3", u"0"},    {u"#10", u"0"},   {u"#1x", u"0"},
    };
    for (const auto& [token, input] : cases) {
        const int index = MapConditionToken(token);
        ASSERT_TRUE(index >= 0 && index < kConditionInputCount) << Narrow(token);
        EXPECT_EQ(Narrow(ConditionInputList()[index]), Narrow(input)) << Narrow(token);
    }
}

TEST(ConditionText, GatesShowExactlyWhatBuildWouldWrite)
{
    const std::pair<std::u16string, bool> cases[] = {
        {u"", true},
        {u"(#T0&&#T1)||#R2", true},
        {u"#T0", true},
        {u"#S3", true},
        {u"#1", true},
        {u"#T0&&#S1", false},
        {u"#S2&&!#T4", false},
        {u"!#S0", false},
        {u"(#1)", false},
        {u"#X7||#T2", false},
        {u"(#T0&&#T1)||#R2 ", false},
        {u"#T0||#T0&&#T1", false},
    };
    for (const auto& [text, exact] : cases)
        EXPECT_EQ(GatesShowExactly(text), exact) << Narrow(text);
}

// Whatever the dialog selects, parsing the built text and building again
// gives the same text, an OR input "1" included.
TEST(ConditionText, BuildParseBuildIsStable)
{
    std::mt19937 random(20131);
    std::uniform_int_distribution<int> pick(0, kConditionInputCount - 1);
    for (int round = 0; round < 5000; ++round) {
        GateSelections selections{};
        for (int i = 0; i < 8; ++i) {
            selections[i] = pick(random);
            if (random() % 3 == 0)  // plenty of neutral inputs
                selections[i] = i < kAndInputs ? kInputTrue : kInputFalse;
        }
        const std::u16string text = BuildConditionText(selections);
        EXPECT_EQ(Narrow(BuildConditionText(ParseConditionText(text))), Narrow(text));
    }
}

}  // namespace
}  // namespace quarn
