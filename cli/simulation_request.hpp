#pragma once
// The options that simulate and diff share: the period and the input
// schedule, as text from the command line, turned into values.

#include "runtime/calendar.hpp"
#include "runtime/input_plan.hpp"
#include "runtime/timeline.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarn::cli {

inline constexpr int kDefaultDays = 7;
inline constexpr int kMaxDays = 36600;  // about a hundred years

struct SimulationRequest {
    std::string from;        // "YYYY-MM-DD[THH:MM:SS]"; not given: this week's Monday 00:00:00
    bool fromGiven = false;  // an empty --from is a bad option, not the default
    int days = kDefaultDays;
    std::vector<std::string> inputs;  // "Sn=0|1[@YYYY-MM-DDTHH:MM:SS]"
};

struct SimulationPeriod {
    runtime::Instant from = 0;
    runtime::Instant to = 0;
    runtime::InputSchedule inputs;
};

// "S0=1", "S3=0@2026-12-14T08:00:00" and back: the runtime's, which the
// editor's Week preview writes its inputs with.
using runtime::InputOptionText;
using runtime::ParseInputOption;

// Fills period from request, with `now` for the default start. Returns an
// empty text, or the message for a bad option.
std::string ResolveSimulation(const SimulationRequest& request, runtime::Instant now, SimulationPeriod& period);

}  // namespace quarn::cli
