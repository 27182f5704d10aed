// quarnctl deploy, history, program and rollback with the deploy journal,
// against quarnsim processes on loopback: what is recorded, what comes back,
// and what a journal that cannot be used does to a deploy.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/direct_control.hpp"
#include "tests/support/files.hpp"
#include "tests/support/process.hpp"
#include "tests/support/sim_process.hpp"
#include "tests/support/test_peer.hpp"

#ifndef QUARNCTL_PATH
#error "QUARNCTL_PATH must name the quarnctl executable"
#endif

namespace quarn {
namespace {

using namespace std::chrono_literals;
using test::ReadBytes;
using test::RunCommand;
using test::SimProcess;
using test::WriteBytes;

// Two programs with CR LF line ends, as the editor writes them; the
// controllers receive them with LF.
const std::string kFirst = "\xEF\xBB\xBF<statemachine>\r\n<version>first</version>\r\n"
                           "<timer id=\"T0\" on=\"27000\" off=\"79200\" dow=\"31\"/>\r\n</statemachine>\r\n";
const std::string kSecond = "\xEF\xBB\xBF<statemachine>\r\n<version>second</version>\r\n</statemachine>\r\n";

std::string Sent(std::string bytes)
{
    std::string sent;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            sent += bytes[i];
    }
    return sent;
}

// One simulator with a store folder of its own.
struct Controller {
    std::filesystem::path store;
    std::unique_ptr<SimProcess> sim;
    std::string label;
    std::string Stored() const { return ReadBytes(store / "state_machine.xml"); }
};

// A single number from the journal, read by SQLite itself.
std::int64_t Count(const std::string& journal, const std::string& sql)
{
    sqlite3* db = nullptr;
    std::int64_t value = -1;
    if (sqlite3_open_v2(journal.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            value = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return value;
}

class QuarnctlJournal : public ::testing::Test {
protected:
    void SetUp() override
    {
        journal_ = folder_.File("fleet.sqlite3");
        first_ = folder_.File("first.xml");
        second_ = folder_.File("second.xml");
        ASSERT_TRUE(WriteBytes(first_, kFirst));
        ASSERT_TRUE(WriteBytes(second_, kSecond));
    }

    // count live simulators, started side by side.
    std::vector<Controller> Start(std::size_t count, const std::vector<std::string>& extra = {})
    {
        std::vector<Controller> controllers(count);
        std::vector<std::thread> starting;
        for (std::size_t i = 0; i < count; ++i) {
            controllers[i].store = folder_ / ("store-" + std::to_string(next_++));
            std::filesystem::create_directories(controllers[i].store);
            starting.emplace_back([&controllers, i, extra] {
                std::vector<std::string> arguments = {"--store", controllers[i].store.string()};
                arguments.insert(arguments.end(), extra.begin(), extra.end());
                controllers[i].sim = std::make_unique<SimProcess>(arguments);
            });
        }
        for (std::thread& thread : starting)
            thread.join();
        for (Controller& controller : controllers) {
            EXPECT_NE(controller.sim->Port(), 0);
            controller.label = "127.0.0.1:" + std::to_string(controller.sim->Port());
        }
        return controllers;
    }

    std::string HostsFile(const std::vector<std::string>& labels)
    {
        std::string text;
        for (const std::string& label : labels)
            text += label + "\n";
        const std::string path = folder_.File("hosts-" + std::to_string(next_++) + ".txt");
        EXPECT_TRUE(WriteBytes(path, text));
        return path;
    }

    static std::vector<std::string> Labels(const std::vector<Controller>& controllers)
    {
        std::vector<std::string> labels;
        for (const Controller& controller : controllers)
            labels.push_back(controller.label);
        return labels;
    }

    test::CommandResult Quarnctl(std::vector<std::string> arguments, bool withJournal = true)
    {
        arguments.insert(arguments.begin(), QUARNCTL_PATH);
        if (withJournal)
            arguments.insert(arguments.end(), {"--journal", journal_});
        return RunCommand(arguments);
    }

    test::ScratchFolder folder_;
    std::string journal_;
    std::string first_;
    std::string second_;
    int next_ = 0;
};

TEST_F(QuarnctlJournal, DeployHistoryProgramAndRollback)
{
    const std::vector<Controller> fleet = Start(3);
    const std::string hosts = HostsFile(Labels(fleet));
    ASSERT_EQ(Quarnctl({"deploy", first_, "--hosts", hosts}).status, 0);
    const auto second = Quarnctl({"deploy", second_, "--hosts", hosts});
    ASSERT_EQ(second.status, 0) << second.error;
    for (const Controller& controller : fleet)
        EXPECT_EQ(controller.Stored(), Sent(kSecond));
    // Each program's bytes once, however many hosts took it.
    EXPECT_EQ(Count(journal_, "SELECT count(*) FROM programs"), 2);
    EXPECT_EQ(Count(journal_, "SELECT sum(length(bytes)) FROM programs"),
              static_cast<std::int64_t>(kFirst.size() + kSecond.size()));

    const auto history = Quarnctl({"history", "--json"});
    ASSERT_EQ(history.status, 0) << history.error;
    const nlohmann::json rows = nlohmann::json::parse(history.output);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0]["version"], "second");
    EXPECT_EQ(rows[5]["version"], "first");
    EXPECT_EQ(rows[0]["outcome"], "State machine accepted: 0 timers, 0 relays");
    EXPECT_EQ(rows[5]["outcome"], "State machine accepted: 1 timer (T0), 0 relays");
    EXPECT_EQ(rows[0]["ok"], true);
    EXPECT_EQ(rows[0]["code"], 200);
    const std::string firstHash = rows[5]["program"];
    const std::string secondHash = rows[0]["program"];
    EXPECT_EQ(firstHash.size(), 64u);

    // The table for one host: newest first, the hash's first 12 digits.
    const auto table = Quarnctl({"history", fleet[1].label});
    ASSERT_EQ(table.status, 0) << table.error;
    const std::size_t secondRow = table.output.find(secondHash.substr(0, 12) + "  State machine accepted");
    const std::size_t firstRow = table.output.find(firstHash.substr(0, 12) + "  State machine accepted");
    EXPECT_NE(secondRow, std::string::npos) << table.output;
    EXPECT_LT(secondRow, firstRow) << table.output;
    EXPECT_EQ(table.output.find(fleet[0].label), std::string::npos) << table.output;
    EXPECT_EQ(table.output.find(secondHash.substr(0, 13)), std::string::npos) << table.output;

    // program gives the file's bytes exactly, CR LF and byte-order mark too.
    EXPECT_EQ(Quarnctl({"program", fleet[0].label}).output, kSecond);
    const std::string copy = folder_.File("copy.xml");
    ASSERT_EQ(Quarnctl({"program", fleet[0].label, "-o", copy}).status, 0);
    EXPECT_EQ(ReadBytes(copy), kSecond);
    // Through a link the file is replaced and the link stays; standard output
    // (a pipe here) is written, not renamed over.
    const std::string target = folder_.File("target.xml");
    ASSERT_TRUE(WriteBytes(target, "old"));
    std::filesystem::create_symlink(target, folder_ / "link.xml");
    ASSERT_EQ(Quarnctl({"program", fleet[0].label, "-o", folder_.File("link.xml")}).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(folder_ / "link.xml"));
    EXPECT_EQ(ReadBytes(target), kSecond);
    EXPECT_EQ(Quarnctl({"program", fleet[0].label, "-o", "/dev/stdout"}).output, kSecond);
    EXPECT_EQ(Quarnctl({"program", fleet[0].label, "-o", folder_.path().string()}).status, 1);
    const auto nobody = Quarnctl({"program", "127.0.0.1:1"});
    EXPECT_EQ(nobody.status, 1);
    EXPECT_EQ(nobody.output, "");

    // rollback: the earlier program goes back and is recorded as a deploy.
    const auto rollback = Quarnctl({"rollback", fleet[0].label, fleet[2].label});
    ASSERT_EQ(rollback.status, 0) << rollback.error << rollback.output;
    EXPECT_EQ(fleet[0].Stored(), Sent(kFirst));
    EXPECT_EQ(fleet[1].Stored(), Sent(kSecond));
    EXPECT_EQ(fleet[2].Stored(), Sent(kFirst));
    EXPECT_EQ(Quarnctl({"program", fleet[0].label}).output, kFirst);
    EXPECT_EQ(Count(journal_, "SELECT count(*) FROM deployments"), 8);

    // --to a hash prefix; unknown and malformed prefixes end before any exchange.
    ASSERT_EQ(Quarnctl({"rollback", fleet[0].label, "--to", secondHash.substr(0, 8)}).status, 0);
    EXPECT_EQ(fleet[0].Stored(), Sent(kSecond));
    for (const std::string& bad : {std::string("ffffffffffffffffff"), std::string("xyz'"), std::string("")}) {
        if (bad.empty())
            continue;
        const auto refused = Quarnctl({"rollback", fleet[0].label, "--to", bad});
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_EQ(refused.output, "") << bad;
    }
    EXPECT_EQ(fleet[0].Stored(), Sent(kSecond));
    // A host that took only one program has nothing to go back to.
    const std::vector<Controller> fresh = Start(1);
    ASSERT_EQ(Quarnctl({"deploy", first_, "--hosts", HostsFile(Labels(fresh))}).status, 0);
    EXPECT_EQ(Quarnctl({"rollback", fresh[0].label}).status, 2);
}

TEST_F(QuarnctlJournal, OnlyFailedTriesTheHostsThatDidNotTakeTheFile)
{
    std::vector<Controller> live = Start(2);
    const std::vector<Controller> silent = Start(1, {"--fault", "silent"});
    const std::string dead = "127.0.0.1:" + std::to_string(test::ClosedPort());
    const std::string hosts = HostsFile({live[0].label, silent[0].label, live[1].label, dead});

    const auto all = Quarnctl({"deploy", first_, "--hosts", hosts, "--time-limit", "0.5"});
    EXPECT_EQ(all.status, 1);
    // A live host that took another program since still took this one.
    ASSERT_EQ(Quarnctl({"deploy", second_, "--hosts", HostsFile({live[1].label})}).status, 0);

    const auto retry = Quarnctl({"deploy", first_, "--hosts", hosts, "--time-limit", "0.5", "--only-failed", "--json"});
    EXPECT_EQ(retry.status, 1) << retry.error;
    const nlohmann::json rows = nlohmann::json::parse(retry.output);
    ASSERT_EQ(rows.size(), 2u) << retry.output;
    EXPECT_EQ(rows[0]["host"], silent[0].label);
    EXPECT_EQ(rows[0]["outcome"], "Error: 0");
    EXPECT_EQ(rows[1]["host"], dead);
    EXPECT_NE(retry.error.find("2 hosts have taken this program already"), std::string::npos) << retry.error;
    EXPECT_EQ(live[1].Stored(), Sent(kSecond)) << "a host left out must not be sent anything";

    // A program never deployed: every host is tried.
    const auto fresh = Quarnctl({"deploy", second_, "--hosts", HostsFile(Labels(live)), "--only-failed"});
    EXPECT_EQ(fresh.status, 0) << fresh.error;
    EXPECT_EQ(live[0].Stored(), Sent(kSecond));
    EXPECT_EQ(Quarnctl({"deploy", second_, "--hosts", hosts, "--only-failed", "--no-journal"}).status, 2);
}

TEST_F(QuarnctlJournal, AFailedCanaryStopsTheRest)
{
    const std::vector<Controller> live = Start(3);
    const std::string dead = "127.0.0.1:" + std::to_string(test::ClosedPort());
    const auto run = Quarnctl(
        {"deploy", first_, "--hosts", HostsFile({live[0].label, dead, live[1].label, live[2].label}), "--canary", "2"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(live[0].Stored(), Sent(kFirst));
    EXPECT_EQ(live[1].Stored(), "");
    EXPECT_EQ(live[2].Stored(), "");
    std::size_t notTried = 0;
    for (std::size_t at = run.output.find("not tried (canary failed)"); at != std::string::npos;
         at = run.output.find("not tried (canary failed)", at + 1))
        ++notTried;
    EXPECT_EQ(notTried, 2u) << run.output;
    EXPECT_NE(run.output.find(dead + "  Cannot connect: "), std::string::npos) << run.output;
    EXPECT_EQ(Count(journal_, "SELECT count(*) FROM deployments"), 2);

    // Canaries that take the file let the rest go.
    const auto good = Quarnctl({"deploy", second_, "--hosts", HostsFile(Labels(live)), "--canary", "1"});
    EXPECT_EQ(good.status, 0) << good.output;
    for (const Controller& controller : live)
        EXPECT_EQ(controller.Stored(), Sent(kSecond));
}

TEST_F(QuarnctlJournal, WithoutJournalTheSharedOneOrTheUsersOneIsUsed)
{
    const std::vector<Controller> fleet = Start(1);
    const std::string hosts = HostsFile(Labels(fleet));
    const std::string xdg = folder_.File("xdg");
    const std::string shared = folder_.File("shared.sqlite3");
    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    const std::string keptXdg = oldXdg != nullptr ? oldXdg : "";
    ::setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    ::unsetenv("QUARN_JOURNAL");
    // The user's journal, in a folder made for it.
    EXPECT_EQ(Quarnctl({"deploy", first_, "--hosts", hosts}, false).status, 0);
    EXPECT_EQ(Count(xdg + "/quarn/fleet.sqlite3", "SELECT count(*) FROM deployments"), 1);
    EXPECT_EQ(std::filesystem::status(xdg + "/quarn").permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    // QUARN_JOURNAL names a shared one; --journal wins over both.
    ::setenv("QUARN_JOURNAL", shared.c_str(), 1);
    EXPECT_EQ(Quarnctl({"deploy", second_, "--hosts", hosts}, false).status, 0);
    EXPECT_EQ(Count(shared, "SELECT count(*) FROM deployments"), 1);
    EXPECT_EQ(Quarnctl({"program", fleet[0].label}, false).output, kSecond);
    EXPECT_EQ(Quarnctl({"program", fleet[0].label}).status, 2) << "--journal wins, and names none yet";
    if (oldXdg != nullptr)
        ::setenv("XDG_DATA_HOME", keptXdg.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("QUARN_JOURNAL");
}

// Starts quarnctl without waiting for it; its output goes to a file.
pid_t StartQuarnctl(const std::vector<std::string>& arguments, const std::string& output,
                    const std::function<void()>& inChild = {})
{
    std::vector<std::string> all = {QUARNCTL_PATH};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        std::FILE* out = std::freopen(output.c_str(), "w", stdout);
        std::FILE* err = std::freopen((output + ".err").c_str(), "w", stderr);
        if (out == nullptr || err == nullptr)
            _exit(126);
        if (inChild)
            inChild();
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int WaitFor(pid_t pid)
{
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(QuarnctlJournal, AKilledDeployLeavesExactlyTheFinishedHosts)
{
    // One at a time: three quick hosts, then silent ones that hold it up.
    const std::vector<Controller> live = Start(3);
    const std::vector<Controller> silent = Start(2, {"--fault", "silent"});
    const std::string hosts =
        HostsFile({live[0].label, live[1].label, live[2].label, silent[0].label, silent[1].label});
    const pid_t pid = StartQuarnctl(
        {"deploy", first_, "--hosts", hosts, "--parallel", "1", "--time-limit", "20", "--journal", journal_},
        folder_.File("killed.out"));
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (Count(journal_, "SELECT count(*) FROM deployments") < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    std::this_thread::sleep_for(200ms);  // well into the first silent host
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    EXPECT_EQ(WaitFor(pid), -1);

    const auto history = Quarnctl({"history", "--json"});
    ASSERT_EQ(history.status, 0) << history.error;
    const nlohmann::json rows = nlohmann::json::parse(history.output);
    ASSERT_EQ(rows.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[2 - i]["host"].get<std::string>() + ":" + std::to_string(rows[2 - i]["port"].get<int>()),
                  live[i].label);
        EXPECT_EQ(rows[2 - i]["ok"], true);
    }
    EXPECT_EQ(Count(journal_, "SELECT count(*) FROM pragma_integrity_check WHERE integrity_check = 'ok'"), 1);
    // The journal takes the next deploy.
    EXPECT_EQ(Quarnctl({"deploy", second_, "--hosts", HostsFile(Labels(live))}).status, 0);
    EXPECT_EQ(Count(journal_, "SELECT count(*) FROM deployments"), 6);
}

TEST_F(QuarnctlJournal, TwoDeploysAtOnceAreBothRecordedWhole)
{
    const std::vector<Controller> fleet = Start(12);
    const std::string hosts = HostsFile(Labels(fleet));
    const pid_t a = StartQuarnctl({"deploy", first_, "--hosts", hosts, "--parallel", "2", "--journal", journal_},
                                  folder_.File("a.out"));
    const pid_t b = StartQuarnctl({"deploy", second_, "--hosts", hosts, "--parallel", "3", "--journal", journal_},
                                  folder_.File("b.out"));
    EXPECT_EQ(WaitFor(a), 0) << ReadBytes(folder_.File("a.out.err"));
    EXPECT_EQ(WaitFor(b), 0) << ReadBytes(folder_.File("b.out.err"));
    EXPECT_EQ(Count(journal_, "SELECT count(*) FROM deployments"), 24);
    EXPECT_EQ(Count(journal_, "SELECT count(DISTINCT host || ':' || port) FROM deployments"), 12);
    EXPECT_EQ(Count(journal_, "SELECT count(*) FROM deployments WHERE ok = 1 AND code = 200"), 24);
    EXPECT_EQ(Count(journal_, "SELECT count(*) FROM programs"), 2);
}

TEST_F(QuarnctlJournal, AJournalThatCannotBeUsedStopsTheDeployBeforeAnyExchange)
{
    const std::vector<Controller> fleet = Start(1);
    const std::string hosts = HostsFile(Labels(fleet));
    struct Case {
        const char* name;
        std::string bytes;  // the journal's bytes beforehand
        const char* reason;
    };
    const Case cases[] = {
        {"corrupt", std::string("SQLite format 3\0", 16) + std::string(2000, '\x13'), "not a deploy journal"},
        {"a text file", "greenhouse-north\n", "not a deploy journal"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(journal_, c.bytes));
        const auto run = Quarnctl({"deploy", first_, "--hosts", hosts});
        EXPECT_EQ(run.status, 2) << c.name;
        EXPECT_EQ(run.output, "") << c.name;
        EXPECT_NE(run.error.find("journal " + journal_ + ": "), std::string::npos) << c.name << ": " << run.error;
        EXPECT_NE(run.error.find(c.reason), std::string::npos) << c.name << ": " << run.error;
        EXPECT_EQ(ReadBytes(journal_), c.bytes) << c.name << ": overwritten";
        EXPECT_EQ(fleet[0].Stored(), "") << c.name;
        EXPECT_EQ(Quarnctl({"history"}).status, 2) << c.name;
    }
    // --no-journal deploys all the same and records nothing.
    EXPECT_EQ(Quarnctl({"deploy", first_, "--hosts", hosts, "--no-journal"}, false).status, 0);
    EXPECT_EQ(fleet[0].Stored(), Sent(kFirst));
    EXPECT_EQ(ReadBytes(journal_), cases[1].bytes);
    std::filesystem::remove(fleet[0].store / "state_machine.xml");

    // Missing: a folder that is not there fails; a file that is not there is made.
    const std::string nowhere = folder_.File("no/such/folder/fleet.sqlite3");
    const auto noFolder = RunCommand({QUARNCTL_PATH, "deploy", first_, "--hosts", hosts, "--journal", nowhere});
    EXPECT_EQ(noFolder.status, 2);
    EXPECT_NE(noFolder.error.find(nowhere), std::string::npos) << noFolder.error;
    EXPECT_EQ(RunCommand({QUARNCTL_PATH, "history", "--journal", folder_.File("none.sqlite3")}).status, 2);
    EXPECT_FALSE(test::Exists(folder_ / "none.sqlite3")) << "history must not make a journal";
    std::filesystem::remove(journal_);
    ASSERT_EQ(Quarnctl({"deploy", first_, "--hosts", hosts}).status, 0);
    EXPECT_EQ(Count(journal_, "SELECT count(*) FROM deployments"), 1);
    std::filesystem::remove(fleet[0].store / "state_machine.xml");

    // A disk that is full: the journal cannot grow by a byte.
    const std::string out = folder_.File("full.out");
    const pid_t full = StartQuarnctl({"deploy", second_, "--hosts", hosts, "--journal", journal_}, out, [] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{2048, 2048};  // room for the message on stderr, none for a WAL frame
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(WaitFor(full), 2) << ReadBytes(out + ".err");
    EXPECT_NE(ReadBytes(out + ".err").find("journal " + journal_ + ": "), std::string::npos) << ReadBytes(out + ".err");
    EXPECT_EQ(fleet[0].Stored(), "");

    if (!test::RunningAsRoot()) {
        std::filesystem::permissions(journal_, std::filesystem::perms::owner_read);
        const auto readOnly = Quarnctl({"deploy", first_, "--hosts", hosts});
        EXPECT_EQ(readOnly.status, 2);
        EXPECT_NE(readOnly.error.find("read-only"), std::string::npos) << readOnly.error;
        EXPECT_EQ(fleet[0].Stored(), "");
        EXPECT_EQ(Quarnctl({"history"}).status, 0) << "a read-only journal can still be read";
        std::filesystem::permissions(journal_,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }
}

TEST_F(QuarnctlJournal, ALockedJournalIsWaitedForFiveSeconds)
{
    const std::vector<Controller> fleet = Start(1);
    const std::string hosts = HostsFile(Labels(fleet));
    ASSERT_EQ(Quarnctl({"deploy", first_, "--hosts", hosts}).status, 0);
    std::filesystem::remove(fleet[0].store / "state_machine.xml");

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(journal_.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    // Released after a second: the deploy waits and goes through.
    std::thread release([other] {
        std::this_thread::sleep_for(1s);
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    auto start = std::chrono::steady_clock::now();
    const auto waited = Quarnctl({"deploy", second_, "--hosts", hosts});
    release.join();
    EXPECT_EQ(waited.status, 0) << waited.error;
    EXPECT_GE(std::chrono::steady_clock::now() - start, 900ms);
    EXPECT_EQ(fleet[0].Stored(), Sent(kSecond));
    std::filesystem::remove(fleet[0].store / "state_machine.xml");

    // Held throughout: five seconds, then exit 2 with nothing sent.
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    start = std::chrono::steady_clock::now();
    const auto locked = Quarnctl({"deploy", first_, "--hosts", hosts});
    const auto elapsed = std::chrono::steady_clock::now() - start;
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(locked.status, 2);
    EXPECT_NE(locked.error.find("locked"), std::string::npos) << locked.error;
    EXPECT_GE(elapsed, 4900ms);
    EXPECT_LT(elapsed, 9s);
    EXPECT_EQ(fleet[0].Stored(), "");
}

// R0 follows T0, on all day every day; R1 follows input S0; R2 is unused.
const std::string kExpectProgram =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n\t<version>expect</version>\r\n"
    "\t<timer id=\"0\" start=\"0\" end=\"86399\" dow=\"127\"> </timer>\r\n\t<parallel>\r\n"
    "\t\t<state id=\"R0\" initial=\"Roff0\">\r\n"
    "\t\t\t<state id=\"Roff0\"><transition target=\"Ron0\" cond=\"#T0\"> </transition></state>\r\n"
    "\t\t\t<state id=\"Ron0\"><transition target=\"Roff0\" cond=\"!(#T0)\"> </transition></state>\r\n\t\t</state>\r\n"
    "\t\t<state id=\"R1\" initial=\"Roff1\">\r\n"
    "\t\t\t<state id=\"Roff1\"><transition target=\"Ron1\" cond=\"#S0\"> </transition></state>\r\n"
    "\t\t\t<state id=\"Ron1\"><transition target=\"Roff1\" cond=\"!(#S0)\"> </transition></state>\r\n\t\t</state>\r\n"
    "\t</parallel>\r\n</statemachine>\r\n";

TEST_F(QuarnctlJournal, StatusExpectComparesEachControllerWithItsLastProgram)
{
    // Clocks at this machine's local time ("now" is quarnsim's default).
    std::vector<Controller> plain = Start(3);
    const std::vector<Controller> input = Start(1, {"--input", "S0=1"});
    const std::string dead = "127.0.0.1:" + std::to_string(test::ClosedPort());
    const std::string program = folder_.File("expect.xml");
    ASSERT_TRUE(WriteBytes(program, kExpectProgram));
    ASSERT_EQ(
        Quarnctl({"deploy", program, "--hosts", HostsFile({plain[0].label, plain[1].label, input[0].label})}).status,
        0);
    // plain[1]: R2 switched by hand; plain[2]: never deployed to.
    ExchangeOptions options;
    options.port = plain[1].sim->Port();
    ASSERT_TRUE(SendControlRequest(u"127.0.0.1", RelayQuery(2, true), options).mask);

    const std::string hosts = HostsFile({plain[0].label, plain[1].label, input[0].label, plain[2].label, dead});
    const auto json = Quarnctl({"status", "--hosts", hosts, "--expect", "--json", "--time-limit", "2"});
    EXPECT_EQ(json.status, 1) << json.error;
    const nlohmann::json rows = nlohmann::json::parse(json.output);
    ASSERT_EQ(rows.size(), 5u);
    const nlohmann::json expected = {"on", "inputs", "off", "off", "off", "off", "off", "off"};
    EXPECT_EQ(rows[0]["verdict"], "as programmed");
    EXPECT_EQ(rows[0]["expected"], expected);
    EXPECT_EQ(rows[1]["verdict"], "differs: R2 on, program says off since Mon 00:00:00");
    EXPECT_EQ(rows[2]["relays"][1], true) << "the input is on";
    EXPECT_EQ(rows[2]["verdict"], "as programmed") << "a relay that reads an input is not compared";
    EXPECT_EQ(rows[3]["verdict"], "no program recorded");
    EXPECT_EQ(rows[3]["program"], nullptr);
    EXPECT_EQ(rows[4]["ok"], false);

    // The table: the program's line under the controller's.
    const auto table =
        Quarnctl({"status", "--hosts", HostsFile({plain[0].label, input[0].label, plain[2].label}), "--expect"});
    EXPECT_EQ(table.status, 0) << table.output << table.error;
    EXPECT_NE(table.output.find("  on   off  off  off  off  off  off  off  as programmed\n"), std::string::npos)
        << table.output;
    EXPECT_NE(table.output.find("  program        on   in   off  off  off  off  off  off\n"), std::string::npos)
        << table.output;
    EXPECT_NE(table.output.find("no program recorded"), std::string::npos) << table.output;

    // The same as Prometheus text, read by the Python client's parser.
    const auto metrics =
        Quarnctl({"status", "--hosts", hosts, "--expect", "--format", "prometheus", "--time-limit", "2"});
    EXPECT_EQ(metrics.status, 1);
    const std::string text = folder_.File("metrics.prom");
    ASSERT_TRUE(WriteBytes(text, metrics.output));
    const std::string script = folder_.File("parse.py");
    ASSERT_TRUE(WriteBytes(
        script, "import json, sys\n"
                "from prometheus_client.parser import text_string_to_metric_families\n"
                "out = {}\n"
                "for family in text_string_to_metric_families(open(sys.argv[1]).read()):\n"
                "    assert family.type == 'gauge' and family.documentation, family.name\n"
                "    for s in family.samples:\n"
                "        out[s.name + ' ' + ' '.join(k + '=' + v for k, v in sorted(s.labels.items()))] = s.value\n"
                "print(json.dumps(out))\n"));
    const auto parsed = RunCommand({"/usr/bin/python3", script, text});
    ASSERT_EQ(parsed.status, 0) << parsed.error << metrics.output;
    const nlohmann::json samples = nlohmann::json::parse(parsed.output);
    EXPECT_EQ(samples["quarn_up host=" + plain[0].label], 1.0);
    EXPECT_EQ(samples["quarn_up host=" + dead], 0.0);
    EXPECT_EQ(samples["quarn_relay_on host=" + plain[1].label + " relay=R2"], 1.0);
    EXPECT_EQ(samples["quarn_relay_expected host=" + plain[1].label + " relay=R2"], 0.0);
    EXPECT_EQ(samples["quarn_relay_expected host=" + plain[0].label + " relay=R0"], 1.0);
    EXPECT_FALSE(samples.contains("quarn_relay_expected host=" + plain[0].label + " relay=R1")) << "depends on S0";
    EXPECT_FALSE(samples.contains("quarn_relay_expected host=" + plain[2].label + " relay=R0")) << "no program";
    EXPECT_FALSE(samples.contains("quarn_relay_on host=" + dead + " relay=R0"));
    EXPECT_TRUE(samples.contains("quarn_status_seconds host=" + dead));
}

}  // namespace
}  // namespace quarn
