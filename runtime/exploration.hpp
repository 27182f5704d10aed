#pragma once
// Every state a program can reach over a period [from, to) whatever its free
// inputs do, found exactly and without stepping second by second.
//
// The inputs: a pinned input keeps its value for the whole period; a free one
// may start with either value at `from` and change at any whole second, any
// number of times, several at one instant. A change at a timer edge is one
// step with it, as in Simulate.
//
// The period falls into stretches in which the timers do not change (from one
// timer edge to the next). Within a stretch the state is the pair (inputs,
// relays): at most 16 x 256 nodes. A stretch is entered at its first instant
// with one step (the timer edge, with any input value) from every state
// reachable just before it; after that each further second can carry one step
// with new inputs, so a stretch of L seconds allows L - 1 more steps. The
// states of a stretch are found by a breadth-first search over the nodes, with
// the step rule's Settle as the edges (one table of outcomes per timer mask).
//
// Stretches repeat: the states of a stretch depend only on the states before
// it, its timer mask and its length (up to 4096 seconds, the most steps a
// search over 4096 nodes can take). Each such triple is searched once; a
// period of a hundred years with weekly timers needs a few dozen searches and
// a table lookup for every other stretch.
//
// Every state found keeps how it was reached (its parent in the search, or the
// state before the stretch it came from), so a state found in some stretch
// comes with an input schedule that Simulate follows to it.

#include "runtime/calendar.hpp"
#include "runtime/program.hpp"
#include "runtime/signals.hpp"
#include "runtime/timeline.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

namespace quarn::runtime {

struct ExplorationRequest {
    Instant from = 0;
    Instant to = 0;
    std::uint8_t pinned = 0;        // bit n: input n is pinned
    std::uint8_t pinnedValues = 0;  // its value (bits outside `pinned` are ignored)
};

// A reachable state and the input schedule that reaches it: Simulate(program,
// from, to, inputs) is in `state` at `at`. The schedule names the pinned
// inputs that are on (without an instant), then every change of a free input
// (the ones on at `from` with the instant `from`), in time order.
struct ReachedState {
    Instant at = 0;
    SignalState state;
    InputSchedule inputs;
};

class Exploration {
public:
    // The most nodes the searches may keep before the exploration gives up
    // (about 32 MB): a program whose states do not repeat over a long period.
    static constexpr std::size_t kNodeBudget = std::size_t{4} << 20;

    // Explores the period; an empty period has no states. Fails (with the
    // text to show) only when the node budget runs out.
    static std::variant<Exploration, std::string> Run(const Program& program, const ExplorationRequest& request);

    // The first reachable state for which `holds` is true: in the earliest
    // stretch that has one, at its earliest instant there. Every reachable
    // state (timers, inputs, relays) is offered at least once.
    std::optional<ReachedState> FindFirst(const std::function<bool(const SignalState&)>& holds) const;

    // Relays that are on before some reachable step and switch in one of its
    // rounds, so switch off at least once.
    std::uint8_t SwitchedOffFromOn() const { return switchedOffFromOn_; }

    // How many stretches the period has, and how many searches they took.
    std::size_t StretchCount() const { return stretches_.size(); }
    std::size_t SearchCount() const { return results_.size(); }

private:
    using Node = std::uint16_t;  // inputs * 256 + relays

    struct NodeInfo {
        Node node = 0;
        Node from = 0;            // parent in the stretch, or the state before the stretch
        std::uint16_t depth = 0;  // steps after the stretch's first instant
    };

    struct Result {
        std::uint8_t timers = 0;
        std::uint32_t set = 0;        // the interned set of nodes
        std::vector<NodeInfo> nodes;  // sorted by node
    };

    struct Stretch {
        Instant start = 0;
        std::uint32_t result = 0;
    };

    using NodeSet = std::array<std::uint64_t, 64>;

    // Settle's outcome for every (inputs, relays) under one timer mask,
    // computed when first asked for.
    struct StepTable {
        std::array<std::uint8_t, 4096> relays{};
        std::array<std::uint8_t, 4096> offFromOn{};
        std::array<bool, 4096> known{};
    };

    Exploration() = default;

    std::uint32_t Intern(const NodeSet& set);
    std::optional<std::uint32_t> Search(std::uint32_t before, std::uint8_t timers, Instant length);
    Node Step(std::uint8_t timers, int inputs, int relays);
    const NodeInfo& Info(std::uint32_t result, Node node) const;
    ReachedState Reconstruct(std::size_t stretch, Node node) const;

    Program program_;
    ExplorationRequest request_;
    std::vector<std::uint8_t> inputValues_;  // the input values the pins allow
    std::vector<Stretch> stretches_;
    std::vector<Result> results_;
    std::vector<NodeSet> sets_;
    std::map<NodeSet, std::uint32_t> setIds_;
    std::unordered_map<std::uint64_t, std::uint32_t> searches_;  // (set before, timers, length) -> result
    std::array<std::unique_ptr<StepTable>, 256> tables_{};
    std::vector<std::size_t> firstStretch_;  // per result, the first stretch that has it
    std::size_t storedNodes_ = 0;
    std::uint8_t switchedOffFromOn_ = 0;
};

}  // namespace quarn::runtime
