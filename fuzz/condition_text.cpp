// Condition text: ParseConditionText over arbitrary text. Invariants: every
// selection is an index into the input list, and BuildConditionText after
// ParseConditionText is a fixed point of that pair.
//
// Input: the text as little-endian 16-bit units.

#include "document/condition_text.hpp"
#include "fuzz/fuzz_check.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quarn;
    const std::u16string text = fuzz::Utf16Units(data, size);

    const GateSelections selections = ParseConditionText(text);
    for (const int index : selections)
        FUZZ_CHECK(index >= 0 && index < kConditionInputCount);
    const int token = MapConditionToken(text);
    FUZZ_CHECK(token >= 0 && token < kConditionInputCount);

    const std::u16string built = BuildConditionText(selections);
    const GateSelections again = ParseConditionText(built);
    FUZZ_CHECK(BuildConditionText(again) == built);
    return 0;
}
