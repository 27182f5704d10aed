// Conditions: the grammar, precedence, what terms mean, errors with positions.
#include "runtime/condition.hpp"

#include <gtest/gtest.h>

#include <string>

namespace quarn::runtime {
namespace {

Condition Parsed(std::u16string_view text)
{
    auto parsed = Condition::Parse(text);
    if (const auto* error = std::get_if<ConditionError>(&parsed)) {
        ADD_FAILURE() << error->Message();
        return {};
    }
    return std::get<Condition>(parsed);
}

SignalState State(std::uint8_t timers, std::uint8_t inputs, std::uint8_t relays)
{
    return {timers, inputs, relays};
}

struct Case {
    std::u16string text;
    SignalState state;
    bool expected;
};

TEST(Condition, EvaluatesTermsOperatorsAndPrecedence)
{
    const Case cases[] = {
        {u"#1", {}, true},
        {u"1", {}, true},
        {u"#0", {}, false},
        {u"0", {}, false},
        {u"#T3", State(0x08, 0, 0), true},
        {u"#T3", State(0xf7, 0x0f, 0xff), false},
        {u"#S2", State(0, 0x04, 0), true},
        {u"#R7", State(0, 0, 0x80), true},
        {u"#R7", State(0x80, 0x0f, 0x7f), false},
        // ! binds tighter than &&, which binds tighter than ||.
        {u"!#T0&&#T1", State(0x02, 0, 0), true},
        {u"!(#T0&&#T1)", State(0x03, 0, 0), false},
        {u"#T0||#T1&&#T2", State(0x01, 0, 0), true},
        {u"(#T0||#T1)&&#T2", State(0x01, 0, 0), false},
        {u"#T0&&#T1||#T2", State(0x04, 0, 0), true},
        {u"!#T0||#T0", State(0x01, 0, 0), true},
        {u"!!#S0", State(0, 1, 0), true},
        {u"!((#T0&&#T1)||#R2)", State(0x03, 0, 0), false},
        {u"!((#T0&&#T1)||#R2)", State(0x01, 0, 0), true},
        {u" ( #T0 &&\t#T1 )\r\n|| #R2 ", State(0, 0, 0x04), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Parsed(c.text).Evaluate(c.state), c.expected)
            << std::string(c.text.begin(), c.text.end()) << " with T=" << int{c.state.timers}
            << " S=" << int{c.state.inputs} << " R=" << int{c.state.relays};
}

TEST(Condition, DeepNestingNeedsNoCallStack)
{
    for (const std::size_t depth : {std::size_t{10}, std::size_t{100}, std::size_t{100000}}) {
        std::u16string text = std::u16string(depth, u'(') + u"#S0" + std::u16string(depth, u')');
        std::u16string negations = std::u16string(depth, u'!') + u"#S0";
        // A long chain keeps many operands on the stack at once.
        std::u16string chain;
        for (std::size_t i = 0; i < depth; ++i)
            chain += u"(#S0||";
        chain += u"#0" + std::u16string(depth, u')');
        EXPECT_TRUE(Parsed(text).Evaluate(State(0, 1, 0))) << depth;
        EXPECT_EQ(Parsed(negations).Evaluate(State(0, 1, 0)), depth % 2 == 0) << depth;
        EXPECT_TRUE(Parsed(chain).Evaluate(State(0, 1, 0))) << depth;
        EXPECT_FALSE(Parsed(chain).Evaluate(State(0, 0, 0))) << depth;
    }
}

TEST(Condition, UsesNamesTheSignalsOfTheText)
{
    const Condition condition = Parsed(u"(#T0&&#T7)||!#S3||#R2||#1");
    EXPECT_EQ(condition.Uses(), State(0x81, 0x08, 0x04));
}

struct ErrorCase {
    std::u16string text;
    std::size_t position;
    const char* what;
};

TEST(Condition, TextsOutsideTheGrammarGiveTheirPosition)
{
    const ErrorCase cases[] = {
        {u"", 0, "unexpected end"},
        {u"   ", 3, "unexpected end"},
        {u"#T8", 2, "no signal T8"},
        {u"#S4", 2, "no signal S4"},
        {u"#R-1", 2, "no signal R-"},
        {u"#X1", 1, "unexpected \"X\" after \"#\""},
        {u"# T0", 1, "unexpected \" \" after \"#\""},
        {u"#T", 2, "unexpected end"},
        {u"#", 1, "unexpected end"},
        {u"#T0&#T1", 4, "unexpected \"#\" after \"&\""},
        {u"#T0|", 4, "unexpected end"},
        {u"#T0&&", 5, "unexpected end"},
        {u"(#T0&&)", 6, "unexpected \")\""},
        {u"(#T0", 4, "unexpected end, \")\" missing"},
        {u"#T0)", 3, "unexpected \")\""},
        {u"#T0 #T1", 4, "unexpected \"#\""},
        {u"#T12", 3, "unexpected \"2\""},
        {u"10", 1, "unexpected \"0\""},
        {u"T0", 0, "unexpected \"T\""},
        {u"#T0!", 3, "unexpected \"!\""},
        {u"()", 1, "unexpected \")\""},
        {u"#t0", 1, "unexpected \"t\" after \"#\""},
        {u"#T0&amp;&amp;#T1", 4, "unexpected \"a\" after \"&\""},
        {u"\u00e4", 0, "unexpected \"\u00e4\""},
    };
    for (const ErrorCase& c : cases) {
        const auto parsed = Condition::Parse(c.text);
        const std::string shown(c.text.begin(), c.text.end());
        ASSERT_TRUE(std::holds_alternative<ConditionError>(parsed)) << shown;
        const ConditionError& error = std::get<ConditionError>(parsed);
        EXPECT_EQ(error.position, c.position) << shown;
        EXPECT_EQ(error.what, c.what) << shown;
        EXPECT_EQ(error.condition, c.text);
    }
}

TEST(Condition, ErrorMessageNamesRelayConditionAndCharacter)
{
    auto parsed = Condition::Parse(u"(#T0&&)");
    ASSERT_TRUE(std::holds_alternative<ConditionError>(parsed));
    ConditionError error = std::get<ConditionError>(parsed);
    EXPECT_EQ(error.Message(), "condition \"(#T0&&)\": unexpected \")\" at character 7");
    error.relay = 3;
    EXPECT_EQ(error.Message(), "R3: condition \"(#T0&&)\": unexpected \")\" at character 7");
    error.onState = true;
    EXPECT_EQ(error.Message(), "R3 (on state): condition \"(#T0&&)\": unexpected \")\" at character 7");
}

}  // namespace
}  // namespace quarn::runtime
