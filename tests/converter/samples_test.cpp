// Real exports of the common modelling tools, read in place from the shared
// sample folder (skipped when it is absent). Each converts with success and
// reports every state it could not map; a copy made to follow the relay
// convention (states renamed, a guard written or retargeted, all in memory)
// converts into the expected relay.
#include "converter/transform.hpp"
#include "converter_test_support.hpp"
#include "sample_cases.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace quarn {
namespace {

using test::Conversion;
using test::ConvertFile;
using test::ConvertText;
using test::ReadBytes;
using test::RelayCopies;
using test::SampleCase;
using test::SamplePath;

class SampleTest : public ::testing::TestWithParam<SampleCase> {
protected:
    void SetUp() override
    {
        path = SamplePath(GetParam().file);
        if (!test::Exists(path)) {
            GTEST_SKIP() << "sample not present: " << path;
        }
    }
    std::string path;
};

TEST_P(SampleTest, RealExportConvertsAndReportsEveryUnmappedState)
{
    const Conversion result = ConvertFile(path);
    ASSERT_EQ(result.outcome.status, TransformStatus::Success);
    EXPECT_NE(result.output.find("<parallel/>"), std::string::npos) << result.output;
    for (const std::string& name : GetParam().unmappedStates) {
        EXPECT_TRUE(result.HasNote("state \"" + name + "\" (id ")) << name << "\n" << result.AllNotes();
    }
    if (GetParam().unmappedStates.empty()) {
        EXPECT_TRUE(result.HasNote("it holds no UML state machine")) << result.AllNotes();
    }
}

using RelayCopyTest = SampleTest;

TEST_P(RelayCopyTest, ConvertsIntoTheRelay)
{
    const SampleCase& sample = GetParam();
    std::string xmi = test::RelayCopyText(sample, ReadBytes(path));
    ASSERT_FALSE(xmi.empty()) << "an edit does not apply to the sample";
    const Conversion result = ConvertText(xmi);
    ASSERT_EQ(result.outcome.status, TransformStatus::Success);

    const std::string n = std::to_string(sample.relay);
    // An unnamed state machine is named after the destination, out.xml.
    const std::string version =
        std::string("<version>") + (*sample.version == '\0' ? "out" : sample.version) + "</version>";
    EXPECT_NE(result.output.find(version), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("<state id=\"R" + n + "\" initial=\"Roff" + n + "\">"), std::string::npos)
        << result.output << result.AllNotes();
    EXPECT_NE(result.output.find("<transition target=\"Ron" + n + "\" cond=\"" + sample.condition + "\">"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("<transition target=\"Roff" + n + "\" cond=\"!(" + sample.condition + ")\">"),
              std::string::npos)
        << result.output;
    EXPECT_EQ(test::ReplaceAll(xmi = result.output, "initial=\"Roff", ""), 1) << "exactly one relay";
}

std::string Label(const ::testing::TestParamInfo<SampleCase>& param)
{
    return param.param.label;
}

INSTANTIATE_TEST_SUITE_P(Dialects, SampleTest, ::testing::ValuesIn(test::SampleCases()), Label);
INSTANTIATE_TEST_SUITE_P(Dialects, RelayCopyTest, ::testing::ValuesIn(RelayCopies()), Label);

}  // namespace
}  // namespace quarn
