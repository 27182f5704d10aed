#include "cli/journal.hpp"

#include "base/sha256.hpp"

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>
#include <unordered_map>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace quarn::cli {

namespace {

// The steps that bring a journal from schema version n to n + 1, in order;
// step 0 makes a new one. A later schema adds its step here and raises
// kJournalSchemaVersion.
constexpr const char* kMigrations[] = {
    "CREATE TABLE programs ("
    "  hash TEXT PRIMARY KEY,"
    "  bytes BLOB NOT NULL,"
    "  version TEXT NOT NULL,"
    "  first_seen INTEGER NOT NULL"
    ");"
    "CREATE TABLE deployments ("
    "  id INTEGER PRIMARY KEY,"
    "  at INTEGER NOT NULL,"
    "  host TEXT NOT NULL,"
    "  port INTEGER NOT NULL,"
    "  program TEXT NOT NULL REFERENCES programs(hash),"
    "  ok INTEGER NOT NULL,"
    "  code INTEGER NOT NULL,"
    "  outcome TEXT NOT NULL,"
    "  seconds REAL NOT NULL,"
    "  login TEXT NOT NULL"
    ");"
    "CREATE INDEX deployments_by_host ON deployments(host, port, id);"
    "CREATE INDEX deployments_by_program ON deployments(program, host, port, id);",
};
static_assert(std::size(kMigrations) == kJournalSchemaVersion);

// One prepared statement, finalized on every path.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { result_ = sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Prepared() const { return result_ == SQLITE_OK; }
    int Result() const { return result_; }
    void Bind(int index, std::string_view text)
    {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void BindBlob(int index, std::string_view bytes)
    {
        sqlite3_bind_blob64(statement_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    }
    void Bind(int index, std::int64_t value) { sqlite3_bind_int64(statement_, index, value); }
    void Bind(int index, double value) { sqlite3_bind_double(statement_, index, value); }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step()
    {
        if (result_ != SQLITE_OK && result_ != SQLITE_ROW)
            return result_;
        result_ = sqlite3_step(statement_);
        return result_;
    }
    std::int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
    double Real(int column) const { return sqlite3_column_double(statement_, column); }
    std::string Text(int column) const
    {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        const int size = sqlite3_column_bytes(statement_, column);
        return data == nullptr ? std::string() : std::string(data, static_cast<std::size_t>(size));
    }

private:
    sqlite3_stmt* statement_ = nullptr;
    int result_ = SQLITE_OK;
};

std::string Reason(sqlite3* db, int result)
{
    switch (result & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "is locked by another program (waited " + std::to_string(kJournalBusyWait.count() / 1000) + " s)";
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return "cannot be written (read-only)";
    case SQLITE_NOTADB:
        return "is not a deploy journal (not a SQLite database); it was left as it is";
    case SQLITE_CORRUPT:
        return "is damaged (" + std::string(sqlite3_errstr(result)) + ")";
    case SQLITE_CANTOPEN:
        return "cannot be opened";
    case SQLITE_FULL:
        return "cannot be written (the disk is full)";
    default:
        return std::string(db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(result));
    }
}

bool Execute(sqlite3* db, const char* sql, std::string& error)
{
    const int result = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) {
        error = Reason(db, result);
        return false;
    }
    return true;
}

std::optional<std::int64_t> Number(sqlite3* db, const char* sql, std::string& error)
{
    Statement statement(db, sql);
    const int result = statement.Step();
    if (result != SQLITE_ROW) {
        error = Reason(db, result);
        return std::nullopt;
    }
    return statement.Int(0);
}

struct Identity {
    std::int64_t applicationId = 0;
    std::int64_t version = 0;
    std::int64_t objects = 0;
};

std::optional<Identity> ReadIdentity(sqlite3* db, std::string& error)
{
    Identity identity;
    const auto application = Number(db, "PRAGMA application_id", error);
    if (!application)
        return std::nullopt;
    const auto version = Number(db, "PRAGMA user_version", error);
    if (!version)
        return std::nullopt;
    const auto objects = Number(db, "SELECT count(*) FROM sqlite_master", error);
    if (!objects)
        return std::nullopt;
    return Identity{*application, *version, *objects};
}

// The identity as one snapshot: read in three statements outside a
// transaction, another quarnctl making the journal meanwhile could be seen
// half way (tables already there, its mark not yet) and the journal taken
// for another program's database.
std::optional<Identity> ReadIdentityAtOnce(sqlite3* db, std::string& error)
{
    if (!Execute(db, "BEGIN", error))
        return std::nullopt;
    std::optional<Identity> identity = ReadIdentity(db, error);
    sqlite3_exec(db, identity ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
    return identity;
}

constexpr const char* kNotOurs = "is not a deploy journal (a SQLite database of another program); it was left as it is";

// Brings a journal (or a new, empty database) to the current schema in one
// transaction. The identity is read again inside it: another process may
// have made the journal meanwhile.
bool Migrate(sqlite3* db, std::string& error)
{
    if (!Execute(db, "BEGIN IMMEDIATE", error))
        return false;
    auto fail = [&] {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    };
    const std::optional<Identity> identity = ReadIdentity(db, error);
    if (!identity)
        return fail();
    if (identity->applicationId != kJournalApplicationId && (identity->applicationId != 0 || identity->objects != 0)) {
        error = kNotOurs;
        return fail();
    }
    for (auto step = identity->version; step < kJournalSchemaVersion; ++step) {
        if (!Execute(db, kMigrations[step], error))
            return fail();
    }
    const std::string pragmas = "PRAGMA application_id = " + std::to_string(kJournalApplicationId) +
                                "; PRAGMA user_version = " + std::to_string(kJournalSchemaVersion);
    if (!Execute(db, pragmas.c_str(), error) || !Execute(db, "COMMIT", error))
        return fail();
    return true;
}

Deployment ReadDeployment(const Statement& row, bool withVersion = true)
{
    Deployment deployment;
    deployment.id = row.Int(0);
    deployment.at = row.Int(1);
    deployment.host = row.Text(2);
    deployment.port = static_cast<std::uint16_t>(row.Int(3));
    deployment.program = row.Text(4);
    deployment.ok = row.Int(5) != 0;
    deployment.code = static_cast<std::int32_t>(row.Int(6));
    deployment.outcome = row.Text(7);
    deployment.seconds = row.Real(8);
    deployment.login = row.Text(9);
    if (withVersion)
        deployment.version = row.Text(10);
    return deployment;
}

constexpr const char* kDeploymentColumns =
    "SELECT d.id, d.at, d.host, d.port, d.program, d.ok, d.code, d.outcome, d.seconds, d.login, p.version "
    "FROM deployments d JOIN programs p ON p.hash = d.program ";

}  // namespace

Journal::Journal(sqlite3* db) : db_(db)
{
}

Journal::~Journal()
{
    sqlite3_close(db_);
}

Journal::Opened Journal::Open(const std::string& path, Access access, std::chrono::milliseconds busyWait)
{
    Opened opened;
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    const bool exists = std::filesystem::exists(status);
    if (exists && !std::filesystem::is_regular_file(status)) {
        opened.error = "is not a deploy journal (not a regular file); it was left as it is";
        return opened;
    }
    if (!exists && access == Access::ReadOnly) {
        opened.error = "does not exist: nothing has been deployed with it yet";
        return opened;
    }

    sqlite3* db = nullptr;
    // Every call goes through the owner's own mutex, so SQLite needs none.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (access == Access::ReadWrite)
        flags |= SQLITE_OPEN_CREATE;
    const int result = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    // The handle exists even when the open failed; this owns it from here.
    std::unique_ptr<Journal> journal(new Journal(db));
    if (result != SQLITE_OK) {
        opened.error = Reason(db, result);
        return opened;
    }
    sqlite3_busy_timeout(db, static_cast<int>(busyWait.count()));
    sqlite3_extended_result_codes(db, 1);

    const std::optional<Identity> identity = ReadIdentityAtOnce(db, opened.error);
    if (!identity)
        return opened;
    const bool ours = identity->applicationId == kJournalApplicationId;
    const bool empty = identity->applicationId == 0 && identity->objects == 0;
    if (!ours && !empty) {
        opened.error = kNotOurs;
        return opened;
    }
    if (ours && identity->version > kJournalSchemaVersion) {
        opened.error = "was written by a newer quarnctl (schema " + std::to_string(identity->version) +
                       ", this one knows " + std::to_string(kJournalSchemaVersion) + ")";
        return opened;
    }
    if (access == Access::ReadOnly) {
        if (!ours) {
            opened.error = "holds no deployments yet";
            return opened;
        }
        if (identity->version < kJournalSchemaVersion) {
            opened.error = "has an older schema; a deploy brings it up to date";
            return opened;
        }
    } else {
        if (sqlite3_db_readonly(db, "main") == 1) {
            opened.error = Reason(db, SQLITE_READONLY);
            return opened;
        }
        // Readers never wait for the writer, and a killed writer leaves
        // every committed row.
        // The switch needs the file to itself for a moment, and SQLite does
        // not wait for that through the busy handler: a second quarnctl that
        // opens a new journal at the same time tries again until the busy
        // wait is over.
        if (empty) {
            const auto until = std::chrono::steady_clock::now() + busyWait;
            for (;;) {
                Statement wal(db, "PRAGMA journal_mode = WAL");
                const int step = wal.Step();
                if (step == SQLITE_ROW)
                    break;
                const int primary = step & 0xFF;
                if ((primary != SQLITE_BUSY && primary != SQLITE_LOCKED) || std::chrono::steady_clock::now() >= until) {
                    opened.error = Reason(db, step);
                    return opened;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        if ((empty || identity->version < kJournalSchemaVersion) && !Migrate(db, opened.error))
            return opened;
        // Each host's row is in the WAL, and so safe from a killed quarnctl,
        // the moment its commit returns; the sync to the disk waits for the
        // next checkpoint. A power cut may lose the last rows, never the
        // journal. A sync per commit would cost more than the exchanges.
        if (!Execute(db, "PRAGMA synchronous = NORMAL", opened.error))
            return opened;
    }
    opened.journal = std::move(journal);
    return opened;
}

std::optional<std::string> Journal::RememberProgram(std::string_view bytes, std::string_view version,
                                                    std::string& error)
{
    const std::lock_guard lock(mutex_);
    std::string hash = Sha256Hex(bytes);
    Statement insert(db_, "INSERT OR IGNORE INTO programs (hash, bytes, version, first_seen) VALUES (?1, ?2, ?3, ?4)");
    insert.Bind(1, hash);
    insert.BindBlob(2, bytes);
    insert.Bind(3, version);
    insert.Bind(4, NowMilliseconds());
    if (const int result = insert.Step(); result != SQLITE_DONE) {
        error = Reason(db_, result);
        return std::nullopt;
    }
    return hash;
}

bool Journal::Record(const DeploymentRecord& record, std::string& error)
{
    const std::lock_guard lock(mutex_);
    Statement insert(db_, "INSERT INTO deployments (at, host, port, program, ok, code, outcome, seconds, login) "
                          "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    insert.Bind(1, record.at);
    insert.Bind(2, record.host);
    insert.Bind(3, std::int64_t{record.port});
    insert.Bind(4, record.program);
    insert.Bind(5, std::int64_t{record.ok ? 1 : 0});
    insert.Bind(6, std::int64_t{record.code});
    insert.Bind(7, record.outcome);
    insert.Bind(8, record.seconds);
    insert.Bind(9, record.login);
    if (const int result = insert.Step(); result != SQLITE_DONE) {
        error = Reason(db_, result);
        return false;
    }
    return true;
}

std::vector<Deployment> Journal::History(const std::string& host, std::optional<std::uint16_t> port, std::size_t limit,
                                         std::string& error)
{
    std::vector<Deployment> rows;
    EachDeployment(
        host, port, limit, [&rows](const Deployment& row) { rows.push_back(row); }, error);
    return rows;
}

bool Journal::EachDeployment(const std::string& host, std::optional<std::uint16_t> port, std::size_t limit,
                             const std::function<void(const Deployment&)>& each, std::string& error)
{
    const std::lock_guard lock(mutex_);
    // The programs are few and the rows many: their versions are looked up
    // here rather than joined row by row.
    std::unordered_map<std::string, std::string> versions;
    {
        Statement programs(db_, "SELECT hash, version FROM programs");
        int result = SQLITE_OK;
        while ((result = programs.Step()) == SQLITE_ROW)
            versions.emplace(programs.Text(0), programs.Text(1));
        if (result != SQLITE_DONE) {
            error = Reason(db_, result);
            return false;
        }
    }
    std::string sql = "SELECT id, at, host, port, program, ok, code, outcome, seconds, login FROM deployments ";
    if (!host.empty())
        sql += port ? "WHERE host = ?1 AND port = ?2 " : "WHERE host = ?1 ";
    sql += "ORDER BY id DESC LIMIT ?3";
    Statement query(db_, sql.c_str());
    query.Bind(1, host);
    query.Bind(2, std::int64_t{port.value_or(0)});
    query.Bind(3, static_cast<std::int64_t>(std::min<std::size_t>(limit, INT64_MAX)));
    int result = SQLITE_OK;
    while ((result = query.Step()) == SQLITE_ROW) {
        Deployment row = ReadDeployment(query, false);
        if (const auto found = versions.find(row.program); found != versions.end())
            row.version = found->second;
        each(row);
    }
    if (result != SQLITE_DONE) {
        error = Reason(db_, result);
        return false;
    }
    return true;
}

std::vector<std::pair<std::string, std::uint16_t>>
Journal::DeployedHosts(const std::string& host, std::optional<std::uint16_t> port, std::string& error)
{
    const std::lock_guard lock(mutex_);
    std::string sql = "SELECT DISTINCT host, port FROM deployments ";
    if (!host.empty())
        sql += port ? "WHERE host = ?1 AND port = ?2" : "WHERE host = ?1";
    Statement query(db_, sql.c_str());
    if (!host.empty()) {
        query.Bind(1, host);
        if (port)
            query.Bind(2, std::int64_t{*port});
    }
    std::vector<std::pair<std::string, std::uint16_t>> hosts;
    int result = SQLITE_OK;
    while ((result = query.Step()) == SQLITE_ROW)
        hosts.emplace_back(query.Text(0), static_cast<std::uint16_t>(query.Int(1)));
    if (result != SQLITE_DONE)
        error = Reason(db_, result);
    return hosts;
}

std::vector<std::string> Journal::Versions(std::string& error)
{
    const std::lock_guard lock(mutex_);
    Statement query(db_, "SELECT DISTINCT version FROM programs");
    std::vector<std::string> versions;
    int result = SQLITE_OK;
    while ((result = query.Step()) == SQLITE_ROW)
        versions.push_back(query.Text(0));
    if (result != SQLITE_DONE)
        error = Reason(db_, result);
    return versions;
}

std::optional<Deployment> Journal::LastOfProgram(const std::string& host, std::uint16_t port,
                                                 const std::string& program, std::string& error)
{
    const std::lock_guard lock(mutex_);
    const std::string sql = std::string(kDeploymentColumns) +
                            "WHERE d.program = ?1 AND d.host = ?2 AND d.port = ?3 ORDER BY d.id DESC LIMIT 1";
    Statement query(db_, sql.c_str());
    query.Bind(1, program);
    query.Bind(2, host);
    query.Bind(3, std::int64_t{port});
    const int result = query.Step();
    if (result == SQLITE_ROW)
        return ReadDeployment(query);
    if (result != SQLITE_DONE)
        error = Reason(db_, result);
    return std::nullopt;
}

std::vector<Deployment> Journal::TakenPrograms(const std::string& host, std::uint16_t port, std::string& error)
{
    const std::lock_guard lock(mutex_);
    const std::string sql = std::string(kDeploymentColumns) +
                            "WHERE d.id IN (SELECT max(id) FROM deployments WHERE host = ?1 AND port = ?2 AND ok = 1 "
                            "GROUP BY program) ORDER BY d.id DESC";
    Statement query(db_, sql.c_str());
    query.Bind(1, host);
    query.Bind(2, std::int64_t{port});
    std::vector<Deployment> rows;
    int result = SQLITE_OK;
    while ((result = query.Step()) == SQLITE_ROW)
        rows.push_back(ReadDeployment(query));
    if (result != SQLITE_DONE)
        error = Reason(db_, result);
    return rows;
}

std::optional<StoredProgram> Journal::Program(const std::string& hash, std::string& error)
{
    const std::lock_guard lock(mutex_);
    Statement query(db_, "SELECT hash, bytes, version, first_seen FROM programs WHERE hash = ?1");
    query.Bind(1, hash);
    const int result = query.Step();
    if (result == SQLITE_ROW)
        return StoredProgram{query.Text(0), query.Text(1), query.Text(2), query.Int(3)};
    if (result != SQLITE_DONE)
        error = Reason(db_, result);
    return std::nullopt;
}

std::vector<std::string> Journal::HashesStartingWith(const std::string& prefix, std::string& error)
{
    const std::lock_guard lock(mutex_);
    // The prefix is hex only (the caller checks), so no pattern character
    // can reach the comparison.
    Statement query(db_, "SELECT hash FROM programs WHERE substr(hash, 1, length(?1)) = ?1 ORDER BY hash");
    query.Bind(1, prefix);
    std::vector<std::string> hashes;
    int result = SQLITE_OK;
    while ((result = query.Step()) == SQLITE_ROW)
        hashes.push_back(query.Text(0));
    if (result != SQLITE_DONE)
        error = Reason(db_, result);
    return hashes;
}

std::string DefaultJournalPath()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        return std::string(data) + "/quarn/fleet.sqlite3";
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return std::string(home) + "/.local/share/quarn/fleet.sqlite3";
    return {};
}

std::string LoginName()
{
#ifndef _WIN32
    if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return entry->pw_name;
#endif
    for (const char* name : {"LOGNAME", "USER", "USERNAME"}) {
        if (const char* value = std::getenv(name); value != nullptr && value[0] != '\0')
            return value;
    }
    return "unknown";
}

std::int64_t NowMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace quarn::cli
