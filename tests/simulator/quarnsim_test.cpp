// quarnsim as a separate process, driven by curl (a client nobody here
// wrote) and by the programs' own upload and direct-control code.
#include <gtest/gtest.h>

#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/device_exchange.hpp"
#include "devicelink/direct_control.hpp"
#include "devicelink/narrow_text.hpp"
#include "devicelink/upload.hpp"
#include "tests/support/files.hpp"
#include "tests/support/process.hpp"
#include "tests/support/sim_process.hpp"
#include "tests/support/test_peer.hpp"

#ifndef QUARN_WORKED_EXAMPLE
#error "QUARN_WORKED_EXAMPLE must name the worked example file"
#endif

namespace quarn {
namespace {

using namespace std::chrono_literals;
using test::RunCommand;
using test::SimProcess;

const std::filesystem::path kWorkedExample = std::filesystem::path(QUARN_WORKED_EXAMPLE);
constexpr std::string_view kAccepted = "State machine accepted: 2 timers (T0, T1), 1 relay (R3)";

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string WithLfLineEnds(std::string text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return out;
}

class QuarnSim : public ::testing::Test {
protected:
    const test::ScratchFolder scratch_;
    const std::filesystem::path store_ = scratch_.path();

    static std::string Url(const SimProcess& sim, const std::string& page)
    {
        return "http://127.0.0.1:" + std::to_string(sim.Port()) + "/" + page;
    }

    static UploadOptions Options(std::uint16_t port) { return test::FastUploadOptions(port); }
};

TEST_F(QuarnSim, CurlUploadsAFileReadsTheControlPageAndSwitchesARelay)
{
    SimProcess sim({"--store", store_.string()});
    ASSERT_NE(sim.Port(), 0);

    const auto upload = RunCommand({"curl", "-s", "-S", "-u", "admin:tovel", "-F", "file=@" + kWorkedExample.string(),
                                    Url(sim, "state_machine_mp.html")});
    EXPECT_EQ(upload.status, 0);
    EXPECT_NE(upload.output.find("name=\"status\"><b>" + std::string(kAccepted) + "</b>"), std::string::npos)
        << upload.output;
    EXPECT_EQ(ReadBytes(store_ / "state_machine.xml"), ReadBytes(kWorkedExample));

    const auto wrong = RunCommand({"curl", "-s", "-o", "/dev/null", "-w", "%{http_code}", "-u", "admin:wrong", "-F",
                                   "file=@" + kWorkedExample.string(), Url(sim, "state_machine_mp.html")});
    EXPECT_EQ(wrong.output, "401");
    const auto anonymous = RunCommand({"curl", "-s", "-o", "/dev/null", "-w", "%{http_code}", "-F",
                                       "file=@" + kWorkedExample.string(), Url(sim, "state_machine_mp.html")});
    EXPECT_EQ(anonymous.output, "401");

    // A chunked body is decoded: the stored file holds no chunk lines.
    std::filesystem::remove(store_ / "state_machine.xml");
    const auto chunked = RunCommand({"curl", "-s", "-S", "-u", "admin:tovel", "-H", "Transfer-Encoding: chunked", "-F",
                                     "file=@" + kWorkedExample.string(), Url(sim, "state_machine_mp.html")});
    EXPECT_NE(chunked.output.find(kAccepted), std::string::npos) << chunked.output;
    EXPECT_EQ(ReadBytes(store_ / "state_machine.xml"), ReadBytes(kWorkedExample));

    EXPECT_NE(RunCommand({"curl", "-s", Url(sim, "control.html")}).output.find("id=\"R\">0<"), std::string::npos);
    EXPECT_NE(RunCommand({"curl", "-s", Url(sim, "control.html?D=1")}).output.find("id=\"R\">8<"), std::string::npos);
    EXPECT_NE(RunCommand({"curl", "-s", Url(sim, "control.html?A=1")}).output.find("id=\"R\">9<"), std::string::npos);
    EXPECT_NE(RunCommand({"curl", "-s", Url(sim, "control.html?D=0")}).output.find("id=\"R\">1<"), std::string::npos);
    const auto bad = RunCommand({"curl", "-s", "-o", "/dev/null", "-w", "%{http_code}", Url(sim, "control.html?I=1")});
    EXPECT_EQ(bad.output, "400");
    const auto missing = RunCommand({"curl", "-s", "-o", "/dev/null", "-w", "%{http_code}", Url(sim, "nothing.html")});
    EXPECT_EQ(missing.output, "404");

    // A page elsewhere that reached quarnsim through DNS, an action sent as
    // a plain GET, an HTTP version it does not speak, and HEAD.
    const auto code = [&sim](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"curl", "-s", "-o", "/dev/null", "-w", "%{http_code}"});
        return RunCommand(arguments).output;
    };
    EXPECT_EQ(code({"-H", "Host: evil.example:" + std::to_string(sim.Port()), Url(sim, "state.json")}), "403");
    EXPECT_EQ(code({"-H", "Host: localhost:" + std::to_string(sim.Port()), Url(sim, "state.json")}), "200");
    EXPECT_EQ(code({Url(sim, "input.json?S0=1")}), "405");
    EXPECT_EQ(code({"-X", "POST", Url(sim, "switch.json?B=1")}), "403");
    EXPECT_NE(RunCommand({"curl", "-s", Url(sim, "control.html")}).output.find("id=\"R\">1<"), std::string::npos);
    const auto v2 = RunCommand({"sh", "-c",
                                "printf 'GET /state.json HTTP/2.0\\r\\n\\r\\n' | curl -s telnet://127.0.0.1:" +
                                    std::to_string(sim.Port()) + " --max-time 3"});
    EXPECT_EQ(v2.output.rfind("HTTP/1.0 505", 0), 0u) << v2.output;
    const auto head = RunCommand({"curl", "-s", "-I", Url(sim, "control.html?D=1")});
    EXPECT_EQ(head.output.rfind("HTTP/1.0 200", 0), 0u) << head.output;
    EXPECT_EQ(head.output.find("<html"), std::string::npos) << head.output;
    EXPECT_NE(RunCommand({"curl", "-s", Url(sim, "control.html")}).output.find("id=\"R\">1<"), std::string::npos);

    EXPECT_EQ(sim.Stop(), 0);
    const std::string log = sim.Log();
    EXPECT_NE(log.find("POST /state_machine_mp.html -> 200"), std::string::npos) << log;
    EXPECT_NE(log.find("POST /state_machine_mp.html -> 401"), std::string::npos) << log;
    EXPECT_NE(log.find("GET /control.html?D=1 -> 200"), std::string::npos) << log;
}

TEST_F(QuarnSim, ProgramsUploadIsJudgedAndStoredAsSent)
{
    SimProcess sim({"--store", store_.string(), "--password", "secret"});
    ASSERT_NE(sim.Port(), 0);
    const std::u16string path = kWorkedExample.u16string();

    const UploadOutcome accepted = UploadStateMachine(u"127.0.0.1", path, u"secret", Options(sim.Port()));
    EXPECT_EQ(accepted.status, 200);
    EXPECT_EQ(accepted.text, ToWide(std::string(kAccepted)));
    EXPECT_EQ(ReadBytes(store_ / "state_machine.xml"), WithLfLineEnds(ReadBytes(kWorkedExample)));

    const UploadOutcome denied = UploadStateMachine(u"127.0.0.1", path, u"tovel", Options(sim.Port()));
    EXPECT_EQ(denied.status, 401);
    EXPECT_EQ(denied.text, u"Error: 401: Authorization required");

    // A file that is no state machine is refused and leaves the stored one.
    const std::filesystem::path junk = store_ / "junk.txt";
    std::ofstream(junk, std::ios::binary) << "just some words";
    const UploadOutcome refused = UploadStateMachine(u"127.0.0.1", junk.u16string(), u"secret", Options(sim.Port()));
    EXPECT_EQ(refused.status, 200);
    EXPECT_EQ(refused.text.rfind(u"State machine refused: ", 0), 0u) << ToNarrow(refused.text);
    EXPECT_EQ(ReadBytes(store_ / "state_machine.xml"), WithLfLineEnds(ReadBytes(kWorkedExample)));

    const std::filesystem::path empty = store_ / "empty.xml";
    std::ofstream(empty, std::ios::binary) << "";
    const UploadOutcome emptyFile = UploadStateMachine(u"127.0.0.1", empty.u16string(), u"secret", Options(sim.Port()));
    EXPECT_EQ(emptyFile.status, 200);
    EXPECT_EQ(emptyFile.text.rfind(u"State machine refused: ", 0), 0u) << ToNarrow(emptyFile.text);
}

TEST_F(QuarnSim, DirectControlSeesItsOwnSwitches)
{
    SimProcess sim({});
    ASSERT_NE(sim.Port(), 0);
    ExchangeOptions options = Options(sim.Port()).exchange;
    EXPECT_EQ(SendControlRequest(u"127.0.0.1", RelayQuery(7, true), options).mask, 128);
    EXPECT_EQ(SendControlRequest(u"localhost", RelayQuery(0, true), options).mask, 129);
    const ControlResult read = SendControlRequest(u"127.0.0.1", kControlPage, options);
    EXPECT_EQ(read.status, 200);
    EXPECT_EQ(read.mask, 129);
}

TEST_F(QuarnSim, EveryFaultModeEndsWithAnOutcomeAndNoHang)
{
    const struct {
        const char* fault;
        std::int32_t code;
        std::u16string text;
        int pauses;
    } cases[] = {
        {"close", 0, u"Error: 0", 10},
        {"silent", 0, u"Error: 0", 0},
        {"no-status", 0, u"Error: 0", 0},
        {"http11-401", 401, u"Error: 401: Authorization required", 0},
        {"oversize", 200, ToWide(std::string(kAccepted)), 0},
        // The zero byte right after the header section hides the page that
        // follows it in the same chunk, status element included.
        {"zero-byte", 200, u"", 0},
        {"drip", 200, ToWide(std::string(kAccepted)), 0},
    };
    for (const auto& c : cases) {
        SimProcess sim({"--fault", c.fault});
        ASSERT_NE(sim.Port(), 0) << c.fault;
        UploadOptions options = Options(sim.Port());
        options.exchange.receiveTimeLimit = 500ms;
        int pauses = 0;
        options.exchange.hooks.pause = [&](std::chrono::milliseconds) { ++pauses; };
        const auto start = std::chrono::steady_clock::now();
        const UploadOutcome outcome = UploadStateMachine(u"127.0.0.1", kWorkedExample.u16string(), u"tovel", options);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << c.fault;
        EXPECT_EQ(outcome.status, c.code) << c.fault;
        EXPECT_EQ(outcome.text, c.text) << c.fault << ": " << ToNarrow(outcome.text);
        EXPECT_EQ(pauses, c.pauses) << c.fault;
        EXPECT_EQ(sim.Stop(), 0) << c.fault;
    }
}

TEST_F(QuarnSim, RefusesAPortInUse)
{
    SimProcess first({});
    ASSERT_NE(first.Port(), 0);
    const auto second = RunCommand({QUARNSIM_PATH, "--port", std::to_string(first.Port())});
    EXPECT_NE(second.status, 0);
}

}  // namespace
}  // namespace quarn

namespace quarn {
namespace {

// What state.json says of the clock and the relays, and the mask control.html shows.
struct Observation {
    std::string clock;
    int mask = -1;
};

std::string Field(const std::string& json, const std::string& key)
{
    const std::size_t at = json.find("\"" + key + "\": ");
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + key.size() + 4;
    const std::size_t end = json.find_first_of(",}", start);
    std::string value = json.substr(start, end - start);
    if (value.size() >= 2 && value.front() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

Observation Observe(std::uint16_t port)
{
    Observation seen;
    const ExchangeResult state =
        DeviceExchange(u"127.0.0.1", "GET /state.json HTTP/1.0\r\n\r\n", false, test::FastExchangeOptions(port));
    const std::string reply = ToNarrow(state.reply);
    const std::string json = reply.substr(std::min(reply.size(), reply.find("\r\n\r\n")));
    seen.clock = Field(json, "clock");
    const std::string mask = Field(json, "mask");
    seen.mask = mask.empty() ? -1 : std::atoi(mask.c_str());
    return seen;
}

TEST_F(QuarnSim, TheStoredProgramRunsOnTheGivenClockAndSpeed)
{
    // T0 06:01:00-06:02:00 on workdays, R3 = T0, R1 = S1.
    std::ofstream(store_ / "state_machine.xml", std::ios::binary)
        << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n"
           "<timer id=\"0\" start=\"21660\" end=\"21720\" dow=\"31\"> </timer>\r\n<parallel>\r\n"
           "<state id=\"R3\"><state id=\"Roff3\"><transition cond=\"#T0\"/></state>"
           "<state id=\"Ron3\"><transition cond=\"!(#T0)\"/></state></state>\r\n"
           "<state id=\"R1\"><state id=\"Roff1\"><transition cond=\"#S1\"/></state>"
           "<state id=\"Ron1\"><transition cond=\"!(#S1)\"/></state></state>\r\n"
           "</parallel>\r\n</statemachine>\r\n";
    // At 120 times real time the timer is on for half a second, from about
    // a third of a second after the start.
    SimProcess sim({"--store", store_.string(), "--clock", "2026-12-14T06:00:20", "--speed", "120", "--input", "S1=1"});
    ASSERT_NE(sim.Port(), 0);

    auto expected = [](const std::string& clock) {
        return clock < "2026-12-14T06:01:00" || clock >= "2026-12-14T06:02:00" ? 2 : 10;
    };
    std::set<int> phases;
    std::vector<std::string> wrong;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    for (;;) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the clock did not pass 06:02:10";
        const Observation before = Observe(sim.Port());
        const ControlResult control = SendControlRequest(u"127.0.0.1", kControlPage, Options(sim.Port()).exchange);
        const Observation after = Observe(sim.Port());
        ASSERT_FALSE(before.clock.empty());
        if (before.mask != expected(before.clock))
            wrong.push_back(before.clock + " mask " + std::to_string(before.mask));
        // control.html is read between the two: where both agree, so must it.
        if (expected(before.clock) == expected(after.clock) && control.mask != expected(before.clock))
            wrong.push_back(before.clock + " control.html mask " + std::to_string(control.mask.value_or(-1)));
        phases.insert(before.clock < "2026-12-14T06:01:00" ? 0 : before.clock < "2026-12-14T06:02:00" ? 1 : 2);
        if (after.clock >= "2026-12-14T06:02:10")
            break;
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(wrong.empty()) << wrong.front();
    EXPECT_TRUE(phases.count(1) == 1 && phases.count(2) == 1);
    EXPECT_EQ(sim.Stop(), 0);
    const std::string log = sim.Log();
    EXPECT_NE(log.find("running the stored program: 1 timer (T0), 2 relays (R1, R3)"), std::string::npos) << log;
    EXPECT_NE(log.find("Mon 2026-12-14 06:01:00  T0 on  R3 on"), std::string::npos) << log;
    EXPECT_NE(log.find("Mon 2026-12-14 06:02:00  T0 off  R3 off"), std::string::npos) << log;
}

TEST_F(QuarnSim, TheDefaultClockIsTheMachinesLocalTime)
{
    SimProcess sim({});
    ASSERT_NE(sim.Port(), 0);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y-%m-%dT%H:%M", &local);
    const Observation seen = Observe(sim.Port());
    // Within the same minute, give or take the minute's turn.
    if (seen.clock.substr(0, 16) != expected) {
        const std::time_t later = now + 5;
        localtime_r(&later, &local);
        std::strftime(expected, sizeof expected, "%Y-%m-%dT%H:%M", &local);
    }
    EXPECT_EQ(seen.clock.substr(0, 16), expected);
    EXPECT_EQ(seen.mask, 0);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"--clock", "2026-13-01T00:00:00"},
                                                                                     {"--clock", "tomorrow"},
                                                                                     {"--speed", "0"},
                                                                                     {"--input", "S4=1"},
                                                                                     {"--speed", "nan"},
                                                                                     {"--speed", "inf"},
                                                                                     {"--speed", "0x10"},
                                                                                     {"--speed", ""},
                                                                                     {"--port", "0x50"}}) {
        const auto run = RunCommand({QUARNSIM_PATH, "--port", "0", bad[0], bad[1]});
        EXPECT_NE(run.status, 0) << bad[0] << " " << bad[1];
    }
}

}  // namespace
}  // namespace quarn
