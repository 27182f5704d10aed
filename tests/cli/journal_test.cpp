// The deploy journal by itself: what it keeps, what it refuses to touch, and
// how it behaves when another program holds it.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "base/sha256.hpp"
#include "cli/journal.hpp"
#include "tests/support/files.hpp"

namespace quarn::cli {
namespace {

using namespace std::chrono_literals;

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override { path_ = (dir_ / "fleet.sqlite3").string(); }
    std::unique_ptr<Journal> OpenOrFail(Journal::Access access = Journal::Access::ReadWrite)
    {
        Journal::Opened opened = Journal::Open(path_, access, 200ms);
        EXPECT_TRUE(opened.journal) << opened.error;
        return std::move(opened.journal);
    }
    static std::string Bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return std::move(bytes).str();
    }
    // A SQLite database by other means than the journal's.
    void RawSql(const std::string& sql)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    static DeploymentRecord Row(const std::string& host, std::uint16_t port, const std::string& program, bool ok)
    {
        DeploymentRecord record;
        record.at = NowMilliseconds();
        record.host = host;
        record.port = port;
        record.program = program;
        record.ok = ok;
        record.code = ok ? 200 : 0;
        record.outcome = ok ? "State machine accepted" : "Error: 0";
        record.login = "tester";
        return record;
    }

    const test::ScratchFolder scratch_;
    const std::filesystem::path dir_ = scratch_.path();
    std::string path_;
};

TEST_F(JournalTest, KeepsEachProgramOnceAndDeploymentsNewestFirst)
{
    auto journal = OpenOrFail();
    ASSERT_TRUE(journal);
    std::string error;
    const std::string bytes("<statemachine>\r\n\0binary\x1A</statemachine>", 38);
    const auto hash = journal->RememberProgram(bytes, "v1", error);
    ASSERT_TRUE(hash) << error;
    EXPECT_EQ(*hash, Sha256Hex(bytes));
    EXPECT_EQ(journal->RememberProgram(bytes, "v1 again", error), hash);
    const auto other = journal->RememberProgram("<statemachine/>", "v2", error);
    ASSERT_TRUE(other);

    ASSERT_TRUE(journal->Record(Row("a", 80, *hash, true), error)) << error;
    ASSERT_TRUE(journal->Record(Row("a", 8080, *hash, false), error)) << error;
    ASSERT_TRUE(journal->Record(Row("b", 80, *other, true), error)) << error;
    ASSERT_TRUE(journal->Record(Row("a", 80, *other, true), error)) << error;
    journal.reset();

    // Everything is read back by a new process's view of the file.
    journal = OpenOrFail(Journal::Access::ReadOnly);
    const auto program = journal->Program(*hash, error);
    ASSERT_TRUE(program);
    EXPECT_EQ(program->bytes, bytes) << "a zero byte or CTRL-Z must not cut the stored program";
    EXPECT_EQ(program->version, "v1");

    const auto all = journal->History("", std::nullopt, 100, error);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].host, "a");
    EXPECT_EQ(all[0].version, "v2");
    EXPECT_EQ(all[3].program, *hash);
    EXPECT_EQ(all[3].login, "tester");
    EXPECT_EQ(journal->History("a", std::nullopt, 100, error).size(), 3u);
    EXPECT_EQ(journal->History("a", 8080, 100, error).size(), 1u);
    EXPECT_EQ(journal->History("", std::nullopt, 2, error).size(), 2u);

    const auto taken = journal->TakenPrograms("a", 80, error);
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].program, *other);
    EXPECT_EQ(taken[1].program, *hash);
    EXPECT_FALSE(journal->LastOfProgram("a", 8080, *hash, error)->ok);
    EXPECT_FALSE(journal->LastOfProgram("b", 80, *hash, error));
    EXPECT_EQ(journal->HashesStartingWith(hash->substr(0, 6), error), std::vector<std::string>{*hash});
    EXPECT_TRUE(journal->HashesStartingWith("%", error).empty());
}

TEST_F(JournalTest, ANewJournalIsWalWithTheSchemaVersion)
{
    ASSERT_TRUE(OpenOrFail());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    auto value = [db](const char* sql) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        sqlite3_step(statement);
        std::string text(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        return text;
    };
    EXPECT_EQ(value("PRAGMA journal_mode"), "wal");
    EXPECT_EQ(value("PRAGMA user_version"), std::to_string(kJournalSchemaVersion));
    EXPECT_EQ(value("PRAGMA application_id"), std::to_string(kJournalApplicationId));
    // No column could hold a password.
    EXPECT_EQ(value("SELECT count(*) FROM pragma_table_info('deployments') WHERE name LIKE '%pass%'"), "0");
    sqlite3_close(db);
}

TEST_F(JournalTest, AJournalOfANewerSchemaIsRefusedAndAnOlderOneMigrated)
{
    // Version 0 with our id: an interrupted creation, taken up again.
    RawSql("PRAGMA application_id = " + std::to_string(kJournalApplicationId));
    ASSERT_TRUE(OpenOrFail());
    RawSql("PRAGMA user_version = " + std::to_string(kJournalSchemaVersion + 1));
    const Journal::Opened newer = Journal::Open(path_, Journal::Access::ReadWrite, 200ms);
    EXPECT_FALSE(newer.journal);
    EXPECT_NE(newer.error.find("newer quarnctl"), std::string::npos) << newer.error;
}

TEST_F(JournalTest, FilesThatAreNotJournalsAreNamedAndLeftAsTheyAre)
{
    struct Case {
        const char* name;
        std::string bytes;  // written as they are; empty: made with SQL below
        const char* sql;
        const char* reason;
    };
    const Case cases[] = {
        {"text", "host-list\n", nullptr, "not a SQLite database"},
        {"garbage past a SQLite header", std::string("SQLite format 3\0", 16) + std::string(4000, '\x5A'), nullptr,
         "not"},
        {"another program's database", "", "CREATE TABLE notes(x); INSERT INTO notes VALUES (1)", "another program"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path_);
        if (c.sql != nullptr)
            RawSql(c.sql);
        else
            std::ofstream(path_, std::ios::binary) << c.bytes;
        const std::string before = Bytes(path_);
        for (const auto access : {Journal::Access::ReadWrite, Journal::Access::ReadOnly}) {
            const Journal::Opened opened = Journal::Open(path_, access, 200ms);
            EXPECT_FALSE(opened.journal) << c.name;
            EXPECT_NE(opened.error.find(c.reason), std::string::npos) << c.name << ": " << opened.error;
        }
        EXPECT_EQ(Bytes(path_), before) << c.name;
        EXPECT_FALSE(std::filesystem::exists(path_ + "-wal")) << c.name;
    }
    const Journal::Opened folder = Journal::Open(dir_.string(), Journal::Access::ReadWrite, 200ms);
    EXPECT_FALSE(folder.journal);
    EXPECT_NE(folder.error.find("not a regular file"), std::string::npos) << folder.error;
}

TEST_F(JournalTest, MissingReadOnlyAndLockedJournals)
{
    // Read commands never create one.
    const Journal::Opened missing = Journal::Open(path_, Journal::Access::ReadOnly, 200ms);
    EXPECT_FALSE(missing.journal);
    EXPECT_NE(missing.error.find("does not exist"), std::string::npos) << missing.error;
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_FALSE(
        Journal::Open((dir_ / "no/such/folder/j.sqlite3").string(), Journal::Access::ReadWrite, 200ms).journal);

    ASSERT_TRUE(OpenOrFail());
    if (::geteuid() != 0) {
        std::filesystem::permissions(path_, std::filesystem::perms::owner_read);
        const Journal::Opened readOnly = Journal::Open(path_, Journal::Access::ReadWrite, 200ms);
        EXPECT_FALSE(readOnly.journal);
        EXPECT_NE(readOnly.error.find("read-only"), std::string::npos) << readOnly.error;
        EXPECT_TRUE(OpenOrFail(Journal::Access::ReadOnly)) << "a read-only journal can still be read";
        std::filesystem::permissions(path_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }

    // Another program's write transaction: the write waits, then gives up.
    auto journal = OpenOrFail();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(journal->RememberProgram("<x/>", "", error));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
    EXPECT_NE(error.find("locked"), std::string::npos) << error;
    // Released while the journal waits: the write goes through.
    std::thread release([other] {
        std::this_thread::sleep_for(100ms);
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    error.clear();
    EXPECT_FALSE(journal->RememberProgram("<x/>", "", error) == std::nullopt) << error;
    release.join();
    sqlite3_close(other);
}

TEST_F(JournalTest, RowsFromManyThreadsAreAllKept)
{
    auto journal = OpenOrFail();
    std::string error;
    const auto hash = journal->RememberProgram("<p/>", "", error);
    ASSERT_TRUE(hash);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            std::string threadError;
            for (int i = 0; i < 25; ++i)
                EXPECT_TRUE(journal->Record(Row("h" + std::to_string(t), 80, *hash, true), threadError)) << threadError;
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(journal->History("", std::nullopt, 1000, error).size(), 200u);
}

}  // namespace
}  // namespace quarn::cli
