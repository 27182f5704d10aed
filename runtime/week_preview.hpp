#pragma once
// What the Week preview shows, without any window: the document's program
// run over a week with the inputs the user set, laid out as the svg picture
// is.

#include "document/model.hpp"
#include "runtime/check.hpp"
#include "runtime/input_plan.hpp"
#include "runtime/picture.hpp"
#include "runtime/program.hpp"
#include "runtime/timeline.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarn::runtime {

struct WeekPreview {
    // Set when a condition is outside the grammar; nothing else is then.
    std::optional<ConditionError> error;
    Timeline timeline;
    PictureLayout picture;
    // What check finds for the shown week, with the inputs on throughout
    // pinned on and the others free.
    CheckReport check;
    // What the preview ran, for explanations of its instants.
    ProgramText text;
    Program program;
    InputSchedule inputs;
};

// Runs model's program over the seven days from inputs.From() (a day's
// start) with the inputs of the plan. The picture has a lane for each signal
// the program uses and for each input that is on at some time, and says
// under the plot which inputs it assumed (InputsCaption).
WeekPreview BuildWeekPreview(const StateMachineModel& model, const InputPlan& inputs);

// "Mon 2026-12-14 07:30:00" and a line "T0 on  S0 off  R3 on" with the state
// at t of each signal that has a lane.
std::string DescribeMoment(const WeekPreview& preview, Instant t);

// The check's findings, one line each: "warning  power-loss  R0  R0 is on ...".
std::vector<std::string> FindingLines(const WeekPreview& preview);

// What a click on lane `lane` at t shows: for a relay the explanation of
// `quarnctl explain` at t (from the week's first day), for a timer its
// window; nothing for an input lane or outside the lanes.
std::string ExplainLaneAt(const WeekPreview& preview, std::size_t lane, Instant t);

}  // namespace quarn::runtime
