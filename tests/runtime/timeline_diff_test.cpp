// Intervals in which two timelines switch a relay differently.
#include "runtime/timeline_diff.hpp"

#include <gtest/gtest.h>

namespace quarn::runtime {

bool operator==(const RelayDifference& x, const RelayDifference& y)
{
    return x.relay == y.relay && x.onInA == y.onInA && x.from == y.from && x.to == y.to;
}

void PrintTo(const RelayDifference& d, std::ostream* out)
{
    *out << "R" << d.relay << (d.onInA ? " A" : " B") << " [" << d.from << ", " << d.to << ")";
}

namespace {

Timeline Relays(std::uint8_t initial, std::vector<std::pair<Instant, std::uint8_t>> changes)
{
    Timeline timeline;
    timeline.from = 0;
    timeline.to = 100;
    timeline.initial.relays = initial;
    for (const auto& [at, relays] : changes)
        timeline.changes.push_back({at, SignalState{0, 0, relays}});
    return timeline;
}

TEST(RelayDifferences, OpensClosesAndFlipsIntervals)
{
    // R0: differs from the start; R1: A on 10-30, B on 20-40 (flip at 20..30
    // is "both on"); R2: A on 50-60, B on 60-70 (a flip at one instant);
    // R3: differs from 90 to the end.
    const Timeline a = Relays(0x01, {{10, 0x03}, {30, 0x01}, {50, 0x05}, {60, 0x01}, {90, 0x09}});
    const Timeline b = Relays(0x00, {{20, 0x02}, {40, 0x00}, {60, 0x04}, {70, 0x00}});
    const std::vector<RelayDifference> expected = {
        {0, true, 0, 100}, {1, true, 10, 20},  {1, false, 30, 40},
        {2, true, 50, 60}, {2, false, 60, 70}, {3, true, 90, 100},
    };
    EXPECT_EQ(RelayDifferences(a, b), expected);
    EXPECT_TRUE(RelayDifferences(a, a).empty());
}

}  // namespace
}  // namespace quarn::runtime
