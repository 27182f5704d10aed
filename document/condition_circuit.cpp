#include "document/condition_circuit.hpp"

#include "document/markup_text.hpp"

#include <initializer_list>

namespace quarn {

namespace {

constexpr const char* kInk = "#000000";
constexpr const char* kGreyInk = "#a0a0a0";
// A static text's top in dialog units lies this far above its baseline.
constexpr int kBaseline = 7;

}  // namespace

ConditionCircuit CircuitOf(std::u16string_view condition, int relay)
{
    ConditionCircuit circuit;
    circuit.selections = ParseConditionText(condition);
    circuit.andGateUsed = AndGateUsed(circuit.selections);
    circuit.orGateUsed = OrGateUsed(circuit.selections);
    circuit.shown = BuildConditionText(circuit.selections);
    circuit.exact = circuit.shown == condition;
    // "R %d", as the dialog's caption and output label have it.
    circuit.relayLabel = u"R ";
    for (const char digit : std::to_string(relay))
        circuit.relayLabel += static_cast<char16_t>(digit);
    return circuit;
}

std::string WriteCircuitSvg(const ConditionCircuit& circuit, double scale)
{
    std::string svg;
    const auto add = [&svg](std::initializer_list<std::string_view> parts) {
        for (const std::string_view part : parts)
            svg += part;
        svg += '\n';
    };
    const auto ink = [&circuit](CircuitPart part) {
        const bool used =
            part == CircuitPart::Output || (part == CircuitPart::AndGate ? circuit.andGateUsed : circuit.orGateUsed);
        return used ? kInk : kGreyInk;
    };
    const auto text = [&add](CircuitPoint at, std::string_view content, const char* colour) {
        add({"<text x=\"", std::to_string(at.x), "\" y=\"", std::to_string(at.y + kBaseline), "\" fill=\"", colour,
             "\">", content, "</text>"});
    };

    add({"<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"", MarkupNumber(kCircuitWidth * scale), "\" height=\"",
         MarkupNumber(kCircuitHeight * scale), "\" viewBox=\"0 0 ", std::to_string(kCircuitWidth), " ",
         std::to_string(kCircuitHeight), "\" font-family=\"sans-serif\" font-size=\"8\">"});
    add({"<title>", MarkupText(circuit.relayLabel), ": ", MarkupText(circuit.shown), "</title>"});
    add({"<rect x=\"0\" y=\"0\" width=\"", std::to_string(kCircuitWidth), "\" height=\"",
         std::to_string(kCircuitHeight), "\" fill=\"#ffffff\"/>"});

    // The eight input lists with their selected entries.
    const auto& entries = ConditionInputList();
    for (int i = 0; i < kCircuitInputs; ++i) {
        const int y = kCircuitInputY[static_cast<std::size_t>(i)];
        const int index = circuit.selections[static_cast<std::size_t>(i)];
        const std::u16string_view entry =
            index >= 0 && index < kConditionInputCount ? entries[static_cast<std::size_t>(index)] : u"";
        const char* colour = ink(i < kAndInputs ? CircuitPart::AndGate : CircuitPart::OrGate);
        add({"<rect class=\"input\" x=\"", std::to_string(kCircuitInputX), "\" y=\"", std::to_string(y), "\" width=\"",
             std::to_string(kCircuitInputWidth), "\" height=\"", std::to_string(kCircuitInputHeight),
             "\" fill=\"none\" stroke=\"", colour, "\" stroke-width=\"0.7\"/>"});
        add({"<path d=\"M", std::to_string(kCircuitInputX + kCircuitInputWidth - 9), " ", std::to_string(y + 4),
             "h6l-3 4z\" fill=\"", colour, "\"/>"});
        text({kCircuitInputX + 3, y + 2}, MarkupText(entry), colour);
    }

    for (std::size_t g = 0; g < kCircuitGates.size(); ++g) {
        const CircuitBox& box = kCircuitGates[g];
        add({"<rect class=\"gate\" x=\"", std::to_string(box.x), "\" y=\"", std::to_string(box.y), "\" width=\"",
             std::to_string(box.width), "\" height=\"", std::to_string(box.height), "\" fill=\"none\" stroke=\"",
             ink(static_cast<CircuitPart>(g)), "\" stroke-width=\"1\"/>"});
    }
    for (std::size_t w = 0; w < kCircuitWires.size(); ++w) {
        const CircuitBox& wire = kCircuitWires[w];
        add({"<rect class=\"wire\" x=\"", std::to_string(wire.x), "\" y=\"", std::to_string(wire.y), "\" width=\"",
             std::to_string(wire.width), "\" height=\"", std::to_string(wire.height), "\" fill=\"",
             ink(kCircuitWireParts[w]), "\"/>"});
    }
    text(kCircuitAndLabel, "&amp;&amp;", ink(CircuitPart::AndGate));
    text(kCircuitOrLabel, "&gt;=1", ink(CircuitPart::OrGate));
    text(kCircuitOutputLabel, "&gt;=1", kInk);
    if (!circuit.andGateUsed)
        text(kCircuitAndUnused, "not used", kGreyInk);
    if (!circuit.orGateUsed)
        text(kCircuitOrUnused, "not used", kGreyInk);
    text(kCircuitOutputText, "Output", kInk);
    text(kCircuitRelayLabel, MarkupText(circuit.relayLabel), kInk);
    add({"</svg>"});
    return svg;
}

}  // namespace quarn
