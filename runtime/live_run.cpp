#include "runtime/live_run.hpp"

#include "runtime/step.hpp"

#include <utility>

namespace quarn::runtime {

LiveRun::LiveRun(Program program, Instant start, std::uint8_t inputs) : program_(std::move(program)), now_(start)
{
    state_.inputs = static_cast<std::uint8_t>(inputs & 0x0f);
    for (int n = 0; n < kTimerCount; ++n) {
        const TimerWindow& timer = program_.timers[static_cast<std::size_t>(n)];
        SetSignal(state_, {SignalKind::Timer, n}, timer.IsOn(start));
        nextEdge_[static_cast<std::size_t>(n)] = timer.NextEdge(start);
    }
    Step();
}

std::optional<Instant> LiveRun::NextTimerEdge() const
{
    std::optional<Instant> next;
    for (const auto& edge : nextEdge_) {
        if (edge && (!next || *edge < *next))
            next = edge;
    }
    return next;
}

void LiveRun::AdvanceTo(Instant t, std::optional<std::uint8_t> inputsAtT)
{
    if (t < now_)
        return;
    const bool inputsGiven = inputsAtT.has_value();
    const auto inputs = static_cast<std::uint8_t>(inputsAtT.value_or(0) & 0x0f);
    bool inputsApplied = false;
    for (;;) {
        const std::optional<Instant> edge = NextTimerEdge();
        if (!edge || *edge > t)
            break;
        now_ = *edge;
        for (int n = 0; n < kTimerCount; ++n) {
            auto& next = nextEdge_[static_cast<std::size_t>(n)];
            if (next != edge)
                continue;
            const TimerWindow& timer = program_.timers[static_cast<std::size_t>(n)];
            SetSignal(state_, {SignalKind::Timer, n}, timer.IsOn(now_));
            next = timer.NextEdge(now_);
        }
        // Inputs that change at t join the step of t's timer edges.
        if (now_ == t && inputsGiven) {
            state_.inputs = inputs;
            inputsApplied = true;
        }
        Step();
    }
    now_ = t;
    if (inputsGiven && !inputsApplied && inputs != state_.inputs) {
        state_.inputs = inputs;
        Step();
    }
}

void LiveRun::SetInput(int n, bool on)
{
    if (n < 0 || n >= kInputCount)
        return;
    SignalState next = state_;
    SetSignal(next, {SignalKind::Input, n}, on);
    SetInputs(next.inputs);
}

void LiveRun::SwitchRelay(int n, bool on)
{
    if (n < 0 || n >= kRelayCount)
        return;
    SetSignal(state_, {SignalKind::Relay, n}, on);
}

std::vector<Warning> LiveRun::TakeWarnings()
{
    return std::exchange(warnings_, {});
}

void LiveRun::Step()
{
    const StepOutcome outcome = Settle(program_, state_);
    state_.relays = outcome.relays;
    if (outcome.unsettled == 0)
        return;
    if (warnings_.size() == kKeptWarnings)
        warnings_.erase(warnings_.begin());
    warnings_.push_back({now_, outcome.unsettled, SettleWarning(outcome.unsettled, now_)});
}

}  // namespace quarn::runtime
