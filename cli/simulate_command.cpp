// quarnctl simulate: what a state-machine file's program does over a period,
// as text, JSON, CSV or an SVG picture.
#include "base/terminal_text.hpp"
#include "cli/commands.hpp"
#include "cli/simulation_options.hpp"
#include "cli/timeline_output.hpp"
#include "runtime/picture.hpp"

#include <iostream>
#include <memory>

namespace quarn::cli {

namespace {

struct SimulateOptions {
    std::string file;
    SimulationRequest request;
    std::string format = "text";
    std::string out;
};

void Simulate(const SimulateOptions& options)
{
    const SimulationPeriod period = ResolveOrFail(options.request);
    const LoadedProgram loaded = LoadProgramOrFail(options.file);
    const runtime::Timeline timeline = runtime::Simulate(loaded.program, period.from, period.to, period.inputs);

    std::string bytes;
    bool warningsShown = false;
    if (options.format == "json") {
        bytes = TimelineJsonText(timeline);
        warningsShown = true;
    } else if (options.format == "csv") {
        bytes = TimelineCsv(timeline);
    } else if (options.format == "svg") {
        bytes = runtime::WriteSvg(
            runtime::LayOutTimeline(timeline, loaded.program.uses, runtime::PictureTextsOf(loaded.model)));
    } else {
        bytes = TimelineText(timeline);
        warningsShown = true;
    }
    // Formats that cannot carry them name the warnings on stderr.
    if (!warningsShown) {
        for (const std::string& warning : WarningTexts(timeline))
            std::cerr << "warning: " << TerminalSafeUtf8(warning) << '\n';
    }
    WriteOutputOrFail(options.out, bytes);
}

}  // namespace

void AddSimulateCommand(CLI::App& app)
{
    auto options = std::make_shared<SimulateOptions>();
    CLI::App* simulate = app.add_subcommand(
        "simulate", "Show what a state-machine file's program does over a period: timers, inputs and relays");
    simulate->add_option("FILE", options->file, "State-machine file")->required();
    AddSimulationOptions(*simulate, options->request);
    simulate->add_option("--format", options->format, "Output: text (default), json, csv or svg")
        ->check(CLI::IsMember({"text", "json", "csv", "svg"}));
    simulate->add_option("-o,--output", options->out, "Write the output to this file instead of stdout");
    simulate->callback([options] { Simulate(*options); });
}

}  // namespace quarn::cli
