#pragma once
// A timeline as quarnctl simulate prints it.
//   text: "Mon 2026-12-14 00:00:00  T0 off ... R7 off" for the state at
//         `from`, then one line per instant with the signals that changed
//         ("Mon 2026-12-14 07:30:00  T0 on  R3 on"), then "warning: ..." lines.
//   json: {"from", "to", "initial": {20 signals}, "changes": [{"at", changed
//         signals...}], "warnings": [texts]}, keys in this order.
//   csv:  "at,signal,value" rows, value 0 or 1: the 20 signals at `from`,
//         then every change.
// Signals always in the order T0-T7, S0-S3, R0-R7.

#include "runtime/timeline.hpp"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace quarn::cli {

std::string TimelineText(const runtime::Timeline& timeline);
nlohmann::ordered_json TimelineJson(const runtime::Timeline& timeline);
// TimelineJson(timeline).dump(2) + "\n", byte for byte, written directly: a
// year of changes would otherwise spend most of its time in the JSON tree.
std::string TimelineJsonText(const runtime::Timeline& timeline);
std::string TimelineCsv(const runtime::Timeline& timeline);

// The timeline's warning texts, and one more line for those left out.
std::vector<std::string> WarningTexts(const runtime::Timeline& timeline);

}  // namespace quarn::cli
