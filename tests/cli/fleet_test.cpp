#include "cli/fleet.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace quarn::cli {
namespace {

TEST(RunJobs, EveryJobRunsOnceWithAtMostParallelAtATime)
{
    for (const std::size_t parallel : {std::size_t{1}, std::size_t{4}, std::size_t{64}}) {
        constexpr std::size_t count = 40;
        std::vector<std::atomic<int>> runs(count);
        std::atomic<int> running{0};
        std::atomic<int> most{0};
        std::vector<std::pair<std::size_t, std::size_t>> progress;
        RunJobs(
            count, parallel,
            [&](std::size_t i) {
                const int now = ++running;
                for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                ++runs[i];
                --running;
                return i % 5 != 0;
            },
            [&](std::size_t done, std::size_t failed) {
                // Always on the calling thread, so no lock is needed here.
                progress.emplace_back(done, failed);
            });
        for (std::size_t i = 0; i < count; ++i)
            EXPECT_EQ(runs[i], 1) << i;
        EXPECT_LE(most, static_cast<int>(parallel));
        if (parallel > 1) {
            EXPECT_GT(most, 1);
        }
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), std::make_pair(count, std::size_t{8}));
        for (std::size_t k = 1; k < progress.size(); ++k)
            EXPECT_GT(progress[k].first, progress[k - 1].first);
    }
}

TEST(RunJobs, WaitsOneJobLengthWhenAllRunTogether)
{
    const auto start = std::chrono::steady_clock::now();
    RunJobs(16, 16,
            [](std::size_t) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                return true;
            },
            {});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    RunJobs(0, 4, [](std::size_t) { return true; }, {});
}

TEST(FleetText, ProgressAndColumns)
{
    EXPECT_EQ(ProgressText(37, 200, 2), "37/200 done, 2 failed");
    EXPECT_EQ(TextColumns("gr\xC3\xBC\xC3\x9F"), 4u);
    EXPECT_EQ(PadTo("gr\xC3\xBC\xC3\x9F", 6), "gr\xC3\xBC\xC3\x9F  ");
    EXPECT_EQ(PadTo("longer", 3), "longer");
    // A megabyte of message becomes a cell of 120 characters.
    EXPECT_EQ(CutToColumns(std::string(1 << 20, 'x')), std::string(117, 'x') + "...");
    EXPECT_EQ(CutToColumns("State machine accepted"), "State machine accepted");
    EXPECT_EQ(CutToColumns("gr\xC3\xBC\xC3\x9F und mehr", 6), "gr\xC3\xBC...");
}

}  // namespace
}  // namespace quarn::cli
