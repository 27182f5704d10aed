#pragma once
// Runs a program to its end as a child process and captures what it says:
// how the tests run quarnctl, curl, python and the shell (POSIX only).
// Programs that keep running beside a test (quarnsim, the browser, a
// quarnctl the test kills) have helpers of their own.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quarn::test {

struct CommandResult {
    // The exit status; -1 when the program ended by a signal, was killed at
    // its deadline or could not be started.
    int status = -1;
    std::string output;  // stdout
    std::string error;   // stderr
    // The deadline passed and the program was killed (the test has failed).
    bool timedOut = false;
};

// Long enough for the slowest run in the suite (a deploy to a fleet on a
// loaded machine), well inside ctest's own limit.
inline constexpr std::chrono::seconds kCommandTimeLimit{120};

// Runs command[0] (looked up on PATH when it has no slash) with the rest as
// its arguments, without a shell. Standard input is input, or empty when
// there is none, never the terminal. A program still running after limit is
// killed with everything it started and the test fails with the command in
// the message, so a program that hangs cannot hang the suite.
CommandResult RunCommand(const std::vector<std::string>& command,
                         const std::optional<std::string>& input = std::nullopt,
                         std::chrono::milliseconds limit = kCommandTimeLimit);

// text quoted for the POSIX shell: 'text', with each ' written '\''.
std::string ShellQuoted(const std::string& text);

// Runs "program arguments" through /bin/sh, where arguments is shell text
// (quote file names with ShellQuoted), with RunCommand's deadline.
CommandResult RunShell(const std::string& program, const std::string& arguments,
                       const std::optional<std::string>& input = std::nullopt,
                       std::chrono::milliseconds limit = kCommandTimeLimit);

}  // namespace quarn::test
