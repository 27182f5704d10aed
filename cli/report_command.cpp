// quarnctl report: a state-machine file's program on paper, as one
// self-contained HTML page that a browser prints.
#include "base/utf8.hpp"
#include "cli/commands.hpp"
#include "cli/simulation_options.hpp"
#include "runtime/local_clock.hpp"
#include "runtime/report.hpp"

#include <memory>

namespace quarn::cli {

namespace {

struct ReportOptions {
    std::string file;
    SimulationRequest request;
    std::string out;
};

void Report(const ReportOptions& options)
{
    const SimulationPeriod period = ResolveOrFail(options.request);
    StateMachineModel model;
    runtime::ProgramText text;
    ReadProgramOrFail(options.file, kExitFailed, model, text);
    // A condition outside the grammar does not stop the page: it shows the
    // timers and conditions, and the findings say which condition is wrong.
    runtime::Report report =
        runtime::BuildReport(model, text, DecodeUtf8(options.file), period.from, period.to, runtime::LocalNow());
    report.madeBy = "quarnctl " QUARN_VERSION;
    WriteOutputOrFail(options.out, runtime::WriteReportHtml(report));
}

}  // namespace

void AddReportCommand(CLI::App& app)
{
    auto options = std::make_shared<ReportOptions>();
    CLI::App* report = app.add_subcommand(
        "report", "Write a state-machine file's program as one printable HTML page: timers, relay conditions and "
                  "their circuits, the week picture and the check's findings");
    report->add_option("FILE", options->file, "State-machine file")->required();
    AddPeriodOptions(*report, options->request);
    report->add_option("-o,--output", options->out, "Write the page to this file instead of stdout");
    report->footer("The page loads nothing from elsewhere: pictures are inline SVG, the print style sheet is in the "
                   "page.\nExit status: 0 the page was written (findings and conditions outside the rules are on "
                   "it), 1 the file cannot be read or the page cannot be written, 2 a bad option.");
    report->callback([options] { Report(*options); });
}

}  // namespace quarn::cli
