#pragma once
// A relay's condition drawn as the condition dialog draws it: four inputs
// into an AND gate, four into an OR gate, both gate outputs into a second OR
// gate whose output is the relay. The geometry is the dialog's, in its
// dialog units (x to the right, y downwards); the dialog places its controls
// by it and the printed report draws it as SVG, so both show one circuit.

#include "document/condition_text.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarn {

struct CircuitBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Which part of the circuit a wire belongs to; an unused gate is greyed
// with its wires.
enum class CircuitPart : std::uint8_t { AndGate, OrGate, Output };

inline constexpr int kCircuitInputs = 8;

// The eight input lists (AND inputs 1-4, then OR inputs 5-8).
inline constexpr int kCircuitInputX = 18;
inline constexpr int kCircuitInputWidth = 60;
inline constexpr int kCircuitInputHeight = 12;
inline constexpr std::array<int, kCircuitInputs> kCircuitInputY{18, 36, 54, 72, 108, 126, 145, 162};

// Gate outlines: the AND gate, the OR gate, the output gate.
inline constexpr std::array<CircuitBox, 3> kCircuitGates{{{114, 12, 42, 78}, {114, 102, 42, 78}, {198, 54, 42, 78}}};

// Wires one unit thick: the eight inputs into the gates, then the gate
// outputs into the output gate and from it to the output.
inline constexpr std::array<CircuitBox, 15> kCircuitWires{{
    {84, 24, 30, 1},
    {84, 42, 30, 1},
    {84, 60, 30, 1},
    {84, 78, 30, 1},
    {84, 114, 30, 1},
    {84, 132, 30, 1},
    {84, 150, 30, 1},
    {84, 168, 30, 1},
    {156, 48, 18, 1},
    {156, 138, 18, 1},
    {174, 48, 1, 18},
    {174, 120, 1, 18},
    {175, 65, 23, 1},
    {174, 120, 24, 1},
    {240, 90, 18, 1},
}};
inline constexpr std::array<CircuitPart, 15> kCircuitWireParts{
    CircuitPart::AndGate, CircuitPart::AndGate, CircuitPart::AndGate, CircuitPart::AndGate, CircuitPart::OrGate,
    CircuitPart::OrGate,  CircuitPart::OrGate,  CircuitPart::OrGate,  CircuitPart::AndGate, CircuitPart::OrGate,
    CircuitPart::AndGate, CircuitPart::OrGate,  CircuitPart::AndGate, CircuitPart::OrGate,  CircuitPart::Output,
};

// Top-left corners of the texts.
struct CircuitPoint {
    int x = 0;
    int y = 0;
};
inline constexpr CircuitPoint kCircuitAndLabel{132, 48};     // "&&"
inline constexpr CircuitPoint kCircuitOrLabel{132, 132};     // ">=1"
inline constexpr CircuitPoint kCircuitOutputLabel{210, 90};  // ">=1"
inline constexpr CircuitPoint kCircuitAndUnused{117, 62};    // "not used"
inline constexpr CircuitPoint kCircuitOrUnused{117, 146};    // "not used"
inline constexpr CircuitPoint kCircuitOutputText{264, 84};   // "Output"
inline constexpr CircuitPoint kCircuitRelayLabel{264, 96};   // "R 3"

// The circuit without the dialog's buttons.
inline constexpr int kCircuitWidth = 300;
inline constexpr int kCircuitHeight = 180;

// What the circuit shows for one relay's condition.
struct ConditionCircuit {
    GateSelections selections{};  // as the dialog's lists select them
    bool andGateUsed = false;
    bool orGateUsed = false;
    // False when the gates cannot show the condition exactly; shown is
    // then the condition they do show, which the dialog would put in its place.
    bool exact = true;
    std::u16string shown;
    std::u16string relayLabel;  // "R 3", as the dialog labels the output
};

// The circuit of relay `relay`'s condition.
ConditionCircuit CircuitOf(std::u16string_view condition, int relay);

// The circuit as an SVG element (no XML declaration, so it can stand inside
// an HTML page or a file of its own), drawn black on white, unused gates
// grey and marked "not used". `scale` is pixels per dialog unit.
std::string WriteCircuitSvg(const ConditionCircuit& circuit, double scale = 1.5);

}  // namespace quarn
