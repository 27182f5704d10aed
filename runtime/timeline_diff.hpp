#pragma once
// Where two timelines of the same period switch a relay differently.

#include "runtime/timeline.hpp"

#include <vector>

namespace quarn::runtime {

struct RelayDifference {
    int relay = 0;
    bool onInA = false;  // A has it on and B off, or the other way round
    Instant from = 0;
    Instant to = 0;  // exclusive; at most the period's end
};

// Every maximal interval in which a relay's output in a differs from its
// output in b, ordered by start and then by relay. Both timelines are taken
// over a's period.
std::vector<RelayDifference> RelayDifferences(const Timeline& a, const Timeline& b);

}  // namespace quarn::runtime
