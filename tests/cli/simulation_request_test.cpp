// The period and input options of simulate and diff.
#include "cli/simulation_request.hpp"

#include <gtest/gtest.h>

namespace quarn::cli {
namespace {

TEST(SimulationRequest, InputOptions)
{
    const struct {
        const char* text;
        bool valid;
        int input;
        bool on;
        std::optional<runtime::Instant> at;
    } cases[] = {
        {"S0=1", true, 0, true, std::nullopt},
        {"S3=0", true, 3, false, std::nullopt},
        {"S2=1@2026-12-14T07:30:00", true, 2, true, 850548600},
        {"S2=1@2026-12-14", true, 2, true, 850521600},
        {"S4=1", false, 0, false, std::nullopt},
        {"s0=1", false, 0, false, std::nullopt},
        {"S0=2", false, 0, false, std::nullopt},
        {"S0=on", false, 0, false, std::nullopt},
        {"S0=1@", false, 0, false, std::nullopt},
        {"S0=1@2026-12-14 07:30:00", false, 0, false, std::nullopt},
        {"S0=1 ", false, 0, false, std::nullopt},
        {"S0", false, 0, false, std::nullopt},
        {"", false, 0, false, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto change = ParseInputOption(c.text);
        ASSERT_EQ(change.has_value(), c.valid) << c.text;
        if (!change)
            continue;
        EXPECT_EQ(change->input, c.input) << c.text;
        EXPECT_EQ(change->on, c.on) << c.text;
        EXPECT_EQ(change->at, c.at) << c.text;
    }
}

TEST(SimulationRequest, PeriodFromTheOptionsOrThisWeek)
{
    const runtime::Instant wednesdayNoon = 850521600 + 2 * runtime::kSecondsPerDay + 43200;
    SimulationPeriod period;
    EXPECT_EQ(ResolveSimulation({}, wednesdayNoon, period), "");
    EXPECT_EQ(period.from, 850521600);
    EXPECT_EQ(period.to, 850521600 + runtime::kSecondsPerWeek);

    SimulationRequest request;
    request.from = "2026-12-16T12:00:00";
    request.days = 365;
    request.inputs = {"S1=1", "S1=0@2027-01-01T00:00:00"};
    EXPECT_EQ(ResolveSimulation(request, 0, period), "");
    EXPECT_EQ(period.from, wednesdayNoon);
    EXPECT_EQ(period.to, wednesdayNoon + 365 * runtime::kSecondsPerDay);
    ASSERT_EQ(period.inputs.size(), 2u);
    EXPECT_FALSE(period.inputs[0].at.has_value());
    EXPECT_EQ(period.inputs[1].at, runtime::ParseInstant("2027-01-01"));

    request.days = kMaxDays + 1;
    EXPECT_NE(ResolveSimulation(request, 0, period), "");
    request.days = kMaxDays;
    request.inputs = {"S1=1", "R1=1"};
    EXPECT_EQ(ResolveSimulation(request, 0, period),
              "--input \"R1=1\": expected Sn=0|1 or Sn=0|1@YYYY-MM-DDTHH:MM:SS with n from 0 to 3");
}

}  // namespace
}  // namespace quarn::cli
