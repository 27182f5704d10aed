// quarnctl explain: why each relay of a state-machine file's program is on or
// off at an instant, and when it changes next.
#include "base/terminal_text.hpp"
#include "cli/commands.hpp"
#include "cli/explain_output.hpp"
#include "cli/simulation_options.hpp"
#include "cli/simulation_request.hpp"
#include "runtime/explanation.hpp"

#include <iostream>
#include <memory>

namespace quarn::cli {

namespace {

struct ExplainOptions {
    std::string file;
    std::string at;
    std::string from;
    std::vector<std::string> inputs;
    std::string relay;
    std::string format = "text";
};

void Explain(const ExplainOptions& options)
{
    const auto at = runtime::ParseInstant(options.at);
    if (!at || options.at.size() != 19)
        FailBadOption("--at \"" + options.at + "\": expected YYYY-MM-DDTHH:MM:SS");
    runtime::Instant from = runtime::StartOfWeek(*at);
    if (!options.from.empty()) {
        const auto given = runtime::ParseInstant(options.from);
        if (!given)
            FailBadOption("--from \"" + options.from + "\": expected YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS");
        if (*given > *at)
            FailBadOption("--from \"" + options.from + "\": after --at");
        if (*at - *given > kMaxDays * runtime::kSecondsPerDay)
            FailBadOption("--from \"" + options.from + "\": more than " + std::to_string(kMaxDays) +
                          " days before --at");
        from = *given;
    }
    runtime::InputSchedule inputs;
    for (const std::string& text : options.inputs) {
        const auto change = ParseInputOption(text);
        if (!change)
            FailBadOption("--input \"" + text + "\": expected Sn=0|1 or Sn=0|1@YYYY-MM-DDTHH:MM:SS with n from 0 to 3");
        inputs.push_back(*change);
    }
    std::optional<int> relay;
    if (!options.relay.empty()) {
        if (options.relay.size() != 2 || options.relay[0] != 'R' || options.relay[1] < '0' || options.relay[1] > '7')
            FailBadOption("--relay \"" + options.relay + "\": expected R0 to R7");
        relay = options.relay[1] - '0';
    }
    const LoadedProgram loaded = LoadProgramOrFail(options.file);
    const runtime::Explanation explanation = runtime::Explain(loaded.program, loaded.text, from, *at, inputs, relay);
    if (options.format == "json")
        std::cout << ExplanationJson(explanation).dump(2) << '\n';
    else
        std::cout << TerminalSafeLines(ExplanationText(explanation));
    std::cout << std::flush;
}

}  // namespace

void AddExplainCommand(CLI::App& app)
{
    auto options = std::make_shared<ExplainOptions>();
    CLI::App* explain =
        app.add_subcommand("explain", "Why each relay is on or off at an instant, and when it changes next");
    explain->add_option("FILE", options->file, "State-machine file")->required();
    explain->add_option("--at", options->at, "The instant, YYYY-MM-DDTHH:MM:SS")->required();
    explain->add_option("--from", options->from,
                        "Where the simulation starts (default: Monday 00:00:00 of the week that holds --at)");
    explain
        ->add_option("--input", options->inputs,
                     "Sn=0|1 holds input n from the start; Sn=0|1@YYYY-MM-DDTHH:MM:SS from that instant")
        ->take_all()
        ->allow_extra_args(false);
    explain->add_option("--relay", options->relay, "Only this relay, R0-R7");
    explain->add_option("--format", options->format, "Output: text (default) or json")
        ->check(CLI::IsMember({"text", "json"}));
    explain->footer("Exit status: 0 done, 1 the file cannot be read, 2 a bad option or a condition outside the rules.");
    explain->callback([options] { Explain(*options); });
}

}  // namespace quarn::cli
