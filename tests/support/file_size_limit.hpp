#pragma once
// Child processes for tests that change what a process may do (its file
// size limit, its user) without changing the test program (POSIX only).

#include <cstdint>
#include <functional>
#include <optional>

namespace quarn::test {

// Runs body in a child process and returns its exit code, or -1 when it did
// not exit by itself (a signal ended it).
int RunInChild(const std::function<int()>& body);

// A disk that fills up part way through a write: runs act in a child
// process in which no file may grow past limit bytes. SIGXFSZ stays at its
// default, which ends the child, so a write that does not hold the signal
// back shows as no value. Otherwise act's answer.
std::optional<bool> RunWithFileSizeLimit(std::uint64_t limit, const std::function<bool()>& act);

}  // namespace quarn::test
