#pragma once
// A program running against a clock, as a controller runs it: started at an
// instant with all relays off, then advanced in time. On the way every timer
// edge is a step; input changes are steps; a relay switched by hand takes
// the new state at once and the program looks at it again only at the next
// change of a timer or an input.
//
// Not thread-safe: a caller that shares one between threads locks around it.

#include "runtime/calendar.hpp"
#include "runtime/program.hpp"
#include "runtime/signals.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarn::runtime {

struct Warning {
    Instant at = 0;
    std::uint8_t relays = 0;  // the relays that do not settle
    std::string text;         // "R0 does not settle at 2026-12-14T07:30:00"
};

class LiveRun {
public:
    // Starts at `start` with the given inputs (bits 0-3) and takes the first
    // step there.
    LiveRun(Program program, Instant start, std::uint8_t inputs = 0);

    Instant Now() const { return now_; }
    // Timers, inputs and relay outputs at Now(); relays as the relay mask.
    const SignalState& State() const { return state_; }
    int RelayMask() const { return state_.relays; }
    const Program& program() const { return program_; }

    // When the next timer edge after Now() comes, or nothing.
    std::optional<Instant> NextTimerEdge() const;

    // Moves the clock to t (not backwards: a t before Now() does nothing),
    // with a step at every timer edge on the way. When inputsAtT is given,
    // the inputs take that value at t, in the same step as t's timer edges.
    void AdvanceTo(Instant t, std::optional<std::uint8_t> inputsAtT = std::nullopt);

    // Sets the inputs now; a step when they change.
    void SetInputs(std::uint8_t inputs) { AdvanceTo(now_, inputs); }
    void SetInput(int n, bool on);

    // A switch by hand (control.html?D=1): the relay takes the state at once,
    // without a step.
    void SwitchRelay(int n, bool on);

    // Warnings of the steps so far, oldest first, at most the newest
    // kKeptWarnings; TakeWarnings empties them.
    static constexpr std::size_t kKeptWarnings = 1000;
    const std::vector<Warning>& Warnings() const { return warnings_; }
    std::vector<Warning> TakeWarnings();

private:
    void Step();

    Program program_;
    Instant now_;
    SignalState state_;
    std::array<std::optional<Instant>, kTimerCount> nextEdge_{};
    std::vector<Warning> warnings_;
};

}  // namespace quarn::runtime
