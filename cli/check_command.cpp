// quarnctl check: what a state-machine file's program can do over a period
// whatever its free inputs do: findings, and the never/always properties
// asked for with a schedule that breaks each one that fails.
#include "base/terminal_text.hpp"
#include "base/utf8.hpp"
#include "cli/check_output.hpp"
#include "cli/commands.hpp"
#include "cli/simulation_options.hpp"
#include "runtime/check.hpp"

#include <iostream>
#include <memory>
#include <variant>

namespace quarn::cli {

namespace {

struct CheckOptions {
    std::string file;
    SimulationRequest request;
    std::vector<std::string> never;
    std::vector<std::string> always;
    std::string format = "text";
    // The properties in command-line order, filled from the parse order.
    std::vector<std::pair<bool, std::string>> properties;
};

void Check(const CheckOptions& options)
{
    const SimulationPeriod period = ResolveOrFail(options.request);
    runtime::CheckRequest request;
    request.from = period.from;
    request.to = period.to;
    for (std::size_t i = 0; i < period.inputs.size(); ++i) {
        const runtime::InputChange& change = period.inputs[i];
        if (change.at)
            FailBadOption("--input \"" + options.request.inputs[i] +
                          "\": check pins an input for the whole period: expected Sn=0|1 without an instant");
        const auto bit = static_cast<std::uint8_t>(1u << change.input);
        request.pinned |= bit;
        request.pinnedValues =
            static_cast<std::uint8_t>(change.on ? request.pinnedValues | bit : request.pinnedValues & ~bit);
    }
    for (const auto& [always, text] : options.properties) {
        auto parsed = runtime::Condition::Parse(DecodeUtf8(text));
        if (const auto* error = std::get_if<runtime::ConditionError>(&parsed))
            FailBadOption(std::string(always ? "--always " : "--never ") + error->Message());
        request.properties.push_back({always, text, std::get<runtime::Condition>(std::move(parsed))});
    }

    StateMachineModel model;
    runtime::ProgramText text;
    ReadProgramOrFail(options.file, kExitBadInput, model, text);

    const runtime::CheckReport report = runtime::CheckProgram(text, request);
    if (!report.failure.empty())
        FailBadOption(options.file + ": " + report.failure);
    if (options.format == "json")
        std::cout << CheckJson(report, period.from, period.to).dump(2) << '\n';
    else
        std::cout << TerminalSafeLines(CheckText(report));
    std::cout << std::flush;
    if (const int status = CheckStatus(report); status != 0)
        throw CLI::RuntimeError(status);
}

}  // namespace

void AddCheckCommand(CLI::App& app)
{
    auto options = std::make_shared<CheckOptions>();
    CLI::App* check = app.add_subcommand(
        "check", "Check a state-machine file's program for every input schedule: findings and never/always properties");
    check->add_option("FILE", options->file, "State-machine file")->required();
    AddSimulationOptions(*check, options->request);
    CLI::Option* never =
        check->add_option("--never", options->never, "COND must hold in no reachable state")->allow_extra_args(false);
    CLI::Option* always = check->add_option("--always", options->always, "COND must hold in every reachable state")
                              ->allow_extra_args(false);
    check->add_option("--format", options->format, "Output: text (default) or json")
        ->check(CLI::IsMember({"text", "json"}));
    check->footer("An --input without an instant pins that input for the whole period; the others are free.\n"
                  "Exit status: 0 every property holds and no finding is a warning or an error, 1 a property fails "
                  "or a finding is a warning, 2 a bad option, a file that cannot be read or a condition error.");
    check->callback([options, check, never, always] {
        options->properties.clear();
        std::size_t nextNever = 0;
        std::size_t nextAlways = 0;
        for (const CLI::Option* option : check->parse_order()) {
            if (option == never && nextNever < options->never.size())
                options->properties.emplace_back(false, options->never[nextNever++]);
            else if (option == always && nextAlways < options->always.size())
                options->properties.emplace_back(true, options->always[nextAlways++]);
        }
        Check(*options);
    });
}

}  // namespace quarn::cli
