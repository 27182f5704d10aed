#include "base/option_numbers.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quarn {
namespace {

TEST(OptionNumbers, OnlyTheWholeTextInDecimalIsANumber)
{
    const struct {
        std::string text;
        std::optional<long long> decimal;
        std::optional<double> finite;
    } cases[] = {
        {"7", 7, 7.0},
        {"010", 10, 10.0},
        {"-3", -3, -3.0},
        {"0.5", std::nullopt, 0.5},
        {"1e3", std::nullopt, 1000.0},
        {"", std::nullopt, std::nullopt},
        {" 7", std::nullopt, std::nullopt},
        {"7 ", std::nullopt, std::nullopt},
        {"+7", std::nullopt, std::nullopt},
        {"0x10", std::nullopt, std::nullopt},
        {"nan", std::nullopt, std::nullopt},
        {"-inf", std::nullopt, std::nullopt},
        {"infinity", std::nullopt, std::nullopt},
        {"1e999", std::nullopt, std::nullopt},
        {"99999999999999999999", std::nullopt, 1e20},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StrictDecimal(c.text), c.decimal) << '"' << c.text << '"';
        EXPECT_EQ(StrictFiniteNumber(c.text), c.finite) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace quarn
