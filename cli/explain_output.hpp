#pragma once
// quarnctl explain's answer as text and JSON.
//   text: per relay its lines (ExplanationLines), the first one unindented,
//         then "warning: ..." lines of the simulation up to --at.
//   json: {"at", "from", "relays": [{"relay", "on", "since" (or null),
//         "cause": [signals], "condition" (or null), "signals": {signal:
//         value}, "next" (or null), "nextCause": [signals]}]}, keys in this
//         order.

#include "runtime/explanation.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace quarn::cli {

std::string ExplanationText(const runtime::Explanation& explanation);
nlohmann::ordered_json ExplanationJson(const runtime::Explanation& explanation);

}  // namespace quarn::cli
