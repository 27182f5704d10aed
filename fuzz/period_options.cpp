// The period and input options of simulate, diff, check and explain:
// ResolveSimulation over arbitrary option texts, then a simulation of a
// small program over the period. Invariants: a period that resolves starts
// before it ends, lasts whole days, ends by 9999-12-31T23:59:59 and has an
// input change for every --input; the simulation's changes lie inside it, in
// order, and its first state has the inputs the options give at the start.
//
// Input: lines; the first is --from (a line "-" leaves it out), the second
// --days, each further line an --input.

#include "cli/simulation_request.hpp"
#include "fuzz/fuzz_check.hpp"
#include "runtime/calendar.hpp"
#include "runtime/program.hpp"
#include "runtime/timeline.hpp"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quarn;
    std::vector<std::string> lines;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    while (!text.empty() && lines.size() < 40) {
        const std::size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    if (lines.size() < 2)
        return 0;
    cli::SimulationRequest request;
    if (lines[0] != "-") {
        request.from = lines[0];
        request.fromGiven = true;
    }
    const auto [end, error] = std::from_chars(lines[1].data(), lines[1].data() + lines[1].size(), request.days);
    if (error != std::errc() || end != lines[1].data() + lines[1].size())
        return 0;
    request.inputs.assign(lines.begin() + 2, lines.end());

    const runtime::Instant now = runtime::InstantOf({2026, 12, 16, 9, 30, 0});
    cli::SimulationPeriod period;
    if (!cli::ResolveSimulation(request, now, period).empty())
        return 0;
    FUZZ_CHECK(period.from < period.to);
    FUZZ_CHECK((period.to - period.from) % runtime::kSecondsPerDay == 0);
    FUZZ_CHECK(period.to - 1 <= runtime::kLastInstant);
    FUZZ_CHECK(period.inputs.size() == request.inputs.size());

    // R0 follows S0, R1 latches on S1: a program that shows every input
    // change. A long period is cut to a week, which is what matters here.
    StateMachineModel model;
    model.relays[0] = u"#S0";
    model.relays[1] = u"#S1||#R1";
    const auto compiled = runtime::CompileProgram(runtime::ProgramTextFromModel(model));
    FUZZ_CHECK(std::holds_alternative<runtime::Program>(compiled));
    const runtime::Instant to = std::min(period.to, period.from + runtime::kSecondsPerWeek);
    const runtime::Timeline timeline =
        runtime::Simulate(std::get<runtime::Program>(compiled), period.from, to, period.inputs);
    runtime::Instant last = period.from;
    for (const runtime::TimelineChange& change : timeline.changes) {
        FUZZ_CHECK(change.at > last || (change.at == last && last == period.from));
        FUZZ_CHECK(change.at < to);
        last = change.at;
    }
    // The start's inputs: of the entries at or before --from, the latest in
    // time decides, and one without an instant over all of those.
    std::uint8_t expected = 0;
    for (int input = 0; input < 4; ++input) {
        std::optional<bool> undated;
        std::optional<std::pair<runtime::Instant, bool>> dated;
        for (const runtime::InputChange& change : period.inputs) {
            if (change.input != input)
                continue;
            if (!change.at)
                undated = change.on;
            else if (*change.at <= period.from && (!dated || *change.at >= dated->first))
                dated = std::pair(*change.at, change.on);
        }
        const bool on = undated ? *undated : dated && dated->second;
        // A dated entry exactly at --from still follows an undated one given
        // before it on the command line; only then can the two disagree.
        if (undated && dated && dated->first == period.from)
            return 0;
        if (on)
            expected |= static_cast<std::uint8_t>(1u << input);
    }
    FUZZ_CHECK(timeline.initial.inputs == expected);
    return 0;
}
