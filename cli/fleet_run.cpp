#include "cli/fleet_run.hpp"

#include "base/file_name.hpp"
#include "base/file_open.hpp"
#include "base/utf8.hpp"
#include "cli/commands.hpp"
#include "cli/descriptor_limit.hpp"
#include "cli/device_report.hpp"
#include "cli/fleet.hpp"
#include "cli/number_options.hpp"
#include "devicelink/narrow_text.hpp"

#include <nlohmann/json.hpp>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <mutex>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace quarn::cli {

namespace {

// A hosts file far larger than any list of controllers is not read.
constexpr std::size_t kHostsFileLimit = 16 * 1024 * 1024;

bool StderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

std::string SecondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}

}  // namespace

void AddFleetOptions(CLI::App& command, FleetOptions& options, bool hostsFile)
{
    options.parallel = kDefaultParallel;
    options.timeLimit = kDefaultTimeLimitSeconds;
    if (hostsFile) {
        command
            .add_option("--hosts", options.hostsFile, "the hosts file: one controller per line, host[:port] [password]")
            ->required();
    }
    command
        .add_option("--password", options.password,
                    hostsFile ? "the password for hosts file lines without one" : "the controllers' password")
        ->capture_default_str();
    command.add_option("--parallel", options.parallel, "the most exchanges at a time")
        ->capture_default_str()
        ->transform(DecimalNumber())
        ->check(CLI::Range(1, 1024));
    AddTimeLimitOption(command, options.timeLimit);
    command.add_flag("--json", options.json, "print the outcome as a JSON array, one object per host");
}

void FailCommand(const std::string& text, int status)
{
    std::cout << std::flush;
    std::cerr << "quarnctl: " << TerminalBytes(text) << '\n';
    throw CLI::RuntimeError(status);
}

std::vector<HostEntry> ReadHosts(const FleetOptions& options)
{
    // A regular file by its name's bytes, or "-": standard input, for a list
    // piped from the shell. A folder, a FIFO or a device is refused at once:
    // a FIFO without a writer would hold the command for ever.
    std::string text;
    char buffer[8192];
    OpenedFile opened;
    std::FILE* file = stdin;
    if (options.hostsFile != "-") {
        opened = OpenFileForReading(FileNameFromBytes(options.hostsFile), ReadableFiles::RegularOnly);
        if (opened.error != 0)
            FailCommand(options.hostsFile + ": cannot be read (" +
                            (opened.error == EINVAL ? std::string("not a regular file") : std::strerror(opened.error)) +
                            ")",
                        kExitBadInput);
        file = opened.file.get();
    }
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        text.append(buffer, got);
        if (text.size() > kHostsFileLimit)
            FailCommand(options.hostsFile + ": larger than 16 MiB, not a hosts file", kExitBadInput);
    }
    const bool failed = std::ferror(file) != 0;
    opened.file.reset();
    if (failed)
        FailCommand(options.hostsFile + ": cannot be read", kExitBadInput);
    HostsFile hosts = ParseHostsFile(text, options.password);
    if (!hosts.error.empty())
        FailCommand(options.hostsFile + ": " + hosts.error, kExitBadInput);
    if (hosts.hosts.empty())
        FailCommand(options.hostsFile + ": names no controller", kExitBadInput);
    return hosts.hosts;
}

ExchangeOptions OptionsFor(const HostEntry& host, const FleetOptions& options)
{
    ExchangeOptions exchange;
    exchange.port = host.port;
    exchange.timeLimit = TimeLimit(options.timeLimit);
    return exchange;
}

void RunAll(std::size_t count, const FleetOptions& options, const std::function<bool(std::size_t)>& job)
{
    // Each exchange holds a socket: no more at once than descriptors are left.
    const auto wanted = static_cast<std::size_t>(options.parallel);
    const std::size_t parallel = ExchangesThatFit(std::min(wanted, count));
    if (parallel < std::min(wanted, count))
        std::cerr << "quarnctl: --parallel " << wanted << " lowered to " << parallel
                  << ": no more file descriptors are free (ulimit -n)\n";
    // The progress line is for the person at a terminal: on stderr, only when
    // that is a terminal, and erased before the table or the JSON.
    const bool terminal = StderrIsTerminal();
    std::size_t shown = 0;
    RunJobs(count, parallel, job, [terminal, count, &shown](std::size_t done, std::size_t failed) {
        if (!terminal)
            return;
        const std::string text = ProgressText(done, count, failed);
        shown = std::max(shown, text.size());
        std::cerr << '\r' << text << std::flush;
    });
    if (terminal && shown > 0)
        std::cerr << '\r' << std::string(shown, ' ') << '\r' << std::flush;
}

bool Deliver(const std::vector<HostEntry>& hosts, const std::vector<std::size_t>& indexes, const std::string& content,
             const FleetOptions& options, const DeliveryRecorder& recorder, std::vector<Delivery>& deliveries,
             [[maybe_unused]] std::string& recordError)
{
    std::atomic<bool> stop{false};
    std::mutex errorMutex;
#ifdef QUARN_WITH_JOURNAL
    const std::string login = recorder.journal != nullptr ? LoginName() : std::string();
#endif
    RunAll(indexes.size(), options, [&](std::size_t n) {
        const std::size_t i = indexes[n];
        // Nothing goes out that could not be recorded.
        if (stop.load())
            return false;
        UploadOptions upload;
        upload.variant = UploadVariant::Converter;
        upload.exchange = OptionsFor(hosts[i], options);
        const auto start = std::chrono::steady_clock::now();
        const UploadOutcome outcome =
            UploadContentTo(ToWide(hosts[i].host), content, ToWide(hosts[i].password), upload);
        Delivery& delivery = deliveries[i];
        delivery.tried = true;
        delivery.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        delivery.code = UploadCode(outcome);
        const DeviceReport report = ReportUpload(outcome, recorder.fileArgument);
        delivery.ok = report.ok;
        delivery.text = EncodeUtf8(report.text);
        delivery.terminal = report.terminal;
#ifdef QUARN_WITH_JOURNAL
        if (recorder.journal != nullptr) {
            DeploymentRecord record;
            record.at = NowMilliseconds();
            record.host = hosts[i].host;
            record.port = hosts[i].port;
            record.program = recorder.program;
            record.ok = delivery.ok;
            record.code = delivery.code;
            record.outcome = delivery.text;
            record.seconds = delivery.seconds;
            record.login = login;
            std::string error;
            if (!recorder.journal->Record(record, error)) {
                stop = true;
                const std::lock_guard lock(errorMutex);
                if (recordError.empty())
                    recordError = "cannot record " + hosts[i].label + ": " + error;
            }
        }
#endif
        return delivery.ok;
    });
    bool allOk = true;
    for (const std::size_t i : indexes)
        allOk = allOk && deliveries[i].ok;
    return allOk;
}

void PrintDeliveries(const std::vector<HostEntry>& hosts, const std::vector<std::size_t>& indexes,
                     const std::vector<Delivery>& deliveries, const std::string& untriedText, bool json)
{
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const std::size_t i : indexes) {
            const Delivery& delivery = deliveries[i];
            nlohmann::ordered_json entry = {{"host", hosts[i].label}, {"ok", delivery.ok}};
            entry["code"] = delivery.tried ? nlohmann::ordered_json(delivery.code) : nlohmann::ordered_json(nullptr);
            entry["outcome"] = delivery.tried ? delivery.text : untriedText;
            entry["seconds"] = delivery.seconds;
            list.push_back(entry);
        }
        // JSON wants UTF-8; whatever could not be one becomes U+FFFD.
        std::cout << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    } else {
        std::size_t hostWidth = 4;
        std::size_t outcomeWidth = 7;
        for (const std::size_t i : indexes) {
            hostWidth = std::max(hostWidth, TextColumns(CutToColumns(TerminalBytes(hosts[i].label))));
            outcomeWidth = std::max(
                outcomeWidth, TextColumns(CutToColumns(deliveries[i].tried ? deliveries[i].terminal : untriedText)));
        }
        std::cout << PadTo("HOST", hostWidth) << "  " << PadTo("OUTCOME", outcomeWidth) << "  SECONDS\n";
        for (const std::size_t i : indexes) {
            const Delivery& delivery = deliveries[i];
            std::cout << PadTo(CutToColumns(TerminalBytes(hosts[i].label)), hostWidth) << "  "
                      << PadTo(CutToColumns(delivery.tried ? delivery.terminal : untriedText), outcomeWidth) << "  "
                      << (delivery.tried ? SecondsText(delivery.seconds) : "-") << '\n';
        }
    }
    std::cout << std::flush;
}

#ifdef QUARN_WITH_JOURNAL

void AddJournalOptions(CLI::App& command, JournalChoice& choice, bool allowOff)
{
    CLI::Option* journal = command.add_option(
        "--journal", choice.path,
        "the deploy journal (default: $QUARN_JOURNAL, else $XDG_DATA_HOME/quarn/fleet.sqlite3, that is "
        "~/.local/share/quarn/fleet.sqlite3)");
    if (allowOff) {
        command.add_flag("--no-journal", choice.off, "deploy without recording anything in the journal")
            ->excludes(journal);
    }
}

std::string JournalPath(const JournalChoice& choice)
{
    if (!choice.path.empty())
        return choice.path;
    if (const char* shared = std::getenv("QUARN_JOURNAL"); shared != nullptr && shared[0] != '\0')
        return shared;
    return DefaultJournalPath();
}

std::unique_ptr<Journal> OpenJournal(const JournalChoice& choice, Journal::Access access)
{
    const std::string path = JournalPath(choice);
    if (path.empty())
        FailCommand("no place for the deploy journal: give --journal PATH, or set QUARN_JOURNAL or HOME",
                    kExitBadInput);
    if (access == Journal::Access::ReadWrite && path == DefaultJournalPath()) {
        // The default journal's folder is made for it, private to the user.
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!std::filesystem::exists(folder, error) && std::filesystem::create_directories(folder, error))
            std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    }
    Journal::Opened opened = Journal::Open(path, access);
    if (!opened.journal)
        FailCommand("journal " + path + ": " + opened.error, kExitBadInput);
    return std::move(opened.journal);
}

#endif

}  // namespace quarn::cli
