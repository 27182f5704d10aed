// quarnctl deploy and status: one program to many controllers, and the
// relays of all of them, each exchange exactly as upload and relays make it.
#include "base/file_name.hpp"
#include "cli/commands.hpp"
#include "cli/device_report.hpp"
#include "cli/number_options.hpp"
#include "cli/fleet.hpp"
#include "cli/hosts_file.hpp"
#include "devicelink/direct_control.hpp"
#include "devicelink/narrow_text.hpp"
#include "devicelink/socket_layer.hpp"
#include "devicelink/upload.hpp"
#include "document/utf8.hpp"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace quarn::cli {

namespace {

// A hosts file far larger than any list of controllers is not read.
constexpr std::size_t kHostsFileLimit = 16 * 1024 * 1024;

struct FleetOptions {
    std::string hostsFile;
    std::string password = "tovel";
    int parallel = kDefaultParallel;
    double timeLimit = kDefaultTimeLimitSeconds;
    bool json = false;
};

void AddFleetOptions(CLI::App& command, FleetOptions& options)
{
    command.add_option("--hosts", options.hostsFile, "the hosts file: one controller per line, host[:port] [password]")
        ->required();
    command.add_option("--password", options.password, "the password for hosts file lines without one")
        ->capture_default_str();
    command.add_option("--parallel", options.parallel, "the most exchanges at a time")
        ->capture_default_str()
        ->transform(DecimalNumber())
        ->check(CLI::Range(1, 1024));
    AddTimeLimitOption(command, options.timeLimit);
    command.add_flag("--json", options.json, "print the outcome as a JSON array, one object per host");
}

bool StdoutIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return ::isatty(STDOUT_FILENO) != 0;
#endif
}

[[noreturn]] void BadInput(const std::string& text)
{
    std::cerr << "quarnctl: " << TerminalBytes(text) << '\n';
    throw CLI::RuntimeError(kExitBadInput);
}

std::vector<HostEntry> ReadHosts(const FleetOptions& options)
{
#ifdef _WIN32
    std::ifstream in(std::filesystem::path(DecodeUtf8(options.hostsFile)), std::ios::binary);
#else
    // Any name, and anything that can be read: a pipe from the shell too.
    std::ifstream in(options.hostsFile, std::ios::binary);
#endif
    if (!in)
        BadInput(options.hostsFile + ": cannot be read");
    std::string text;
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kHostsFileLimit)
            BadInput(options.hostsFile + ": larger than 16 MiB, not a hosts file");
    }
    HostsFile hosts = ParseHostsFile(text, options.password);
    if (!hosts.error.empty())
        BadInput(options.hostsFile + ": " + hosts.error);
    if (hosts.hosts.empty())
        BadInput(options.hostsFile + ": names no controller");
    return hosts.hosts;
}

ExchangeOptions OptionsFor(const HostEntry& host, const FleetOptions& options)
{
    ExchangeOptions exchange;
    exchange.port = host.port;
    exchange.timeLimit = TimeLimit(options.timeLimit);
    return exchange;
}

// Runs one exchange per host with the progress line on a terminal.
void RunAll(std::size_t count, const FleetOptions& options, const std::function<bool(std::size_t)>& job)
{
    const bool terminal = StdoutIsTerminal();
    RunJobs(count, static_cast<std::size_t>(options.parallel), job,
            [terminal, count](std::size_t done, std::size_t failed) {
                if (terminal)
                    std::cout << '\r' << ProgressText(done, count, failed) << (done == count ? "\n" : "")
                              << std::flush;
            });
}

double Seconds(std::chrono::steady_clock::duration elapsed)
{
    return std::chrono::duration<double>(elapsed).count();
}

std::string SecondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}

// JSON wants UTF-8; whatever could not be one becomes U+FFFD.
std::string Dump(const nlohmann::ordered_json& json)
{
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

struct Delivery {
    DeviceReport report;
    std::int32_t code = 0;
    double seconds = 0;
};

void Deploy(const std::string& file, const FleetOptions& options)
{
    const std::vector<HostEntry> hosts = ReadHosts(options);
    RequireSockets();
    const std::u16string path = FileNameFromBytes(file);
    // A file that cannot be read fails once, before any controller is asked.
    if (const UploadContent content = ReadUploadContent(path); content.error != 0) {
        std::cerr << ReportUpload(UploadOutcome{UploadFailure::OpenFile, content.error, 0, CannotOpenText(path, content.error)}, file).terminal
                  << '\n';
        throw CLI::RuntimeError(kExitFailed);
    }

    std::vector<Delivery> deliveries(hosts.size());
    RunAll(hosts.size(), options, [&](std::size_t i) {
        UploadOptions upload;
        upload.variant = UploadVariant::Converter;
        upload.exchange = OptionsFor(hosts[i], options);
        const auto start = std::chrono::steady_clock::now();
        const UploadOutcome outcome =
            UploadStateMachine(ToWide(hosts[i].host), path, ToWide(hosts[i].password), upload);
        deliveries[i].seconds = Seconds(std::chrono::steady_clock::now() - start);
        deliveries[i].code = UploadCode(outcome);
        deliveries[i].report = ReportUpload(outcome, file);
        return deliveries[i].report.ok;
    });

    bool allOk = true;
    for (const Delivery& delivery : deliveries)
        allOk = allOk && delivery.report.ok;

    if (options.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            list.push_back({{"host", hosts[i].label},
                            {"ok", deliveries[i].report.ok},
                            {"code", deliveries[i].code},
                            {"outcome", EncodeUtf8(deliveries[i].report.text)},
                            {"seconds", deliveries[i].seconds}});
        }
        std::cout << Dump(list) << '\n';
    } else {
        std::size_t hostWidth = 4;
        std::size_t outcomeWidth = 7;
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            hostWidth = std::max(hostWidth, TextColumns(TerminalBytes(hosts[i].label)));
            outcomeWidth = std::max(outcomeWidth, TextColumns(deliveries[i].report.terminal));
        }
        std::cout << PadTo("HOST", hostWidth) << "  " << PadTo("OUTCOME", outcomeWidth) << "  SECONDS\n";
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            std::cout << PadTo(TerminalBytes(hosts[i].label), hostWidth) << "  "
                      << PadTo(deliveries[i].report.terminal, outcomeWidth) << "  "
                      << SecondsText(deliveries[i].seconds) << '\n';
        }
    }
    std::cout << std::flush;
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
};

void Status(const FleetOptions& options)
{
    const std::vector<HostEntry> hosts = ReadHosts(options);
    RequireSockets();
    std::vector<Reading> readings(hosts.size());
    RunAll(hosts.size(), options, [&](std::size_t i) {
        const ControlResult result =
            SendControlRequest(ToWide(hosts[i].host), kControlPage, OptionsFor(hosts[i], options));
        readings[i].report = ReportControl(result, kControlPage);
        if (readings[i].report.ok)
            readings[i].mask = *result.mask;
        return readings[i].report.ok;
    });

    bool allOk = true;
    for (const Reading& reading : readings)
        allOk = allOk && reading.report.ok;

    if (options.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            nlohmann::ordered_json entry = {{"host", hosts[i].label}, {"ok", readings[i].report.ok}};
            if (readings[i].report.ok) {
                nlohmann::ordered_json relays = nlohmann::ordered_json::array();
                for (int r = 0; r < kControllerRelays; ++r)
                    relays.push_back(RelayOn(readings[i].mask, r));
                entry["mask"] = readings[i].mask & 0xFF;
                entry["relays"] = relays;
                entry["error"] = nullptr;
            } else {
                entry["mask"] = nullptr;
                entry["relays"] = nullptr;
                entry["error"] = EncodeUtf8(readings[i].report.text);
            }
            list.push_back(entry);
        }
        std::cout << Dump(list) << '\n';
    } else {
        std::size_t hostWidth = 4;
        for (const HostEntry& host : hosts)
            hostWidth = std::max(hostWidth, TextColumns(TerminalBytes(host.label)));
        std::string header = PadTo("HOST", hostWidth);
        for (int r = 0; r < kControllerRelays; ++r)
            header += "  R" + std::to_string(r) + " ";
        std::cout << WithoutTrailingSpaces(header) << '\n';
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            std::string line = PadTo(TerminalBytes(hosts[i].label), hostWidth);
            if (readings[i].report.ok) {
                for (int r = 0; r < kControllerRelays; ++r)
                    line += RelayOn(readings[i].mask, r) ? "  on " : "  off";
            } else {
                line += "  " + readings[i].report.terminal;
            }
            std::cout << WithoutTrailingSpaces(line) << '\n';
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
        auto options = std::make_shared<FleetOptions>();
        auto file = std::make_shared<std::string>();
        CLI::App* command = app.add_subcommand(
            "deploy", "Send a state-machine file to every controller of a hosts file, several at a time, then "
                      "show each outcome in the file's order (exit 0 only when every controller took it)");
        command->add_option("FILE", *file, "the state-machine file")->required();
        AddFleetOptions(*command, *options);
        command->callback([options, file] { Deploy(*file, *options); });
    }
    {
        auto options = std::make_shared<FleetOptions>();
        CLI::App* command = app.add_subcommand(
            "status", "Show the eight relay states of every controller of a hosts file, or why they could not "
                      "be read (exit 0 only when every controller was read)");
        AddFleetOptions(*command, *options);
        command->callback([options] { Status(*options); });
    }
}

}  // namespace quarn::cli
