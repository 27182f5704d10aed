// What morvex.xsl makes of a model: relays, guards, timers, version, and
// the reports of what it leaves out.
#include "converter/transform.hpp"
#include "converter_test_support.hpp"

#include <gtest/gtest.h>

#include <string>

namespace quarn {
namespace {

using test::Conversion;
using test::ConvertFile;
using test::ConvertText;
using test::FixturePath;
using test::ReadBytes;

// A UML 2 model in the Eclipse UML2 style with one region under the state
// machine: two states a and b, an initial transition to a when asked for,
// a transition a -> b holding switchGuard and b -> a holding backGuard
// (both XML snippets), and a comment.
std::string UmlModel(const std::string& regionName, const std::string& aName, const std::string& bName, bool initialToA,
                     const std::string& switchGuard, const std::string& backGuard = "", const std::string& comment = "")
{
    std::string xmi = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<uml:Model xmi:version=\"20131001\" xmlns:xmi=\"http://www.omg.org/spec/XMI/20131001\" "
                      "xmlns:uml=\"http://www.eclipse.org/uml2/5.0.0/UML\" xmi:id=\"model\" name=\"Root\">\n";
    if (!comment.empty()) {
        xmi += "<ownedComment xmi:type=\"uml:Comment\" xmi:id=\"note\"><body>" + comment + "</body></ownedComment>\n";
    }
    xmi += "<packagedElement xmi:type=\"uml:StateMachine\" xmi:id=\"sm\" name=\"plant\">\n"
           "<region xmi:type=\"uml:Region\" xmi:id=\"region\" name=\"" +
           regionName + "\">\n";
    if (initialToA) {
        xmi += "<transition xmi:type=\"uml:Transition\" xmi:id=\"t0\" source=\"init\" target=\"a\"/>\n"
               "<subvertex xmi:type=\"uml:Pseudostate\" xmi:id=\"init\"/>\n";
    }
    xmi += "<transition xmi:type=\"uml:Transition\" xmi:id=\"up\" source=\"a\" target=\"b\">" + switchGuard +
           "</transition>\n"
           "<transition xmi:type=\"uml:Transition\" xmi:id=\"down\" source=\"b\" target=\"a\">" +
           backGuard +
           "</transition>\n"
           "<subvertex xmi:type=\"uml:State\" xmi:id=\"a\" name=\"" +
           aName +
           "\"/>\n"
           "<subvertex xmi:type=\"uml:State\" xmi:id=\"b\" name=\"" +
           bName +
           "\"/>\n"
           "</region>\n</packagedElement>\n</uml:Model>\n";
    return xmi;
}

std::string BodyGuard(const std::string& text)
{
    return "<guard xmi:type=\"uml:Constraint\" xmi:id=\"g\"><specification xmi:type=\"uml:OpaqueExpression\" "
           "xmi:id=\"gs\" body=\"" +
           text + "\"/></guard>";
}

// A relay's lines as the writer lays them out.
std::string RelayElement(int n, const std::string& escapedCondition)
{
    const std::string k = std::to_string(n);
    return "\t\t<state id=\"R" + k + "\" initial=\"Roff" + k + "\">\r\n\t\t\t<state id=\"Roff" + k +
           "\">\r\n\t\t\t\t<onentry>\r\n\t\t\t\t\t<send type=\"relay\">\r\n\t\t\t\t\t\t<content>F" + k +
           "</content>\r\n\t\t\t\t\t</send>\r\n\t\t\t\t</onentry>\r\n\t\t\t\t<transition target=\"Ron" + k +
           "\" cond=\"" + escapedCondition + "\"> </transition>\r\n\t\t\t</state>\r\n\t\t\t<state id=\"Ron" + k +
           "\">\r\n\t\t\t\t<onentry>\r\n\t\t\t\t\t<send type=\"relay\">\r\n\t\t\t\t\t\t<content>N" + k +
           "</content>\r\n\t\t\t\t\t</send>\r\n\t\t\t\t</onentry>\r\n\t\t\t\t<transition target=\"Roff" + k +
           "\" cond=\"!(" + escapedCondition + ")\"> </transition>\r\n\t\t\t</state>\r\n\t\t</state>\r\n";
}

// The two hand-written models convert into exactly the expected files.
TEST(StylesheetTest, FixturesConvertIntoTheExpectedFiles)
{
    for (const char* name : {"office-uml2", "garden-uml14"}) {
        const std::string source = FixturePath(std::string(name) + (name[0] == 'o' ? ".uml" : ".xmi"));
        const Conversion result = ConvertFile(source);
        ASSERT_EQ(result.outcome.status, TransformStatus::Success) << name;
        EXPECT_EQ(result.output, ReadBytes(FixturePath(std::string(name) + ".expected.xml"))) << name;
    }
}

TEST(StylesheetTest, OfficeFixtureReportsWhatItLeavesOut)
{
    const Conversion result = ConvertFile(FixturePath("office-uml2.uml"));
    const char* expected[] = {
        "state \"extra\" (id x1) not mapped: relay R1 has only an off and an on state",
        "transition \"\" (id t4) not mapped: its guard \"S0\" is not the negation of \"#S1\"",
        "region \"Relay 5\" (id r5) not mapped: it is not a relay: the transition (id t6) from \"OFF\" to \"ON\" "
        "has no guard",
        "state \"OFF\" (id off5) not mapped: its region \"Relay 5\" is not a relay",
        "state \"ON\" (id on5) not mapped",
        "timer line \"T2 ON 08:00:00 and no off\" (id c1) not mapped: OFF should follow the ON time",
        "timer line \"T3 ON 25:00:00 OFF 22:00:00\" (id c1) not mapped: \"25:00:00\" is not a time of day",
        "timer line \"T0 OFF 01:00:00\" (id c1) not mapped: an earlier line already gives timer T0",
        "timer line \"T9 OFF 01:00:00\" (id c1) not mapped: there is no timer T9",
    };
    for (const char* note : expected) {
        EXPECT_TRUE(result.HasNote(note)) << note << "\nnotes:\n" << result.AllNotes();
    }
    EXPECT_FALSE(result.HasNote("\"idle\"")) << "the relay's own states are mapped";
    EXPECT_FALSE(result.HasNote("(id t3)")) << "a guard written as the negation is fine";
    EXPECT_EQ(result.notes.size(), std::size(expected));
}

// Where the relay number and the off state come from.
TEST(StylesheetTest, RelayNumberAndOffState)
{
    struct Row {
        const char* region;
        const char* a;
        const char* b;
        bool initialToA;
        int relay;         // -1: no relay
        bool aIsOff;       // which way the condition switches
        const char* note;  // part of the expected report when there is no relay
    };
    const Row rows[] = {
        {"R3", "idle", "running", true, 3, true, ""},
        {"R3 pump", "idle", "running", true, 3, true, ""},
        {"Relay 3", "idle", "running", true, 3, true, ""},
        {"relay7", "idle", "running", true, 7, true, ""},
        {"Region1", "Roff2", "Ron2", false, 2, true, ""},
        {"", "R5 off", "R5 on", false, 5, true, ""},
        {"", "r5_ON", "r5-off", true, 5, false, ""},
        {"R1", "On", "OFF", true, 1, false, ""},
        {"R1", "Roff1", "Ron1", false, 1, true, ""},
        {"R0", "closed", "open", false, -1, true, "none of its states is named off and no initial transition"},
        {"R8", "idle", "running", true, -1, true, "neither its name nor its states' names give a relay number"},
        {"R31", "idle", "running", true, -1, true, "neither its name nor its states' names give a relay number"},
        {"Region1", "idle", "running", true, -1, true, "neither its name nor its states' names give a relay number"},
        {"", "Roff1", "Ron2", true, -1, true, "its states' names give different relay numbers"},
        {"R4", "off", "R4 off", true, -1, true, "more than one of its states is named off"},
    };
    for (const Row& row : rows) {
        const Conversion result = ConvertText(UmlModel(row.region, row.a, row.b, row.initialToA, BodyGuard("#S0")));
        const std::string label = std::string(row.region) + " / " + row.a + " / " + row.b;
        ASSERT_EQ(result.outcome.status, TransformStatus::Success) << label;
        if (row.relay < 0) {
            EXPECT_NE(result.output.find("<parallel/>"), std::string::npos) << label << "\n" << result.output;
            // An unnamed region is named by its states.
            const std::string region = *row.region != '\0' ? std::string("\"") + row.region + "\""
                                                           : std::string("with the states ") + row.a + ", " + row.b;
            EXPECT_TRUE(result.HasNote("region " + region + " (id region) not mapped: it is not a relay: " + row.note))
                << label << "\n"
                << result.AllNotes();
            EXPECT_TRUE(result.HasNote(std::string("state \"") + row.a + "\" (id a) not mapped")) << label;
            EXPECT_TRUE(result.HasNote(std::string("state \"") + row.b + "\" (id b) not mapped")) << label;
            continue;
        }
        // The guard sits on a -> b: when a is off it is the condition, when b
        // is off no transition leads from off to on with a guard... except
        // that b -> a has none, so b as off state means "no guard".
        if (row.aIsOff) {
            EXPECT_NE(result.output.find(RelayElement(row.relay, "#S0")), std::string::npos) << label << "\n"
                                                                                             << result.output;
            EXPECT_EQ(result.notes.size(), 0u) << label << "\n" << result.AllNotes();
        } else {
            EXPECT_TRUE(result.HasNote("from \"" + std::string(row.b) + "\" to \"" + row.a + "\" has no guard"))
                << label << "\n"
                << result.AllNotes();
        }
    }
}

// Guards in the forms the modelling tools write them, and their text in the
// controller's syntax.
TEST(StylesheetTest, GuardFormsAndControllerSyntax)
{
    struct Row {
        const char* what;
        std::string guard;
        const char* condition;  // escaped as in the file; empty: no relay
        const char* note;
    };
    const std::string opaque = "<specification xmi:type=\"uml:OpaqueExpression\" xmi:id=\"gs\">";
    const Row rows[] = {
        {"owned rule body (Papyrus, Cameo)",
         "<ownedRule xmi:type=\"uml:Constraint\" xmi:id=\"g\">" + opaque +
             "<language>C</language><body>T0 &amp;&amp; T1</body></specification></ownedRule>",
         "#T0&amp;&amp;#T1", ""},
        {"guard child, body attribute (EA, VP)", BodyGuard("R2 || !S3"), "#R2||!#S3", ""},
        {"specification attribute (StarUML)",
         "<guard xmi:type=\"uml:Constraint\" xmi:id=\"g\" specification=\"( S0 ) &amp;&amp; #T7\"/>",
         "(#S0)&amp;&amp;#T7", ""},
        {"literal string value (Modelio)",
         "<ownedRule xmi:id=\"g\"><specification xmi:type=\"uml:LiteralString\" xmi:id=\"gs\" value=\"1\"/></ownedRule>",
         "1", ""},
        {"in brackets", BodyGuard("[T5]"), "#T5", ""},
        {"already with #", BodyGuard("#T0&amp;&amp;#R7"), "#T0&amp;&amp;#R7", ""},
        {"empty body is no guard (VP)", BodyGuard(""), "", "has no guard"},
        {"the editor's constants", BodyGuard("(#0&amp;&amp;#T2)||#1"), "(#0&amp;&amp;#T2)||#1", ""},
        {"a lone constant", BodyGuard(" #1 "), "#1", ""},
        {"every kind of input", BodyGuard("#R7 &amp;&amp; S3 || !#0 || 1"), "#R7&amp;&amp;#S3||!#0||1", ""},
        // What lies outside the language is reported with where it starts.
        {"not an operand", BodyGuard("S4"), "",
         "is not a controller condition: \"S4\" at character 1 is not an input of the controller"},
        {"timer out of range", BodyGuard("T0 || #T8"), "", "\"#T8\" at character 7 is not an input"},
        {"a word", BodyGuard("denyGuard"), "", "\"denyGuard\" at character 1 is not an input"},
        {"open parenthesis", BodyGuard("(T0 || (T1)"), "", "the \"(\" at character 1 is not closed"},
        {"closing first", BodyGuard(")T0("), "", "\")\" at character 1 where an input, \"!\" or \"(\" should follow"},
        {"closing too often", BodyGuard("(T0))"), "", "the \")\" at character 5 closes no \"(\""},
        {"dangling operator", BodyGuard("T0 ||"), "", "it ends at character 6 where an input"},
        {"two operands", BodyGuard("T0 T1"), "", "\"T1\" at character 4 where &&, || or \")\" should follow"},
        {"operator first", BodyGuard("&amp;&amp; T1"), "", "\"&\" at character 1 where an input"},
        {"single ampersand", BodyGuard("T0 &amp; T1"), "", "a single \"&\" at character 4"},
        {"two-digit operand", BodyGuard("#T01"), "", "\"#T01\" at character 1 is not an input"},
        {"bracket left open", BodyGuard("[T0"), "", "the \"[\" at character 1 is not closed"},
        {"negated group", BodyGuard("!(!T0 || (S1 &amp;&amp; 0))"), "!(!#T0||(#S1&amp;&amp;0))", ""},
    };
    for (const Row& row : rows) {
        std::string model = UmlModel("R6", "off", "on", false, row.guard);
        // The owned-rule forms are found through the transition's guard reference.
        if (row.guard.find("<ownedRule") != std::string::npos) {
            test::ReplaceAll(model, "xmi:id=\"up\"", "xmi:id=\"up\" guard=\"g\"");
        }
        const Conversion result = ConvertText(model);
        ASSERT_EQ(result.outcome.status, TransformStatus::Success) << row.what;
        if (*row.condition != '\0') {
            EXPECT_NE(result.output.find(RelayElement(6, row.condition)), std::string::npos) << row.what << "\n"
                                                                                             << result.output;
        } else {
            EXPECT_NE(result.output.find("<parallel/>"), std::string::npos) << row.what;
            EXPECT_TRUE(result.HasNote(row.note)) << row.what << "\n" << result.AllNotes();
        }
    }
}

TEST(StylesheetTest, GuardBackToOffMustBeTheNegation)
{
    struct Row {
        const char* condition;
        const char* back;
        bool reported;
    };
    const Row rows[] = {
        {"T0 || T1", "!(T0||T1)", false},
        {"T0 || T1", "! ( #T0 || #T1 )", false},
        {"T0", "!T0", false},
        {"!T0", "T0", false},
        {"T0 || T1", "!T0 || T1", true},
        {"T0", "T1", true},
        {"T0", "", false},
    };
    for (const Row& row : rows) {
        const std::string back =
            *row.back == '\0'
                ? ""
                : "<guard xmi:type=\"uml:Constraint\" xmi:id=\"h\" specification=\"" + std::string(row.back) + "\"/>";
        const Conversion result = ConvertText(UmlModel("R2", "off", "on", false, BodyGuard(row.condition), back));
        EXPECT_NE(result.output.find("<state id=\"R2\""), std::string::npos) << row.condition;
        EXPECT_EQ(result.HasNote("transition \"\" (id down) not mapped: its guard"), row.reported)
            << row.condition << " / " << row.back << "\n"
            << result.AllNotes();
    }
}

TEST(StylesheetTest, TimerLines)
{
    struct Row {
        const char* line;
        const char* timer;  // the expected element's start; empty: none
        const char* note;   // part of the expected report; empty: none
    };
    const Row rows[] = {
        {"T0 ON 07:30:00 OFF 22:00:00 Mo Tu We Th Fr", "<timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"31\">", ""},
        {"T1 ON 2013/02/08 10:00:00 OFF 2013/02/10 18:30:00 Sa Su",
         "<timer id=\"1\" start=\"413632800\" end=\"413836200\" dow=\"96\">", ""},
        {"T2 OFF 18:00:00", "<timer id=\"2\" start=\"0\" end=\"64800\" dow=\"0\">", ""},
        {"  t3 on 2001-01-01 7:05 off 2001-01-01 0:00 su sa fr th we tu mo mo  ",
         "<timer id=\"3\" start=\"31647900\" end=\"31622400\" dow=\"127\">", ""},
        {"#T4 ON 2004/03/01 00:00:00 OFF 2099/12/31 23:59:59",
         "<timer id=\"4\" start=\"131414400\" end=\"3155759999\" dow=\"0\">", ""},
        {"T5 ON 2004/02/29 00:00:00 OFF 2004/03/01 00:00:00", "<timer id=\"5\" start=\"131328000\" end=\"131414400\"",
         ""},
        {"T6 ON 07:30:00", "", "it has no OFF time"},
        {"Turn the pump OFF at night", "", ""},
        {"T7 ON 2001/02/29 00:00:00 OFF 2001/03/01 10:00:00", "", "\"2001/02/29\" is not a date"},
        {"T7 ON 2100/01/01 00:00:00 OFF 2100/01/02 10:00:00", "", "is not a date from 2001/01/01 to 2099/12/31"},
        {"T7 ON 1999/12/31 00:00:00 OFF 2001/01/01 10:00:00", "", "is not a date"},
        {"T7 ON 2000/06/01 00:00:00 OFF 2000/06/02 10:00:00", "", "\"2000/06/01\" is not a date from 2001/01/01"},
        {"T7 ON 07:00:00 OFF 2013/02/10 18:30:00", "", "ON and OFF need a date both or neither"},
        {"T7 OFF 2013/02/10 18:30:00", "", "ON and OFF need a date both or neither"},
        {"T7 ON 12:60:00 OFF 10:00:00", "", "\"12:60:00\" is not a time of day"},
        {"T7 OFF 10:00:00 Mo Xx", "", "\"Xx\" is not a weekday"},
        {"T7 OFF 10:00:00 Mon", "", "\"Mon\" is not a weekday"},
        {"T7 START 10:00:00 OFF 11:00:00", "", "it should go on with ON or OFF"},
        {"T7 OFF", "", "is not a time of day"},
        {"T8 ON 07:30:00 OFF 08:00:00", "", "there is no timer T8"},
        // The variants people write.
        {"T0: ON 07:30 OFF 22:00", "<timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"0\">", ""},
        {"#T1: on 7:30:00 off 8:00:00 Mo, We,Fr", "<timer id=\"1\" start=\"27000\" end=\"28800\" dow=\"21\">", ""},
        {"T4 ON 07:30:00", "", "\"T4 ON 07:30:00\" (id note) not mapped: it has no OFF time"},
        {"T5: ON 07:30:00 until 08:00", "", "OFF should follow the ON time"},
        {"T1 is the morning timer", "", ""},
    };
    for (const Row& row : rows) {
        const Conversion result =
            ConvertText(UmlModel("R0", "off", "on", false, BodyGuard("1"), "", std::string("Timers\n") + row.line));
        ASSERT_EQ(result.outcome.status, TransformStatus::Success) << row.line;
        if (*row.timer != '\0') {
            EXPECT_NE(result.output.find(row.timer), std::string::npos) << row.line << "\n" << result.output;
        } else {
            EXPECT_EQ(result.output.find("<timer"), std::string::npos) << row.line << "\n" << result.output;
        }
        if (*row.note != '\0') {
            EXPECT_TRUE(result.HasNote(row.note)) << row.line << "\n" << result.AllNotes();
        } else {
            EXPECT_TRUE(result.notes.empty()) << row.line << "\n" << result.AllNotes();
        }
    }
}

TEST(StylesheetTest, RelaysAndTimersAreWrittenInIndexOrderFirstOneCounting)
{
    const std::string region = R"(
      <region xmi:type="uml:Region" xmi:id="rN" name="RN">
        <transition xmi:type="uml:Transition" xmi:id="uN" source="aN" target="bN"><guard xmi:type="uml:Constraint" xmi:id="gN" specification="GUARD"/></transition>
        <subvertex xmi:type="uml:State" xmi:id="aN" name="off"/>
        <subvertex xmi:type="uml:State" xmi:id="bN" name="on"/>
      </region>)";
    auto relayRegion = [&](const std::string& id, const std::string& number, const std::string& guard) {
        std::string text = region;
        test::ReplaceAll(text, "\"RN\"", "\"R" + number + "\"");
        test::ReplaceAll(text, "N\"", id + "\"");
        test::ReplaceAll(text, "GUARD", guard);
        return text;
    };
    const std::string xmi =
        "<?xml version=\"1.0\"?>\n<xmi:XMI xmlns:xmi=\"http://schema.omg.org/spec/XMI/2.1\" "
        "xmlns:uml=\"http://schema.omg.org/spec/UML/2.1\">\n"
        "<uml:Model xmi:type=\"uml:Model\" xmi:id=\"m\" name=\"M\">\n"
        "<ownedComment xmi:type=\"uml:Comment\" xmi:id=\"c\" body=\"T5 OFF 01:00:00&#10;T1 OFF 02:00:00&#10;"
        "T5 OFF 03:00:00\"/>\n"
        "<packagedElement xmi:type=\"uml:StateMachine\" xmi:id=\"empty\" name=\"first\"/>\n"
        "<packagedElement xmi:type=\"uml:StateMachine\" xmi:id=\"sm\" name=\"second\">\n"
        "<region xmi:type=\"uml:Region\" xmi:id=\"top\"><subvertex xmi:type=\"uml:State\" xmi:id=\"all\" name=\"all\">" +
        relayRegion("x", "5", "T0") + relayRegion("y", "2", "T1") + relayRegion("z", "5", "T2") +
        "</subvertex></region>\n</packagedElement>\n</uml:Model>\n</xmi:XMI>\n";
    const Conversion result = ConvertText(xmi);
    ASSERT_EQ(result.outcome.status, TransformStatus::Success);

    EXPECT_NE(result.output.find("<version>second</version>"), std::string::npos) << result.output;
    const std::size_t t1 = result.output.find("<timer id=\"1\" start=\"0\" end=\"7200\"");
    const std::size_t t5 = result.output.find("<timer id=\"5\" start=\"0\" end=\"3600\"");
    const std::size_t r2 = result.output.find(RelayElement(2, "#T1"));
    const std::size_t r5 = result.output.find(RelayElement(5, "#T0"));
    ASSERT_NE(t1, std::string::npos) << result.output;
    ASSERT_NE(t5, std::string::npos) << result.output;
    ASSERT_NE(r2, std::string::npos) << result.output;
    ASSERT_NE(r5, std::string::npos) << result.output;
    EXPECT_LT(t1, t5);
    EXPECT_LT(r2, r5);
    EXPECT_EQ(result.output.find("#T2"), std::string::npos);

    EXPECT_TRUE(result.HasNote("region \"R5\" (id rz) not mapped: an earlier region already gives relay R5"))
        << result.AllNotes();
    EXPECT_TRUE(result.HasNote("state \"off\" (id az) not mapped: its region \"R5\" repeats relay R5"));
    EXPECT_TRUE(
        result.HasNote("timer line \"T5 OFF 03:00:00\" (id c) not mapped: an earlier line already gives timer T5"));
    EXPECT_TRUE(result.HasNote(
        "state machine \"first\" (id empty) not mapped: only one state machine is converted, \"second\""));
}

// Texts are walked by recursive templates; long ones must neither fail the
// transformation nor hide a timer at their end.
TEST(StylesheetTest, LongCommentsAndGuardsAreHandled)
{
    std::string comment;
    for (int line = 0; line < 6000; ++line) {
        comment += (line % 3 == 0) ? "\n" : "Some documentation of the plant, line " + std::to_string(line) + "\n";
    }
    comment += "T6 OFF 00:00:01 Su";
    std::string guard = "T0";
    while (guard.size() < 5000) {
        guard += " || T1";
    }
    const Conversion result = ConvertText(UmlModel("R1", "off", "on", false, BodyGuard(guard), "", comment));
    ASSERT_EQ(result.outcome.status, TransformStatus::Success) << result.AllNotes();
    EXPECT_NE(result.output.find("<timer id=\"6\" start=\"0\" end=\"1\" dow=\"64\">"), std::string::npos);
    EXPECT_TRUE(result.HasNote("is longer than 1000 characters")) << result.AllNotes();

    guard.resize(2 + 6 * 164);
    const Conversion shorter = ConvertText(UmlModel("R1", "off", "on", false, BodyGuard(guard)));
    EXPECT_NE(shorter.output.find("<state id=\"R1\""), std::string::npos) << shorter.AllNotes();
}

TEST(StylesheetTest, ModelWithoutStateMachineGivesAnEmptyFileAndSaysSo)
{
    const Conversion result = ConvertText("<?xml version=\"1.0\"?><XMI xmi.version=\"1.2\"><XMI.content/></XMI>");
    EXPECT_TRUE(result.HasNote("file not mapped: it holds no UML model and no state machine")) << result.AllNotes();
    ASSERT_EQ(result.outcome.status, TransformStatus::Success);
    // Without a state machine the version is the destination's name, out.xml.
    EXPECT_EQ(result.output, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n"
                             "\t<version>out</version>\r\n\t<parallel/>\r\n</statemachine>\r\n");
    EXPECT_EQ(result.notes.front(), "No relay was found in the model.");
}

// The controller starts every relay off and switches it only between its
// two states: an initial transition to the on state, and transitions that
// enter the relay's states from elsewhere, are reported as the leaving ones.
TEST(StylesheetTest, InitialTransitionToOnAndTransitionsFromOutsideAreReported)
{
    const std::string xmi = R"(<?xml version="1.0"?>
<uml:Model xmlns:xmi="http://www.omg.org/spec/XMI/20131001" xmlns:uml="http://www.eclipse.org/uml2/5.0.0/UML" xmi:id="m" name="M">
<packagedElement xmi:type="uml:StateMachine" xmi:id="sm" name="plant">
<region xmi:type="uml:Region" xmi:id="r3" name="R3">
  <transition xmi:type="uml:Transition" xmi:id="start3" source="i3" target="on3"/>
  <transition xmi:type="uml:Transition" xmi:id="up3" source="off3" target="on3"><guard xmi:type="uml:Constraint" xmi:id="g3" specification="S0"/></transition>
  <subvertex xmi:type="uml:Pseudostate" xmi:id="i3"/>
  <subvertex xmi:type="uml:State" xmi:id="off3" name="off"/>
  <subvertex xmi:type="uml:State" xmi:id="on3" name="on"/>
</region>
<region xmi:type="uml:Region" xmi:id="r4" name="R4">
  <transition xmi:type="uml:Transition" xmi:id="start4" source="i4" target="off4"/>
  <transition xmi:type="uml:Transition" xmi:id="up4" source="off4" target="on4"><guard xmi:type="uml:Constraint" xmi:id="g4" specification="S1"/></transition>
  <transition xmi:type="uml:Transition" xmi:id="across" source="on4" target="off3"/>
  <subvertex xmi:type="uml:Pseudostate" xmi:id="i4"/>
  <subvertex xmi:type="uml:State" xmi:id="off4" name="off"/>
  <subvertex xmi:type="uml:State" xmi:id="on4" name="on"/>
</region>
<transition xmi:type="uml:Transition" xmi:id="loose" source="elsewhere" target="on4"/>
</packagedElement>
</uml:Model>
)";
    const Conversion result = ConvertText(xmi);
    ASSERT_EQ(result.outcome.status, TransformStatus::Success);
    EXPECT_NE(result.output.find(RelayElement(3, "#S0")), std::string::npos) << result.output;
    EXPECT_NE(result.output.find(RelayElement(4, "#S1")), std::string::npos) << result.output;
    const char* expected[] = {
        "transition \"\" (id start3) not mapped: it leads to the on state \"on\" of relay R3, but the controller "
        "starts every relay in its off state, here \"off\"",
        "transition \"\" (id across) not mapped: relay R3 switches only from off to on on its condition and back; "
        "this transition entering its off state from outside its region is left out",
        "transition \"\" (id loose) not mapped: relay R4 switches only from off to on on its condition and back; "
        "this transition entering its on state from outside its region is left out",
        "transition \"\" (id across) not mapped: relay R4 switches only from off to on on its condition and back; "
        "this further transition leaving its on state is left out",
    };
    for (const char* note : expected) {
        EXPECT_TRUE(result.HasNote(note)) << note << "\nnotes:\n" << result.AllNotes();
    }
    EXPECT_EQ(result.notes.size(), std::size(expected)) << result.AllNotes();
}

// Reports name what the user sees in the tool: unnamed regions by their
// states, unnamed machines by their id, the model rather than the file.
TEST(StylesheetTest, ReportsNameWhatTheToolShows)
{
    const std::string uml2 = "<?xml version=\"1.0\"?>\n<uml:Model xmlns:xmi=\"http://www.omg.org/spec/XMI/20131001\" "
                             "xmlns:uml=\"http://www.eclipse.org/uml2/5.0.0/UML\" xmi:id=\"m\" name=\"Shop\">";
    const std::string relay = "<region xmi:type=\"uml:Region\" xmi:id=\"rr\" name=\"R2\">"
                              "<transition xmi:type=\"uml:Transition\" xmi:id=\"u\" source=\"a\" target=\"b\">"
                              "<guard xmi:type=\"uml:Constraint\" xmi:id=\"g\" specification=\"#1\"/></transition>"
                              "<subvertex xmi:type=\"uml:State\" xmi:id=\"a\" name=\"off\"/>"
                              "<subvertex xmi:type=\"uml:State\" xmi:id=\"b\" name=\"on\"/></region>";
    struct Row {
        const char* what;
        std::string xmi;
        const char* note;
        const char* relay;  // expected in the file; empty: no relay
    };
    const Row rows[] = {
        {"unnamed region",
         uml2 + "<packagedElement xmi:type=\"uml:StateMachine\" xmi:id=\"sm\" name=\"p\">" + relay +
             "<region xmi:type=\"uml:Region\" xmi:id=\"r\"><subvertex xmi:type=\"uml:State\" xmi:id=\"s1\" "
             "name=\"Idle\"/><subvertex xmi:type=\"uml:State\" xmi:id=\"s2\" name=\"Running\"/></region>"
             "</packagedElement></uml:Model>",
         "region with the states Idle, Running (id r) not mapped: it is not a relay", "#1"},
        {"protocol state machine",
         uml2 + "<packagedElement xmi:type=\"uml:ProtocolStateMachine\" xmi:id=\"sm\" name=\"p\">" + relay +
             "</packagedElement></uml:Model>",
         "", "#1"},
        {"unnamed converted machine",
         uml2 + "<packagedElement xmi:type=\"uml:StateMachine\" xmi:id=\"sm\">" + relay +
             "</packagedElement><packagedElement xmi:type=\"uml:StateMachine\" xmi:id=\"sm2\" "
             "name=\"spare\"/></uml:Model>",
         "state machine \"spare\" (id sm2) not mapped: only one state machine is converted, the one with the id sm",
         "#1"},
        {"states without a state machine",
         uml2 + "<packagedElement xmi:type=\"uml:State\" xmi:id=\"s\" name=\"Loose\"/>"
                "</uml:Model>",
         "state \"Loose\" (id s) not mapped: it is not part of any UML state machine", ""},
        {"an activity graph only",
         "<?xml version=\"1.0\"?><XMI xmi.version=\"1.2\" xmlns:UML=\"org.omg.xmi.namespace.UML\"><XMI.content>"
         "<UML:Model xmi.id=\"m1\" name=\"flows\"><UML:Namespace.ownedElement><UML:ActivityGraph xmi.id=\"ag\" name=\"order\">"
         "<UML:StateMachine.top><UML:CompositeState xmi.id=\"top\" name=\"top\"/></UML:StateMachine.top>"
         "</UML:ActivityGraph></UML:Namespace.ownedElement></UML:Model></XMI.content></XMI>",
         "model \"flows\" (id m1) not mapped: it holds no UML state machine, so the result has no relays", ""},
    };
    for (const Row& row : rows) {
        const Conversion result = ConvertText(row.xmi);
        ASSERT_EQ(result.outcome.status, TransformStatus::Success) << row.what;
        if (*row.note != '\0') {
            EXPECT_TRUE(result.HasNote(row.note)) << row.what << "\n" << result.AllNotes();
        }
        EXPECT_EQ(result.AllNotes().find("(id )"), std::string::npos) << row.what << "\n" << result.AllNotes();
        EXPECT_EQ(result.AllNotes().find("\"\" (id"), std::string::npos) << row.what << "\n" << result.AllNotes();
        if (*row.relay != '\0') {
            EXPECT_NE(result.output.find(RelayElement(2, row.relay)), std::string::npos) << row.what << "\n"
                                                                                         << result.output;
        } else {
            EXPECT_EQ(result.notes.front(), "No relay was found in the model.") << row.what;
        }
    }
}

// The version is the state machine's name, stored as the writer stores
// text; without a name it is the destination's base name.
TEST(StylesheetTest, VersionIsEscapedAsTheWriterDoes)
{
    const Conversion named = ConvertText(UmlModel("R0", "off", "on", false, BodyGuard("1")));
    EXPECT_NE(named.output.find("\t<version>plant</version>\r\n"), std::string::npos) << named.output;

    std::string xmi = UmlModel("R0", "off", "on", false, BodyGuard("1"));
    // White space as the editor reads it back: one space for each run.
    test::ReplaceAll(xmi, "name=\"plant\"", "name=\" a&lt;b&gt; &amp;&#9; &quot;c&quot;&#10;line \"");
    const Conversion escaped = ConvertText(xmi);
    EXPECT_NE(escaped.output.find("\t<version>a&lt;b> &amp; \"c\" line</version>\r\n"), std::string::npos)
        << escaped.output;
}

}  // namespace
}  // namespace quarn
