#pragma once
// What deploy, rollback and status share: the hosts file and its options,
// running one exchange per host side by side, and the deploy table.

#include "base/controller_facts.hpp"
#include "cli/hosts_file.hpp"
#include "devicelink/upload.hpp"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quarn::cli {

#ifdef QUARN_WITH_JOURNAL
class Journal;
#endif

struct FleetOptions {
    std::string hostsFile;
    std::string password{kDefaultPassword};
    int parallel = 16;
    double timeLimit = 0;
    bool json = false;
};

// --password, --parallel, --time-limit, --json (and --hosts when hostsFile
// is asked for).
void AddFleetOptions(CLI::App& command, FleetOptions& options, bool hostsFile);

// Prints "quarnctl: text" on stderr and ends the command with status.
[[noreturn]] void FailCommand(const std::string& text, int status);

// The hosts file named by the options; ends the command with kExitBadInput
// when it cannot be read or names nobody.
std::vector<HostEntry> ReadHosts(const FleetOptions& options);

ExchangeOptions OptionsFor(const HostEntry& host, const FleetOptions& options);

// Runs job(i) for every i with the progress line on a terminal.
void RunAll(std::size_t count, const FleetOptions& options, const std::function<bool(std::size_t)>& job);

struct Delivery {
    bool tried = false;
    bool ok = false;
    std::int32_t code = 0;
    std::string text;      // UTF-8, as recorded and as --json prints it
    std::string terminal;  // as the table prints it
    double seconds = 0;
};

// Where the outcomes of one program go as each host is done.
struct DeliveryRecorder {
#ifdef QUARN_WITH_JOURNAL
    Journal* journal = nullptr;  // none: nothing is recorded
#endif
    std::string program;       // the program's hash
    std::string fileArgument;  // how the outcome texts name the file
};

// Uploads content to hosts[index] for every index in order (side by side),
// records each outcome the moment its host is done and fills deliveries.
// A host whose outcome cannot be recorded stops the hosts not started yet;
// they stay untried and the reason is in recordError. Returns whether every
// host of indexes took the file.
bool Deliver(const std::vector<HostEntry>& hosts, const std::vector<std::size_t>& indexes, const std::string& content,
             const FleetOptions& options, const DeliveryRecorder& recorder, std::vector<Delivery>& deliveries,
             std::string& recordError);

// The table (or JSON array) of deploy and rollback, in the order of indexes;
// an untried host shows untriedText.
void PrintDeliveries(const std::vector<HostEntry>& hosts, const std::vector<std::size_t>& indexes,
                     const std::vector<Delivery>& deliveries, const std::string& untriedText, bool json);

}  // namespace quarn::cli

#ifdef QUARN_WITH_JOURNAL
#include "cli/journal.hpp"

#include <memory>

namespace quarn::cli {

// --journal PATH, and with allowOff --no-journal.
struct JournalChoice {
    std::string path;
    bool off = false;
};
void AddJournalOptions(CLI::App& command, JournalChoice& choice, bool allowOff);

// --journal, else $QUARN_JOURNAL, else DefaultJournalPath().
std::string JournalPath(const JournalChoice& choice);

// The journal, or the command ends with kExitBadInput and
// "quarnctl: journal PATH: reason". ReadWrite makes the default journal's
// folder when it is missing.
std::unique_ptr<Journal> OpenJournal(const JournalChoice& choice, Journal::Access access);

}  // namespace quarn::cli
#endif
