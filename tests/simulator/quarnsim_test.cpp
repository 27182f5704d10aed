// quarnsim as a separate process, driven by curl (a client nobody here
// wrote) and by the programs' own upload and direct-control code.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "devicelink/direct_control.hpp"
#include "devicelink/narrow_text.hpp"
#include "devicelink/upload.hpp"
#include "tests/support/sim_process.hpp"
#include "tests/support/test_peer.hpp"

#ifndef QUARN_TEST_DATA
#error "QUARN_TEST_DATA must name the test data folder"
#endif

namespace quarn {
namespace {

using namespace std::chrono_literals;
using test::RunCommand;
using test::SimProcess;

const std::filesystem::path kWorkedExample = std::filesystem::path(QUARN_TEST_DATA) / "worked_example.xml";
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
    std::filesystem::path store_;

    void SetUp() override
    {
        store_ = std::filesystem::temp_directory_path() /
                 ("quarnsim-store-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                  "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(store_);
        std::filesystem::create_directories(store_);
    }
    void TearDown() override { std::filesystem::remove_all(store_); }

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

    const auto upload = RunCommand({"curl", "-s", "-S", "-u", "admin:tovel", "-F",
                                    "file=@" + kWorkedExample.string(), Url(sim, "state_machine_mp.html")});
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
    EXPECT_EQ(accepted.code, 200);
    EXPECT_EQ(accepted.text, ToWide(std::string(kAccepted)));
    EXPECT_EQ(ReadBytes(store_ / "state_machine.xml"), WithLfLineEnds(ReadBytes(kWorkedExample)));

    const UploadOutcome denied = UploadStateMachine(u"127.0.0.1", path, u"tovel", Options(sim.Port()));
    EXPECT_EQ(denied.code, 401);
    EXPECT_EQ(denied.text, u"Error: 401: Authorization required");

    // A file that is no state machine is refused and leaves the stored one.
    const std::filesystem::path junk = store_ / "junk.txt";
    std::ofstream(junk, std::ios::binary) << "just some words";
    const UploadOutcome refused = UploadStateMachine(u"127.0.0.1", junk.u16string(), u"secret", Options(sim.Port()));
    EXPECT_EQ(refused.code, 200);
    EXPECT_EQ(refused.text.rfind(u"State machine refused: ", 0), 0u) << ToNarrow(refused.text);
    EXPECT_EQ(ReadBytes(store_ / "state_machine.xml"), WithLfLineEnds(ReadBytes(kWorkedExample)));

    const std::filesystem::path empty = store_ / "empty.xml";
    std::ofstream(empty, std::ios::binary) << "";
    const UploadOutcome emptyFile = UploadStateMachine(u"127.0.0.1", empty.u16string(), u"secret", Options(sim.Port()));
    EXPECT_EQ(emptyFile.code, 200);
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
    EXPECT_EQ(read.code, 200);
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
        EXPECT_EQ(outcome.code, c.code) << c.fault;
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
