// quarnctl convert: the converter's XMI transformation from the command line.
#include "cli/commands.hpp"
#include "document/utf8.hpp"
#include "converter/transform.hpp"

#include <iostream>
#include <memory>
#include <string>

namespace quarn::cli {

namespace {

void Convert(const std::string& source, const std::string& destination, const std::string& stylesheet)
{
    if (source.empty()) {
        std::cerr << "quarnctl: no XMI file given\n";
        throw CLI::RuntimeError(kExitBadInput);
    }
    const std::u16string stylesheetPath = stylesheet.empty() ? DefaultStylesheetPath() : DecodeUtf8(stylesheet);
    const TransformOutcome outcome =
        TransformXmiToXml(DecodeUtf8(source), DecodeUtf8(destination), stylesheetPath);
    for (const std::u16string& note : outcome.notes) {
        std::cerr << EncodeUtf8(note) << '\n';
    }
    if (outcome.status != TransformStatus::Success) {
        for (const std::u16string& line : outcome.diagnostics) {
            std::cerr << EncodeUtf8(line) << '\n';
        }
        std::cerr << EncodeUtf8(TransformOutcomeText(outcome)) << '\n';
        throw CLI::RuntimeError(kExitFailed);
    }
    std::cout << EncodeUtf8(TransformOutcomeText(outcome)) << ": " << EncodeUtf8(outcome.destination) << '\n';
}

}  // namespace

void AddConvertCommand(CLI::App& app)
{
    auto* command = app.add_subcommand(
        "convert", "Turn a UML state machine exported as XMI into a state-machine file (what could not be "
                   "mapped is listed on stderr)");
    auto source = std::make_shared<std::string>();
    auto destination = std::make_shared<std::string>();
    auto stylesheet = std::make_shared<std::string>();
    command->add_option("IN", *source, "XMI file to convert")->required();
    command->add_option("OUT", *destination, "State-machine file to write (default: IN followed by .xml)");
    command->add_option("--stylesheet", *stylesheet,
                        "XSLT stylesheet to apply (default: morvex.xsl beside quarnctl)");
    command->callback([source, destination, stylesheet] { Convert(*source, *destination, *stylesheet); });
}

}  // namespace quarn::cli
