#include "runtime/step.hpp"

namespace quarn::runtime {

std::uint8_t RelaysToSwitch(const Program& program, const SignalState& state)
{
    std::uint8_t toggle = 0;
    for (int n = 0; n < kRelayCount; ++n) {
        const auto& relay = program.relays[static_cast<std::size_t>(n)];
        if (!relay)
            continue;
        const bool on = (state.relays >> n & 1) != 0;
        const bool switches =
            on ? relay->switchOff && relay->switchOff->Evaluate(state) : relay->switchOn.Evaluate(state);
        if (switches)
            toggle = static_cast<std::uint8_t>(toggle | 1u << n);
    }
    return toggle;
}

StepOutcome Settle(const Program& program, const SignalState& state, int roundLimit)
{
    SignalState current = state;
    std::uint8_t toggled = 0;
    for (int round = 0; round < roundLimit; ++round) {
        const std::uint8_t toggle = RelaysToSwitch(program, current);
        if (toggle == 0)
            return {current.relays, 0, toggled};
        current.relays ^= toggle;
        toggled |= toggle;
    }
    return {current.relays, RelaysToSwitch(program, current), toggled};
}

std::string SettleWarning(std::uint8_t relays, Instant at)
{
    std::string names;
    int count = 0;
    for (int n = 0; n < kRelayCount; ++n) {
        if ((relays >> n & 1) == 0)
            continue;
        names += (count++ > 0 ? ", R" : "R") + std::to_string(n);
    }
    return names + (count == 1 ? " does not settle at " : " do not settle at ") + FormatIso(at);
}

}  // namespace quarn::runtime
