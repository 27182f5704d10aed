#include "cli/simulation_options.hpp"
#include "base/terminal_text.hpp"

#include "base/file_name.hpp"
#include "base/utf8.hpp"
#include "cli/commands.hpp"
#include "cli/number_options.hpp"
#include "document/file_access.hpp"
#include "runtime/local_clock.hpp"

#include <cstring>
#include <iostream>
#include <variant>

namespace quarn::cli {

void AddPeriodOptions(CLI::App& command, SimulationRequest& request)
{
    command
        .add_option("--from", request.from,
                    "First instant, YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS (default: this week's Monday 00:00:00)")
        ->each([&request](const std::string&) { request.fromGiven = true; });
    command.add_option("--days", request.days, "Length of the period in days (default 7)")->transform(DecimalNumber());
}

void AddSimulationOptions(CLI::App& command, SimulationRequest& request)
{
    AddPeriodOptions(command, request);
    command
        .add_option("--input", request.inputs,
                    "Sn=0|1 holds input n from the start; Sn=0|1@YYYY-MM-DDTHH:MM:SS from that instant")
        ->take_all()
        ->allow_extra_args(false);
}

void FailBadOption(const std::string& message)
{
    std::cerr << "quarnctl: " << message << '\n';
    throw CLI::RuntimeError(kExitBadInput);
}

SimulationPeriod ResolveOrFail(const SimulationRequest& request)
{
    SimulationPeriod period;
    if (const std::string error = ResolveSimulation(request, runtime::LocalNow(), period); !error.empty()) {
        std::cerr << "quarnctl: " << TerminalSafeUtf8(error) << '\n';
        throw CLI::RuntimeError(kExitBadInput);
    }
    return period;
}

void ReadProgramOrFail(const std::string& file, int unreadableStatus, StateMachineModel& model,
                       runtime::ProgramText& text)
{
    if (runtime::ReadProgramFile(FileNameFromBytes(file), model, text) != 0) {
        // simulate reads one file and says only what the editor says; diff
        // names which of its two it could not read.
        if (unreadableStatus == kExitFailed)
            std::cerr << "Cannot open the file for reading\n";
        else
            std::cerr << "quarnctl: " << TerminalSafeUtf8(file) << ": Cannot open the file for reading\n";
        throw CLI::RuntimeError(unreadableStatus);
    }
    // The reader makes what it can of any text, which is right for the
    // editor; a program that ran as "everything off" from a text file or a
    // JSON model would be a wrong answer given as a right one.
    if (!text.IsStateMachine()) {
        std::cerr << "quarnctl: " << TerminalSafeUtf8(file) << ": not a state-machine file (its root element is "
                  << (text.rootElement.empty() ? std::string("missing")
                                               : "<" + TerminalSafeUtf8(EncodeUtf8(text.rootElement)) + ">")
                  << ", not <statemachine>)\n";
        throw CLI::RuntimeError(unreadableStatus);
    }
    for (const auto& [relay, why] : text.leftOut)
        std::cerr << "quarnctl: warning: " << TerminalSafeUtf8(file) << ": R" << relay
                  << " is left out (never on): " << EncodeUtf8(why) << '\n';
}

LoadedProgram LoadProgramOrFail(const std::string& file, int unreadableStatus)
{
    LoadedProgram loaded;
    ReadProgramOrFail(file, unreadableStatus, loaded.model, loaded.text);
    auto compiled = runtime::CompileProgram(loaded.text);
    if (const auto* error = std::get_if<runtime::ConditionError>(&compiled)) {
        std::cerr << "quarnctl: " << TerminalSafeUtf8(file) << ": " << TerminalSafeUtf8(error->Message()) << '\n';
        throw CLI::RuntimeError(kExitBadInput);
    }
    loaded.program = std::get<runtime::Program>(std::move(compiled));
    return loaded;
}

void WriteOutputOrFail(const std::string& out, const std::string& bytes)
{
    if (out.empty() || out == "-") {
        std::cout << bytes << std::flush;
        if (!std::cout) {
            std::cerr << "quarnctl: the output cannot be written\n";
            throw CLI::RuntimeError(kExitFailed);
        }
        return;
    }
    if (const int error = WriteFileOrDevice(FileNameFromBytes(out), bytes); error != 0) {
        std::cerr << "quarnctl: " << TerminalSafeUtf8(out) << ": cannot be written: " << std::strerror(error) << '\n';
        throw CLI::RuntimeError(kExitFailed);
    }
}

}  // namespace quarn::cli
