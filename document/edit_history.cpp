#include "document/edit_history.hpp"

#include <algorithm>
#include <iterator>

namespace quarn {

DocumentContent ContentOf(const StateMachineModel& model)
{
    return DocumentContent{model.timers, model.relays, model.version};
}

EditHistory::EditHistory(std::size_t maxSteps) : maxSteps_(std::max<std::size_t>(maxSteps, 1))
{
    Reset(StateMachineModel{});
}

bool EditHistory::State::Holds(const StateMachineModel& model) const
{
    return timers == model.timers && *relays == model.relays && version == model.version;
}

void EditHistory::Reset(const StateMachineModel& model)
{
    states_.clear();
    states_.push_back(State{model.timers, std::make_shared<const std::array<RelayCondition, kRelayCount>>(model.relays),
                            model.version});
    current_ = 0;
    clean_ = 0;
}

bool EditHistory::Record(const StateMachineModel& model)
{
    const State& before = states_[current_];
    if (before.Holds(model))
        return false;
    State state{model.timers, before.relays, model.version};
    if (*state.relays != model.relays)
        state.relays = std::make_shared<const std::array<RelayCondition, kRelayCount>>(model.relays);
    // A change after Undo starts a new branch: the undone states are gone,
    // and with them the clean state if it was among them.
    states_.erase(states_.begin() + static_cast<std::ptrdiff_t>(current_) + 1, states_.end());
    if (clean_ && *clean_ > current_)
        clean_.reset();
    states_.push_back(std::move(state));
    ++current_;
    if (states_.size() > maxSteps_ + 1) {
        const std::size_t drop = states_.size() - (maxSteps_ + 1);
        states_.erase(states_.begin(), states_.begin() + static_cast<std::ptrdiff_t>(drop));
        current_ -= drop;
        if (clean_ && *clean_ < drop)
            clean_.reset();
        else if (clean_)
            *clean_ -= drop;
    }
    return true;
}

void EditHistory::MarkClean()
{
    clean_ = current_;
}

bool EditHistory::Undo(StateMachineModel& model)
{
    if (!CanUndo())
        return false;
    --current_;
    Apply(model);
    return true;
}

bool EditHistory::Redo(StateMachineModel& model)
{
    if (!CanRedo())
        return false;
    ++current_;
    Apply(model);
    return true;
}

void EditHistory::Apply(StateMachineModel& model) const
{
    const State& state = states_[current_];
    model.timers = state.timers;
    model.relays = *state.relays;
    model.version = state.version;
    model.modified = !IsClean();
}

}  // namespace quarn
