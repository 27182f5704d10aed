#include "runtime/program.hpp"

#include "document/reader.hpp"

namespace quarn::runtime {

ProgramText ProgramTextFromModel(const StateMachineModel& model)
{
    ProgramText text;
    text.timers = model.timers;
    for (int n = 0; n < kRelayCount; ++n) {
        const std::u16string& condition = model.relays[static_cast<std::size_t>(n)];
        text.switchOn[static_cast<std::size_t>(n)] = condition;
        if (!condition.empty())
            text.switchOff[static_cast<std::size_t>(n)] = u"!(" + condition + u")";
    }
    return text;
}

namespace {

// Runs one read with a hook that collects the on conditions, and takes the
// rest from the model it filled.
template <typename Read>
int ReadProgram(StateMachineModel& model, ProgramText& text, Read read)
{
    text = {};
    ReaderHooks hooks;
    hooks.relayTaken = [&text](int relay, const std::optional<std::u16string>& onCondition) {
        text.switchOff[static_cast<std::size_t>(relay)] = onCondition;
    };
    hooks.rootElement = [&text](std::u16string_view name) { text.rootElement = name; };
    hooks.relayLeftOut = [&text](int relay, std::u16string_view why) {
        text.leftOut.push_back({relay, std::u16string(why)});
    };
    const int result = read(hooks);
    if (result != 0) {
        text = {};
        return result;
    }
    text.timers = model.timers;
    text.switchOn = model.relays;
    return 0;
}

}  // namespace

int ReadProgramFile(const std::u16string& path, StateMachineModel& model, ProgramText& text)
{
    model.path = path;
    return ReadProgram(model, text,
                       [&model](const ReaderHooks& hooks) { return ReadStateMachineFile(model, hooks).code; });
}

int ReadProgramBytes(std::string_view bytes, StateMachineModel& model, ProgramText& text)
{
    return ReadProgram(model, text, [&model, bytes](const ReaderHooks& hooks) {
        return ReadStateMachineBytes(model, bytes, hooks).code;
    });
}

std::variant<Program, ConditionError> CompileProgram(const ProgramText& text)
{
    Program program;
    for (int n = 0; n < kTimerCount; ++n) {
        const TimerEntry& entry = text.timers[static_cast<std::size_t>(n)];
        program.timers[static_cast<std::size_t>(n)] = TimerWindow::FromEntry(entry);
        if (entry.offTime)
            SetSignal(program.uses, {SignalKind::Timer, n}, true);
    }
    for (int n = 0; n < kRelayCount; ++n) {
        const std::u16string& on = text.switchOn[static_cast<std::size_t>(n)];
        if (on.empty())
            continue;
        const auto compile = [&](const std::u16string& condition, bool onState) -> std::optional<ConditionError> {
            auto parsed = Condition::Parse(condition);
            if (auto* error = std::get_if<ConditionError>(&parsed)) {
                error->relay = n;
                error->onState = onState;
                return *error;
            }
            const Condition& compiled = std::get<Condition>(parsed);
            program.uses.timers |= compiled.Uses().timers;
            program.uses.inputs |= compiled.Uses().inputs;
            program.uses.relays |= compiled.Uses().relays;
            RelayProgram& relay = *program.relays[static_cast<std::size_t>(n)];
            if (onState)
                relay.switchOff = compiled;
            else
                relay.switchOn = compiled;
            return std::nullopt;
        };
        program.relays[static_cast<std::size_t>(n)].emplace();
        SetSignal(program.uses, {SignalKind::Relay, n}, true);
        if (auto error = compile(on, false))
            return *error;
        if (const auto& off = text.switchOff[static_cast<std::size_t>(n)]) {
            if (auto error = compile(*off, true))
                return *error;
        }
    }
    return program;
}

}  // namespace quarn::runtime
