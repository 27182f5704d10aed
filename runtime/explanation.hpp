#pragma once
// Why a relay is as it is at an instant, and when it changes next: the
// settled state of Simulate at that instant, the last change of the relay and
// what changed with it, the condition that decides now with every signal it
// reads and why each has its value, and the next change within 366 days.

#include "runtime/calendar.hpp"
#include "runtime/program.hpp"
#include "runtime/signals.hpp"
#include "runtime/timeline.hpp"

#include <optional>
#include <string>
#include <vector>

namespace quarn::runtime {

inline constexpr Instant kExplainHorizon = 366 * kSecondsPerDay;

struct SignalExplanation {
    Signal signal;
    bool on = false;
    std::optional<Instant> since;  // its last change in [from, at]; nothing: none since from
    std::optional<Instant> until;  // its next change after at within the horizon
    std::string words;             // "daily 07:30:00-22:00:00 Mon-Fri; on since ... until ..."
};

struct RelayExplanation {
    int relay = 0;
    bool used = false;
    bool on = false;
    std::optional<Instant> since;  // the relay's last change in [from, at]
    std::vector<Signal> cause;     // what else changed then, in the order T0-T7, S0-S3, R0-R7
    // The condition that decides now: off, the one that switches it on; on,
    // the one that switches it off (nothing when there is none).
    std::optional<std::string> condition;
    bool conditionHolds = false;
    std::vector<SignalExplanation> reads;  // every signal the condition reads, in signal order
    std::optional<Instant> next;           // its next change after at within the horizon
    std::vector<Signal> nextCause;
};

struct Explanation {
    Instant from = 0;
    Instant at = 0;
    std::vector<RelayExplanation> relays;
    std::vector<std::string> warnings;  // the simulation's up to `at`
};

// Explains every used relay, or only `relay`, at `at` (from <= at) for the
// inputs given, simulated from `from`.
Explanation Explain(const Program& program, const ProgramText& text, Instant from, Instant at,
                    const InputSchedule& inputs, std::optional<int> relay = std::nullopt);

// The explanation as lines of text for people: the relay's line, the
// condition's, one per signal, and the next change.
std::vector<std::string> ExplanationLines(const RelayExplanation& relay);

}  // namespace quarn::runtime
