// A program on a running clock: timer edges on the way, input changes and
// relays switched by hand.
#include "runtime/live_run.hpp"

#include "runtime_test_support.hpp"

#include <gtest/gtest.h>

namespace quarn::runtime {
namespace {

using test::At;
using test::Daily;
using test::FromConditions;

Program OfficeLike()
{
    return FromConditions({{3, u"#T0||#S0"}}, {{0, Daily("07:30:00", "22:00:00", 0x1f)}});
}

TEST(LiveRun, FollowsTheClockThroughEveryEdgeOnTheWay)
{
    LiveRun run(OfficeLike(), At("2026-12-14T06:00:00"));
    EXPECT_EQ(run.RelayMask(), 0);
    EXPECT_EQ(run.NextTimerEdge(), At("2026-12-14T07:30:00"));
    run.AdvanceTo(At("2026-12-14T07:29:59"));
    EXPECT_EQ(run.RelayMask(), 0);
    run.AdvanceTo(At("2026-12-14T07:30:00"));
    EXPECT_EQ(run.RelayMask(), 0x08);
    EXPECT_EQ(run.State().timers, 0x01);
    // A jump over a whole day passes both of its edges.
    run.AdvanceTo(At("2026-12-15T23:00:00"));
    EXPECT_EQ(run.RelayMask(), 0);
    EXPECT_EQ(run.Now(), At("2026-12-15T23:00:00"));
    // The clock does not run backwards.
    run.AdvanceTo(At("2026-12-15T12:00:00"));
    EXPECT_EQ(run.Now(), At("2026-12-15T23:00:00"));
    EXPECT_EQ(run.RelayMask(), 0);
}

TEST(LiveRun, InputsChangeTheRelaysAtOnce)
{
    LiveRun run(OfficeLike(), At("2026-12-14T06:00:00"), 0x01);
    EXPECT_EQ(run.RelayMask(), 0x08);
    run.SetInput(0, false);
    EXPECT_EQ(run.RelayMask(), 0);
    EXPECT_EQ(run.State().inputs, 0);
    run.SetInputs(0x0f);
    EXPECT_EQ(run.RelayMask(), 0x08);
    run.SetInput(7, false);  // no such input
    EXPECT_EQ(run.State().inputs, 0x0f);
}

TEST(LiveRun, ARelaySwitchedByHandStaysUntilTheNextChange)
{
    LiveRun run(OfficeLike(), At("2026-12-14T06:00:00"));
    run.SwitchRelay(3, true);
    run.SwitchRelay(5, true);  // a relay the program does not use
    EXPECT_EQ(run.RelayMask(), 0x28);
    run.AdvanceTo(At("2026-12-14T07:00:00"));  // nothing changes on the way
    EXPECT_EQ(run.RelayMask(), 0x28);
    // The input change is a step: R3's on condition !(#T0||#S0) holds, and
    // the unused R5 keeps what the hand gave it.
    run.SetInput(1, true);
    EXPECT_EQ(run.RelayMask(), 0x20);

    // Switched off by hand while the timer holds it on: off until the next
    // edge, which the program then evaluates from the hand's state.
    run.AdvanceTo(At("2026-12-14T08:00:00"));
    EXPECT_EQ(run.RelayMask(), 0x28);
    run.SwitchRelay(3, false);
    run.AdvanceTo(At("2026-12-14T21:59:59"));
    EXPECT_EQ(run.RelayMask(), 0x20);
    run.AdvanceTo(At("2026-12-14T22:00:00"));
    EXPECT_EQ(run.RelayMask(), 0x20);
    run.AdvanceTo(At("2026-12-15T07:30:00"));
    EXPECT_EQ(run.RelayMask(), 0x28);
}

TEST(LiveRun, WarningsAreKeptAndTaken)
{
    LiveRun run(FromConditions({{0, u"!#R0"}}), At("2026-12-14T06:00:00"));
    ASSERT_EQ(run.Warnings().size(), 1u);
    EXPECT_EQ(run.Warnings()[0].text, "R0 does not settle at 2026-12-14T06:00:00");
    run.SetInput(0, true);
    EXPECT_EQ(run.TakeWarnings().size(), 2u);
    EXPECT_TRUE(run.Warnings().empty());
    for (int i = 0; i < 1100; ++i)
        run.SetInput(0, i % 2 == 0);
    EXPECT_EQ(run.Warnings().size(), LiveRun::kKeptWarnings);
}

}  // namespace
}  // namespace quarn::runtime
