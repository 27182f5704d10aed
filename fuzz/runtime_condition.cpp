// The runtime's condition: Condition::Parse over arbitrary text, then
// Evaluate. Invariants: a signal the condition does not use never changes
// its value; a condition the editor's gates build (BuildConditionText of
// what ParseConditionText makes of the same text) is always in the grammar;
// an error points into the text.
//
// Input: two bytes of signal state seed, then the text as little-endian
// 16-bit units.

#include "document/condition_text.hpp"
#include "fuzz/fuzz_check.hpp"
#include "runtime/condition.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quarn;
    if (size < 2)
        return 0;
    const unsigned seed = data[0] | (data[1] << 8);
    const std::u16string text = fuzz::Utf16Units(data + 2, size - 2);

    const auto parsed = runtime::Condition::Parse(text);
    if (const auto* error = std::get_if<runtime::ConditionError>(&parsed)) {
        FUZZ_CHECK(!error->Message().empty());
    } else {
        const runtime::Condition& condition = std::get<runtime::Condition>(parsed);
        const runtime::SignalState uses = condition.Uses();
        for (unsigned round = 0; round < 8; ++round) {
            const unsigned bits = (seed * 2654435761u) ^ (round * 40503u);
            runtime::SignalState state;
            state.timers = static_cast<std::uint8_t>(bits);
            state.inputs = static_cast<std::uint8_t>((bits >> 8) & 0x0F);
            state.relays = static_cast<std::uint8_t>(bits >> 16);
            runtime::SignalState flipped = state;
            flipped.timers ^= static_cast<std::uint8_t>(~uses.timers);
            flipped.inputs ^= static_cast<std::uint8_t>(~uses.inputs & 0x0F);
            flipped.relays ^= static_cast<std::uint8_t>(~uses.relays);
            FUZZ_CHECK(condition.Evaluate(state) == condition.Evaluate(flipped));
        }
    }

    // What the condition dialog would write for this text is always read.
    const std::u16string gates = BuildConditionText(ParseConditionText(text));
    if (!gates.empty())
        FUZZ_CHECK(std::holds_alternative<runtime::Condition>(runtime::Condition::Parse(gates)));
    return 0;
}
