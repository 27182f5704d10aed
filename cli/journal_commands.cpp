// quarnctl history, program and rollback: what the deploy journal knows.
#include "base/file_name.hpp"
#include "base/utf8.hpp"
#include "cli/commands.hpp"
#include "cli/device_report.hpp"
#include "cli/fleet.hpp"
#include "cli/fleet_run.hpp"
#include "cli/hosts_file.hpp"
#include "cli/number_options.hpp"
#include "devicelink/upload.hpp"
#include "document/file_access.hpp"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace quarn::cli {

namespace {

// host[:port] as a hosts file line writes it, port 80 when none is given.
HostEntry ParseHostArgument(const std::string& argument, const std::string& password)
{
    const HostsFile parsed = ParseHostsFile(argument, password);
    if (!parsed.error.empty() || parsed.hosts.size() != 1 || argument.find_first_of(" \t#\r\n") != std::string::npos)
        FailCommand("\"" + argument + "\" is not a controller: host[:port]", kExitBadInput);
    return parsed.hosts.front();
}

std::string Label(const std::string& host, std::uint16_t port)
{
    return port == 80 ? host : host + ":" + std::to_string(port);
}

// "2026-12-14 07:30:00" in this machine's local time.
std::string LocalTimeText(std::int64_t milliseconds)
{
    const std::time_t seconds = static_cast<std::time_t>(milliseconds / 1000);
    std::tm fields{};
    if (::localtime_r(&seconds, &fields) == nullptr)
        return "?";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &fields);
    return text;
}

// "2026-12-14T06:30:00.125Z"
std::string UtcText(std::int64_t milliseconds)
{
    const std::time_t seconds = static_cast<std::time_t>(milliseconds / 1000);
    std::tm fields{};
    if (::gmtime_r(&seconds, &fields) == nullptr)
        return "?";
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &fields);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03dZ", static_cast<int>(milliseconds % 1000));
    return std::string(text) + fraction;
}

// Stored text for a terminal: nothing in it can steer the terminal.
std::string Shown(const std::string& utf8)
{
    return TerminalText(DecodeUtf8(utf8));
}

std::string Dump(const nlohmann::ordered_json& json)
{
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void JournalFailure(const JournalChoice& choice, const std::string& error)
{
    FailCommand("journal " + JournalPath(choice) + ": " + error, kExitBadInput);
}

struct HistoryOptions {
    JournalChoice journal;
    std::string host;
    std::size_t limit = 0;
    bool json = false;
};

void History(const HistoryOptions& options)
{
    std::optional<std::uint16_t> port;
    std::string host;
    if (!options.host.empty()) {
        const HostEntry entry = ParseHostArgument(options.host, "");
        host = entry.host;
        port = entry.port;
    }
    const std::unique_ptr<Journal> journal = OpenJournal(options.journal, Journal::Access::ReadOnly);
    std::string error;
    const std::size_t limit = options.limit == 0 ? SIZE_MAX : options.limit;
    // A long history is written as it is read, through one buffer.
    std::string out;
    auto flush = [&out](bool always) {
        if (always || out.size() > 64 * 1024) {
            std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
            out.clear();
        }
    };
    if (options.json) {
        bool first = true;
        out = "[";
        // Field by field, each distinct text encoded once (as Dump would).
        std::unordered_map<std::string, std::string> encoded;
        auto quoted = [&encoded](const std::string& text) -> const std::string& {
            auto found = encoded.find(text);
            if (found == encoded.end())
                found = encoded.emplace(text, Dump(nlohmann::ordered_json(text))).first;
            return found->second;
        };
        journal->EachDeployment(
            host, port, limit,
            [&](const Deployment& row) {
                out += first ? "\n  {\n" : ",\n  {\n";
                first = false;
                out += "    \"time\": \"" + UtcText(row.at) + "\",\n";
                out += "    \"host\": " + quoted(row.host) + ",\n";
                out += "    \"port\": " + std::to_string(row.port) + ",\n";
                out += "    \"version\": " + quoted(row.version) + ",\n";
                out += "    \"program\": " + quoted(row.program) + ",\n";
                out += std::string("    \"ok\": ") + (row.ok ? "true" : "false") + ",\n";
                out += "    \"code\": " + std::to_string(row.code) + ",\n";
                out += "    \"outcome\": " + quoted(row.outcome) + ",\n";
                out += "    \"seconds\": " + nlohmann::ordered_json(row.seconds).dump() + ",\n";
                out += "    \"login\": " + quoted(row.login) + "\n  }";
                flush(false);
            },
            error);
        out += first ? "]\n" : "\n]\n";
    } else {
        // Hosts, versions and outcomes repeat over thousands of rows: each
        // distinct text is made safe for the terminal once.
        std::unordered_map<std::string, std::string> shown;
        auto safe = [&shown](const std::string& text) -> const std::string& {
            auto found = shown.find(text);
            if (found == shown.end())
                found = shown.emplace(text, Shown(text)).first;
            return found->second;
        };
        std::size_t hostWidth = 4;
        std::size_t versionWidth = 7;
        for (const auto& [name, number] : journal->DeployedHosts(host, port, error))
            hostWidth = std::max(hostWidth, TextColumns(safe(Label(name, number))));
        for (const std::string& version : journal->Versions(error))
            versionWidth = std::max(versionWidth, TextColumns(safe(version)));
        if (!error.empty())
            JournalFailure(options.journal, error);
        out = PadTo("TIME", 19) + "  " + PadTo("HOST", hostWidth) + "  " + PadTo("VERSION", versionWidth) + "  " +
              PadTo("PROGRAM", 12) + "  OUTCOME\n";
        journal->EachDeployment(
            host, port, limit,
            [&](const Deployment& row) {
                out += LocalTimeText(row.at);
                out += "  ";
                out += PadTo(safe(Label(row.host, row.port)), hostWidth);
                out += "  ";
                out += PadTo(safe(row.version), versionWidth);
                out += "  ";
                out += std::string_view(row.program).substr(0, 12);
                out += "  ";
                out += safe(row.outcome);
                out += '\n';
                flush(false);
            },
            error);
    }
    if (!error.empty()) {
        flush(true);
        JournalFailure(options.journal, error);
    }
    flush(true);
    std::cout << std::flush;
}

// The last program host:port took, or the command ends.
StoredProgram CurrentProgram(Journal& journal, const JournalChoice& choice, const HostEntry& host)
{
    std::string error;
    const std::vector<Deployment> taken = journal.TakenPrograms(host.host, host.port, error);
    if (!error.empty())
        JournalFailure(choice, error);
    if (taken.empty())
        FailCommand(host.label + ": the journal records no program that it took", kExitFailed);
    std::optional<StoredProgram> program = journal.Program(taken.front().program, error);
    if (!program)
        JournalFailure(choice, error.empty() ? "program " + taken.front().program + " is missing" : error);
    return std::move(*program);
}

struct ProgramOptions {
    JournalChoice journal;
    std::string host;
    std::string output;
};

void ProgramBytes(const ProgramOptions& options)
{
    const HostEntry host = ParseHostArgument(options.host, "");
    const std::unique_ptr<Journal> journal = OpenJournal(options.journal, Journal::Access::ReadOnly);
    const StoredProgram program = CurrentProgram(*journal, options.journal, host);
    if (options.output.empty() || options.output == "-") {
        std::cout.write(program.bytes.data(), static_cast<std::streamsize>(program.bytes.size()));
        std::cout.flush();
        if (!std::cout)
            FailCommand("cannot write the program to stdout", kExitFailed);
        return;
    }
    if (const int error = WriteFileOrDevice(FileNameFromBytes(options.output), program.bytes); error != 0)
        FailCommand(options.output + ": cannot be written: " + std::strerror(error), kExitFailed);
}

struct RollbackOptions {
    FleetOptions fleet;
    JournalChoice journal;
    std::vector<std::string> hosts;
    std::string to;
};

void Rollback(const RollbackOptions& options)
{
    std::vector<HostEntry> hosts;
    for (const std::string& argument : options.hosts)
        hosts.push_back(ParseHostArgument(argument, options.fleet.password));
    RequireSockets();
    const std::unique_ptr<Journal> journal = OpenJournal(options.journal, Journal::Access::ReadWrite);
    std::string error;

    // Every host's program is settled before anything goes out.
    std::string named;
    if (!options.to.empty()) {
        std::string prefix;
        for (const char c : options.to) {
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                FailCommand("--to " + options.to + ": not a program hash (hex digits)", kExitBadInput);
            prefix += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        const std::vector<std::string> matches = journal->HashesStartingWith(prefix, error);
        if (!error.empty())
            JournalFailure(options.journal, error);
        if (matches.size() != 1) {
            FailCommand("--to " + options.to + ": " +
                            (matches.empty() ? std::string("no program in the journal starts so")
                                             : std::to_string(matches.size()) + " programs start so; give more digits"),
                        kExitBadInput);
        }
        named = matches.front();
    }
    std::map<std::string, std::vector<std::size_t>> byProgram;
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        std::string target = named;
        if (target.empty()) {
            const std::vector<Deployment> taken = journal->TakenPrograms(hosts[i].host, hosts[i].port, error);
            if (!error.empty())
                JournalFailure(options.journal, error);
            if (taken.size() < 2) {
                FailCommand(hosts[i].label + ": the journal records no program before its current one", kExitBadInput);
            }
            target = taken[1].program;
        }
        byProgram[target].push_back(i);
    }

    std::vector<Delivery> deliveries(hosts.size());
    std::string recordError;
    bool allOk = true;
    for (const auto& [hash, indexes] : byProgram) {
        const std::optional<StoredProgram> program = journal->Program(hash, error);
        if (!program)
            JournalFailure(options.journal, error.empty() ? "program " + hash + " is missing" : error);
        DeliveryRecorder recorder;
        recorder.journal = journal.get();
        recorder.program = hash;
        recorder.fileArgument = hash.substr(0, 12);
        allOk = Deliver(hosts, indexes, TextModeContent(program->bytes), options.fleet, recorder, deliveries,
                        recordError) &&
                allOk;
        if (!recordError.empty())
            break;
    }
    std::vector<std::size_t> all;
    for (std::size_t i = 0; i < hosts.size(); ++i)
        all.push_back(i);
    PrintDeliveries(hosts, all, deliveries, "not tried (the journal cannot be written)", options.fleet.json);
    if (!recordError.empty())
        FailCommand("journal " + JournalPath(options.journal) + ": " + recordError, kExitFailed);
    if (!allOk)
        throw CLI::RuntimeError(kExitFailed);
}

}  // namespace

void AddJournalCommands(CLI::App& app)
{
    {
        auto options = std::make_shared<HistoryOptions>();
        CLI::App* command = app.add_subcommand(
            "history", "List the deployments of the deploy journal, newest first: time, host, version text, the "
                       "program's hash (first 12 hex digits) and the outcome");
        command->add_option("HOST", options->host, "only this controller, host[:port] (port 80 when none)");
        command->add_option("--limit", options->limit, "at most this many rows (0: all)")
            ->capture_default_str()
            ->transform(DecimalNumber())
            ->check(CLI::NonNegativeNumber);
        command->add_flag("--json", options->json, "print the rows as a JSON array");
        AddJournalOptions(*command, options->journal, false);
        command->callback([options] { History(*options); });
    }
    {
        auto options = std::make_shared<ProgramOptions>();
        CLI::App* command = app.add_subcommand(
            "program", "Write the bytes of the last program that HOST took, exactly as they were uploaded");
        command->add_option("HOST", options->host, "the controller, host[:port] (port 80 when none)")->required();
        command->add_option("-o,--output", options->output, "write to this file instead of stdout");
        AddJournalOptions(*command, options->journal, false);
        command->callback([options] { ProgramBytes(*options); });
    }
    {
        auto options = std::make_shared<RollbackOptions>();
        CLI::App* command = app.add_subcommand(
            "rollback", "Upload to each HOST the program it took before its current one (or the one --to names) "
                        "and record that as a deploy (exit 0 only when every controller took it)");
        command->add_option("HOST", options->hosts, "the controllers, host[:port] (port 80 when none)")->required();
        command->add_option("--to", options->to, "the program to go back to: a prefix of its hash, as history shows");
        AddFleetOptions(*command, options->fleet, false);
        AddJournalOptions(*command, options->journal, false);
        command->callback([options] { Rollback(*options); });
    }
}

}  // namespace quarn::cli
