#include "editor/week_preview.hpp"

#include "runtime/calendar.hpp"

#include <variant>

namespace quarn {

using namespace runtime;

WeekPreview BuildWeekPreview(const StateMachineModel& model, Instant from, std::uint8_t heldInputs)
{
    WeekPreview preview;
    auto compiled = CompileProgram(ProgramTextFromModel(model));
    if (auto* error = std::get_if<ConditionError>(&compiled)) {
        preview.error = *error;
        return preview;
    }
    const Program& program = std::get<Program>(compiled);

    InputSchedule inputs;
    for (int n = 0; n < kInputs; ++n) {
        if (heldInputs & (1u << n))
            inputs.push_back(InputChange{n, true, std::nullopt});
    }
    preview.timeline = Simulate(program, from, from + kSecondsPerWeek, inputs);

    SignalState lanes = program.uses;
    lanes.inputs |= static_cast<std::uint8_t>(heldInputs & 0x0F);
    preview.picture = LayOutTimeline(preview.timeline, lanes);
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

}  // namespace quarn
