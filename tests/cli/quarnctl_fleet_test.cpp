// quarnctl deploy and status against a fleet on loopback: 40 simulators
// (one with its own password), 5 that never answer and 5 ports where nothing
// listens, mixed in one hosts file.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/direct_control.hpp"
#include "tests/support/files.hpp"
#include "tests/support/process.hpp"
#include "tests/support/sim_process.hpp"
#include "tests/support/test_peer.hpp"

#ifndef QUARNCTL_PATH
#error "QUARNCTL_PATH must name the quarnctl executable"
#endif

namespace quarn {
namespace {

using namespace std::chrono_literals;
using test::RunCommand;
using test::SimProcess;

enum class Kind { Live, Silent, Dead };

struct Host {
    Kind kind = Kind::Live;
    std::unique_ptr<SimProcess> sim;
    std::uint16_t port = 0;
    std::filesystem::path store;
    std::string label;
    std::vector<std::string> arguments;
};

using test::ReadBytes;

// The injected limit of one exchange; the five silent hosts one after
// another would take five times as long.
constexpr const char* kTimeLimit = "3";
constexpr auto kLimit = 3s;

class QuarnctlFleet : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        scratch_ = new test::ScratchFolder;
        dir_ = scratch_->path();
        hosts_ = new std::vector<Host>(50);
        // The simulators start side by side: each waits for its port line.
        std::vector<std::thread> starting;
        for (int i = 0; i < 50; ++i) {
            Host& host = (*hosts_)[static_cast<std::size_t>(i)];
            // Every fifth host fails: silent and dead in turn.
            host.kind = i % 5 != 4 ? Kind::Live : (i % 10 == 4 ? Kind::Silent : Kind::Dead);
            if (host.kind == Kind::Dead)
                continue;  // given a port once the simulators hold theirs
            std::vector<std::string> arguments = {"--fault", "silent"};
            if (host.kind == Kind::Live) {
                host.store = dir_ / ("store-" + std::to_string(i));
                std::filesystem::create_directories(host.store);
                arguments = {"--store", host.store.string()};
                if (i == 7)
                    arguments.insert(arguments.end(), {"--password", "secret"});
            }
            host.arguments = arguments;
            starting.emplace_back([&host, arguments] {
                host.sim = std::make_unique<SimProcess>(arguments);
                host.port = host.sim->Port();
            });
        }
        for (std::thread& thread : starting)
            thread.join();
        // On a busy machine (or under a sanitizer) a simulator may miss the
        // wait for its port line while 45 start at once; it gets a second go
        // by itself.
        for (Host& host : *hosts_) {
            if (host.sim && host.port == 0) {
                host.sim = std::make_unique<SimProcess>(host.arguments);
                host.port = host.sim->Port();
            }
        }
        // A closed port taken before the simulators start may be handed to
        // one of them by the system; taken now, it cannot be.
        for (Host& host : *hosts_) {
            if (host.kind == Kind::Dead)
                host.port = test::ClosedPort();
        }
        std::string list = "# the test fleet\n\n";
        for (std::size_t i = 0; i < hosts_->size(); ++i) {
            Host& host = (*hosts_)[i];
            host.label = "127.0.0.1:" + std::to_string(host.port);
            list += host.label + (i == 7 ? " secret" : "") + (i == 20 ? "   # the middle one" : "") + "\n";
        }
        hostsFile_ = (dir_ / "hosts.txt").string();
        std::ofstream(hostsFile_, std::ios::binary) << list;
    }
    static void TearDownTestSuite()
    {
        std::vector<std::thread> stopping;
        for (Host& host : *hosts_) {
            if (host.sim)
                stopping.emplace_back([&host] { host.sim.reset(); });
        }
        for (std::thread& thread : stopping)
            thread.join();
        delete hosts_;
        hosts_ = nullptr;
        delete scratch_;
        scratch_ = nullptr;
    }
    void SetUp() override
    {
        for (const Host& host : *hosts_)
            ASSERT_NE(host.port, 0);
    }

    static inline test::ScratchFolder* scratch_ = nullptr;
    static inline std::filesystem::path dir_;
    static inline std::vector<Host>* hosts_ = nullptr;
    static inline std::string hostsFile_;
};

std::string FailureText(Kind kind)
{
    return kind == Kind::Silent ? "Error: 0" : "Cannot connect: 111";
}

TEST_F(QuarnctlFleet, DeployStoresTheFileOnEveryLiveControllerInAboutOneExchangeLimit)
{
    const std::string program = "<statemachine>\r\n<timer id=\"T0\" on=\"27000\" off=\"79200\" dow=\"31\"/>\r\n"
                                "</statemachine>\r\n";
    const std::string file = (dir_ / "program.xml").string();
    std::ofstream(file, std::ios::binary) << program;

    const auto start = std::chrono::steady_clock::now();
    const auto run = RunCommand({QUARNCTL_PATH, "deploy", file, "--hosts", hostsFile_, "--time-limit", kTimeLimit});
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.status, 1) << run.error;
    EXPECT_GE(elapsed, kLimit);
    EXPECT_LT(elapsed, 2 * kLimit) << "the silent hosts did not wait side by side";

    // The table, in the hosts file's order, and no progress line off a terminal.
    std::istringstream table(run.output);
    std::string line;
    ASSERT_TRUE(std::getline(table, line));
    EXPECT_EQ(line.rfind("HOST", 0), 0u) << line;
    EXPECT_NE(line.find("  OUTCOME"), std::string::npos) << line;
    for (const Host& host : *hosts_) {
        ASSERT_TRUE(std::getline(table, line));
        EXPECT_EQ(line.rfind(host.label + " ", 0), 0u) << line;
        const std::string expected =
            host.kind == Kind::Live ? "State machine accepted: 1 timer (T0), 0 relays" : FailureText(host.kind);
        EXPECT_NE(line.find("  " + expected + " "), std::string::npos) << line;
    }
    EXPECT_FALSE(std::getline(table, line)) << line;

    const std::string sent =
        "<statemachine>\n<timer id=\"T0\" on=\"27000\" off=\"79200\" dow=\"31\"/>\n</statemachine>\n";
    for (const Host& host : *hosts_) {
        if (host.kind == Kind::Live) {
            EXPECT_EQ(ReadBytes(host.store / "state_machine.xml"), sent) << host.label;
        }
    }

    const auto json = RunCommand(
        {QUARNCTL_PATH, "deploy", file, "--hosts", hostsFile_, "--time-limit", "0.5", "--parallel", "50", "--json"});
    EXPECT_EQ(json.status, 1);
    const nlohmann::json list = nlohmann::json::parse(json.output);
    ASSERT_EQ(list.size(), hosts_->size());
    for (std::size_t i = 0; i < hosts_->size(); ++i) {
        const Host& host = (*hosts_)[i];
        EXPECT_EQ(list[i]["host"], host.label);
        EXPECT_EQ(list[i]["ok"], host.kind == Kind::Live) << host.label;
        EXPECT_EQ(list[i]["code"], host.kind == Kind::Live ? 200 : (host.kind == Kind::Silent ? 0 : 111));
        if (host.kind != Kind::Live) {
            EXPECT_EQ(list[i]["outcome"], FailureText(host.kind));
        }
        EXPECT_LT(list[i]["seconds"].get<double>(), 2.0);
    }
}

TEST_F(QuarnctlFleet, StatusShowsEveryRelayMaskOrWhyNot)
{
    // Each live controller gets a relay of its own switched on.
    for (std::size_t i = 0; i < hosts_->size(); ++i) {
        const Host& host = (*hosts_)[i];
        if (host.kind != Kind::Live)
            continue;
        ExchangeOptions options;
        options.port = host.port;
        ASSERT_TRUE(SendControlRequest(u"127.0.0.1", RelayQuery(static_cast<int>(i % 8), true), options).mask);
    }
    const auto start = std::chrono::steady_clock::now();
    const auto run = RunCommand({QUARNCTL_PATH, "status", "--hosts", hostsFile_, "--time-limit", kTimeLimit});
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2 * kLimit);
    EXPECT_EQ(run.status, 1) << run.error;

    std::size_t width = 4;
    for (const Host& host : *hosts_)
        width = std::max(width, host.label.size());
    auto padded = [width](std::string text) { return text.append(width - text.size(), ' '); };
    std::string expected = padded("HOST") + "  R0   R1   R2   R3   R4   R5   R6   R7\n";
    for (std::size_t i = 0; i < hosts_->size(); ++i) {
        const Host& host = (*hosts_)[i];
        std::string line = padded(host.label);
        if (host.kind == Kind::Live) {
            for (std::size_t r = 0; r < 8; ++r)
                line += r == i % 8 ? "  on " : "  off";
        } else {
            line += "  " + FailureText(host.kind);
        }
        while (line.back() == ' ')
            line.pop_back();
        expected += line + "\n";
    }
    EXPECT_EQ(run.output, expected);

    const auto json = RunCommand({QUARNCTL_PATH, "status", "--hosts", hostsFile_, "--time-limit", "0.5", "--json"});
    const nlohmann::json list = nlohmann::json::parse(json.output);
    ASSERT_EQ(list.size(), hosts_->size());
    EXPECT_EQ(list[1]["mask"], 2);
    EXPECT_EQ(list[1]["relays"], nlohmann::json({false, true, false, false, false, false, false, false}));
    EXPECT_EQ(list[1]["error"], nullptr);
    EXPECT_EQ(list[4]["error"], "Error: 0");
    EXPECT_EQ(list[9]["relays"], nullptr);
    EXPECT_EQ(list[9]["error"], "Cannot connect: 111");
}

TEST(QuarnctlFleetInput, BadHostsFilesAndFilesEndBeforeAnyExchange)
{
    const test::ScratchFolder dir;
    const std::string bad = (dir / "bad.txt").string();
    std::ofstream(bad, std::ios::binary) << "127.0.0.1:1\n\n127.0.0.1:99999\n";
    const auto badLine = RunCommand({QUARNCTL_PATH, "status", "--hosts", bad});
    EXPECT_EQ(badLine.status, 2);
    EXPECT_EQ(badLine.output, "");
    EXPECT_EQ(badLine.error, "quarnctl: " + bad + ": line 3: \"99999\" is not a port from 1 to 65535\n");

    const std::string empty = (dir / "empty.txt").string();
    std::ofstream(empty, std::ios::binary) << "# nobody\n";
    EXPECT_EQ(RunCommand({QUARNCTL_PATH, "status", "--hosts", empty}).error,
              "quarnctl: " + empty + ": names no controller\n");
    EXPECT_EQ(RunCommand({QUARNCTL_PATH, "status", "--hosts", (dir / "none.txt").string()}).status, 2);

    // A program that cannot be read is reported once, and nobody is asked.
    test::TestPeer peer({"HTTP/1.0 200 OK\r\n\r\n"});
    const std::string one = (dir / "one.txt").string();
    std::ofstream(one, std::ios::binary) << "127.0.0.1:" << peer.Port() << "\n";
    const std::string missing = (dir / "missing.xml").string();
    const auto noFile = RunCommand({QUARNCTL_PATH, "deploy", missing, "--hosts", one});
    EXPECT_EQ(noFile.status, 1);
    EXPECT_EQ(noFile.output, "");
    EXPECT_EQ(noFile.error, "Cannot open file " + missing + " for reading (2)\n");
}

// Hosts files that are not files, the descriptors a large --parallel needs,
// and the progress line, which is for a terminal only.
TEST(QuarnctlFleetInput, HostsFilesDescriptorsAndProgress)
{
    const test::ScratchFolder dir;
    const std::string fifo = dir.File("hosts.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& notAFile : {fifo, dir.path().string(), std::string("/dev/zero")}) {
        const auto started = std::chrono::steady_clock::now();
        const auto run = RunCommand({"timeout", "20", QUARNCTL_PATH, "status", "--hosts", notAFile});
        EXPECT_EQ(run.status, 2) << notAFile << run.error;
        EXPECT_NE(run.error.find("cannot be read"), std::string::npos) << run.error;
        EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << notAFile;
    }

    // 300 controllers where nothing listens, 300 exchanges at once, and a
    // limit of 64 descriptors that cannot be raised: fewer at once, and no
    // exchange fails for want of a descriptor (EMFILE, 24).
    const std::string hosts = dir.File("hosts.txt");
    {
        std::ofstream out(hosts, std::ios::binary);
        const std::uint16_t closed = test::ClosedPort();
        for (int i = 0; i < 300; ++i)
            out << "127.0.0.1:" << closed << "\n";
    }
    const auto limited = RunCommand(
        {"sh", "-c", "ulimit -n 64 && exec \"$0\" status --hosts \"$1\" --parallel 300", QUARNCTL_PATH, hosts});
    EXPECT_EQ(limited.status, 1);
    EXPECT_NE(limited.error.find("--parallel 300 lowered to "), std::string::npos) << limited.error;
    EXPECT_EQ(limited.output.find("Cannot connect: 24"), std::string::npos);
    EXPECT_NE(limited.output.find("Cannot connect: 111"), std::string::npos);

    // "-" reads the list from standard input. Without a terminal no
    // progress line is written anywhere; on one it goes to stderr and is
    // erased before the table.
    const auto piped = RunCommand({"sh", "-c", "head -n 3 \"$1\" | \"$0\" status --hosts -", QUARNCTL_PATH, hosts});
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(std::count(piped.output.begin(), piped.output.end(), '\n'), 4) << piped.output;
    EXPECT_EQ(piped.output.find('\r'), std::string::npos);
    EXPECT_EQ(piped.error.find("done"), std::string::npos) << piped.error;
    const auto onTerminal = RunCommand(
        {"script", "-qec",
         "\"" + std::string(QUARNCTL_PATH) + "\" status --hosts \"" + hosts + "\" 2>/dev/tty >/dev/null", "/dev/null"});
    EXPECT_NE(onTerminal.output.find("300/300 done, 300 failed"), std::string::npos) << onTerminal.output;
    EXPECT_NE(onTerminal.output.find("\r" + std::string(std::string("300/300 done, 300 failed").size(), ' ') + "\r"),
              std::string::npos);
}

// Before any exchange deploy runs check over the program: a condition
// outside the rules sends nothing, a warning is said and the deploy goes on.
TEST(QuarnctlFleetInput, TheProgramIsCheckedBeforeItGoesOut)
{
    const test::ScratchFolder dir;
    const std::filesystem::path store = dir.path() / "store";
    std::filesystem::create_directories(store);
    SimProcess sim({"--store", store.string()});
    ASSERT_NE(sim.Port(), 0);
    const std::string hosts = (dir.path() / "hosts.txt").string();
    std::ofstream(hosts, std::ios::binary) << "127.0.0.1:" << sim.Port() << "\n";
    const auto program = [&dir](const char* name, const std::string& condition) {
        const std::string path = (dir.path() / name).string();
        std::ofstream(path, std::ios::binary)
            << "<statemachine><version>x</version><parallel><state id=\"R0\" initial=\"Roff0\">"
               "<state id=\"Roff0\"><transition target=\"Ron0\" cond=\""
            << condition
            << "\"/></state>"
               "<state id=\"Ron0\"><transition target=\"Roff0\" cond=\"!("
            << condition
            << ")\"/></state>"
               "</state></parallel></statemachine>\n";
        return path;
    };
    const std::string bad = program("bad.xml", "#T8");
    const std::string latch = program("latch.xml", "#S0||#R0");

    const auto refused = RunCommand({QUARNCTL_PATH, "deploy", bad, "--hosts", hosts, "--no-journal"});
    EXPECT_EQ(refused.status, 2) << refused.error;
    EXPECT_NE(refused.error.find("error  condition-error  R0"), std::string::npos) << refused.error;
    EXPECT_EQ(refused.output, "");
    EXPECT_EQ(sim.Log().find("POST /state_machine_mp.html"), std::string::npos) << sim.Log();

    const auto warned = RunCommand({QUARNCTL_PATH, "deploy", latch, "--hosts", hosts, "--no-journal"});
    EXPECT_EQ(warned.status, 0) << warned.error;
    EXPECT_NE(warned.error.find("quarnctl: check: " + latch + ": warning  power-loss  R0"), std::string::npos)
        << warned.error;
    EXPECT_EQ(ReadBytes(store / "state_machine.xml"), ReadBytes(latch));

    // --no-check leaves the judgement to the controllers.
    const auto unchecked = RunCommand({QUARNCTL_PATH, "deploy", bad, "--hosts", hosts, "--no-journal", "--no-check"});
    EXPECT_EQ(unchecked.error.find("condition-error"), std::string::npos) << unchecked.error;
    EXPECT_NE(sim.Log().find("POST /state_machine_mp.html"), std::string::npos);
}

}  // namespace
}  // namespace quarn
