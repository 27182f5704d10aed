// The runner every end-to-end test starts programs with: what it hands in
// and brings back, and a program that hangs.
#include "tests/support/process.hpp"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace quarn::test {
namespace {

// Whether the process runs (a zombie nobody reaped does not).
bool Running(const std::string& pid)
{
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] != 'Z';
}

TEST(RunCommand, HandsInStandardInputAndBringsBackOutputErrorAndStatus)
{
    const std::string bytes("line\0with a nul\r\nand no end", 27);
    const CommandResult run = RunCommand({"sh", "-c", "cat; echo problem >&2; exit 3"}, bytes);
    EXPECT_EQ(run.output, bytes);
    EXPECT_EQ(run.error, "problem\n");
    EXPECT_EQ(run.status, 3);
    EXPECT_FALSE(run.timedOut);

    // Without input the program reads an empty stream, not the terminal.
    const CommandResult empty = RunCommand({"cat"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.output, "");

    const CommandResult missing = RunCommand({"/nonexistent/program"});
    EXPECT_EQ(missing.status, 127);
    const CommandResult killed = RunCommand({"sh", "-c", "kill -9 $$"});
    EXPECT_EQ(killed.status, -1);
    EXPECT_FALSE(killed.timedOut);
}

TEST(RunCommand, ShellTextKeepsQuotedArgumentsWhole)
{
    const std::string awkward = "it's $HOME `date` \"x\" \\ ; | > *";
    const CommandResult run = RunShell("printf", "'[%s]' " + ShellQuoted(awkward) + " " + ShellQuoted(""));
    EXPECT_EQ(run.status, 0) << run.error;
    EXPECT_EQ(run.output, "[" + awkward + "][]");
}

// A program that never ends is killed at the deadline together with what it
// started, and the test that ran it fails instead of waiting.
TEST(RunCommand, AHungProgramFailsTheTestAtItsDeadline)
{
    using namespace std::chrono_literals;
    CommandResult run;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_NONFATAL_FAILURE(run = RunCommand({"sh", "-c", "sleep 60 & echo $!; wait"}, std::nullopt, 300ms),
                            "still ran after 300 ms");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_TRUE(run.timedOut);
    EXPECT_EQ(run.status, -1);
    ASSERT_FALSE(run.output.empty());
    const std::string sleeper = run.output.substr(0, run.output.find('\n'));
    for (const auto deadline = std::chrono::steady_clock::now() + 5s;
         Running(sleeper) && std::chrono::steady_clock::now() < deadline;)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(Running(sleeper)) << "the shell's child " << sleeper << " outlived the deadline";
}

}  // namespace
}  // namespace quarn::test
