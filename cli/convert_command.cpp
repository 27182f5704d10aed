// quarnctl convert: the converter's XMI transformation from the command line.
#include "base/file_name.hpp"
#include "base/utf8.hpp"
#include "cli/commands.hpp"
#include "cli/device_report.hpp"
#include "converter/transform.hpp"

#include <iostream>
#include <memory>
#include <string>

namespace quarn::cli {

namespace {

// strict: a conversion that left anything out (every note says what) ends
// with kExitFailed, though the file is written.
void Convert(const std::string& source, const std::string& destination, const std::string& stylesheet, bool strict)
{
    if (source.empty()) {
        std::cerr << "quarnctl: no XMI file given\n";
        throw CLI::RuntimeError(kExitBadInput);
    }
    const std::u16string stylesheetPath = stylesheet.empty() ? DefaultStylesheetPath() : FileNameFromBytes(stylesheet);
    const TransformOutcome outcome =
        TransformXmiToXml(FileNameFromBytes(source), FileNameFromBytes(destination), stylesheetPath);
    for (const std::u16string& note : outcome.notes) {
        std::cerr << TerminalText(note) << '\n';
    }
    if (outcome.status != TransformStatus::Success) {
        if (!outcome.reason.empty())
            std::cerr << TerminalText(outcome.reason) << '\n';
        for (const std::u16string& line : outcome.diagnostics) {
            std::cerr << TerminalText(line) << '\n';
        }
        std::cerr << EncodeUtf8(TransformOutcomeText(outcome)) << '\n';
        throw CLI::RuntimeError(kExitFailed);
    }
    std::cout << EncodeUtf8(TransformOutcomeText(outcome)) << ": " << TerminalText(outcome.destination) << '\n';
    if (strict && !outcome.notes.empty()) {
        throw CLI::RuntimeError(kExitFailed);
    }
}

}  // namespace

void AddConvertCommand(CLI::App& app)
{
    auto* command = app.add_subcommand(
        "convert", "Turn a UML state machine exported as XMI into a state-machine file (what could not be "
                   "mapped is listed on stderr, \"No relay was found in the model.\" first when nothing was)");
    auto source = std::make_shared<std::string>();
    auto destination = std::make_shared<std::string>();
    auto stylesheet = std::make_shared<std::string>();
    auto strict = std::make_shared<bool>(false);
    command->add_option("IN", *source, "XMI file to convert")->required();
    command->add_option("OUT", *destination, "State-machine file to write (default: IN followed by .xml)");
    command->add_option("--stylesheet", *stylesheet, "XSLT stylesheet to apply (default: morvex.xsl beside quarnctl)");
    command->add_flag("--strict", *strict,
                      "Exit with status 1 when anything of the model was not mapped (the file is still written)");
    command->callback(
        [source, destination, stylesheet, strict] { Convert(*source, *destination, *stylesheet, *strict); });
}

}  // namespace quarn::cli
