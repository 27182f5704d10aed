#pragma once
// Undo and Redo for the editor's document: the document's content after
// every change, and which of those states is the one in the file.

#include "document/model.hpp"

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quarn {

// What an undo step brings back: everything the user edits. The path and
// the unsaved-changes flag are not part of it: undoing never changes which
// file the document belongs to.
struct DocumentContent {
    std::array<TimerEntry, kTimerCount> timers{};
    std::array<RelayCondition, kRelayCount> relays{};
    std::u16string version;

    friend bool operator==(const DocumentContent&, const DocumentContent&) = default;
};

DocumentContent ContentOf(const StateMachineModel& model);

// A line of document states with a current position. Reset starts the line
// with one state, the one just read from a file (or the empty document),
// which is also the clean state: the one the file holds. Record adds the
// state after a change and drops every state that Undo had stepped back
// over. Undo and Redo move along the line, put the state into the model and
// set modified exactly when that state is not the clean one.
class EditHistory {
public:
    // How many steps back Undo can go at most; older steps are forgotten.
    static constexpr std::size_t kDefaultMaxSteps = 1000;

    explicit EditHistory(std::size_t maxSteps = kDefaultMaxSteps);

    // A new line holding model's content alone, as the clean state.
    void Reset(const StateMachineModel& model);

    // Adds model's content as the state after a change. A content equal to
    // the current state is no change: nothing is added and false returned.
    bool Record(const StateMachineModel& model);

    // The document has been written to its file: the current state is clean.
    void MarkClean();

    bool CanUndo() const { return current_ > 0; }
    bool CanRedo() const { return current_ + 1 < states_.size(); }
    // The current state is the one in the file.
    bool IsClean() const { return clean_ == current_; }

    // Steps back (or forward) one state and puts it into model: timers,
    // relays and version; path stays; modified is set unless the state is
    // the clean one. False, with model untouched, when there is no step.
    bool Undo(StateMachineModel& model);
    bool Redo(StateMachineModel& model);

private:
    // One state. The relay conditions can be long and most changes leave
    // them alone, so a state shares them with the state before it when
    // they are the same.
    struct State {
        std::array<TimerEntry, kTimerCount> timers{};
        std::shared_ptr<const std::array<RelayCondition, kRelayCount>> relays;
        std::u16string version;

        bool Holds(const StateMachineModel& model) const;
    };

    void Apply(StateMachineModel& model) const;

    std::size_t maxSteps_;
    std::vector<State> states_;
    std::size_t current_ = 0;
    // Absent once the clean state has been dropped: then no state is clean.
    std::optional<std::size_t> clean_;
};

}  // namespace quarn
