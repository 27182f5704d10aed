// Inputs built to exhaust the transformation: entity declarations that
// expand into gigabytes, regions with thousands of states, comments of a
// megabyte. Each must end quickly with the ordinary outcome. Time is the
// process's CPU time, so a busy machine does not fail the tests.
#include "converter/result_code.hpp"
#include "converter/transform.hpp"
#include "converter_test_support.hpp"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace quarn {
namespace {

using test::Conversion;
using test::ConvertText;

// The sanitizers slow libxslt and libxml2 down several times; the limits
// describe the product, so they stretch by that much there.
#if defined(__SANITIZE_ADDRESS__)
constexpr double kSlowdown = 10.0;
// Each use of a long text copies it, and the sanitizer's allocator maps and
// unmaps every large copy: the megabyte comments take minutes there. They
// run at a tenth of the size, which still covers every path; the full
// sizes, which the old collector failed on, run in the other builds.
constexpr int kShrink = 10;
#else
constexpr double kSlowdown = 1.0;
constexpr int kShrink = 1;
#endif

// CPU seconds since start, divided by the slowdown of this build.
double CpuSecondsSince(std::clock_t start)
{
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC / kSlowdown;
}

// A UML 2 model: one region "R1" holding `states` states (off, on, then
// further ones) with the switch off -> on on T0, a DOCTYPE line when given,
// and a comment with the given body.
std::string Model(int states, const std::string& doctype = "", const std::string& comment = "")
{
    std::string xmi = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + doctype +
                      "<uml:Model xmi:version=\"20131001\" xmlns:xmi=\"http://www.omg.org/spec/XMI/20131001\" "
                      "xmlns:uml=\"http://www.eclipse.org/uml2/5.0.0/UML\" xmi:id=\"model\" name=\"Root\">\n";
    if (!comment.empty()) {
        xmi += "<ownedComment xmi:type=\"uml:Comment\" xmi:id=\"note\"><body>" + comment + "</body></ownedComment>\n";
    }
    xmi += "<packagedElement xmi:type=\"uml:StateMachine\" xmi:id=\"sm\" name=\"plant\">"
           "<region xmi:type=\"uml:Region\" xmi:id=\"r\" name=\"R1\">\n"
           "<transition xmi:type=\"uml:Transition\" xmi:id=\"up\" source=\"s0\" target=\"s1\">"
           "<guard xmi:type=\"uml:Constraint\" xmi:id=\"g\" specification=\"T0\"/></transition>\n";
    for (int i = 0; i < states; ++i) {
        const std::string name = i == 0 ? "off" : i == 1 ? "on" : "x" + std::to_string(i);
        xmi += "<subvertex xmi:type=\"uml:State\" xmi:id=\"s" + std::to_string(i) + "\" name=\"" + name + "\"/>\n";
    }
    return xmi + "</region></packagedElement></uml:Model>\n";
}

std::string Repeated(const std::string& text, int times)
{
    std::string all;
    all.reserve(text.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) {
        all += text;
    }
    return all;
}

// Entities would be expanded by the stylesheet (the parser never
// substitutes them), so a document whose DTD declares any is not read.
TEST(HostileInputTest, DocumentsDeclaringEntitiesFailAsUnreadableAtOnce)
{
    struct Row {
        const char* what;
        std::string doctype;
        std::string comment;
    };
    std::string laughs = "<!ENTITY l0 \"ha\">";
    for (int level = 1; level <= 12; ++level) {
        laughs +=
            "<!ENTITY l" + std::to_string(level) + " \"" + Repeated("&l" + std::to_string(level - 1) + ";", 10) + "\">";
    }
    const Row rows[] = {
        {"one 50 kB entity referenced 20,000 times",
         "<!DOCTYPE uml:Model [<!ENTITY big \"" + std::string(50000, 'A') + "\">]>\n", Repeated("&big;", 20000)},
        {"nested entities, 10^12 characters", "<!DOCTYPE uml:Model [" + laughs + "]>\n", "&l12;"},
        {"a declared entity never referenced", "<!DOCTYPE uml:Model [<!ENTITY quiet \"q\">]>\n", ""},
        {"a parameter entity", "<!DOCTYPE uml:Model [<!ENTITY % p \"<!ENTITY e 'x'>\"> %p;]>\n", "&e;"},
        {"an unparsed entity", "<!DOCTYPE uml:Model [<!NOTATION n SYSTEM \"n\"><!ENTITY u SYSTEM \"u\" NDATA n>]>\n",
         ""},
    };
    for (const Row& row : rows) {
        const std::clock_t start = std::clock();
        const Conversion result = ConvertText(Model(2, row.doctype, row.comment));
        EXPECT_LT(CpuSecondsSince(start), 1.0) << row.what;
        EXPECT_EQ(result.outcome.status, TransformStatus::Failure) << row.what;
        EXPECT_EQ(result.outcome.code, kCodeGeneralFailure) << row.what;
        EXPECT_EQ(TransformOutcomeText(result.outcome), u"Some error occured Unspecified error (80004005)") << row.what;
        EXPECT_TRUE(result.output.empty()) << row.what << ": nothing is written";
        bool explained = false;
        for (const std::u16string& line : result.outcome.diagnostics) {
            explained = explained || line.find(u"declares entities") != std::u16string::npos;
        }
        EXPECT_TRUE(explained) << row.what;
    }
}

// A DOCTYPE without entity declarations, as UML 1 exporters write it, is
// read as before; its external DTD is not loaded.
TEST(HostileInputTest, DoctypeWithoutEntitiesStillConverts)
{
    const Conversion result =
        ConvertText(Model(2, "<!DOCTYPE uml:Model SYSTEM \"uml13.dtd\" [<!ELEMENT note ANY>]>\n"));
    ASSERT_EQ(result.outcome.status, TransformStatus::Success) << result.AllNotes();
    EXPECT_NE(result.output.find("cond=\"#T0\""), std::string::npos) << result.output;
}

// Each region is analysed once for the whole report, not once per state.
TEST(HostileInputTest, TenThousandStatesInOneRegionConvertInTime)
{
    const std::string xmi = Model(10000);
    const std::clock_t start = std::clock();
    const Conversion result = ConvertText(xmi);
    EXPECT_LT(CpuSecondsSince(start), 2.0);
    ASSERT_EQ(result.outcome.status, TransformStatus::Success);
    EXPECT_NE(result.output.find("cond=\"#T0\""), std::string::npos);
    EXPECT_EQ(result.notes.size(), 9998u);
    EXPECT_TRUE(result.HasNote("state \"x9999\" (id s9999) not mapped: relay R1 has only an off and an on state"))
        << result.notes.back();
}

// Comments are read by templates that nest only logarithmically deep,
// whatever the lengths of the text and its lines.
TEST(HostileInputTest, MegabyteCommentsConvert)
{
    struct Row {
        const char* what;
        std::string comment;
        const char* timer;  // expected in the file
        std::size_t notes;
    };
    const int k = kShrink;
    const Row rows[] = {
        {"25,000 lines of prose, the timer last",
         Repeated("Some documentation of the plant, one more line\n", 25000 / k) + "T3 OFF 10:00:00",
         "<timer id=\"3\" start=\"0\" end=\"36000\" dow=\"0\">", 0},
        {"500,000 empty lines, then one long line, then the timer",
         std::string(500000 / k, '\n') + std::string(500000 / k, 'x') + "\nT4 OFF 00:00:01",
         "<timer id=\"4\" start=\"0\" end=\"1\" dow=\"0\">", 0},
        {"one line of a megabyte", "T5 OFF 00:00:02\n" + std::string(1000000 / k, 'y'),
         "<timer id=\"5\" start=\"0\" end=\"2\" dow=\"0\">", 0},
        {"5,000 timer lines for the same timer", Repeated("T6 OFF 00:00:03\n", 5000 / k),
         "<timer id=\"6\" start=\"0\" end=\"3\" dow=\"0\">", static_cast<std::size_t>(5000 / k - 1)},
    };
    for (const Row& row : rows) {
        const std::clock_t start = std::clock();
        const Conversion result = ConvertText(Model(2, "", row.comment));
        EXPECT_LT(CpuSecondsSince(start), 5.0) << row.what;
        ASSERT_EQ(result.outcome.status, TransformStatus::Success) << row.what;
        EXPECT_NE(result.output.find(row.timer), std::string::npos) << row.what << "\n" << result.output;
        EXPECT_EQ(result.notes.size(), row.notes) << row.what;
    }
}

}  // namespace
}  // namespace quarn
