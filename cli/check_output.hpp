#pragma once
// quarnctl check's report as text and JSON.
//   text: one line per finding, "warning  power-loss  R0  R0 is on at ...",
//         then one per property, "holds  never #R1&&#R2" or
//         "FAILS  never #R1&&#R2  at Mon 2026-12-14 08:00:01  with --input
//         S0=1@2026-12-14T08:00:00 --input S1=1@2026-12-14T08:00:01".
//   json: {"from", "to", "findings": [{"code", "severity", "subject",
//         "message", "at" (or null), "inputs": [option texts]}],
//         "properties": [{"property", "holds", "at" (or null), "inputs"}]},
//         keys in this order.

#include "runtime/check.hpp"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace quarn::cli {

// The schedule as --input option texts: "S0=1", "S1=0@2026-12-14T08:00:00".
std::vector<std::string> InputOptionTexts(const runtime::InputSchedule& inputs);

std::string CheckText(const runtime::CheckReport& report);
nlohmann::ordered_json CheckJson(const runtime::CheckReport& report, runtime::Instant from, runtime::Instant to);

// 0 when every property holds and no finding is a warning or an error; 1
// otherwise; 2 when a condition is outside the grammar.
int CheckStatus(const runtime::CheckReport& report);

}  // namespace quarn::cli
