// quarnctl's device commands against quarnsim, both as separate processes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "devicelink/socket_layer.hpp"
#include "tests/support/files.hpp"
#include "tests/support/process.hpp"
#include "tests/support/sim_process.hpp"

#ifndef QUARNCTL_PATH
#error "QUARNCTL_PATH must name the quarnctl executable"
#endif

namespace quarn {
namespace {

using test::RunCommand;
using test::SimProcess;

const std::filesystem::path kWorkedExample = std::filesystem::path(QUARN_WORKED_EXAMPLE);

using test::ReadBytes;

std::string AllOff(int on = -1)
{
    std::string text;
    for (int i = 0; i < 8; ++i)
        text += "R" + std::to_string(i) + (i == on ? " on\n" : " off\n");
    return text;
}

class QuarnctlDevice : public ::testing::Test {
protected:
    const test::ScratchFolder scratch_;
    const std::filesystem::path store_ = scratch_.path();
};

TEST_F(QuarnctlDevice, UploadsTheWorkedExampleThenSwitchesAndReadsRelays)
{
    SimProcess sim({"--store", store_.string()});
    ASSERT_NE(sim.Port(), 0);
    const std::string port = std::to_string(sim.Port());

    const auto upload =
        RunCommand({QUARNCTL_PATH, "upload", "--host", "127.0.0.1", "--port", port, kWorkedExample.string()});
    EXPECT_EQ(upload.status, 0) << upload.error;
    EXPECT_EQ(upload.output, "State machine accepted: 2 timers (T0, T1), 1 relay (R3)\n");
    std::string sent = ReadBytes(kWorkedExample);
    for (std::size_t at; (at = sent.find("\r\n")) != std::string::npos;)
        sent.erase(at, 1);
    EXPECT_EQ(ReadBytes(store_ / "state_machine.xml"), sent);

    const auto wrong = RunCommand({QUARNCTL_PATH, "upload", "--host", "127.0.0.1", "--port", port, "--password", "nope",
                                   kWorkedExample.string()});
    EXPECT_NE(wrong.status, 0);
    EXPECT_EQ(wrong.output, "");
    EXPECT_EQ(wrong.error, "Error: 401: Authorization required\n");

    const auto switched = RunCommand({QUARNCTL_PATH, "switch", "--host", "localhost", "--port", port, "R3", "on"});
    EXPECT_EQ(switched.status, 0) << switched.error;
    EXPECT_EQ(switched.output, AllOff(3));
    const auto relays = RunCommand({QUARNCTL_PATH, "relays", "--host", "127.0.0.1", "--port", port});
    EXPECT_EQ(relays.status, 0) << relays.error;
    EXPECT_EQ(relays.output, AllOff(3));
}

TEST_F(QuarnctlDevice, FailuresEndWithTheirTextAndANonZeroStatus)
{
    SimProcess sim({"--fault", "http11-401"});
    ASSERT_NE(sim.Port(), 0);
    const std::string port = std::to_string(sim.Port());
    const struct {
        std::vector<std::string> arguments;
        std::string error;
    } cases[] = {
        {{"relays", "--host", "127.0.0.1", "--port", port}, "Error: 401: Authorization required\n"},
        {{"upload", "--host", "127.0.0.1", "--port", port, kWorkedExample.string()},
         "Error: 401: Authorization required\n"},
        {{"relays", "--host", "http://127.0.0.1", "--port", port},
         "Cannot connect: " + std::to_string(net::kInvalidArgument) + "\n"},
        {{"upload", "--host", "127.0.0.1", "--port", port, (store_ / "missing.xml").string()},
         "Cannot open file " + (store_ / "missing.xml").string() + " for reading (2)\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> command = {QUARNCTL_PATH};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        const auto result = RunCommand(command);
        EXPECT_NE(result.status, 0) << c.arguments[0];
        EXPECT_EQ(result.error, c.error) << c.arguments[0];
    }

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"switch", "--host", "127.0.0.1", "R8", "on"},
             {"switch", "--host", "127.0.0.1", "R3", "maybe"},
             {"relays"},
         }) {
        std::vector<std::string> command = {QUARNCTL_PATH};
        command.insert(command.end(), bad.begin(), bad.end());
        EXPECT_NE(RunCommand(command).status, 0) << bad.back();
    }
}

}  // namespace
}  // namespace quarn
