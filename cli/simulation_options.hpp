#pragma once
// What simulate and diff share on the command line: the period and input
// options, reading a program file, and writing the output.

#include "cli/commands.hpp"
#include "cli/simulation_request.hpp"
#include "document/model.hpp"
#include "runtime/program.hpp"

#include <CLI/CLI.hpp>

#include <string>

namespace quarn::cli {

// --from, --days, --input.
void AddSimulationOptions(CLI::App& command, SimulationRequest& request);
// --from and --days alone, for commands that take no input schedule.
void AddPeriodOptions(CLI::App& command, SimulationRequest& request);

// Prints "quarnctl: " + message and ends the command with status 2.
[[noreturn]] void FailBadOption(const std::string& message);

// The period from the options and the machine's clock; a bad option ends
// the command with status 2.
SimulationPeriod ResolveOrFail(const SimulationRequest& request);

struct LoadedProgram {
    StateMachineModel model;  // as the editor would hold the file
    runtime::ProgramText text;
    runtime::Program program;
};

// Reads and compiles a program file. A file that cannot be read, or that is
// not a state machine, ends the command with unreadableStatus, a condition
// outside the grammar with status 2.
LoadedProgram LoadProgramOrFail(const std::string& file, int unreadableStatus = kExitFailed);

// Reads a program file without compiling it, with LoadProgramOrFail's
// refusals; the relays the reader left out are named in warnings.
void ReadProgramOrFail(const std::string& file, int unreadableStatus, StateMachineModel& model,
                       runtime::ProgramText& text);

// Writes bytes to the file `out`, or to stdout when out is empty; a file
// that cannot be written ends the command with status 1.
void WriteOutputOrFail(const std::string& out, const std::string& bytes);

}  // namespace quarn::cli
