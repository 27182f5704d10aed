#pragma once
// One step of a program: every relay evaluates the condition of its current
// state (off: the one that switches it on; on: the one that switches it off)
// on the same snapshot of timers, inputs and relay outputs, all whose
// condition holds switch together, and this repeats until none switches.

#include "runtime/program.hpp"
#include "runtime/signals.hpp"

#include <cstdint>

namespace quarn::runtime {

inline constexpr int kStepRoundLimit = 100;

struct StepOutcome {
    std::uint8_t relays = 0;     // the state after the last round
    std::uint8_t unsettled = 0;  // relays that would still switch after the round limit; 0 when settled
    std::uint8_t toggled = 0;    // relays that switched in at least one round
};

// Settles state.relays from state.timers and state.inputs. After
// roundLimit rounds that all switched something, the state after the last
// round stands and `unsettled` names the relays that would switch next.
StepOutcome Settle(const Program& program, const SignalState& state, int roundLimit = kStepRoundLimit);

// The relays whose current state's condition holds in state.
std::uint8_t RelaysToSwitch(const Program& program, const SignalState& state);

// "R0 does not settle at 2026-12-14T07:30:00", "R0, R1 do not settle at ...".
std::string SettleWarning(std::uint8_t relays, Instant at);

}  // namespace quarn::runtime
