// The JSON written directly matches the JSON tree's own text byte for byte.
#include "cli/timeline_output.hpp"

#include <gtest/gtest.h>

namespace quarn::cli {
namespace {

using runtime::SignalState;
using runtime::Timeline;

TEST(TimelineOutput, DirectJsonTextIsTheTreesText)
{
    Timeline empty;
    empty.from = 850521600;
    empty.to = empty.from + runtime::kSecondsPerDay;

    Timeline busy = empty;
    busy.initial = SignalState{0x81, 0x02, 0x40};
    busy.changes = {{empty.from + 60, SignalState{0x80, 0x03, 0x41}}, {empty.from + 61, SignalState{0, 0, 0}}};
    busy.warnings = {{empty.from + 60, 1, "R0 does not settle at 2026-12-14T00:01:00"},
                     {empty.from + 61, 3, "a \"quoted\" text\\"}};

    Timeline leftOut = empty;
    leftOut.warningsLeftOut = 7;

    for (const Timeline* timeline : {&empty, &busy, &leftOut}) {
        const std::string expected = TimelineJson(*timeline).dump(2) + "\n";
        EXPECT_EQ(TimelineJsonText(*timeline), expected);
    }
    EXPECT_EQ(TimelineJson(leftOut)["warnings"], nlohmann::json::array({"7 more warnings left out"}));
    EXPECT_EQ(TimelineJson(busy)["changes"][0].dump(),
              "{\"at\":\"2026-12-14T00:01:00\",\"T0\":false,\"S0\":true,\"R0\":true}");
}

}  // namespace
}  // namespace quarn::cli
