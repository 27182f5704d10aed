// quarnctl against controllers and files that try to harm it: escape
// sequences in a reply, names outside ASCII and outside UTF-8, refused
// uploads and switches that do not happen.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/files.hpp"
#include "tests/support/process.hpp"
#include "tests/support/sim_process.hpp"
#include "tests/support/test_peer.hpp"

#ifndef QUARNCTL_PATH
#error "QUARNCTL_PATH must name the quarnctl executable"
#endif

namespace quarn {
namespace {

using test::RunCommand;
using test::SimProcess;
using test::TestPeer;

class QuarnctlHardening : public ::testing::Test {
protected:
    const test::ScratchFolder scratch_;
    const std::filesystem::path dir_ = scratch_.path();
    void SetUp() override
    {
        // quarnctl takes its encoding from the locale it is started in.
        ::setenv("LC_ALL", "C.UTF-8", 1);
    }
    void TearDown() override { ::unsetenv("LC_ALL"); }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = dir_.string() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
};

const std::string kProgram =
    "<statemachine>\n<timer id=\"T0\" on=\"27000\" off=\"79200\" dow=\"31\"/>\n</statemachine>\n";

TEST_F(QuarnctlHardening, EscapeSequencesInTheControllersMessageAreNotPrinted)
{
    TestPeer peer({"HTTP/1.0 200 OK\r\n\r\n<td name=\"status\"><b>\x1B]0;owned\x07Stored\x1B[2J\r\nnow</b></td>"});
    const std::string file = Write("sm.xml", kProgram);
    const auto run =
        RunCommand({QUARNCTL_PATH, "upload", "--host", "127.0.0.1", "--port", std::to_string(peer.Port()), file});
    EXPECT_EQ(run.status, 0) << run.error;
    EXPECT_EQ(run.output, "?]0;owned?Stored?[2J??now\n");
}

TEST_F(QuarnctlHardening, FileNamesPassThroughInAnyEncoding)
{
    SimProcess sim({"--store", dir_.string()});
    ASSERT_NE(sim.Port(), 0);
    const std::string port = std::to_string(sim.Port());
    // UTF-8, Latin-1 (not UTF-8), and a name with a control character.
    for (const std::string name : {"gr\xC3\xBC\xC3\x9F.xml", "caf\xE9.xml", "a\x1B[1m.xml"}) {
        const std::string file = Write(name, kProgram);
        const auto stored = RunCommand({QUARNCTL_PATH, "upload", "--host", "127.0.0.1", "--port", port, file});
        EXPECT_EQ(stored.status, 0) << name << ": " << stored.error;
        EXPECT_EQ(stored.output.rfind("State machine accepted", 0), 0u) << stored.output;

        std::filesystem::remove(file);
        const auto missing = RunCommand({QUARNCTL_PATH, "upload", "--host", "127.0.0.1", "--port", port, file});
        EXPECT_EQ(missing.status, 1) << name;
        // The name as the terminal may show it: the escape and the byte that
        // is not UTF-8 as '?'; the file was still found by its bytes above.
        std::string shown = file;
        for (const char unsafe : {'\x1B', '\xE9'}) {
            if (const auto at = shown.find(unsafe); at != std::string::npos)
                shown[at] = '?';
        }
        EXPECT_EQ(missing.error, "Cannot open file " + shown + " for reading (2)\n") << name;
    }
    for (const std::string& special : {std::string("/dev/zero"), dir_.string()}) {
        const auto run = RunCommand({QUARNCTL_PATH, "upload", "--host", "127.0.0.1", "--port", port, special});
        EXPECT_EQ(run.status, 1) << special;
        EXPECT_EQ(run.error.rfind("Cannot open file " + special + " for reading (", 0), 0u) << run.error;
    }
}

TEST_F(QuarnctlHardening, ExitStatusSaysWhetherTheControllerDidIt)
{
    SimProcess sim({"--store", dir_.string()});
    ASSERT_NE(sim.Port(), 0);
    const std::string port = std::to_string(sim.Port());
    const auto refused =
        RunCommand({QUARNCTL_PATH, "upload", "--host", "127.0.0.1", "--port", port, Write("junk.xml", "just words")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.output, "");
    EXPECT_EQ(refused.error.rfind("State machine refused", 0), 0u) << refused.error;

    // A controller whose mask does not show the switch.
    TestPeer stuck({"HTTP/1.0 200 OK\r\n\r\n<span id=\"R\">0</span>"});
    const auto notSwitched = RunCommand(
        {QUARNCTL_PATH, "switch", "--host", "127.0.0.1", "--port", std::to_string(stuck.Port()), "R3", "on"});
    EXPECT_EQ(stuck.Request(), "GET /control.html?D=1 HTTP/1.0\r\n\r\n");
    EXPECT_EQ(notSwitched.status, 1);
    EXPECT_EQ(notSwitched.output, "R0 off\nR1 off\nR2 off\nR3 off\nR4 off\nR5 off\nR6 off\nR7 off\n");
    EXPECT_EQ(notSwitched.error, "R3 is still off after the request to switch it on\n");

    const auto badRelay = RunCommand({QUARNCTL_PATH, "switch", "--host", "127.0.0.1", "R8", "on"});
    EXPECT_EQ(badRelay.status, 2);
    EXPECT_EQ(badRelay.error.rfind("RELAY: must be R0 to R7, not R8\n", 0), 0u) << badRelay.error;
}

TEST_F(QuarnctlHardening, TimeLimitEndsADrippingReply)
{
    TestPeer drip({"HTTP/1.0 200 OK\r\n\r\n", " ", " ", " ", " ", " ", " ", " ", " ", " ", " "},
                  TestPeer::Ending::Reply, std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    const auto run = RunCommand(
        {QUARNCTL_PATH, "relays", "--host", "127.0.0.1", "--port", std::to_string(drip.Port()), "--time-limit", "0.5"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.error, "The controller's page control.html shows no relay states\n");
}

}  // namespace
}  // namespace quarn
