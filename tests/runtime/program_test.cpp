// Programs from files (with the reader's rules) and from the editor's
// document, and conditions outside the grammar.
#include "runtime/program.hpp"

#include "runtime/step.hpp"
#include "runtime_test_support.hpp"

#include <gtest/gtest.h>

#include <cerrno>

namespace quarn::runtime {
namespace {

using test::MachineFile;
using test::RelayElement;
using test::ScratchFile;

struct Read {
    int result = -2;
    StateMachineModel model;
    ProgramText text;
};

Read ReadBytes(const std::string& bytes)
{
    ScratchFile file(bytes);
    Read read;
    read.result = ReadProgramFile(file.Path(), read.model, read.text);
    return read;
}

const char* const kOfficeTimer = "\t<timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"31\"> </timer>\r\n"
                                 "\t<timer id=\"1\" start=\"413632800\" end=\"413836200\" dow=\"96\"> </timer>\r\n";

TEST(ProgramFile, TakesBothConditionsOfEveryRelayTheReaderFinds)
{
    const Read read =
        ReadBytes(MachineFile(kOfficeTimer, RelayElement(3, "(#T0&amp;&amp;#T1)||#R2", "!((#T0&amp;&amp;#T1)||#R2)") +
                                                RelayElement(0, "#S0", "#S1") +  // hysteresis: not the negation
                                                RelayElement(5, "#S2", "") +     // no way back: never switches off
                                                RelayElement(6, "", "#1") +      // empty: not used
                                                RelayElement(7, "#S0&amp;&amp;#S1", "!(#S0&amp;&amp;#S1)") +
                                                RelayElement(7, "#S3", "#S3&lt;")));  // a later duplicate wins
    ASSERT_EQ(read.result, 0);
    EXPECT_EQ(read.model.version, u"t");
    EXPECT_EQ(read.text.timers, read.model.timers);
    EXPECT_EQ(read.text.switchOn[3], u"(#T0&&#T1)||#R2");
    EXPECT_EQ(read.text.switchOff[3], u"!((#T0&&#T1)||#R2)");
    EXPECT_EQ(read.text.switchOn[0], u"#S0");
    EXPECT_EQ(read.text.switchOff[0], u"#S1");
    EXPECT_EQ(read.text.switchOn[5], u"#S2");
    EXPECT_EQ(read.text.switchOff[5], std::nullopt);
    EXPECT_EQ(read.text.switchOn[6], u"");
    EXPECT_EQ(read.text.switchOn[7], u"#S3");
    EXPECT_EQ(read.text.switchOff[7], u"#S3<");
    EXPECT_EQ(read.text.switchOn[1], u"");
    EXPECT_EQ(read.text.switchOff[1], std::nullopt);
}

TEST(ProgramFile, ARelayTheReaderSkipsIsNotPartOfTheProgram)
{
    std::string broken = RelayElement(2, "#1", "#0");
    broken.replace(broken.find("id=\"Ron2\""), 9, "id=\"Rxn2\"");  // the on state's id is wrong
    const Read read = ReadBytes(MachineFile("", broken));
    ASSERT_EQ(read.result, 0);
    EXPECT_EQ(read.text.switchOn[2], u"");
    EXPECT_EQ(read.text.switchOff[2], std::nullopt);
}

TEST(ProgramFile, BytesInMemoryReadAsAFileDoes)
{
    const std::string bytes = MachineFile(kOfficeTimer, RelayElement(3, "#T0", "#S1"));
    const Read fromFile = ReadBytes(bytes);
    Read fromBytes;
    fromBytes.result = ReadProgramBytes(bytes, fromBytes.model, fromBytes.text);
    ASSERT_EQ(fromBytes.result, 0);
    EXPECT_EQ(fromBytes.text.timers, fromFile.text.timers);
    EXPECT_EQ(fromBytes.text.switchOn, fromFile.text.switchOn);
    EXPECT_EQ(fromBytes.text.switchOff, fromFile.text.switchOff);
    EXPECT_EQ(fromBytes.text.switchOff[3], u"#S1");
    EXPECT_EQ(ReadProgramBytes("", fromBytes.model, fromBytes.text), -1);
    EXPECT_EQ(ReadProgramBytes("\xFE\xFF\0<", fromBytes.model, fromBytes.text), EINVAL);
}

TEST(ProgramFile, ReadFailuresKeepTheReadersResult)
{
    StateMachineModel model;
    ProgramText text;
    text.switchOn[0] = u"#1";
    EXPECT_EQ(ReadProgramFile(u"", model, text), -1);
    EXPECT_EQ(text.switchOn[0], u"");
    EXPECT_EQ(ReadProgramFile(u"/no/such/folder/file.xml", model, text), -1);
    const Read empty = ReadBytes("");
    EXPECT_EQ(empty.result, -1);
}

TEST(ProgramModel, OnConditionIsTheNegationTheWriterWrites)
{
    StateMachineModel model;
    model.relays[3] = u"(#T0&&#T1)||#R2";
    model.timers[2] = test::Daily("07:30:00", "22:00:00", 0x1f);
    const ProgramText text = ProgramTextFromModel(model);
    EXPECT_EQ(text.switchOn[3], u"(#T0&&#T1)||#R2");
    EXPECT_EQ(text.switchOff[3], u"!((#T0&&#T1)||#R2)");
    EXPECT_EQ(text.switchOff[0], std::nullopt);
    EXPECT_EQ(text.timers[2], model.timers[2]);
}

TEST(ProgramCompile, UsesListsTimersInUseAndNamedSignals)
{
    StateMachineModel model;
    model.relays[3] = u"(#T0&&#T5)||#R2||#S1";
    model.timers[0] = test::Daily("07:30:00", "22:00:00", 0x1f);
    model.timers[1] = test::Daily("07:30:00", "22:00:00", 0);  // in use, though never on
    const Program program = test::Compile(ProgramTextFromModel(model));
    EXPECT_EQ(program.uses, (SignalState{0x23, 0x02, 0x0c}));
    EXPECT_TRUE(program.relays[3].has_value());
    EXPECT_FALSE(program.relays[2].has_value());
}

TEST(ProgramCompile, FirstConditionOutsideTheGrammarIsTheError)
{
    ProgramText text;
    text.switchOn[1] = u"#S0";
    text.switchOff[1] = u"#S0 &&";
    text.switchOn[4] = u"#T9";
    auto compiled = CompileProgram(text);
    ASSERT_TRUE(std::holds_alternative<ConditionError>(compiled));
    const ConditionError& error = std::get<ConditionError>(compiled);
    EXPECT_EQ(error.relay, 1);
    EXPECT_TRUE(error.onState);
    EXPECT_EQ(error.Message(), "R1 (on state): condition \"#S0 &&\": unexpected end at character 7");

    StateMachineModel model;
    model.relays[6] = u"(#T0&&#T8)";
    compiled = CompileProgram(ProgramTextFromModel(model));
    ASSERT_TRUE(std::holds_alternative<ConditionError>(compiled));
    EXPECT_EQ(std::get<ConditionError>(compiled).Message(),
              "R6: condition \"(#T0&&#T8)\": no signal T8 at character 9");
}

}  // namespace
}  // namespace quarn::runtime
