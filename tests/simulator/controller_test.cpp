// The simulated controller's judgement of uploads and how it keeps them.
#include "simulator/controller.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "devicelink/upload.hpp"
#include "runtime/calendar.hpp"
#include "simulator/store_file.hpp"
#include "tests/support/files.hpp"

#ifndef QUARN_WORKED_EXAMPLE
#error "QUARN_WORKED_EXAMPLE must name the worked example file"
#endif

namespace quarn::sim {
namespace {

namespace fs = std::filesystem;

using test::ReadBytes;
using test::WriteBytes;

const std::string kWorkedExample = ReadBytes(fs::path(QUARN_WORKED_EXAMPLE));
constexpr std::string_view kAccepted = "State machine accepted: 2 timers (T0, T1), 1 relay (R3)";

std::string Utf16Le(std::string_view bytes)
{
    std::string out = "\xFF\xFE";
    for (const char c : bytes) {
        out += c;
        out += '\0';
    }
    return out;
}

class Store : public ::testing::Test {
protected:
    const test::ScratchFolder scratch_;
    const fs::path folder_ = scratch_.path();

    std::string Listing() const
    {
        std::string names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names += entry.path().filename().string() + " ";
        return names;
    }
};

TEST(JudgeStateMachine, AcceptsOnlyWholeStateMachinesInAnyEncodingTheReaderReads)
{
    ASSERT_TRUE(kWorkedExample.starts_with("\xEF\xBB\xBF"));
    const std::string plain = kWorkedExample.substr(3);
    const struct {
        const char* name;
        std::string bytes;
        std::string message;  // the start of it
    } cases[] = {
        {"UTF-8 with mark", kWorkedExample, std::string(kAccepted)},
        {"UTF-8 without mark", plain, std::string(kAccepted)},
        {"UTF-16 little-endian", Utf16Le(plain), std::string(kAccepted)},
        {"UTF-16 big-endian", std::string("\xFE\xFF\0<", 4), "State machine refused: the file cannot be read (error "},
        {"first 300 bytes", kWorkedExample.substr(0, 300),
         "State machine refused: the file is not well-formed XML (line "},
        {"an open tag", "<statemachine", "State machine refused: the file is not well-formed XML (line 1, column 14: "},
        {"empty", "", "State machine refused: the file holds no XML text"},
        {"white space", " \r\n\t", "State machine refused: the file holds no XML text"},
        {"words", "just some words", "State machine refused: the file is not well-formed XML (line 1, column 1: "},
        {"another root", "<html><statemachine/></html>", "State machine refused: the file has no statemachine element"},
    };
    for (const auto& c : cases) {
        const UploadVerdict verdict = JudgeStateMachine(c.bytes);
        EXPECT_EQ(verdict.accepted, c.message == kAccepted) << c.name;
        EXPECT_EQ(verdict.message.substr(0, c.message.size()), c.message) << c.name << ": " << verdict.message;
    }
}

TEST(JudgeStateMachine, NamesRelaysItRunsAsNeverOn)
{
    const UploadVerdict verdict =
        JudgeStateMachine("<statemachine><parallel>"
                          "<state id=\"R0\"><state id=\"Ron0\"/><state id=\"Roff0\"/></state>"
                          "<state id=\"R2\"><state id=\"Roff2\"><transition cond=\"#S1\"/></state>"
                          "<state id=\"Ron2\"><transition cond=\"!(#S1)\"/></state></state>"
                          "</parallel></statemachine>");
    EXPECT_TRUE(verdict.accepted);
    EXPECT_EQ(verdict.message,
              "State machine accepted: 0 timers, 1 relay (R2); R0 left out: its states are not the pair Roff, Ron");
}

TEST_F(Store, RefusedUploadsNeverReplaceTheStoredFile)
{
    Controller controller("tovel", folder_);
    auto upload = [&](const std::string& file) {
        const RequestScan scan = ScanRequest(BuildUploadRequest(CredentialsToken(u"tovel"), file));
        EXPECT_EQ(scan.state, RequestState::Complete);
        return controller.Handle(scan.request).bytes;
    };
    EXPECT_NE(upload(kWorkedExample).find(kAccepted), std::string::npos);
    EXPECT_EQ(ReadBytes(folder_ / "state_machine.xml"), kWorkedExample);
    for (const std::string& bad : {kWorkedExample.substr(0, 300), std::string("<statemachine"), std::string()}) {
        EXPECT_NE(upload(bad).find("State machine refused: "), std::string::npos);
        EXPECT_EQ(ReadBytes(folder_ / "state_machine.xml"), kWorkedExample);
    }
    EXPECT_EQ(Listing(), "state_machine.xml ");
}

TEST_F(Store, ReplacesWhateverStandsAtTheNameWithoutFollowingIt)
{
    EXPECT_EQ(StoreFile(folder_, "state_machine.xml", "first"), 0);
    EXPECT_EQ(StoreFile(folder_, "state_machine.xml", "second"), 0);
    EXPECT_EQ(ReadBytes(folder_ / "state_machine.xml"), "second");
    EXPECT_EQ(Listing(), "state_machine.xml ");

#ifndef _WIN32
    // A link planted at the name, to a file elsewhere, is replaced itself.
    const fs::path victim = folder_ / "victim";
    WriteBytes(victim, "precious");
    fs::remove(folder_ / "state_machine.xml");
    fs::create_symlink(victim, folder_ / "state_machine.xml");
    EXPECT_EQ(StoreFile(folder_, "state_machine.xml", "upload"), 0);
    EXPECT_EQ(ReadBytes(victim), "precious");
    EXPECT_FALSE(fs::is_symlink(folder_ / "state_machine.xml"));
    EXPECT_EQ(ReadBytes(folder_ / "state_machine.xml"), "upload");
    EXPECT_EQ(fs::status(folder_ / "state_machine.xml").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
#endif

    // A folder at the name cannot be replaced: a failure, and nothing left behind.
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "state_machine.xml");
    EXPECT_NE(StoreFile(folder_, "state_machine.xml", "upload"), 0);
    EXPECT_EQ(Listing(), "state_machine.xml ");
    EXPECT_NE(StoreFile(folder_ / "missing", "state_machine.xml", "upload"), 0);
}

}  // namespace
}  // namespace quarn::sim

namespace quarn::sim {
namespace {

using runtime::Instant;

// A state-machine file in the writer's form: timers as (id, start, end,
// weekdays), relays as (n, condition) with the negation as the on state's.
std::string ProgramFile(const std::vector<std::tuple<int, std::uint32_t, std::uint32_t, int>>& timers,
                        const std::vector<std::pair<int, std::string>>& relays)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n";
    for (const auto& [id, start, end, weekdays] : timers)
        xml += "<timer id=\"" + std::to_string(id) + "\" start=\"" + std::to_string(start) + "\" end=\"" +
               std::to_string(end) + "\" dow=\"" + std::to_string(weekdays) + "\"> </timer>\r\n";
    xml += "<parallel>\r\n";
    for (const auto& [n, condition] : relays) {
        const std::string id = std::to_string(n);
        xml += "<state id=\"R" + id + "\" initial=\"Roff" + id + "\"><state id=\"Roff" + id +
               "\"><transition target=\"Ron" + id + "\" cond=\"" + condition +
               "\"> </transition></state>"
               "<state id=\"Ron" +
               id + "\"><transition target=\"Roff" + id + "\" cond=\"!(" + condition +
               ")\"> </transition></state></state>\r\n";
    }
    return xml + "</parallel>\r\n</statemachine>\r\n";
}

// Monday 2026-12-14, 00:00:00 (a function: the calendar's tables are not
// there yet while this file's statics are made).
Instant Monday()
{
    return *runtime::ParseInstant("2026-12-14");
}
constexpr int kWorkdays = 31;

struct ManualClock {
    Instant now = Monday();
    ControllerOptions Options(const std::filesystem::path& store = {}, std::uint8_t inputs = 0)
    {
        ControllerOptions options;
        options.store = store;
        options.clock = [this] { return now; };
        options.inputs = inputs;
        return options;
    }
};

Reply Get(Controller& controller, const std::string& target)
{
    const RequestScan scan = ScanRequest("GET " + target + " HTTP/1.0\r\n\r\n");
    return controller.Handle(scan.request);
}

// A dashboard action: POST with the token, or with another one.
Reply Act(Controller& controller, const std::string& target, std::string token)
{
    const RequestScan scan =
        ScanRequest("POST " + target + " HTTP/1.0\r\nX-Quarn-Token: " + token + "\r\nContent-Length: 0\r\n\r\n");
    return controller.Handle(scan.request);
}

Reply Act(Controller& controller, const std::string& target)
{
    return Act(controller, target, controller.DashboardToken());
}

Reply Upload(Controller& controller, const std::string& file)
{
    const RequestScan scan = ScanRequest(BuildUploadRequest(CredentialsToken(u"tovel"), file));
    return controller.Handle(scan.request);
}

// 07:30:00 to 07:31:00 on workdays, R3 = T0.
const std::string kMinuteProgram = ProgramFile({{0, 7 * 3600 + 1800, 7 * 3600 + 1860, kWorkdays}}, {{3, "#T0"}});

TEST(RunningProgram, RelaysFollowTheClockAndAHandSwitchHoldsUntilTheNextChange)
{
    ManualClock clock;
    clock.now = Monday() + 7 * 3600;
    Controller controller(clock.Options());
    EXPECT_EQ(controller.RelayMask(), 0);
    EXPECT_NE(Upload(controller, kMinuteProgram).bytes.find("State machine accepted: 1 timer (T0), 1 relay (R3)"),
              std::string::npos);

    const struct {
        const char* at;
        const char* query;  // a switch by hand first, if any
        int mask;
    } steps[] = {
        {"07:29:59", nullptr, 0},
        {"07:30:00", nullptr, 8},              // T0 on: R3 on
        {"07:30:10", "/control.html?D=0", 0},  // by hand: off
        {"07:30:59", nullptr, 0},              // no change of a timer or input: stays off
        {"07:31:00", nullptr, 0},              // T0 off: R3 off anyway
        {"07:40:00", "/control.html?D=1", 8},  // by hand: on while T0 is off
        {"23:59:59", nullptr, 8},              // still no change
        {"2026-12-15T07:30:00", nullptr, 8},   // T0 on: R3 stays on
        {"2026-12-15T07:31:00", nullptr, 0},   // T0 off: R3 off
        {"2026-12-19T07:30:30", nullptr, 0},   // Saturday: T0 not ticked
    };
    for (const auto& step : steps) {
        const std::string at = step.at;
        clock.now = at.size() == 8 ? *runtime::ParseInstant("2026-12-14T" + at) : *runtime::ParseInstant(at);
        if (step.query != nullptr) {
            const Reply reply = Get(controller, step.query);
            EXPECT_NE(reply.bytes.find("id=\"R\">" + std::to_string(step.mask) + "<"), std::string::npos) << at;
        }
        EXPECT_EQ(controller.RelayMask(), step.mask) << at;
    }
    const std::vector<std::string> log = controller.Advance();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "Mon 2026-12-14 07:30:00  T0 on  R3 on");
}

TEST(RunningProgram, InputsFromTheStartAndFromTheDashboard)
{
    ManualClock clock;
    Controller controller(clock.Options({}, 0b0001));
    // R1 latches on S0 and stays after S0 drops; R2 follows S3.
    ASSERT_NE(Upload(controller, ProgramFile({}, {{1, "#S0||#R1"}, {2, "#S3"}})).bytes.find("accepted"),
              std::string::npos);
    EXPECT_EQ(controller.RelayMask(), 0b010);
    const Reply off = Act(controller, "/input.json?S0=0");
    EXPECT_EQ(off.status, 200);
    EXPECT_NE(off.bytes.find("\"S0\": false"), std::string::npos) << off.bytes;
    EXPECT_EQ(controller.RelayMask(), 0b010);
    Act(controller, "/input.json?S3=1");
    EXPECT_EQ(controller.RelayMask(), 0b110);
    for (const char* bad : {"/input.json", "/input.json?S4=1", "/input.json?S0=2", "/input.json?R0=1"})
        EXPECT_EQ(Act(controller, bad).status, 400) << bad;
}

TEST(RunningProgram, DashboardActionsNeedAPostWithTheTokenOfThisRun)
{
    ManualClock clock;
    Controller controller(clock.Options({}, 0));
    const std::string token = controller.DashboardToken();
    ASSERT_EQ(token.size(), 32u);
    EXPECT_NE(Controller(clock.Options({}, 0)).DashboardToken(), token);
    // The page carries the token for its own scripts.
    EXPECT_NE(Get(controller, "/").bytes.find("content=\"" + token + "\""), std::string::npos);

    // What another page could send: a GET, a POST without the token or
    // with a wrong one. None changes anything.
    const struct {
        std::string method;
        std::string token;
        int status;
    } refused[] = {{"GET", token, 405}, {"POST", "", 403}, {"POST", std::string(32, '0'), 403}};
    for (const auto& r : refused) {
        for (const std::string target : {"/input.json?S0=1", "/switch.json?D=1"}) {
            const RequestScan scan =
                ScanRequest(r.method + " " + target + " HTTP/1.0\r\n" +
                            (r.token.empty() ? "" : "X-Quarn-Token: " + r.token + "\r\n") + "\r\n");
            EXPECT_EQ(controller.Handle(scan.request).status, r.status) << r.method << " " << target;
        }
    }
    EXPECT_EQ(controller.RelayMask(), 0);
    EXPECT_NE(Get(controller, "/state.json").bytes.find("\"S0\": false"), std::string::npos);

    const Reply switched = Act(controller, "/switch.json?D=1");
    EXPECT_EQ(switched.status, 200);
    EXPECT_NE(switched.bytes.find("\"R3\": true"), std::string::npos) << switched.bytes;
    EXPECT_EQ(controller.RelayMask(), 0b1000);
    // HEAD reads the controller's page without switching.
    const RequestScan head = ScanRequest("HEAD /control.html?D=0 HTTP/1.0\r\n\r\n");
    EXPECT_EQ(controller.Handle(head.request).status, 200);
    EXPECT_EQ(controller.RelayMask(), 0b1000);
    // The controller's own page still switches on a GET, as controllers do.
    Get(controller, "/control.html?D=0");
    EXPECT_EQ(controller.RelayMask(), 0);
}

TEST(RunningProgram, StateJsonShowsClockSignalsAndProgram)
{
    ManualClock clock;
    clock.now = Monday() + 7 * 3600 + 1830;
    Controller controller(clock.Options({}, 0b1000));
    const Reply before = Get(controller, "/state.json");
    EXPECT_NE(before.bytes.find("Content-Type: application/json\r\n"), std::string::npos);
    EXPECT_NE(before.bytes.find("\r\n\r\n{\"clock\": \"2026-12-14T07:30:30\", \"weekday\": \"Mon\", \"speed\": 1, "
                                "\"program\": null, \"mask\": 0, \"signals\": {\"T0\": false, "),
              std::string::npos)
        << before.bytes;
    Upload(controller, kMinuteProgram);
    const std::string json = Get(controller, "/state.json").bytes;
    EXPECT_NE(json.find("\"program\": \"1 timer (T0), 1 relay (R3)\", \"mask\": 8, \"signals\": {\"T0\": true, "
                        "\"T1\": false, \"T2\": false, \"T3\": false, \"T4\": false, \"T5\": false, \"T6\": false, "
                        "\"T7\": false, \"S0\": false, \"S1\": false, \"S2\": false, \"S3\": true, \"R0\": false, "
                        "\"R1\": false, \"R2\": false, \"R3\": true, \"R4\": false, \"R5\": false, \"R6\": false, "
                        "\"R7\": false}, \"uses\": [\"T0\", \"R3\"], \"warnings\": [], \"why\": {\"R3\": [\"R3 on "
                        "since the start\", \"switches off when !(#T0), which does not hold now\"]}}\n"),
              std::string::npos)
        << json;
    const Reply dashboard = Get(controller, "/");
    EXPECT_EQ(dashboard.status, 200);
    EXPECT_NE(dashboard.bytes.find("<title>quarnsim</title>"), std::string::npos);
    // One page: no script, style sheet or picture from elsewhere.
    EXPECT_EQ(dashboard.bytes.find(" src="), std::string::npos);
    EXPECT_EQ(dashboard.bytes.find("<link"), std::string::npos);
}

// The dashboard says why each relay is as it is, as explain would from the
// program's start; a relay switched by hand says so, and the log has a line
// for each switch by hand.
TEST(RunningProgram, DashboardExplainsEachRelayAndNamesSwitchesByHand)
{
    ManualClock clock;
    clock.now = Monday() + 7 * 3600;
    Controller controller(clock.Options());
    Upload(controller, kMinuteProgram);
    const auto why = [&controller] {
        const std::string json = Get(controller, "/state.json").bytes;
        return json.substr(json.find("\"why\": "));
    };
    clock.now = Monday() + 7 * 3600 + 1805;
    EXPECT_EQ(why(), "\"why\": {\"R3\": [\"R3 on since Mon 2026-12-14 07:30:00, when T0 changed\", "
                     "\"switches off when !(#T0), which does not hold now\"]}}\n");
    clock.now = Monday() + 7 * 3600 + 1810;
    Get(controller, "/control.html?D=0");
    EXPECT_EQ(why(), "\"why\": {\"R3\": [\"R3 off: switched off by hand at Mon 2026-12-14 07:30:10\"]}}\n");
    // T0 goes off at 07:31:00: the program agrees again.
    clock.now = Monday() + 7 * 3600 + 1900;
    EXPECT_EQ(why(), "\"why\": {\"R3\": [\"R3 off since Mon 2026-12-14 07:31:00, when T0 changed\", "
                     "\"switches on when #T0, which does not hold now\"]}}\n");
    const std::vector<std::string> log = controller.Advance();
    EXPECT_NE(std::find(log.begin(), log.end(), "Mon 2026-12-14 07:30:10  R3 off by hand"), log.end());
}

TEST(RunningProgram, AnOscillatingProgramWarns)
{
    ManualClock clock;
    Controller controller(clock.Options());
    Upload(controller, ProgramFile({}, {{0, "!#R0"}}));
    const std::vector<std::string> log = controller.Advance();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "R0 does not settle at 2026-12-14T00:00:00");
    EXPECT_NE(
        Get(controller, "/state.json").bytes.find("\"warnings\": [\"R0 does not settle at 2026-12-14T00:00:00\"]"),
        std::string::npos);
}

TEST_F(Store, TheStoredProgramRunsAtTheStartAndABadConditionIsRefused)
{
    WriteBytes(folder_ / "state_machine.xml", kMinuteProgram);
    ManualClock clock;
    clock.now = Monday() + 7 * 3600 + 1830;
    Controller controller(clock.Options(folder_));
    EXPECT_EQ(controller.RelayMask(), 0);
    EXPECT_EQ(controller.LoadStoredProgram(), "running the stored program: 1 timer (T0), 1 relay (R3)");
    EXPECT_EQ(controller.RelayMask(), 8);

    // A condition the controller cannot run is refused; the program and the
    // stored file stay.
    const std::string bad = ProgramFile({}, {{5, "#T0&amp;&amp;"}});
    const std::string reply = Upload(controller, bad).bytes;
    EXPECT_NE(reply.find("State machine refused: R5: condition"), std::string::npos) << reply;
    EXPECT_EQ(ReadBytes(folder_ / "state_machine.xml"), kMinuteProgram);
    EXPECT_EQ(controller.RelayMask(), 8);

    WriteBytes(folder_ / "state_machine.xml", bad);
    Controller another(clock.Options(folder_));
    EXPECT_EQ(another.LoadStoredProgram().rfind("the stored program does not run: R5: condition", 0), 0u);
    EXPECT_EQ(another.RelayMask(), 0);
}

}  // namespace
}  // namespace quarn::sim
