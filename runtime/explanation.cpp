#include "runtime/explanation.hpp"

#include "base/utf8.hpp"
#include "runtime/timer_text.hpp"

namespace quarn::runtime {

namespace {

// The timeline as a list of states from `from` on, with where `at` falls.
class History {
public:
    History(const Timeline& timeline, Instant at, Instant horizon) : timeline_(timeline), horizon_(horizon)
    {
        while (now_ < timeline.changes.size() && timeline.changes[now_].at <= at)
            ++now_;
    }

    // State i: 0 the initial one, i the one of change i - 1.
    const SignalState& StateNo(std::size_t i) const
    {
        return i == 0 ? timeline_.initial : timeline_.changes[i - 1].state;
    }
    SignalState Now() const { return StateNo(now_); }

    // The last change of the signal at or before at.
    std::optional<std::size_t> LastChange(Signal signal) const
    {
        for (std::size_t i = now_; i > 0; --i) {
            if (IsOn(StateNo(i), signal) != IsOn(StateNo(i - 1), signal))
                return i;
        }
        return std::nullopt;
    }

    // The first change of the signal after at, within the horizon.
    std::optional<std::size_t> NextChange(Signal signal) const
    {
        for (std::size_t i = now_ + 1; i <= timeline_.changes.size(); ++i) {
            if (timeline_.changes[i - 1].at > horizon_)
                break;
            if (IsOn(StateNo(i), signal) != IsOn(StateNo(i - 1), signal))
                return i;
        }
        return std::nullopt;
    }

    Instant At(std::size_t i) const { return timeline_.changes[i - 1].at; }

    // The signals but `except` that change at state i.
    std::vector<Signal> Changed(std::size_t i, Signal except) const
    {
        std::vector<Signal> changed;
        for (const Signal signal : AllSignals()) {
            if (signal != except && IsOn(StateNo(i), signal) != IsOn(StateNo(i - 1), signal))
                changed.push_back(signal);
        }
        return changed;
    }

private:
    const Timeline& timeline_;
    Instant horizon_;
    std::size_t now_ = 0;
};

std::string SinceText(const std::optional<Instant>& since, Instant from)
{
    return since ? "since " + FormatDisplay(*since) : "since the start at " + FormatDisplay(from);
}

std::string UntilText(const std::optional<Instant>& until)
{
    return until ? " until " + FormatDisplay(*until) : ", with no change within 366 days";
}

std::string Names(const std::vector<Signal>& signals)
{
    std::string text;
    for (const Signal signal : signals)
        text += (text.empty() ? "" : ", ") + SignalName(signal);
    return text;
}

}  // namespace

Explanation Explain(const Program& program, const ProgramText& text, Instant from, Instant at,
                    const InputSchedule& inputs, std::optional<int> relay)
{
    Explanation explanation;
    explanation.from = from;
    explanation.at = at;
    const Instant horizon = at + kExplainHorizon;
    const Timeline timeline = Simulate(program, from, horizon + 1, inputs);
    for (const Warning& warning : timeline.warnings) {
        if (warning.at <= at)
            explanation.warnings.push_back(warning.text);
    }
    const History history(timeline, at, horizon);
    const SignalState now = history.Now();

    for (int n = 0; n < kRelayCount; ++n) {
        const auto& compiled = program.relays[static_cast<std::size_t>(n)];
        if (relay ? *relay != n : !compiled)
            continue;
        RelayExplanation why;
        why.relay = n;
        why.used = compiled.has_value();
        const Signal self{SignalKind::Relay, n};
        why.on = IsOn(now, self);
        if (const auto last = history.LastChange(self)) {
            why.since = history.At(*last);
            why.cause = history.Changed(*last, self);
        }
        if (const auto next = history.NextChange(self)) {
            why.next = history.At(*next);
            why.nextCause = history.Changed(*next, self);
        }
        const Condition* deciding = nullptr;
        if (compiled) {
            if (!why.on) {
                deciding = &compiled->switchOn;
                why.condition = EncodeUtf8(text.switchOn[static_cast<std::size_t>(n)]);
            } else if (compiled->switchOff) {
                deciding = &*compiled->switchOff;
                why.condition = EncodeUtf8(text.switchOff[static_cast<std::size_t>(n)].value_or(u""));
            }
        }
        if (deciding) {
            why.conditionHolds = deciding->Evaluate(now);
            for (const Signal signal : AllSignals()) {
                if (!IsOn(deciding->Uses(), signal))
                    continue;
                SignalExplanation value;
                value.signal = signal;
                value.on = IsOn(now, signal);
                if (const auto last = history.LastChange(signal))
                    value.since = history.At(*last);
                if (const auto next = history.NextChange(signal))
                    value.until = history.At(*next);
                const std::string state = std::string(value.on ? "on " : "off ") + SinceText(value.since, from);
                switch (signal.kind) {
                case SignalKind::Timer:
                    value.words = TimerWindowText(text.timers[static_cast<std::size_t>(signal.index)]) + "; " + state +
                                  UntilText(value.until);
                    break;
                case SignalKind::Input:
                    value.words = "input " + state + UntilText(value.until);
                    break;
                case SignalKind::Relay:
                    value.words = program.relays[static_cast<std::size_t>(signal.index)]
                                      ? "relay " + state + UntilText(value.until)
                                      : std::string("not in the file, so always off");
                    break;
                }
                why.reads.push_back(std::move(value));
            }
        }
        explanation.relays.push_back(std::move(why));
    }
    return explanation;
}

std::vector<std::string> ExplanationLines(const RelayExplanation& relay)
{
    std::vector<std::string> lines;
    const std::string name = "R" + std::to_string(relay.relay);
    std::string first = name + (relay.on ? " on" : " off");
    if (relay.since)
        first += " since " + FormatDisplay(*relay.since) +
                 (relay.cause.empty() ? "" : ", when " + Names(relay.cause) + " changed");
    else
        first += relay.used ? " since the start" : ": not used";
    lines.push_back(first);
    if (relay.condition) {
        lines.push_back(std::string(relay.on ? "switches off when " : "switches on when ") + *relay.condition +
                        (relay.conditionHolds ? ", which holds now" : ", which does not hold now"));
        for (const SignalExplanation& signal : relay.reads)
            lines.push_back(SignalName(signal.signal) + (signal.on ? " on: " : " off: ") + signal.words);
    } else if (relay.used) {
        lines.push_back("nothing switches it off");
    }
    if (relay.next)
        lines.push_back("next change: " + FormatDisplay(*relay.next) +
                        (relay.nextCause.empty() ? ""
                                                 : ", when " + Names(relay.nextCause) +
                                                       (relay.nextCause.size() == 1 ? " changes" : " change")));
    else
        lines.push_back("next change: none within 366 days");
    return lines;
}

}  // namespace quarn::runtime
