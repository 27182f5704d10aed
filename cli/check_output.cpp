#include "cli/check_output.hpp"

#include "cli/simulation_request.hpp"
#include "runtime/signals.hpp"

namespace quarn::cli {

std::vector<std::string> InputOptionTexts(const runtime::InputSchedule& inputs)
{
    std::vector<std::string> texts;
    texts.reserve(inputs.size());
    for (const runtime::InputChange& change : inputs)
        texts.push_back(InputOptionText(change));
    return texts;
}

std::string CheckText(const runtime::CheckReport& report)
{
    std::string text;
    for (const runtime::Finding& finding : report.findings) {
        text += std::string(runtime::SeverityName(finding.severity)) + "  " + finding.code + "  " +
                runtime::SignalName(finding.subject) + "  " + finding.message + '\n';
    }
    for (const runtime::PropertyOutcome& property : report.properties) {
        if (property.holds) {
            text += "holds  " + property.property + '\n';
            continue;
        }
        text += "FAILS  " + property.property + "  at " + runtime::FormatDisplay(property.at.value_or(0));
        std::string with;
        for (const std::string& option : InputOptionTexts(property.inputs))
            with += " --input " + option;
        if (!with.empty())
            text += "  with" + with;
        text += '\n';
    }
    return text;
}

nlohmann::ordered_json CheckJson(const runtime::CheckReport& report, runtime::Instant from, runtime::Instant to)
{
    const auto instant = [](const std::optional<runtime::Instant>& at) {
        return at ? nlohmann::ordered_json(runtime::FormatIso(*at)) : nlohmann::ordered_json(nullptr);
    };
    nlohmann::ordered_json json;
    json["from"] = runtime::FormatIso(from);
    json["to"] = runtime::FormatIso(to);
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const runtime::Finding& finding : report.findings) {
        nlohmann::ordered_json entry;
        entry["code"] = finding.code;
        entry["severity"] = std::string(runtime::SeverityName(finding.severity));
        entry["subject"] = runtime::SignalName(finding.subject);
        entry["message"] = finding.message;
        entry["at"] = instant(finding.at);
        entry["inputs"] = InputOptionTexts(finding.inputs);
        findings.push_back(std::move(entry));
    }
    json["findings"] = std::move(findings);
    nlohmann::ordered_json properties = nlohmann::ordered_json::array();
    for (const runtime::PropertyOutcome& property : report.properties) {
        nlohmann::ordered_json entry;
        entry["property"] = property.property;
        entry["holds"] = property.holds;
        entry["at"] = instant(property.at);
        entry["inputs"] = InputOptionTexts(property.inputs);
        properties.push_back(std::move(entry));
    }
    json["properties"] = std::move(properties);
    return json;
}

int CheckStatus(const runtime::CheckReport& report)
{
    if (report.conditionErrors || !report.failure.empty())
        return 2;
    for (const runtime::PropertyOutcome& property : report.properties) {
        if (!property.holds)
            return 1;
    }
    for (const runtime::Finding& finding : report.findings) {
        if (finding.severity != runtime::Severity::Note)
            return 1;
    }
    return 0;
}

}  // namespace quarn::cli
