#include "runtime/timeline_diff.hpp"

#include <algorithm>
#include <array>
#include <optional>

namespace quarn::runtime {

std::vector<RelayDifference> RelayDifferences(const Timeline& a, const Timeline& b)
{
    std::vector<RelayDifference> found;
    std::array<std::optional<RelayDifference>, kRelayCount> open{};

    // At each instant where either timeline changes, compare the relays and
    // open or close intervals.
    const auto compare = [&](Instant at, std::uint8_t relaysA, std::uint8_t relaysB) {
        for (int n = 0; n < kRelayCount; ++n) {
            const bool onA = (relaysA >> n & 1) != 0;
            const bool onB = (relaysB >> n & 1) != 0;
            auto& current = open[static_cast<std::size_t>(n)];
            if (current && (onA == onB || current->onInA != onA)) {
                current->to = at;
                found.push_back(*current);
                current.reset();
            }
            if (onA != onB && !current)
                current = RelayDifference{n, onA, at, a.to};
        }
    };

    std::size_t i = 0;
    std::size_t j = 0;
    std::uint8_t relaysA = a.initial.relays;
    std::uint8_t relaysB = b.initial.relays;
    compare(a.from, relaysA, relaysB);
    for (;;) {
        const bool moreA = i < a.changes.size() && a.changes[i].at < a.to;
        const bool moreB = j < b.changes.size() && b.changes[j].at < a.to;
        if (!moreA && !moreB)
            break;
        const Instant at = !moreB   ? a.changes[i].at
                           : !moreA ? b.changes[j].at
                                    : std::min(a.changes[i].at, b.changes[j].at);
        if (moreA && a.changes[i].at == at)
            relaysA = a.changes[i++].state.relays;
        if (moreB && b.changes[j].at == at)
            relaysB = b.changes[j++].state.relays;
        compare(at, relaysA, relaysB);
    }
    for (auto& current : open) {
        if (current)
            found.push_back(*current);
    }
    std::stable_sort(found.begin(), found.end(), [](const RelayDifference& x, const RelayDifference& y) {
        return x.from != y.from ? x.from < y.from : x.relay < y.relay;
    });
    return found;
}

}  // namespace quarn::runtime
