#pragma once
// A program as a controller runs it: eight timer windows and, for every used
// relay, the condition that switches it on (its off state's) and the one that
// switches it off (its on state's).

#include "document/model.hpp"
#include "runtime/condition.hpp"
#include "runtime/signals.hpp"
#include "runtime/timer_window.hpp"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quarn::runtime {

// The program's texts before they are parsed.
struct ProgramText {
    std::array<TimerEntry, kTimerCount> timers{};
    // The off state's condition; empty: the relay is not used (never on).
    std::array<std::u16string, kRelayCount> switchOn{};
    // The on state's condition; nothing: the relay never switches off.
    std::array<std::optional<std::u16string>, kRelayCount> switchOff{};

    // What the reader noticed on the way: the name of the file's root element
    // ("statemachine" in a state-machine file), and each relay it left out
    // because its states are not the pair the editor writes.
    std::u16string rootElement;
    struct LeftOutRelay {
        int relay = 0;
        std::u16string why;
    };
    std::vector<LeftOutRelay> leftOut;

    bool IsStateMachine() const { return rootElement == u"statemachine"; }
};

// The editor's document: the on state's condition is "!(" + condition + ")",
// as the writer writes it.
ProgramText ProgramTextFromModel(const StateMachineModel& model);

// Reads a state-machine file with the document reader's rules into model
// (as the editor would hold it) and text. Returns the reader's result: 0,
// -1 (no file, empty path or no text) or a system error number.
int ReadProgramFile(const std::u16string& path, StateMachineModel& model, ProgramText& text);
// The same over a file's bytes held in memory (an uploaded file): 0, -1 when
// they hold no text, or EINVAL for UTF-16 big-endian. model.path stays.
int ReadProgramBytes(std::string_view bytes, StateMachineModel& model, ProgramText& text);

struct RelayProgram {
    Condition switchOn;
    std::optional<Condition> switchOff;
};

struct Program {
    std::array<TimerWindow, kTimerCount> timers{};
    std::array<std::optional<RelayProgram>, kRelayCount> relays{};
    // The signals the program works with: timers in use or named, inputs
    // named, relays used or named.
    SignalState uses;
};

// Parses every condition; the first one outside the grammar (relays in
// order, the off state's condition before the on state's) is the error.
std::variant<Program, ConditionError> CompileProgram(const ProgramText& text);

}  // namespace quarn::runtime
