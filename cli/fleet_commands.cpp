// quarnctl deploy and status: one program to many controllers, and the
// relays of all of them, each exchange exactly as upload and relays make it.
// deploy records every outcome in the deploy journal as each host is done.
#include "base/file_name.hpp"
#include "base/terminal_text.hpp"
#include "base/utf8.hpp"
#include "cli/check_output.hpp"
#include "cli/commands.hpp"
#include "cli/device_report.hpp"
#include "cli/fleet.hpp"
#include "cli/fleet_expect.hpp"
#include "cli/fleet_run.hpp"
#include "cli/hosts_file.hpp"
#include "cli/number_options.hpp"
#include "cli/prometheus.hpp"
#include "devicelink/direct_control.hpp"
#include "devicelink/narrow_text.hpp"
#include "devicelink/socket_layer.hpp"
#include "devicelink/upload.hpp"
#include "devicelink/upload_file.hpp"
#include "document/model.hpp"
#include "document/reader.hpp"
#include "runtime/check.hpp"
#include "runtime/local_clock.hpp"
#include "runtime/program.hpp"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace quarn::cli {

namespace {

// A state-machine file is a few kilobytes; one this large is not one, and
// the journal keeps every distinct program whole.
constexpr std::size_t kProgramFileLimit = 64 * 1024 * 1024;

constexpr const char* kCanaryFailed = "not tried (canary failed)";
constexpr const char* kNotRecordable = "not tried (the journal cannot be written)";

struct DeployOptions {
    FleetOptions fleet;
    std::string file;
    bool onlyFailed = false;
    bool noCheck = false;
    int canary = 0;
#ifdef QUARN_WITH_JOURNAL
    JournalChoice journal;
#endif
};

struct ProgramFile {
    int error = 0;
    bool tooLarge = false;
    std::string bytes;  // every byte of the file
};

ProgramFile ReadProgramFile(std::u16string_view path)
{
    ProgramFile result;
    UploadFile file;
    result.error = file.Open(path);
    if (result.error != 0)
        return result;
    char buffer[8192];
    for (;;) {
        std::size_t got = 0;
        result.error = file.Read(buffer, sizeof buffer, got);
        if (result.error != 0 || got == 0)
            return result;
        if (result.bytes.size() + got > kProgramFileLimit) {
            result.tooLarge = true;
            return result;
        }
        result.bytes.append(buffer, got);
    }
}

#ifdef QUARN_WITH_JOURNAL
// The version text the file names, for the history; empty when it names none.
std::string VersionOf(std::string_view bytes)
{
    StateMachineModel model;
    if (!ReadStateMachineBytes(model, bytes).read())
        return {};
    return EncodeUtf8(model.version);
}
#endif

// Runs before any exchange of deploy, with the program's bytes as they will
// go out: quarnctl check over this week, inputs free. A condition outside the
// grammar refuses the deploy (kExitBadInput); warnings are printed and the
// deploy goes on; notes are left to check itself.
void CheckProgramBeforeDeploy(const std::string& fileArgument, std::string_view bytes)
{
    const std::string name = TerminalBytes(fileArgument);
    StateMachineModel model;
    runtime::ProgramText text;
    if (runtime::ReadProgramBytes(bytes, model, text) != 0 || !text.IsStateMachine()) {
        std::cerr << "quarnctl: warning: " << name << ": not a state-machine file; each controller judges it\n";
        return;
    }
    runtime::CheckRequest request;
    request.from = runtime::StartOfWeek(runtime::LocalNow());
    request.to = request.from + runtime::kSecondsPerWeek;
    runtime::CheckReport report = runtime::CheckProgram(text, request);
    std::erase_if(report.findings,
                  [](const runtime::Finding& finding) { return finding.severity == runtime::Severity::Note; });
    std::istringstream lines(TerminalSafeLines(CheckText(report)));
    for (std::string line; std::getline(lines, line);)
        std::cerr << "quarnctl: check: " << name << ": " << line << '\n';
    if (!report.failure.empty())
        std::cerr << "quarnctl: check: " << name << ": " << TerminalBytes(report.failure) << '\n';
    if (report.conditionErrors)
        FailCommand(fileArgument +
                        ": a condition is outside the rules; nothing was sent (--no-check sends it all the same)",
                    kExitBadInput);
}

void Deploy(const DeployOptions& options)
{
    const std::vector<HostEntry> hosts = ReadHosts(options.fleet);
    RequireSockets();
    const std::u16string path = FileNameFromBytes(options.file);
    // A file that cannot be read fails once, before any controller is asked.
    const ProgramFile file = ReadProgramFile(path);
    if (file.error != 0) {
        std::cerr << ReportUpload(
                         UploadOutcome{UploadFailure::OpenFile, file.error, 0, CannotOpenText(path, file.error)},
                         options.file)
                         .terminal
                  << '\n';
        throw CLI::RuntimeError(kExitFailed);
    }
    if (file.tooLarge)
        FailCommand(options.file + ": larger than 64 MiB, not a state-machine file", kExitBadInput);
    // Every controller gets the bytes read now, whatever happens to the file
    // meanwhile.
    const std::string content = TextModeContent(file.bytes);
    // A program the check refuses goes nowhere, not even into the journal.
    if (!options.noCheck)
        CheckProgramBeforeDeploy(options.file, file.bytes);

    DeliveryRecorder recorder;
    recorder.fileArgument = options.file;
    std::vector<std::size_t> indexes;
    for (std::size_t i = 0; i < hosts.size(); ++i)
        indexes.push_back(i);
#ifdef QUARN_WITH_JOURNAL
    std::unique_ptr<Journal> journal;
    if (!options.journal.off) {
        journal = OpenJournal(options.journal, Journal::Access::ReadWrite);
        std::string error;
        const std::optional<std::string> hash = journal->RememberProgram(file.bytes, VersionOf(file.bytes), error);
        if (!hash)
            FailCommand("journal " + JournalPath(options.journal) + ": " + error, kExitBadInput);
        recorder.journal = journal.get();
        recorder.program = *hash;
        if (options.onlyFailed) {
            std::vector<std::size_t> left;
            for (const std::size_t i : indexes) {
                const auto last = journal->LastOfProgram(hosts[i].host, hosts[i].port, *hash, error);
                if (!error.empty())
                    FailCommand("journal " + JournalPath(options.journal) + ": " + error, kExitBadInput);
                if (!last || !last->ok)
                    left.push_back(i);
            }
            if (left.size() < indexes.size()) {
                std::cerr << "quarnctl: " << indexes.size() - left.size()
                          << (indexes.size() - left.size() == 1 ? " host has" : " hosts have")
                          << " taken this program already and " << (indexes.size() - left.size() == 1 ? "is" : "are")
                          << " left out\n";
            }
            indexes = std::move(left);
        }
    }
#endif

    std::vector<Delivery> deliveries(hosts.size());
    std::string recordError;
    const std::size_t canaries = std::min(indexes.size(), static_cast<std::size_t>(options.canary));
    std::vector<std::size_t> first(indexes.begin(), indexes.begin() + static_cast<std::ptrdiff_t>(canaries));
    std::vector<std::size_t> rest(indexes.begin() + static_cast<std::ptrdiff_t>(canaries), indexes.end());
    if (first.empty())
        first.swap(rest);
    bool allOk = Deliver(hosts, first, content, options.fleet, recorder, deliveries, recordError);
    const bool canaryFailed = canaries > 0 && !allOk;
    if (!canaryFailed && recordError.empty() && !rest.empty())
        allOk = Deliver(hosts, rest, content, options.fleet, recorder, deliveries, recordError) && allOk;

    PrintDeliveries(hosts, indexes, deliveries, recordError.empty() ? kCanaryFailed : kNotRecordable,
                    options.fleet.json);
#ifdef QUARN_WITH_JOURNAL
    if (!recordError.empty())
        FailCommand("journal " + JournalPath(options.journal) + ": " + recordError, kExitFailed);
#endif
    if (!allOk)
        throw CLI::RuntimeError(kExitFailed);
}

std::string WithoutTrailingSpaces(std::string line)
{
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

struct Reading {
    DeviceReport report;
    std::int32_t mask = 0;
    double seconds = 0;
};

struct StatusOptions {
    FleetOptions fleet;
    std::string format = "table";
    bool expect = false;
#ifdef QUARN_WITH_JOURNAL
    JournalChoice journal;
#endif
};

// What --expect found for one host.
struct Expected {
    bool recorded = false;  // the journal names a program the host took
    std::string program;    // its hash
    std::string bytes;
    Prediction prediction;
    Verdict verdict;
};

#ifdef QUARN_WITH_JOURNAL
// The last program every host took, read before any exchange.
std::vector<Expected> RecordedPrograms(const std::vector<HostEntry>& hosts, const JournalChoice& choice)
{
    std::vector<Expected> expected(hosts.size());
    // No journal yet: nothing is recorded for anybody.
    std::error_code missing;
    if (!std::filesystem::exists(JournalPath(choice), missing) && !JournalPath(choice).empty())
        return expected;
    const std::unique_ptr<Journal> journal = OpenJournal(choice, Journal::Access::ReadOnly);
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        std::string error;
        const std::vector<Deployment> taken = journal->TakenPrograms(hosts[i].host, hosts[i].port, error);
        std::optional<StoredProgram> program;
        if (error.empty() && !taken.empty())
            program = journal->Program(taken.front().program, error);
        if (!error.empty())
            FailCommand("journal " + JournalPath(choice) + ": " + error, kExitBadInput);
        if (program) {
            expected[i].recorded = true;
            expected[i].program = program->hash;
            expected[i].bytes = std::move(program->bytes);
        }
    }
    return expected;
}
#endif

const char* PredictedText(Predicted state)
{
    switch (state) {
    case Predicted::On:
        return "on";
    case Predicted::Off:
        return "off";
    case Predicted::DependsOnInputs:
        return "in";
    }
    return "?";
}

std::string VerdictText(const Expected& expected)
{
    if (!expected.recorded)
        return "no program recorded";
    if (!expected.prediction.ok)
        return "not compared: " + expected.prediction.error;
    return expected.verdict.text;
}

std::string PrometheusStatus(const std::vector<HostEntry>& hosts, const std::vector<Reading>& readings,
                             const std::vector<Expected>* expected)
{
    PrometheusText out;
    out.Family("quarn_up", "Whether the controller's relays could be read (1) or not (0).");
    for (std::size_t i = 0; i < hosts.size(); ++i)
        out.Sample("quarn_up", {{"host", hosts[i].label}}, readings[i].report.ok ? 1 : 0);
    out.Family("quarn_relay_on", "Whether the relay is on (1) or off (0), as the controller shows it.");
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        if (!readings[i].report.ok)
            continue;
        for (int r = 0; r < kRelayCount; ++r) {
            out.Sample("quarn_relay_on", {{"host", hosts[i].label}, {"relay", "R" + std::to_string(r)}},
                       RelayOn(readings[i].mask, r) ? 1 : 0);
        }
    }
    if (expected != nullptr) {
        out.Family("quarn_relay_expected",
                   "Whether the last recorded program says the relay is on (1) or off (0) now; absent when it "
                   "depends on the inputs or no program is recorded.");
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            const Expected& e = (*expected)[i];
            if (!e.recorded || !e.prediction.ok)
                continue;
            for (int r = 0; r < kRelayCount; ++r) {
                const Predicted state = e.prediction.relays[static_cast<std::size_t>(r)].state;
                if (state == Predicted::DependsOnInputs)
                    continue;
                out.Sample("quarn_relay_expected", {{"host", hosts[i].label}, {"relay", "R" + std::to_string(r)}},
                           state == Predicted::On ? 1 : 0);
            }
        }
    }
    out.Family("quarn_status_seconds", "How long reading the controller's relays took, in seconds.");
    for (std::size_t i = 0; i < hosts.size(); ++i)
        out.Sample("quarn_status_seconds", {{"host", hosts[i].label}}, readings[i].seconds);
    return out.Text();
}

void Status(const StatusOptions& options)
{
    const std::vector<HostEntry> hosts = ReadHosts(options.fleet);
    std::vector<Expected> expected;
#ifdef QUARN_WITH_JOURNAL
    if (options.expect)
        expected = RecordedPrograms(hosts, options.journal);
#endif
    RequireSockets();
    std::vector<Reading> readings(hosts.size());
    RunAll(hosts.size(), options.fleet, [&](std::size_t i) {
        const auto start = std::chrono::steady_clock::now();
        const ControlResult result =
            SendControlRequest(ToWide(hosts[i].host), kControlPage, OptionsFor(hosts[i], options.fleet));
        readings[i].seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        readings[i].report = ReportControl(result, kControlPage);
        if (readings[i].report.ok)
            readings[i].mask = *result.mask;
        return readings[i].report.ok;
    });

    bool allOk = true;
    for (const Reading& reading : readings)
        allOk = allOk && reading.report.ok;
    if (options.expect) {
        // The controllers' clocks are this machine's local time.
        const runtime::Instant now = runtime::LocalNow();
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            Expected& e = expected[i];
            if (!e.recorded)
                continue;
            e.prediction = PredictRelays(e.bytes, now);
            if (e.prediction.ok && readings[i].report.ok) {
                e.verdict = Compare(e.prediction, static_cast<std::uint8_t>(readings[i].mask & 0xFF));
                allOk = allOk && e.verdict.asProgrammed;
            }
        }
    }

    if (options.format == "prometheus") {
        std::cout << PrometheusStatus(hosts, readings, options.expect ? &expected : nullptr);
    } else if (options.fleet.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            nlohmann::ordered_json entry = {{"host", hosts[i].label}, {"ok", readings[i].report.ok}};
            if (readings[i].report.ok) {
                nlohmann::ordered_json relays = nlohmann::ordered_json::array();
                for (int r = 0; r < kRelayCount; ++r)
                    relays.push_back(RelayOn(readings[i].mask, r));
                entry["mask"] = readings[i].mask & 0xFF;
                entry["relays"] = relays;
                entry["error"] = nullptr;
            } else {
                entry["mask"] = nullptr;
                entry["relays"] = nullptr;
                entry["error"] = EncodeUtf8(readings[i].report.text);
            }
            if (options.expect) {
                const Expected& e = expected[i];
                entry["program"] = e.recorded ? nlohmann::ordered_json(e.program) : nlohmann::ordered_json(nullptr);
                if (e.recorded && e.prediction.ok) {
                    nlohmann::ordered_json states = nlohmann::ordered_json::array();
                    for (const RelayPrediction& relay : e.prediction.relays)
                        states.push_back(relay.state == Predicted::DependsOnInputs ? "inputs"
                                                                                   : PredictedText(relay.state));
                    entry["expected"] = states;
                } else {
                    entry["expected"] = nullptr;
                }
                entry["verdict"] =
                    readings[i].report.ok ? nlohmann::ordered_json(VerdictText(e)) : nlohmann::ordered_json(nullptr);
            }
            list.push_back(entry);
        }
        std::cout << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    } else {
        std::size_t hostWidth = 4;
        for (const HostEntry& host : hosts)
            hostWidth = std::max(hostWidth, TextColumns(CutToColumns(TerminalBytes(host.label))));
        if (options.expect)
            hostWidth = std::max<std::size_t>(hostWidth, 9);
        std::string header = PadTo("HOST", hostWidth);
        for (int r = 0; r < kRelayCount; ++r)
            header += "  R" + std::to_string(r) + " ";
        std::cout << WithoutTrailingSpaces(header) << '\n';
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            std::string line = PadTo(CutToColumns(TerminalBytes(hosts[i].label)), hostWidth);
            if (readings[i].report.ok) {
                for (int r = 0; r < kRelayCount; ++r)
                    line += RelayOn(readings[i].mask, r) ? "  on " : "  off";
                if (options.expect)
                    line += "  " + VerdictText(expected[i]);
            } else {
                line += "  " + CutToColumns(readings[i].report.terminal);
            }
            std::cout << WithoutTrailingSpaces(line) << '\n';
            if (options.expect && expected[i].recorded && expected[i].prediction.ok) {
                std::string predicted = PadTo("  program", hostWidth);
                for (const RelayPrediction& relay : expected[i].prediction.relays)
                    predicted += "  " + PadTo(PredictedText(relay.state), 3);
                std::cout << WithoutTrailingSpaces(predicted) << '\n';
            }
        }
    }
    std::cout << std::flush;
    if (!allOk)
        throw CLI::RuntimeError(kExitFailed);
}

}  // namespace

void AddFleetCommands(CLI::App& app)
{
    {
        auto options = std::make_shared<DeployOptions>();
        CLI::App* command = app.add_subcommand(
            "deploy", "Send a state-machine file to every controller of a hosts file, several at a time, then "
                      "show each outcome in the file's order (exit 0 only when every controller took it). "
#ifdef QUARN_WITH_JOURNAL
                      "Every outcome is recorded in the deploy journal as its host is done; a journal that "
                      "cannot be opened or written stops the deploy before any exchange (exit 2)"
#else
                      "This build keeps no deploy journal: nothing is recorded, and history, program and "
                      "rollback are missing"
#endif
        );
        command->add_option("FILE", options->file, "the state-machine file")->required();
        AddFleetOptions(*command, options->fleet, true);
        command
            ->add_option("--canary", options->canary,
                         "send to the first N hosts first and to the rest only when all N took the file; "
                         "otherwise stop there and show the rest as \"not tried (canary failed)\" (exit 1)")
            ->transform(DecimalNumber())
            ->check(CLI::NonNegativeNumber);
        command->add_flag("--no-check", options->noCheck,
                          "send without checking the program first (a condition outside the rules is sent too)");
#ifdef QUARN_WITH_JOURNAL
        AddJournalOptions(*command, options->journal, true);
        command
            ->add_flag("--only-failed", options->onlyFailed,
                       "only the hosts whose last recorded deploy of this file's bytes failed, or that have none")
            ->excludes("--no-journal");
#endif
        command->callback([options] { Deploy(*options); });
    }
    {
        auto options = std::make_shared<StatusOptions>();
        CLI::App* command = app.add_subcommand(
            "status", "Show the eight relay states of every controller of a hosts file, or why they could not "
                      "be read (exit 0 only when every controller was read"
#ifdef QUARN_WITH_JOURNAL
                      " and, with --expect, behaves as programmed"
#endif
                      ")");
        AddFleetOptions(*command, options->fleet, true);
        command
            ->add_option("--format", options->format,
                         "table (or --json), or prometheus: the text exposition format for node_exporter's "
                         "textfile collector or any scraper")
            ->check(CLI::IsMember({"table", "prometheus"}))
            ->capture_default_str();
#ifdef QUARN_WITH_JOURNAL
        command->add_flag("--expect", options->expect,
                          "beside the relays, what the last program each host took (as the deploy journal records "
                          "it) says they show at this machine's local time, run from Monday 00:00:00 with the inputs "
                          "unknown (\"in\": the relay depends on the inputs and is not compared), and a verdict: "
                          "\"as programmed\", \"differs: ...\" or \"no program recorded\"");
        AddJournalOptions(*command, options->journal, false);
#endif
        command->callback([options] { Status(*options); });
    }
}

}  // namespace quarn::cli
