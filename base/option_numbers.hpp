#pragma once
// Numbers given on a command line, read strictly: the whole text is the
// number, in decimal, with no white space around it. "0x10", "010" read as
// ten, "" and "nan" are what a user did not mean as a count or a duration.

#include <optional>
#include <string_view>

namespace quarn {

// An optional '-' and decimal digits, within the range of long long.
std::optional<long long> StrictDecimal(std::string_view text);

// A decimal number such as "20", "0.5" or "1e3" that is finite: no NaN, no
// infinity, no hexadecimal.
std::optional<double> StrictFiniteNumber(std::string_view text);

}  // namespace quarn
