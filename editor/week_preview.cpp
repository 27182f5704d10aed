#include "editor/week_preview.hpp"

#include "runtime/calendar.hpp"
#include "runtime/explanation.hpp"
#include "runtime/timer_text.hpp"

#include <variant>

namespace quarn {

using namespace runtime;

WeekPreview BuildWeekPreview(const StateMachineModel& model, Instant from, std::uint8_t heldInputs)
{
    WeekPreview preview;
    preview.text = ProgramTextFromModel(model);
    auto compiled = CompileProgram(preview.text);
    if (auto* error = std::get_if<ConditionError>(&compiled)) {
        preview.error = *error;
        return preview;
    }
    preview.program = std::get<Program>(std::move(compiled));
    const Program& program = preview.program;

    InputSchedule inputs;
    for (int n = 0; n < kInputCount; ++n) {
        if (heldInputs & (1u << n))
            inputs.push_back(InputChange{n, true, std::nullopt});
    }
    preview.inputs = inputs;
    preview.timeline = Simulate(program, from, from + kSecondsPerWeek, inputs);

    CheckRequest request;
    request.from = from;
    request.to = from + kSecondsPerWeek;
    request.pinned = static_cast<std::uint8_t>(heldInputs & 0x0F);
    request.pinnedValues = request.pinned;
    preview.check = CheckProgram(preview.text, request);

    SignalState lanes = program.uses;
    lanes.inputs |= static_cast<std::uint8_t>(heldInputs & 0x0F);
    preview.picture = LayOutTimeline(preview.timeline, lanes, PictureTextsOf(model));
    return preview;
}

std::string DescribeMoment(const WeekPreview& preview, Instant t)
{
    std::string text = FormatDisplay(t);
    if (preview.error || preview.picture.lanes.empty())
        return text;
    const SignalState state = StateAt(preview.timeline, t);
    text += '\n';
    bool first = true;
    for (const PictureLane& lane : preview.picture.lanes) {
        if (!first)
            text += "  ";
        first = false;
        text += lane.label + (IsOn(state, lane.signal) ? " on" : " off");
    }
    return text;
}

std::vector<std::string> FindingLines(const WeekPreview& preview)
{
    std::vector<std::string> lines;
    for (const Finding& finding : preview.check.findings)
        lines.push_back(std::string(SeverityName(finding.severity)) + "  " + finding.code + "  " +
                        SignalName(finding.subject) + "  " + finding.message);
    if (!preview.check.failure.empty())
        lines.push_back("note  " + preview.check.failure);
    return lines;
}

std::string ExplainLaneAt(const WeekPreview& preview, std::size_t lane, Instant t)
{
    if (preview.error || lane >= preview.picture.lanes.size())
        return {};
    const Signal signal = preview.picture.lanes[lane].signal;
    if (signal.kind == SignalKind::Timer)
        return SignalName(signal) + ": " + TimerWindowText(preview.text.timers[static_cast<std::size_t>(signal.index)]);
    if (signal.kind != SignalKind::Relay)
        return {};
    const Explanation explanation =
        Explain(preview.program, preview.text, preview.timeline.from, t, preview.inputs, signal.index);
    std::string text = FormatDisplay(t);
    for (const RelayExplanation& relay : explanation.relays) {
        for (const std::string& line : ExplanationLines(relay))
            text += "\n" + line;
    }
    return text;
}

}  // namespace quarn
