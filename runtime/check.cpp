#include "runtime/check.hpp"

#include "base/utf8.hpp"
#include "runtime/step.hpp"
#include "runtime/timer_text.hpp"

#include <algorithm>
#include <variant>

namespace quarn::runtime {

namespace {

std::string Relay(int n)
{
    return "R" + std::to_string(n);
}

// "R0", "R0 and R1", "R0, R1 and R2".
std::string Names(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

std::string RelayNames(std::uint8_t mask)
{
    std::vector<std::string> names;
    for (int n = 0; n < kRelayCount; ++n) {
        if ((mask >> n & 1) != 0)
            names.push_back(Relay(n));
    }
    return Names(names);
}

// " with S0 off, S2 on" for the inputs the program reads; nothing when it
// reads none.
std::string WithInputs(const SignalState& state, std::uint8_t used)
{
    std::string text;
    for (int n = 0; n < kInputCount; ++n) {
        if ((used >> n & 1) == 0)
            continue;
        text +=
            (text.empty() ? " with S" : ", S") + std::to_string(n) + ((state.inputs >> n & 1) != 0 ? " on" : " off");
    }
    return text;
}

// A condition as it stands in a sentence: the white space the grammar allows
// between its parts (line ends, tabs) as plain spaces, so a message stays on
// one line.
std::string Text(const std::u16string& text)
{
    std::string bytes = EncodeUtf8(text);
    for (char& c : bytes) {
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    }
    return bytes;
}

// What the exploration's states give, worked out once per state: the relays
// that do not settle and those a restart would set otherwise.
class StateFacts {
public:
    explicit StateFacts(const Program& program) : program_(program), facts_(std::size_t{1} << 20, 0) {}

    std::uint8_t Unsettled(const SignalState& state) { return static_cast<std::uint8_t>(Get(state) & 0xff); }
    std::uint8_t RestartRelays(const SignalState& state) { return static_cast<std::uint8_t>(Get(state) >> 8 & 0xff); }

private:
    std::uint32_t Get(const SignalState& state)
    {
        const std::size_t key = std::size_t{state.timers} << 12 | std::size_t{state.inputs} << 8 | state.relays;
        std::uint32_t& fact = facts_[key];
        if (fact == 0) {
            SignalState restart = state;
            restart.relays = 0;
            fact = 1u << 16 | std::uint32_t{Settle(program_, restart).relays} << 8 | RelaysToSwitch(program_, state);
        }
        return fact;
    }

    const Program& program_;
    std::vector<std::uint32_t> facts_;
};

Finding Make(std::string code, Severity severity, Signal subject, std::string message)
{
    Finding finding;
    finding.code = std::move(code);
    finding.severity = severity;
    finding.subject = subject;
    finding.message = std::move(message);
    return finding;
}

// Why a relay that differs from what a restart gives keeps its value.
std::string PowerLossReason(const Program& program, int n, const SignalState& state, std::uint8_t restart)
{
    SignalState restarted = state;
    restarted.relays = restart;
    if (const std::uint8_t racing = RelaysToSwitch(program, restarted); racing != 0)
        return "a restart there does not settle: " + RelayNames(racing) +
               ((racing & (racing - 1)) == 0 ? " keeps" : " keep") + " switching for " +
               std::to_string(kStepRoundLimit) + " rounds";
    const RelayProgram& relay = *program.relays[static_cast<std::size_t>(n)];
    std::uint8_t reads = relay.switchOn.Uses().relays;
    if (relay.switchOff)
        reads |= relay.switchOff->Uses().relays;
    const bool readsItself = (reads >> n & 1) != 0;
    const bool on = (state.relays >> n & 1) != 0;
    if (on && readsItself)
        return "it holds itself through #" + Relay(n);
    const auto others = static_cast<std::uint8_t>(reads & (state.relays ^ restart) & ~(1u << n));
    if (others != 0) {
        std::vector<std::string> parts;
        for (int m = 0; m < kRelayCount; ++m) {
            if ((others >> m & 1) != 0)
                parts.push_back(Relay(m) + ((state.relays >> m & 1) != 0 ? " (on now, off after a restart)"
                                                                         : " (off now, on after a restart)"));
        }
        return "it depends on " + Names(parts);
    }
    if (readsItself)
        return "it keeps itself off through #" + Relay(n);
    return "neither the condition that switches it on nor the one that switches it off holds then, so it keeps the "
           "value it had";
}

}  // namespace

std::string_view SeverityName(Severity severity)
{
    switch (severity) {
    case Severity::Error:
        return "error";
    case Severity::Warning:
        return "warning";
    case Severity::Note:
        break;
    }
    return "note";
}

void SortFindings(std::vector<Finding>& findings)
{
    const auto rank = [](const Signal& subject) {
        return (subject.kind == SignalKind::Timer ? 0 : subject.kind == SignalKind::Input ? 8 : 12) + subject.index;
    };
    std::stable_sort(findings.begin(), findings.end(), [&rank](const Finding& a, const Finding& b) {
        if (a.severity != b.severity)
            return a.severity < b.severity;
        if (rank(a.subject) != rank(b.subject))
            return rank(a.subject) < rank(b.subject);
        return a.code < b.code;
    });
}

std::vector<Finding> ConditionErrorFindings(const ProgramText& text)
{
    std::vector<Finding> findings;
    for (int n = 0; n < kRelayCount; ++n) {
        const std::u16string& on = text.switchOn[static_cast<std::size_t>(n)];
        if (on.empty())
            continue;
        std::optional<ConditionError> error;
        auto parsed = Condition::Parse(on);
        if (auto* e = std::get_if<ConditionError>(&parsed)) {
            error = *e;
        } else if (const auto& off = text.switchOff[static_cast<std::size_t>(n)]) {
            auto parsedOff = Condition::Parse(*off);
            if (auto* e2 = std::get_if<ConditionError>(&parsedOff)) {
                error = *e2;
                error->onState = true;
            }
        }
        if (!error)
            continue;
        error->relay = n;
        findings.push_back(Make("condition-error", Severity::Error, {SignalKind::Relay, n}, error->Message()));
    }
    return findings;
}

CheckReport CheckProgram(const ProgramText& text, const CheckRequest& request)
{
    CheckReport report;
    report.findings = ConditionErrorFindings(text);
    if (!report.findings.empty()) {
        report.conditionErrors = true;
        return report;
    }
    auto compiled = CompileProgram(text);
    if (const auto* error = std::get_if<ConditionError>(&compiled)) {
        // ConditionErrorFindings reads the same texts; kept for safety.
        report.findings.push_back(
            Make("condition-error", Severity::Error, {SignalKind::Relay, error->relay}, error->Message()));
        report.conditionErrors = true;
        return report;
    }
    const Program& program = std::get<Program>(compiled);

    ExplorationRequest explore;
    explore.from = request.from;
    explore.to = request.to;
    explore.pinned = request.pinned;
    explore.pinnedValues = request.pinnedValues;
    auto explored = Exploration::Run(program, explore);
    if (const auto* failure = std::get_if<std::string>(&explored)) {
        report.failure = *failure;
        return report;
    }
    const Exploration& exploration = std::get<Exploration>(explored);
    StateFacts facts(program);

    // What the conditions read, and who reads it.
    std::array<std::vector<std::string>, kTimerCount> timerReaders;
    std::array<std::vector<std::string>, kRelayCount> relayReaders;
    for (int n = 0; n < kRelayCount; ++n) {
        const auto& relay = program.relays[static_cast<std::size_t>(n)];
        if (!relay)
            continue;
        SignalState reads = relay->switchOn.Uses();
        if (relay->switchOff) {
            reads.timers |= relay->switchOff->Uses().timers;
            reads.relays |= relay->switchOff->Uses().relays;
        }
        for (int m = 0; m < kTimerCount; ++m) {
            if ((reads.timers >> m & 1) != 0)
                timerReaders[static_cast<std::size_t>(m)].push_back(Relay(n));
        }
        for (int m = 0; m < kRelayCount; ++m) {
            if ((reads.relays >> m & 1) != 0)
                relayReaders[static_cast<std::size_t>(m)].push_back(Relay(n));
        }
    }

    for (int t = 0; t < kTimerCount; ++t) {
        const TimerEntry& entry = text.timers[static_cast<std::size_t>(t)];
        const Signal subject{SignalKind::Timer, t};
        const std::string name = "T" + std::to_string(t);
        const auto& readers = timerReaders[static_cast<std::size_t>(t)];
        if (!entry.offTime) {
            if (!readers.empty())
                report.findings.push_back(Make("unset-timer", Severity::Warning, subject,
                                               name + " is read by " + Names(readers) +
                                                   " but is not in use (its OFF time is blank), so it is never on"));
            continue;
        }
        if (readers.empty())
            report.findings.push_back(
                Make("unused-timer", Severity::Note, subject, name + " is in use but no condition reads it"));
        if (const auto reason = IdleReason(entry, request.from, request.to))
            report.findings.push_back(
                Make("idle-timer", Severity::Note, subject, name + " is never on in the period: " + *reason));
    }

    const std::uint8_t usedInputs = program.uses.inputs;
    for (int n = 0; n < kRelayCount; ++n) {
        const Signal subject{SignalKind::Relay, n};
        const std::string name = Relay(n);
        const auto& relay = program.relays[static_cast<std::size_t>(n)];
        if (!relay) {
            const auto& readers = relayReaders[static_cast<std::size_t>(n)];
            if (!readers.empty())
                report.findings.push_back(Make("missing-relay", Severity::Warning, subject,
                                               name + " is read by " + Names(readers) + " but the file has no " + name +
                                                   ", so it is always off"));
            continue;
        }
        const std::string onText = Text(text.switchOn[static_cast<std::size_t>(n)]);
        const auto& offText = text.switchOff[static_cast<std::size_t>(n)];

        const auto firstOn = exploration.FindFirst([n](const SignalState& s) { return (s.relays >> n & 1) != 0; });
        if (!firstOn) {
            report.findings.push_back(Make("never-on", Severity::Warning, subject,
                                           name +
                                               " never switches on in the period, whatever the inputs do: it "
                                               "switches on when " +
                                               onText));
        } else if ((exploration.SwitchedOffFromOn() >> n & 1) == 0) {
            Finding finding = Make("never-off", Severity::Warning, subject,
                                   name + " can switch on (first at " + FormatDisplay(firstOn->at) +
                                       WithInputs(firstOn->state, usedInputs) + ") but never switches off again: " +
                                       (offText ? "the condition that switches it off, " + Text(*offText) +
                                                      ", does not hold while it is on"
                                                : std::string("nothing switches it off")));
            finding.at = firstOn->at;
            finding.inputs = firstOn->inputs;
            report.findings.push_back(std::move(finding));
        }

        if (const auto unsettled = exploration.FindFirst(
                [&facts, n](const SignalState& s) { return (facts.Unsettled(s) >> n & 1) != 0; })) {
            const std::uint8_t relays = facts.Unsettled(unsettled->state);
            const bool one = (relays & (relays - 1)) == 0;
            Finding finding = Make("no-settle", Severity::Warning, subject,
                                   RelayNames(relays) + (one ? " does" : " do") + " not settle within " +
                                       std::to_string(kStepRoundLimit) + " rounds at " + FormatDisplay(unsettled->at) +
                                       WithInputs(unsettled->state, usedInputs) + ": the state after round " +
                                       std::to_string(kStepRoundLimit) + " stands");
            finding.at = unsettled->at;
            finding.inputs = unsettled->inputs;
            report.findings.push_back(std::move(finding));
        }

        if (const auto lost = exploration.FindFirst(
                [&facts, n](const SignalState& s) { return ((facts.RestartRelays(s) ^ s.relays) >> n & 1) != 0; })) {
            const bool on = (lost->state.relays >> n & 1) != 0;
            Finding finding = Make("power-loss", Severity::Warning, subject,
                                   name + " is " + (on ? "on" : "off") + " at " + FormatDisplay(lost->at) +
                                       WithInputs(lost->state, usedInputs) + ", but a restart then " +
                                       (on ? "leaves it off: " : "switches it on: ") +
                                       PowerLossReason(program, n, lost->state, facts.RestartRelays(lost->state)));
            finding.at = lost->at;
            finding.inputs = lost->inputs;
            report.findings.push_back(std::move(finding));
        }
    }
    SortFindings(report.findings);

    for (const Property& property : request.properties) {
        PropertyOutcome outcome;
        outcome.property = (property.always ? "always " : "never ") + property.text;
        const Condition& condition = property.condition;
        const bool always = property.always;
        if (const auto failing = exploration.FindFirst(
                [&condition, always](const SignalState& s) { return condition.Evaluate(s) != always; })) {
            outcome.holds = false;
            outcome.at = failing->at;
            outcome.inputs = failing->inputs;
        }
        report.properties.push_back(std::move(outcome));
    }
    return report;
}

}  // namespace quarn::runtime
