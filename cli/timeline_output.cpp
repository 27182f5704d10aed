#include "cli/timeline_output.hpp"

#include "runtime/signals.hpp"

namespace quarn::cli {

namespace {

using runtime::AllSignals;
using runtime::IsOn;
using runtime::Signal;
using runtime::SignalName;
using runtime::SignalNameView;
using runtime::SignalState;

}  // namespace

std::vector<std::string> WarningTexts(const runtime::Timeline& timeline)
{
    std::vector<std::string> texts;
    for (const runtime::Warning& warning : timeline.warnings)
        texts.push_back(warning.text);
    if (timeline.warningsLeftOut > 0)
        texts.push_back(std::to_string(timeline.warningsLeftOut) + " more warnings left out");
    return texts;
}

std::string TimelineText(const runtime::Timeline& timeline)
{
    std::string text = runtime::FormatDisplay(timeline.from);
    for (const Signal signal : AllSignals())
        text += "  " + SignalName(signal) + (IsOn(timeline.initial, signal) ? " on" : " off");
    text += '\n';
    SignalState before = timeline.initial;
    for (const runtime::TimelineChange& change : timeline.changes) {
        text += runtime::FormatDisplay(change.at);
        for (const Signal signal : AllSignals()) {
            const bool on = IsOn(change.state, signal);
            if (on != IsOn(before, signal))
                text += "  " + SignalName(signal) + (on ? " on" : " off");
        }
        text += '\n';
        before = change.state;
    }
    for (const std::string& warning : WarningTexts(timeline))
        text += "warning: " + warning + '\n';
    return text;
}

nlohmann::ordered_json TimelineJson(const runtime::Timeline& timeline)
{
    nlohmann::ordered_json json;
    json["from"] = runtime::FormatIso(timeline.from);
    json["to"] = runtime::FormatIso(timeline.to);
    nlohmann::ordered_json initial = nlohmann::ordered_json::object();
    for (const Signal signal : AllSignals())
        initial[SignalName(signal)] = IsOn(timeline.initial, signal);
    json["initial"] = std::move(initial);
    nlohmann::ordered_json changes = nlohmann::ordered_json::array();
    SignalState before = timeline.initial;
    for (const runtime::TimelineChange& change : timeline.changes) {
        nlohmann::ordered_json entry;
        entry["at"] = runtime::FormatIso(change.at);
        for (const Signal signal : AllSignals()) {
            const bool on = IsOn(change.state, signal);
            if (on != IsOn(before, signal))
                entry[SignalName(signal)] = on;
        }
        changes.push_back(std::move(entry));
        before = change.state;
    }
    json["changes"] = std::move(changes);
    json["warnings"] = WarningTexts(timeline);
    return json;
}

std::string TimelineJsonText(const runtime::Timeline& timeline)
{
    std::string text = "{\n  \"from\": \"" + runtime::FormatIso(timeline.from) + "\",\n  \"to\": \"" +
                       runtime::FormatIso(timeline.to) + "\",\n  \"initial\": {\n";
    bool first = true;
    for (const Signal signal : AllSignals()) {
        text += first ? "    \"" : ",\n    \"";
        text += SignalNameView(signal);
        text += IsOn(timeline.initial, signal) ? "\": true" : "\": false";
        first = false;
    }
    text += "\n  },\n  \"changes\": [";
    SignalState before = timeline.initial;
    first = true;
    for (const runtime::TimelineChange& change : timeline.changes) {
        text += first ? "\n    {\n      \"at\": \"" : ",\n    {\n      \"at\": \"";
        text += runtime::FormatIso(change.at);
        text += '"';
        for (const Signal signal : AllSignals()) {
            const bool on = IsOn(change.state, signal);
            if (on != IsOn(before, signal)) {
                text += ",\n      \"";
                text += SignalNameView(signal);
                text += on ? "\": true" : "\": false";
            }
        }
        text += "\n    }";
        before = change.state;
        first = false;
    }
    text += first ? "],\n  \"warnings\": [" : "\n  ],\n  \"warnings\": [";
    first = true;
    for (const std::string& warning : WarningTexts(timeline)) {
        text += (first ? "\n    " : ",\n    ") + nlohmann::json(warning).dump();
        first = false;
    }
    text += first ? "]\n}\n" : "\n  ]\n}\n";
    return text;
}

std::string TimelineCsv(const runtime::Timeline& timeline)
{
    std::string text = "at,signal,value\n";
    const std::string from = runtime::FormatIso(timeline.from);
    for (const Signal signal : AllSignals())
        text += from + "," + SignalName(signal) + (IsOn(timeline.initial, signal) ? ",1\n" : ",0\n");
    SignalState before = timeline.initial;
    for (const runtime::TimelineChange& change : timeline.changes) {
        const std::string at = runtime::FormatIso(change.at);
        for (const Signal signal : AllSignals()) {
            const bool on = IsOn(change.state, signal);
            if (on != IsOn(before, signal))
                text += at + "," + SignalName(signal) + (on ? ",1\n" : ",0\n");
        }
        before = change.state;
    }
    return text;
}

}  // namespace quarn::cli
