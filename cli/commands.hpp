#pragma once
// One registration function per command family. Each adds its subcommands
// to the program's CLI::App. A command that fails prints its message on
// stderr and ends with `throw CLI::RuntimeError(status)`; main turns that
// into the exit status without printing anything more.

#include <CLI/CLI.hpp>

namespace quarn::cli {

// Exit statuses shared by the commands.
inline constexpr int kExitFailed = 1;    // the operation itself failed
inline constexpr int kExitBadInput = 2;  // the command line or an input file is unusable

// Starts the socket layer, or prints why not and ends the command with
// kExitFailed.
void RequireSockets();

// show, write
void AddFileCommands(CLI::App& app);

// convert
void AddConvertCommand(CLI::App& app);

// upload, relays, switch
void AddDeviceCommands(CLI::App& app);

// simulate
void AddSimulateCommand(CLI::App& app);

// diff
void AddDiffCommand(CLI::App& app);

// check
void AddCheckCommand(CLI::App& app);

// explain
void AddExplainCommand(CLI::App& app);

// report
void AddReportCommand(CLI::App& app);

// deploy, status
void AddFleetCommands(CLI::App& app);

// history, program, rollback (only where the deploy journal is built)
void AddJournalCommands(CLI::App& app);

}  // namespace quarn::cli
