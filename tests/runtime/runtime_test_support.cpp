#include "runtime_test_support.hpp"

#include "base/utf8.hpp"

#include <gtest/gtest.h>

namespace quarn::runtime::test {

Instant At(const std::string& text)
{
    const std::optional<Instant> t = ParseInstant(text);
    EXPECT_TRUE(t.has_value()) << text;
    return t.value_or(0);
}

TimerEntry Daily(const std::string& on, const std::string& off, int weekdays)
{
    const auto time = [](const std::string& text) {
        return TimeOfDay{static_cast<std::uint8_t>(std::stoi(text.substr(0, 2))),
                         static_cast<std::uint8_t>(std::stoi(text.substr(3, 2))),
                         static_cast<std::uint8_t>(std::stoi(text.substr(6, 2)))};
    };
    TimerEntry entry;
    entry.onTime = time(on);
    entry.offTime = time(off);
    for (int d = 0; d < 7; ++d)
        entry.weekdays[static_cast<std::size_t>(d)] = (weekdays >> d & 1) != 0;
    return entry;
}

Program Compile(const ProgramText& text)
{
    auto compiled = CompileProgram(text);
    if (const auto* error = std::get_if<ConditionError>(&compiled)) {
        ADD_FAILURE() << error->Message();
        return {};
    }
    return std::get<Program>(std::move(compiled));
}

Program FromConditions(std::initializer_list<std::pair<int, std::u16string>> relays,
                       std::initializer_list<std::pair<int, TimerEntry>> timers)
{
    StateMachineModel model;
    for (const auto& [n, condition] : relays)
        model.relays[static_cast<std::size_t>(n)] = condition;
    for (const auto& [n, entry] : timers)
        model.timers[static_cast<std::size_t>(n)] = entry;
    return Compile(ProgramTextFromModel(model));
}

ScratchFile::ScratchFile(const std::string& bytes) : path_(folder_.File("program.xml"))
{
    quarn::test::WriteBytes(path_, bytes);
}

std::u16string ScratchFile::Path() const
{
    return DecodeUtf8(path_);
}

std::string MachineFile(const std::string& timers, const std::string& relays)
{
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n\t<version>t</version>\r\n" +
           timers + "\t<parallel>\r\n" + relays + "\t</parallel>\r\n</statemachine>\r\n";
}

std::string RelayElement(int n, const std::string& offCond, const std::string& onCond)
{
    const std::string d = std::to_string(n);
    std::string text = "\t\t<state id=\"R" + d + "\" initial=\"Roff" + d + "\">\r\n\t\t\t<state id=\"Roff" + d +
                       "\">\r\n\t\t\t\t<onentry><send type=\"relay\"><content>F" + d +
                       "</content></send></onentry>\r\n\t\t\t\t<transition target=\"Ron" + d + "\" cond=\"" + offCond +
                       "\"> </transition>\r\n\t\t\t</state>\r\n\t\t\t<state id=\"Ron" + d +
                       "\">\r\n\t\t\t\t<onentry><send type=\"relay\"><content>N" + d +
                       "</content></send></onentry>\r\n";
    if (!onCond.empty())
        text += "\t\t\t\t<transition target=\"Roff" + d + "\" cond=\"" + onCond + "\"> </transition>\r\n";
    return text + "\t\t\t</state>\r\n\t\t</state>\r\n";
}

}  // namespace quarn::runtime::test
