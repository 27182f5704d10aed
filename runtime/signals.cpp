#include "runtime/signals.hpp"

namespace quarn::runtime {

namespace {

std::uint8_t& MaskOf(SignalState& state, SignalKind kind)
{
    switch (kind) {
    case SignalKind::Timer:
        return state.timers;
    case SignalKind::Input:
        return state.inputs;
    case SignalKind::Relay:
        break;
    }
    return state.relays;
}

}  // namespace

const std::array<Signal, kSignalCount>& AllSignals()
{
    static const std::array<Signal, kSignalCount> signals = [] {
        std::array<Signal, kSignalCount> all{};
        std::size_t i = 0;
        for (int n = 0; n < kTimerCount; ++n)
            all[i++] = {SignalKind::Timer, n};
        for (int n = 0; n < kInputCount; ++n)
            all[i++] = {SignalKind::Input, n};
        for (int n = 0; n < kRelayCount; ++n)
            all[i++] = {SignalKind::Relay, n};
        return all;
    }();
    return signals;
}

std::string SignalName(Signal signal)
{
    const char letter = signal.kind == SignalKind::Timer ? 'T' : signal.kind == SignalKind::Input ? 'S' : 'R';
    return std::string(1, letter) + std::to_string(signal.index);
}

std::string_view SignalNameView(Signal signal)
{
    static constexpr std::string_view kNames[] = {"T0", "T1", "T2", "T3", "T4", "T5", "T6", "T7", "S0", "S1",
                                                  "S2", "S3", "R0", "R1", "R2", "R3", "R4", "R5", "R6", "R7"};
    const int first = signal.kind == SignalKind::Timer   ? 0
                      : signal.kind == SignalKind::Input ? kTimerCount
                                                         : kTimerCount + kInputCount;
    const int limit = signal.kind == SignalKind::Timer   ? kTimerCount
                      : signal.kind == SignalKind::Input ? kInputCount
                                                         : kRelayCount;
    if (signal.index < 0 || signal.index >= limit)
        return {};
    return kNames[first + signal.index];
}

bool IsOn(const SignalState& state, Signal signal)
{
    SignalState copy = state;
    return (MaskOf(copy, signal.kind) >> signal.index & 1) != 0;
}

void SetSignal(SignalState& state, Signal signal, bool on)
{
    std::uint8_t& mask = MaskOf(state, signal.kind);
    const auto bit = static_cast<std::uint8_t>(1u << signal.index);
    mask = static_cast<std::uint8_t>(on ? mask | bit : mask & ~bit);
}

}  // namespace quarn::runtime
