#include "cli/fleet_expect.hpp"

#include "document/model.hpp"
#include "runtime/program.hpp"
#include "runtime/signals.hpp"
#include "runtime/timeline.hpp"

#include <array>
#include <cstdio>
#include <variant>

namespace quarn::cli {

Prediction PredictRelays(std::string_view programBytes, runtime::Instant now)
{
    Prediction prediction;
    StateMachineModel model;
    runtime::ProgramText text;
    if (runtime::ReadProgramBytes(programBytes, model, text) != 0) {
        prediction.error = "the recorded program cannot be read";
        return prediction;
    }
    const auto compiled = runtime::CompileProgram(text);
    if (const auto* error = std::get_if<runtime::ConditionError>(&compiled)) {
        prediction.error = "the recorded program has a condition error";
        static_cast<void>(error);
        return prediction;
    }
    const runtime::Program& program = std::get<runtime::Program>(compiled);

    // Inputs read directly, then through relays that read them, until
    // nothing changes (at most one round per relay).
    std::array<std::uint8_t, kRelayCount> reads{};
    std::uint8_t inputsRead = 0;
    for (std::size_t r = 0; r < program.relays.size(); ++r) {
        if (!program.relays[r])
            continue;
        runtime::SignalState uses = program.relays[r]->switchOn.Uses();
        if (program.relays[r]->switchOff) {
            uses.inputs |= program.relays[r]->switchOff->Uses().inputs;
            uses.relays |= program.relays[r]->switchOff->Uses().relays;
        }
        reads[r] = uses.relays;
        if ((uses.inputs & 0x0F) != 0)
            inputsRead |= static_cast<std::uint8_t>(1u << r);
    }
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t r = 0; r < reads.size(); ++r) {
            if ((inputsRead & (1u << r)) == 0 && (reads[r] & inputsRead) != 0) {
                inputsRead |= static_cast<std::uint8_t>(1u << r);
                grew = true;
            }
        }
    }

    const runtime::Instant from = runtime::StartOfWeek(now);
    const runtime::Timeline timeline = runtime::Simulate(program, from, now + 1, {});
    for (std::size_t r = 0; r < prediction.relays.size(); ++r) {
        RelayPrediction& relay = prediction.relays[r];
        if ((inputsRead & (1u << r)) != 0) {
            relay.state = Predicted::DependsOnInputs;
            continue;
        }
        const auto bit = static_cast<std::uint8_t>(1u << r);
        bool on = (timeline.initial.relays & bit) != 0;
        relay.since = timeline.from;
        for (const runtime::TimelineChange& change : timeline.changes) {
            if (change.at > now)
                break;
            const bool changed = ((change.state.relays & bit) != 0) != on;
            if (changed) {
                on = !on;
                relay.since = change.at;
            }
        }
        relay.state = on ? Predicted::On : Predicted::Off;
    }
    prediction.ok = true;
    return prediction;
}

std::string WeekTimeText(runtime::Instant t)
{
    const int seconds = runtime::TimeOfDaySeconds(t);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return std::string(runtime::WeekdayName(runtime::Weekday(t))) + " " + text;
}

Verdict Compare(const Prediction& prediction, std::uint8_t relayMask)
{
    Verdict verdict;
    std::string differences;
    for (std::size_t r = 0; r < prediction.relays.size(); ++r) {
        const RelayPrediction& relay = prediction.relays[r];
        if (relay.state == Predicted::DependsOnInputs)
            continue;
        const bool on = (relayMask & (1u << r)) != 0;
        if (on == (relay.state == Predicted::On))
            continue;
        if (!differences.empty())
            differences += "; ";
        differences += "R" + std::to_string(r) + (on ? " on" : " off") + ", program says " + (on ? "off" : "on") +
                       " since " + WeekTimeText(relay.since);
    }
    verdict.asProgrammed = differences.empty();
    verdict.text = verdict.asProgrammed ? "as programmed" : "differs: " + differences;
    return verdict;
}

}  // namespace quarn::cli
