// quarnctl diff: what differs between two state-machine files, in their
// documents and in what they switch over a period.
#include "cli/commands.hpp"
#include "cli/program_diff.hpp"
#include "cli/simulation_options.hpp"

#include <iostream>
#include <memory>

namespace quarn::cli {

namespace {

struct DiffOptions {
    std::string a;
    std::string b;
    SimulationRequest request;
    bool json = false;
};

// Exit statuses of diff: 1 is taken by "some relay differs".
constexpr int kExitDiffers = 1;
constexpr int kExitDiffError = 2;

void Diff(const DiffOptions& options)
{
    const SimulationPeriod period = ResolveOrFail(options.request);
    const LoadedProgram a = LoadProgramOrFail(options.a, kExitDiffError);
    const LoadedProgram b = LoadProgramOrFail(options.b, kExitDiffError);
    ProgramDiff diff;
    diff.documents = DocumentDifferences(a.model, a.text, b.model, b.text);
    diff.a = runtime::Simulate(a.program, period.from, period.to, period.inputs);
    diff.b = runtime::Simulate(b.program, period.from, period.to, period.inputs);
    diff.behaviour = runtime::RelayDifferences(diff.a, diff.b);
    std::cout << (options.json ? DiffJson(diff).dump(2) + "\n" : DiffText(diff)) << std::flush;
    if (!diff.behaviour.empty())
        throw CLI::RuntimeError(kExitDiffers);
}

}  // namespace

void AddDiffCommand(CLI::App& app)
{
    auto options = std::make_shared<DiffOptions>();
    CLI::App* diff = app.add_subcommand(
        "diff", "Compare two state-machine files: their documents, then what they switch over a period");
    diff->add_option("A.xml", options->a, "The first state-machine file")->required();
    diff->add_option("B.xml", options->b, "The second state-machine file")->required();
    AddSimulationOptions(*diff, options->request);
    diff->add_flag("--json", options->json, "Print the findings as JSON");
    diff->footer("Exit status: 0 when every relay switches alike, 1 when some relay differs, 2 on errors.");
    diff->callback([options] { Diff(*options); });
}

}  // namespace quarn::cli
