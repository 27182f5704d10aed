#include "cli/simulation_request.hpp"

#include "base/controller_facts.hpp"

namespace quarn::cli {

std::string ResolveSimulation(const SimulationRequest& request, runtime::Instant now, SimulationPeriod& period)
{
    if (!request.fromGiven && request.from.empty()) {
        period.from = runtime::StartOfWeek(now);
    } else if (const auto from = runtime::ParseInstant(request.from)) {
        period.from = *from;
    } else {
        return "--from \"" + request.from + "\": expected YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS";
    }
    if (request.days < 1 || request.days > kMaxDays)
        return "--days " + std::to_string(request.days) + ": expected 1 to " + std::to_string(kMaxDays);
    period.to = period.from + request.days * runtime::kSecondsPerDay;
    if (period.to - 1 > runtime::kLastInstant)
        return "--days " + std::to_string(request.days) + ": the period would end after " +
               runtime::FormatIso(runtime::kLastInstant);
    period.inputs.clear();
    for (const std::string& text : request.inputs) {
        const auto change = ParseInputOption(text);
        if (!change)
            return "--input \"" + text + "\": expected Sn=0|1 or Sn=0|1@YYYY-MM-DDTHH:MM:SS with n from 0 to 3";
        period.inputs.push_back(*change);
    }
    return {};
}

}  // namespace quarn::cli
