#pragma once
// What a program does over a period [from, to): the settled state at `from`
// and every later instant at which the settled state changes, found event by
// event (timer edges and input changes), never second by second.

#include "runtime/calendar.hpp"
#include "runtime/live_run.hpp"
#include "runtime/program.hpp"
#include "runtime/signals.hpp"

#include <cstddef>
#include <optional>
#include <vector>

namespace quarn::runtime {

// One entry of an input schedule: input n (0-3) takes `on` at `at`, or from
// the start of the period when `at` is empty. Entries at the same instant
// apply in list order, so a later one wins.
struct InputChange {
    int input = 0;
    bool on = false;
    std::optional<Instant> at;
};
using InputSchedule = std::vector<InputChange>;

struct TimelineChange {
    Instant at = 0;
    SignalState state;  // the settled state from `at` on
};

struct Timeline {
    Instant from = 0;
    Instant to = 0;
    SignalState initial;                  // settled at `from`
    std::vector<TimelineChange> changes;  // ascending, each differing from the one before, all < to
    std::vector<Warning> warnings;        // at most kTimelineWarningLimit
    std::size_t warningsLeftOut = 0;      // warnings beyond that limit, only counted
};

inline constexpr std::size_t kTimelineWarningLimit = 1000;

// The inputs start off; an entry before or at `from` (or without an instant)
// sets the inputs at `from`, an entry at or after `to` is left out.
Timeline Simulate(const Program& program, Instant from, Instant to, const InputSchedule& inputs = {});

// The state the timeline reports at t (from <= t < to; earlier gives the
// initial state).
SignalState StateAt(const Timeline& timeline, Instant t);

}  // namespace quarn::runtime
