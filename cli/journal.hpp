#pragma once
// The deploy journal: which program went to which controller, when, and how
// it ended, in one SQLite file. Programs are kept once per distinct content
// (named by the SHA-256 of the file's bytes); each deployment is a row that
// is committed as soon as its host is done. Passwords are never stored.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;

namespace quarn::cli {

// How long a journal that another process is writing is waited for.
inline constexpr std::chrono::milliseconds kJournalBusyWait{5000};

// The schema this program writes; older journals are brought up to it.
inline constexpr int kJournalSchemaVersion = 1;

// Written into every journal's header: a SQLite file without it (and with
// tables of its own) is somebody else's and is left alone.
inline constexpr std::int32_t kJournalApplicationId = 0x51524E4A;  // "QRNJ"

struct DeploymentRecord {
    std::int64_t at = 0;  // milliseconds since 1970-01-01 UTC
    std::string host;     // as the hosts file writes it, without the port
    std::uint16_t port = 80;
    std::string program;  // the program's hash
    bool ok = false;      // the controller took the file
    std::int32_t code = 0;
    std::string outcome;  // the text the user was shown, UTF-8
    double seconds = 0;
    std::string login;
};

struct Deployment : DeploymentRecord {
    std::int64_t id = 0;
    std::string version;  // the program's version text
};

struct StoredProgram {
    std::string hash;
    std::string bytes;
    std::string version;
    std::int64_t firstSeen = 0;
};

class Journal {
public:
    enum class Access { ReadWrite, ReadOnly };

    struct Opened {
        std::unique_ptr<Journal> journal;  // null on failure
        std::string error;                 // why not, naming nothing but the reason
    };

    // Opens the journal at path, creating it (and, with ReadWrite, an empty
    // file) when it does not exist yet; ReadOnly never creates anything. A
    // file that is not a journal fails and stays as it is.
    static Opened Open(const std::string& path, Access access, std::chrono::milliseconds busyWait = kJournalBusyWait);

    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Stores the program's bytes unless a program with that hash is there
    // already; its hash, or nothing with error set. This is also the write
    // that proves the journal can be written.
    std::optional<std::string> RememberProgram(std::string_view bytes, std::string_view version, std::string& error);

    // One committed row. Safe from several threads.
    bool Record(const DeploymentRecord& record, std::string& error);

    // Newest first; every host when host is empty (any port when port is
    // empty), at most limit rows. EachDeployment hands them over one by one
    // without holding them all; the row lives for the call only.
    std::vector<Deployment> History(const std::string& host, std::optional<std::uint16_t> port, std::size_t limit,
                                    std::string& error);
    bool EachDeployment(const std::string& host, std::optional<std::uint16_t> port, std::size_t limit,
                        const std::function<void(const Deployment&)>& row, std::string& error);

    // The hosts (host, port) of those deployments, each once.
    std::vector<std::pair<std::string, std::uint16_t>>
    DeployedHosts(const std::string& host, std::optional<std::uint16_t> port, std::string& error);
    // Every stored program's version text.
    std::vector<std::string> Versions(std::string& error);

    // The newest deployment of program to host:port, if any.
    std::optional<Deployment> LastOfProgram(const std::string& host, std::uint16_t port, const std::string& program,
                                            std::string& error);

    // The programs host:port took, newest first, each hash once at its latest
    // successful deployment.
    std::vector<Deployment> TakenPrograms(const std::string& host, std::uint16_t port, std::string& error);

    std::optional<StoredProgram> Program(const std::string& hash, std::string& error);

    // Every stored hash that starts with prefix (lower-case hex).
    std::vector<std::string> HashesStartingWith(const std::string& prefix, std::string& error);

private:
    explicit Journal(sqlite3* db);
    sqlite3* db_ = nullptr;
    std::mutex mutex_;
};

// Where the journal is unless --journal or QUARN_JOURNAL says otherwise:
// $XDG_DATA_HOME/quarn/fleet.sqlite3, or ~/.local/share/quarn/fleet.sqlite3.
// Empty when neither variable is set.
std::string DefaultJournalPath();

// The user's login name for the deployment rows.
std::string LoginName();

// Milliseconds since 1970-01-01 UTC, now.
std::int64_t NowMilliseconds();

}  // namespace quarn::cli
