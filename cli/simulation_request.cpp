#include "cli/simulation_request.hpp"

#include "base/controller_facts.hpp"

namespace quarn::cli {

std::optional<runtime::InputChange> ParseInputOption(std::string_view text)
{
    if (text.size() < 4 || text[0] != 'S' || text[1] < '0' || text[1] >= '0' + kInputCount || text[2] != '=' ||
        (text[3] != '0' && text[3] != '1'))
        return std::nullopt;
    runtime::InputChange change;
    change.input = text[1] - '0';
    change.on = text[3] == '1';
    if (text.size() == 4)
        return change;
    if (text[4] != '@')
        return std::nullopt;
    change.at = runtime::ParseInstant(text.substr(5));
    if (!change.at)
        return std::nullopt;
    return change;
}

std::string InputOptionText(const runtime::InputChange& change)
{
    std::string text = "S" + std::to_string(change.input) + (change.on ? "=1" : "=0");
    if (change.at)
        text += "@" + runtime::FormatIso(*change.at);
    return text;
}

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
