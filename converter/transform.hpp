#pragma once
// Turns an XMI file into a state-machine file by applying the stylesheet
// morvex.xsl that lies beside the program.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarn {

enum class TransformStatus {
    NothingDone,  // the source path was empty; no file was touched
    Success,      // the result was written to the destination
    Failure,      // a step failed; code and text say which
};

// The first note of a conversion in which no relay could be mapped.
inline constexpr char16_t kNoRelayNote[] = u"No relay was found in the model.";

struct TransformOutcome {
    TransformStatus status = TransformStatus::NothingDone;
    std::uint32_t code = 0;      // 0, or the failure code of the step that failed
    std::u16string destination;  // the destination as used (given or derived)
    // What the stylesheet reported while it ran (xsl:message): on success,
    // the parts of the model it could not map.
    std::vector<std::u16string> notes;
    // What the XML parser and the XSLT engine said about a failure; never
    // printed by the converter itself.
    std::vector<std::u16string> diagnostics;
    // Why a file could not be loaded, in one line: "<path>: no such file",
    // "<path>: not well-formed at line L, column C: <parser's message>", or
    // the engine's first word on it. Empty for other outcomes.
    std::u16string reason;

    // True on success when the notes say that no relay was mapped: the file
    // then switches nothing.
    bool NoRelayFound() const;
};

// The stylesheet used by default: the folder of the running executable
// followed by "/morvex.xsl".
std::u16string DefaultStylesheetPath();

// Transforms source into destination (source + ".xml" when empty) with the
// stylesheet at stylesheetPath. Steps, in order: load the stylesheet, load
// the source, transform, save; the first step that fails ends the run and
// nothing after it happens (a failed load leaves the destination untouched).
// The source is read without network access and without loading external
// entities or DTDs; the stylesheet may not write files, create folders or use
// the network. Never throws.
TransformOutcome TransformXmiToXml(std::u16string_view source, std::u16string_view destination,
                                   std::u16string_view stylesheetPath);

// The same with DefaultStylesheetPath().
TransformOutcome TransformXmiToXml(std::u16string_view source, std::u16string_view destination);

// The destination derived from a source path: the whole path followed by
// ".xml" (model.xmi gives model.xmi.xml).
std::u16string DeriveDestination(std::u16string_view source);

// The text the user sees for an outcome: "File transformed successfully",
// "Some error occured <description> (<code in hex>)", or empty when nothing
// was done.
std::u16string TransformOutcomeText(const TransformOutcome& outcome);

}  // namespace quarn
