#pragma once
// The twenty signals a program sees: timers T0-T7, inputs S0-S3 and relay
// outputs R0-R7, held as three bit masks (bit n is signal n).

#include "base/controller_facts.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarn::runtime {

inline constexpr int kSignalCount = kTimerCount + kInputCount + kRelayCount;

enum class SignalKind : std::uint8_t { Timer, Input, Relay };

struct Signal {
    SignalKind kind = SignalKind::Timer;
    int index = 0;

    friend bool operator==(const Signal&, const Signal&) = default;
};

struct SignalState {
    std::uint8_t timers = 0;
    std::uint8_t inputs = 0;  // bits 0-3
    std::uint8_t relays = 0;  // the relay mask as control.html shows it

    friend bool operator==(const SignalState&, const SignalState&) = default;
};

// T0-T7, S0-S3, R0-R7: the order of every listing.
const std::array<Signal, kSignalCount>& AllSignals();

// "T0", "S3", "R7".
std::string SignalName(Signal signal);
// The same from a table, for output that names thousands of signals.
std::string_view SignalNameView(Signal signal);

bool IsOn(const SignalState& state, Signal signal);
void SetSignal(SignalState& state, Signal signal, bool on);

}  // namespace quarn::runtime
