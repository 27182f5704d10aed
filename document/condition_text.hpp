#pragma once
// The relay condition text and its two conversions to and from the eight
// inputs of the condition circuit (an AND gate of four inputs and an OR gate
// of four inputs, joined by a further OR gate).

#include <array>
#include <string>
#include <string_view>

namespace quarn {

inline constexpr int kConditionInputCount = 22;

// Input list indexes: 0 "0", 1 "1", 2-9 "T0"-"T7", 10-17 "R0"-"R7",
// 18-21 "S0"-"S3".
inline constexpr int kInputFalse = 0;
inline constexpr int kInputTrue = 1;
inline constexpr int kFirstTimerInput = 2;
inline constexpr int kFirstRelayInput = 10;
inline constexpr int kFirstSwitchInput = 18;

// The 22 input texts in list order.
const std::array<std::u16string_view, kConditionInputCount>& ConditionInputList();

// Eight indexes into the input list: [0]-[3] are the AND gate's inputs,
// [4]-[7] the OR gate's. An index outside the list means "no selection" and
// counts as neutral. The neutral AND input is 1, the neutral OR input 0.
using GateSelections = std::array<int, 8>;
inline constexpr int kAndInputs = 4;

// All inputs neutral: AND inputs "1", OR inputs "0".
GateSelections NeutralSelections();

// Whether a gate takes part in the condition: some input of it is not
// neutral. A gate with only neutral inputs is left out of the text, so
// the AND gate's four "1" inputs do not make the relay always on.
bool AndGateUsed(const GateSelections& selections);
bool OrGateUsed(const GateSelections& selections);

// "(#T0&&#T1)||#R2" for AND T0, T1, 1, 1 and OR R2, 0, 0, 0; empty when every
// input is neutral.
std::u16string BuildConditionText(const GateSelections& selections);

// The reverse of BuildConditionText; forgiving about texts written by other
// tools. A text that opens with "(" but holds nothing other than ")" after it
// gives all inputs neutral.
GateSelections ParseConditionText(std::u16string_view text);

// True when the circuit shows text exactly: building the text from its
// parsed selections gives text back. Anything else (a "!", an S input in
// the AND gate, brackets the writer never writes, foreign tokens) would be
// changed by editing it in the condition dialog.
bool GatesShowExactly(std::u16string_view text);

// Maps one token such as "#T3", "(#R0" or "1" to an input list index;
// anything unknown or out of range gives 0.
int MapConditionToken(std::u16string_view token);

}  // namespace quarn
