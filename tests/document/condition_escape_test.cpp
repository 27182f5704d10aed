// A relay condition goes into the file as an attribute value and must come
// back unchanged, whatever characters it holds: a condition taken from
// another tool's file may hold a double quote, which would otherwise end the
// attribute early and lose the rest of the condition.

#include "document/file_text.hpp"
#include "document/model.hpp"
#include "document/reader.hpp"
#include "document/writer.hpp"

#include <gtest/gtest.h>

#include <string>

namespace quarn {
namespace {

StateMachineModel ReadBack(const std::string& bytes)
{
    StateMachineModel model;
    std::u16string text;
    EXPECT_EQ(DecodeFileText(bytes, text), 0);
    EXPECT_TRUE(ReadStateMachineText(model, text));
    return model;
}

TEST(ConditionEscape, EveryConditionReadsBackAsWritten)
{
    const struct {
        std::u16string condition;
        std::string attribute;  // as it stands in the off transition
    } cases[] = {
        {u"(#T0&&#T1)||#R2", R"(cond="(#T0&amp;&amp;#T1)||#R2")"},
        {u"#T0\"x", R"(cond="#T0&quot;x")"},
        {u"\"\"", R"(cond="&quot;&quot;")"},
        // Escapes already in the text are escaped again and so kept.
        {u"a&quot;b&amp;c", R"(cond="a&amp;quot;b&amp;amp;c")"},
        {u"'<>'", R"(cond="'<>'")"},
    };
    for (const auto& c : cases) {
        StateMachineModel model;
        model.relays[4] = c.condition;
        const std::string bytes = StateMachineFileBytes(model);
        EXPECT_NE(bytes.find("<transition target=\"Ron4\" " + c.attribute + "> </transition>"), std::string::npos)
            << c.attribute;
        EXPECT_EQ(ReadBack(bytes).relays[4], c.condition) << c.attribute;
    }
}

// Another tool's file with a single-quoted condition holding a double quote:
// written and read again, the file keeps the whole condition.
TEST(ConditionEscape, SingleQuotedConditionSurvivesASave)
{
    const std::string file = "<parallel><state id='R1'><state id='Roff1'><transition cond='#T0\"x'/></state>"
                             "<state id='Ron1'/></state></parallel>";
    const StateMachineModel first = ReadBack(file);
    ASSERT_EQ(first.relays[1], u"#T0\"x");
    const std::string written = StateMachineFileBytes(first);
    EXPECT_EQ(ReadBack(written).relays[1], u"#T0\"x");
    EXPECT_EQ(StateMachineFileBytes(ReadBack(written)), written);
}

}  // namespace
}  // namespace quarn
