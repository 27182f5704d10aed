#include "cli/explain_output.hpp"

namespace quarn::cli {

namespace {

nlohmann::ordered_json InstantJson(const std::optional<runtime::Instant>& at)
{
    return at ? nlohmann::ordered_json(runtime::FormatIso(*at)) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json SignalsJson(const std::vector<runtime::Signal>& signals)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const runtime::Signal signal : signals)
        list.push_back(runtime::SignalName(signal));
    return list;
}

}  // namespace

std::string ExplanationText(const runtime::Explanation& explanation)
{
    std::string text;
    for (const runtime::RelayExplanation& relay : explanation.relays) {
        bool first = true;
        for (const std::string& line : runtime::ExplanationLines(relay)) {
            text += (first ? "" : "  ") + line + '\n';
            first = false;
        }
    }
    for (const std::string& warning : explanation.warnings)
        text += "warning: " + warning + '\n';
    return text;
}

nlohmann::ordered_json ExplanationJson(const runtime::Explanation& explanation)
{
    nlohmann::ordered_json json;
    json["at"] = runtime::FormatIso(explanation.at);
    json["from"] = runtime::FormatIso(explanation.from);
    nlohmann::ordered_json relays = nlohmann::ordered_json::array();
    for (const runtime::RelayExplanation& relay : explanation.relays) {
        nlohmann::ordered_json entry;
        entry["relay"] = "R" + std::to_string(relay.relay);
        entry["on"] = relay.on;
        entry["since"] = InstantJson(relay.since);
        entry["cause"] = SignalsJson(relay.cause);
        entry["condition"] =
            relay.condition ? nlohmann::ordered_json(*relay.condition) : nlohmann::ordered_json(nullptr);
        nlohmann::ordered_json signals = nlohmann::ordered_json::object();
        for (const runtime::SignalExplanation& signal : relay.reads)
            signals[runtime::SignalName(signal.signal)] = signal.on;
        entry["signals"] = std::move(signals);
        entry["next"] = InstantJson(relay.next);
        entry["nextCause"] = SignalsJson(relay.nextCause);
        relays.push_back(std::move(entry));
    }
    json["relays"] = std::move(relays);
    return json;
}

}  // namespace quarn::cli
