#include "runtime/timeline.hpp"

#include <algorithm>
#include <utility>

namespace quarn::runtime {

namespace {

std::uint8_t Applied(std::uint8_t inputs, const InputChange& change)
{
    const auto bit = static_cast<std::uint8_t>(1u << change.input);
    return static_cast<std::uint8_t>(change.on ? inputs | bit : inputs & ~bit);
}

}  // namespace

Timeline Simulate(const Program& program, Instant from, Instant to, const InputSchedule& inputs)
{
    Timeline timeline;
    timeline.from = from;
    timeline.to = to;

    // The schedule in time order; equal instants keep their list order.
    // Entries dated before the period all apply at its start, in the order of
    // their own instants, so the latest of them decides; an entry without an
    // instant holds from the start over all of them.
    std::vector<std::pair<InputChange, Instant>> dated;
    for (const InputChange& change : inputs) {
        if (change.input < 0 || change.input >= kInputCount)
            continue;
        InputChange entry = change;
        entry.at = std::max(change.at.value_or(from), from);
        if (*entry.at < to)
            dated.emplace_back(entry, change.at.value_or(from));
    }
    std::stable_sort(dated.begin(), dated.end(), [](const auto& a, const auto& b) {
        return std::pair(*a.first.at, a.second) < std::pair(*b.first.at, b.second);
    });
    std::vector<InputChange> schedule;
    schedule.reserve(dated.size());
    for (const auto& entry : dated)
        schedule.push_back(entry.first);

    std::uint8_t startInputs = 0;
    std::size_t next = 0;
    for (; next < schedule.size() && *schedule[next].at == from; ++next)
        startInputs = Applied(startInputs, schedule[next]);

    const auto collect = [&timeline](LiveRun& run) {
        for (Warning& warning : run.TakeWarnings()) {
            if (timeline.warnings.size() < kTimelineWarningLimit)
                timeline.warnings.push_back(std::move(warning));
            else
                ++timeline.warningsLeftOut;
        }
    };

    LiveRun run(program, from, startInputs);
    collect(run);
    timeline.initial = run.State();
    SignalState last = timeline.initial;
    for (;;) {
        const std::optional<Instant> edge = run.NextTimerEdge();
        const std::optional<Instant> input = next < schedule.size() ? schedule[next].at : std::optional<Instant>{};
        if (!edge && !input)
            break;
        const Instant at = !edge ? *input : !input ? *edge : std::min(*edge, *input);
        if (at >= to)
            break;
        std::optional<std::uint8_t> inputsAt;
        if (input && *input == at) {
            std::uint8_t value = run.State().inputs;
            for (; next < schedule.size() && *schedule[next].at == at; ++next)
                value = Applied(value, schedule[next]);
            inputsAt = value;
        }
        run.AdvanceTo(at, inputsAt);
        collect(run);
        if (run.State() != last) {
            last = run.State();
            timeline.changes.push_back({at, last});
        }
    }
    return timeline;
}

SignalState StateAt(const Timeline& timeline, Instant t)
{
    const auto after = std::upper_bound(timeline.changes.begin(), timeline.changes.end(), t,
                                        [](Instant value, const TimelineChange& change) { return value < change.at; });
    return after == timeline.changes.begin() ? timeline.initial : std::prev(after)->state;
}

}  // namespace quarn::runtime
