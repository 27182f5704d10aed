#pragma once
// The simulated controller's web interface: the control page with the relay
// mask, relay switching, the password-protected state-machine upload, and
// quarnsim's own dashboard over the running program.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/controller_facts.hpp"
#include "runtime/live_run.hpp"
#include "runtime/program.hpp"
#include "runtime/timeline.hpp"
#include "simulator/http_request.hpp"

namespace quarn::sim {

// Ways the simulator can misbehave, for tests of the programs' failure paths.
enum class Fault {
    None,
    Close,           // close without reply
    Silent,          // accept and never answer
    NoStatusLine,    // reply without a status line
    Unauthorized11,  // HTTP/1.1 401 to everything
    Oversize,        // a reply of more than 16 KiB
    ZeroByte,        // a reply with a zero byte inside
    Drip,            // the reply in small pieces
};

std::optional<Fault> FaultFromName(std::string_view name);
std::string_view FaultName(Fault fault);

struct Reply {
    int status = 200;
    std::string bytes;  // the whole reply, status line included
};

// What became of an uploaded file.
struct UploadVerdict {
    bool accepted = false;
    std::string message;                      // shown to the user in the status element
    std::string summary;                      // when accepted: "2 timers (T0, T1), 1 relay (R3)"
    std::optional<runtime::Program> program;  // when accepted: what the controller runs
    runtime::ProgramText text;                // when accepted: its texts, for explanations
};

// Judges the bytes of an uploaded file in memory: they must decode as the
// document reader decodes a file and hold a well-formed XML document whose
// root is statemachine, whose conditions the controller can run; the reader
// then takes the timers and relays from it.
UploadVerdict JudgeStateMachine(std::string_view bytes);

// The name of the stored file inside the store folder.
inline constexpr std::string_view kStoredFileName = "state_machine.xml";

struct ControllerOptions {
    std::string password{kDefaultPassword};
    std::filesystem::path store;  // empty: accepted files are only judged and run, not kept
    // The controller's clock; nothing: the machine's local time.
    std::function<runtime::Instant()> clock;
    double speed = 1;         // how fast the clock runs, for the dashboard
    std::uint8_t inputs = 0;  // S0-S3 at the start, bits 0-3
};

// The simulated controller. It runs the program it was last given (or the
// stored one, once loaded) against its clock: control.html shows the
// program's relay outputs, and a relay switched there by hand keeps that
// state until the program takes its next step (at a change of a timer or an
// input). Safe to call from several threads.
class Controller {
public:
    Controller(std::string password, std::filesystem::path store);
    explicit Controller(ControllerOptions options);

    // Answers one request.
    Reply Handle(const HttpRequest& request);

    // What the dashboard's page carries and its actions send back in the
    // X-Quarn-Token header: a random value of this run, which a page from
    // anywhere else cannot read, so it cannot switch anything.
    const std::string& DashboardToken() const { return token_; }

    // The relay outputs now.
    std::int32_t RelayMask();

    // Runs the stored file, when the store holds one; returns a line for the
    // log, empty when there is nothing to say.
    std::string LoadStoredProgram();

    // Moves the program to the clock's now and hands over the log lines
    // gathered since the last call: each timer edge or input change that
    // changed something ("Mon 2026-12-14 07:30:00  T0 on  R3 on") and each
    // warning.
    std::vector<std::string> Advance();

private:
    Reply ControlPage(const HttpRequest& request, bool mayChange);
    Reply SwitchAction(const HttpRequest& request);
    Reply InputAction(const HttpRequest& request);
    bool CarriesToken(const HttpRequest& request) const;
    Reply StatePage();
    Reply Upload(const HttpRequest& request);
    void Run(runtime::Program program, runtime::ProgramText text, std::string summary);
    // With mutex_ held: why each used relay is as it is now, a few lines each.
    std::array<std::vector<std::string>, kRelayCount> WhyLocked();
    // With mutex_ held.
    void AdvanceLocked();
    void Note(runtime::Instant at, const runtime::SignalState& before);
    void AddLogLine(std::string line);
    // Moves the run's warnings to the log and the dashboard's list.
    void TakeWarnings();

    ControllerOptions options_;
    std::string token_;
    std::mutex mutex_;
    runtime::LiveRun run_;
    std::string summary_;                      // of the running program; empty: none
    std::vector<std::string> pendingLog_;      // for Advance, at most 1000 lines
    std::vector<std::string> recentWarnings_;  // the newest ten, for the dashboard
    // What the running program was given since it started, so that the
    // dashboard can explain each relay as explain would: its texts, its
    // start, every input change (at most kKeptInputChanges; beyond them the
    // history is incomplete and explanations stop) and each relay's last
    // switch by hand.
    struct HandSwitch {
        runtime::Instant at = 0;
        bool on = false;
    };
    static constexpr std::size_t kKeptInputChanges = 1000;
    runtime::ProgramText text_;
    runtime::Instant runStart_ = 0;
    runtime::InputSchedule inputHistory_;
    bool historyComplete_ = true;
    std::array<std::optional<HandSwitch>, kRelayCount> lastHand_{};
};

// The reply as the fault mode changes it (for the faults that change bytes).
std::string ApplyFault(Fault fault, std::string reply);

}  // namespace quarn::sim
