#pragma once
// Checks for the numeric options of quarnctl and quarnsim: the text must be
// the number itself (see base/option_numbers.hpp), so "nan", "0x10" and ""
// are refused with the option's name before anything runs.

#include "base/option_numbers.hpp"

#include <CLI/CLI.hpp>

#include <string>

namespace quarn::cli {

// Decimal digits, optionally after a '-': what a count or a port is written
// as. The text is handed on without leading zeros, which the conversion
// after the check would read as octal.
inline CLI::Validator DecimalNumber()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const auto value = StrictDecimal(text);
            if (!value)
                return "expected a decimal whole number, got \"" + text + "\"";
            text = std::to_string(*value);
            return {};
        },
        "DECIMAL");
}

// A finite number from low to high.
inline CLI::Validator FiniteNumberIn(double low, double high)
{
    return CLI::Validator(
        [low, high](std::string& text) -> std::string {
            const auto value = StrictFiniteNumber(text);
            if (value && *value >= low && *value <= high)
                return {};
            return "expected a number from " + CLI::detail::to_string(low) + " to " + CLI::detail::to_string(high) +
                   ", got \"" + text + "\"";
        },
        "NUMBER in [" + CLI::detail::to_string(low) + " - " + CLI::detail::to_string(high) + "]");
}

}  // namespace quarn::cli
