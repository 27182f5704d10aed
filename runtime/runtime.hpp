#pragma once
// What a controller does with a program, in one include.
//
//   calendar.hpp      Instant (seconds since 2000-01-01 00:00:00, naive local
//                     time), fields, weekdays, "Mon 2026-12-14 07:30:00",
//                     "2026-12-14T07:30:00", ParseInstant.
//   signals.hpp       T0-T7, S0-S3, R0-R7 as SignalState (three bit masks;
//                     relays = the relay mask of control.html).
//   condition.hpp     Condition::Parse (once) and Evaluate (per step);
//                     ConditionError with relay, text and position.
//   timer_window.hpp  TimerWindow: IsOn(t), NextEdge(t).
//   program.hpp       ProgramText from a file (ReadProgramFile) or from the
//                     editor's document (ProgramTextFromModel);
//                     CompileProgram -> Program or ConditionError.
//   step.hpp          Settle: the step rule with its 100-round limit.
//   local_clock.hpp   LocalNow: the machine's local time on that scale.
//   live_run.hpp      LiveRun: a program on a running clock, with inputs and
//                     relays switched by hand (quarnsim).
//   timeline.hpp      Simulate(program, from, to, inputs) -> Timeline.
//   timeline_diff.hpp RelayDifferences: where two timelines switch a relay apart.
//   exploration.hpp   Exploration: every state a program can reach over a
//                     period whatever its free inputs do, with a schedule
//                     that reaches each one.
//   check.hpp         CheckProgram: findings and never/always properties
//                     (quarnctl check, the Week preview's findings).
//   explanation.hpp   Explain: why a relay is as it is at an instant and when
//                     it changes next (quarnctl explain, quarnsim, the preview).
//   timer_text.hpp    A timer's window in words; why a timer is idle.
//   picture.hpp       LayOutTimeline -> PictureLayout (abstract units),
//                     WriteSvg; the editor's preview draws the same layout.
//   input_plan.hpp    InputPlan: inputs S0-S3 switched at chosen instants, as
//                     a schedule, `--input` options and a picture caption.
//   week_preview.hpp  BuildWeekPreview: what the editor's Week preview shows
//                     (timeline, picture, findings, explanations).
//   report.hpp        BuildReport, WriteReportHtml: the program on paper
//                     (quarnctl report, the editor's Print and Export PDF).
//
// Typical use:
//   auto compiled = CompileProgram(ProgramTextFromModel(model));
//   if (auto* error = std::get_if<ConditionError>(&compiled)) show error->Message();
//   const Program& program = std::get<Program>(compiled);
//   Timeline week = Simulate(program, StartOfWeek(now), StartOfWeek(now) + kSecondsPerWeek, {});
//   PictureLayout picture = LayOutTimeline(week, program.uses);

#include "runtime/calendar.hpp"
#include "runtime/check.hpp"
#include "runtime/condition.hpp"
#include "runtime/explanation.hpp"
#include "runtime/exploration.hpp"
#include "runtime/input_plan.hpp"
#include "runtime/live_run.hpp"
#include "runtime/local_clock.hpp"
#include "runtime/picture.hpp"
#include "runtime/program.hpp"
#include "runtime/report.hpp"
#include "runtime/signals.hpp"
#include "runtime/step.hpp"
#include "runtime/timeline.hpp"
#include "runtime/timeline_diff.hpp"
#include "runtime/timer_text.hpp"
#include "runtime/timer_window.hpp"
#include "runtime/week_preview.hpp"
