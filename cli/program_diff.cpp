#include "cli/program_diff.hpp"
#include "base/terminal_text.hpp"

#include "base/utf8.hpp"
#include "cli/model_json.hpp"
#include "cli/timeline_output.hpp"
#include "cli/timer_cells.hpp"

namespace quarn::cli {

namespace {

std::string ConditionCell(const std::u16string& condition)
{
    return condition.empty() ? std::string("(not used)") : "\"" + EncodeUtf8(condition) + "\"";
}

std::string OnConditionCell(const std::optional<std::u16string>& condition)
{
    return condition ? "\"" + EncodeUtf8(*condition) + "\"" : std::string("(none)");
}

}  // namespace

std::vector<DocumentDifference> DocumentDifferences(const StateMachineModel& modelA, const runtime::ProgramText& a,
                                                    const StateMachineModel& modelB, const runtime::ProgramText& b)
{
    std::vector<DocumentDifference> found;
    const auto compare = [&found](std::string item, std::string x, std::string y) {
        if (x != y)
            found.push_back({std::move(item), std::move(x), std::move(y)});
    };
    compare("version", "\"" + EncodeUtf8(modelA.version) + "\"", "\"" + EncodeUtf8(modelB.version) + "\"");
    for (int n = 0; n < kTimerCount; ++n) {
        const TimerEntry& x = modelA.timers[static_cast<std::size_t>(n)];
        const TimerEntry& y = modelB.timers[static_cast<std::size_t>(n)];
        const std::string name = "T" + std::to_string(n);
        compare(name + " ON date", DateCell(x.onDate), DateCell(y.onDate));
        compare(name + " ON time", TimeCell(x.onTime), TimeCell(y.onTime));
        compare(name + " OFF date", DateCell(x.offDate), DateCell(y.offDate));
        compare(name + " OFF time", TimeCell(x.offTime), TimeCell(y.offTime));
        compare(name + " weekdays", WeekdaysCell(x), WeekdaysCell(y));
    }
    for (int n = 0; n < kRelayCount; ++n) {
        const std::size_t i = static_cast<std::size_t>(n);
        const std::string name = "R" + std::to_string(n);
        compare(name + " condition", ConditionCell(modelA.relays[i]), ConditionCell(modelB.relays[i]));
        // The way back counts where the relay is used on both sides and one
        // of them is not the negation the writer writes.
        const auto written = [i](const runtime::ProgramText& text) {
            return text.switchOff[i] == u"!(" + text.switchOn[i] + u")";
        };
        if (!a.switchOn[i].empty() && !b.switchOn[i].empty() && !(written(a) && written(b)))
            compare(name + " on-state condition", OnConditionCell(a.switchOff[i]), OnConditionCell(b.switchOff[i]));
    }
    return found;
}

std::string DiffText(const ProgramDiff& diff)
{
    std::string text;
    for (const DocumentDifference& difference : diff.documents)
        text += difference.item + ": " + TerminalSafeUtf8(difference.a) + " in A, " + TerminalSafeUtf8(difference.b) +
                " in B\n";
    if (diff.documents.empty())
        text += "same documents\n";
    for (const runtime::RelayDifference& difference : diff.behaviour)
        text += "R" + std::to_string(difference.relay) +
                (difference.onInA ? "  on in A, off in B  " : "  off in A, on in B  ") +
                runtime::FormatDisplay(difference.from) + " - " + runtime::FormatDisplay(difference.to) + "\n";
    if (diff.behaviour.empty())
        text += "same behaviour\n";
    for (const std::string& warning : WarningTexts(diff.a))
        text += "warning: A: " + warning + "\n";
    for (const std::string& warning : WarningTexts(diff.b))
        text += "warning: B: " + warning + "\n";
    return text;
}

nlohmann::ordered_json DiffJson(const ProgramDiff& diff)
{
    nlohmann::ordered_json json;
    json["from"] = runtime::FormatIso(diff.a.from);
    json["to"] = runtime::FormatIso(diff.a.to);
    nlohmann::ordered_json documents = nlohmann::ordered_json::array();
    for (const DocumentDifference& difference : diff.documents)
        documents.push_back({{"item", difference.item}, {"a", difference.a}, {"b", difference.b}});
    json["documents"] = std::move(documents);
    nlohmann::ordered_json behaviour = nlohmann::ordered_json::array();
    for (const runtime::RelayDifference& difference : diff.behaviour)
        behaviour.push_back({{"relay", "R" + std::to_string(difference.relay)},
                             {"a", difference.onInA},
                             {"b", !difference.onInA},
                             {"from", runtime::FormatIso(difference.from)},
                             {"to", runtime::FormatIso(difference.to)}});
    json["behaviour"] = std::move(behaviour);
    json["sameBehaviour"] = diff.behaviour.empty();
    json["warnings"] = {{"a", WarningTexts(diff.a)}, {"b", WarningTexts(diff.b)}};
    return json;
}

}  // namespace quarn::cli
