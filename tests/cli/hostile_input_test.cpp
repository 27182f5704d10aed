// quarnctl against hostile names, files, outputs and options: names that are
// not UTF-8, FIFOs and devices where a file is read or written, files that
// are not state machines, numbers that are no numbers, periods past year
// 9999 and inputs dated before the period.
#include "quarnctl_runner.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quarn::test {
namespace {

namespace fs = std::filesystem;

const std::string kHostileExample = QUARN_WORKED_EXAMPLE;

std::string Shell(const std::string& text)
{
    return QuarnctlRunner::Quoted(text);
}

class HostileInput : public ::testing::Test {
protected:
    QuarnctlRunner quarn;
    std::string example = quarn.Path("example.xml");
    void SetUp() override { QuarnctlRunner::Write(example, QuarnctlRunner::Read(kHostileExample)); }

    std::string Fifo(const std::string& name) const
    {
        const std::string path = quarn.Path(name);
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
        return path;
    }
};

TEST_F(HostileInput, NamesThatAreNotUtf8NameTheirOwnFiles)
{
    // Two names that differ only in a byte that is not UTF-8 would both come
    // out as U+FFFD if the name went through text.
    const std::string in = quarn.Path("in\xff.xml");
    QuarnctlRunner::Write(in, QuarnctlRunner::Read(kHostileExample));
    const std::string a = quarn.Path("week\xfe.svg");
    const std::string b = quarn.Path("week\xfd.svg");
    const std::string replaced = quarn.Path("week\xef\xbf\xbd.svg");

    EXPECT_EQ(quarn("show " + Shell(in)).status, 0);
    const auto json = quarn("show --json " + Shell(in));
    ASSERT_EQ(json.status, 0) << json.err;
    QuarnctlRunner::Write(quarn.Path("model\xfc.json"), json.out);
    const std::string written = quarn.Path("written\xfb.xml");
    EXPECT_EQ(quarn("write " + Shell(quarn.Path("model\xfc.json")) + " " + Shell(written)).status, 0);
    EXPECT_TRUE(fs::exists(written));

    for (const std::string& out : {a, b}) {
        const auto run = quarn("simulate " + Shell(in) + " --from 2026-12-14 --format svg -o " + Shell(out));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(fs::exists(out)) << out;
    }
    EXPECT_FALSE(fs::exists(replaced));
    EXPECT_EQ(quarn("diff " + Shell(in) + " " + Shell(written) + " --from 2026-12-14").status, 0);
    EXPECT_NE(quarn("check " + Shell(in) + " --from 2026-12-14").status, 2);
    EXPECT_EQ(quarn("explain " + Shell(in) + " --at 2026-12-14T08:00:00").status, 0);

    const std::string xmi = quarn.Path("model\xfa.uml");
    QuarnctlRunner::Write(xmi, QuarnctlRunner::Read(fs::path(QUARN_CONVERTER_FIXTURES) / "office-uml2.uml"));
    const auto convert = quarn("convert " + Shell(xmi));
    EXPECT_EQ(convert.status, 0) << convert.err;
    EXPECT_TRUE(fs::exists(xmi + ".xml"));
}

TEST_F(HostileInput, FifosFoldersAndDevicesAreRefusedAtOnceWhereAFileIsRead)
{
    const std::string fifo = Fifo("no-writer");
    const std::string folder = quarn.Path("folder");
    fs::create_directory(folder);
    const struct {
        std::string command;  // %s stands for the file that is not a file
        int status;
    } cases[] = {
        {"show %s", 1},
        {"show --json %s", 1},
        {"simulate %s", 1},
        {"check %s", 2},
        {"explain %s --at 2026-12-14T08:00:00", 1},
        {"diff %s " + Shell(example), 2},
        {"write %s " + Shell(quarn.Path("out.xml")), 2},
        {"convert %s " + Shell(quarn.Path("out.xml")), 1},
    };
    for (const std::string& target : {fifo, std::string("/dev/zero"), folder}) {
        for (const auto& c : cases) {
            std::string command = c.command;
            command.replace(command.find("%s"), 2, Shell(target));
            const auto run = quarn(command);
            EXPECT_EQ(run.status, c.status) << command << "\n" << run.err;
            EXPECT_EQ(run.out, "") << command;
        }
    }
    EXPECT_FALSE(fs::exists(quarn.Path("out.xml")));
}

TEST_F(HostileInput, ProgramCommandsRefuseWhatIsNotAStateMachine)
{
    const std::string full = QuarnctlRunner::Read(kHostileExample);
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"plain.txt", "T0 on at 07:30\n"},
        {"page.html", "<!DOCTYPE html><html><body><p>statemachine</p></body></html>"},
        {"model.json", "{\"version\": \"x\", \"relays\": [\"#T0\"]}"},
        {"cut.xml", full.substr(0, full.find("<statemachine>") + 5)},
        {"other-root.xml", "<config><statemachine><parallel/></statemachine></config>"},
    };
    for (const auto& file : files) {
        const std::string path = quarn.Path(file.name);
        QuarnctlRunner::Write(path, file.bytes);
        const auto simulate = quarn("simulate " + Shell(path));
        EXPECT_EQ(simulate.status, 1) << file.name << "\n" << simulate.err;
        EXPECT_EQ(simulate.out, "") << file.name;
        EXPECT_NE(simulate.err.find("not a state-machine file"), std::string::npos) << file.name << simulate.err;
        const auto diff = quarn("diff " + Shell(example) + " " + Shell(path));
        EXPECT_EQ(diff.status, 2) << file.name << "\n" << diff.err;
        const auto check = quarn("check " + Shell(path));
        EXPECT_EQ(check.status, 2) << file.name << "\n" << check.err;
        EXPECT_EQ(check.out, "") << file.name;
        const auto explain = quarn("explain " + Shell(path) + " --at 2026-12-14T08:00:00");
        EXPECT_EQ(explain.status, 1) << file.name << "\n" << explain.err;
    }
    // show keeps the reader's forgiving reading.
    EXPECT_EQ(quarn("show " + Shell(quarn.Path("other-root.xml"))).status, 0);
}

TEST_F(HostileInput, RelaysWhoseStatesAreNotTheEditorsPairAreNamed)
{
    const std::string path = quarn.Path("odd.xml");
    QuarnctlRunner::Write(path, "<statemachine><parallel>"
                                "<state id=\"R0\"><state id=\"Ron0\"><transition cond=\"!(#S0)\"/></state>"
                                "<state id=\"Roff0\"><transition cond=\"#S0\"/></state></state>"
                                "<state id=\"R1\"><state id=\"Roff1\"/><state id=\"Ron1\"/><state id=\"Rx1\"/></state>"
                                "<state id=\"R2\"><state id=\"Roff2\"><transition cond=\"#S1\"/></state>"
                                "<state id=\"Ron2\"><transition cond=\"!(#S1)\"/></state></state>"
                                "</parallel></statemachine>");
    const auto run = quarn("simulate " + Shell(path) + " --from 2026-12-14 --days 1");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("R0 is left out"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("R1 is left out"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("R2 is left out"), std::string::npos) << run.err;
}

TEST_F(HostileInput, OutputsThatAreDevicesOrPipesAreWrittenDirectly)
{
    const std::string simulate = "simulate " + Shell(example) + " --from 2026-12-14 --format json";
    const auto plain = quarn(simulate);
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_FALSE(plain.out.empty());

    const struct {
        std::string out;
        int status;
        bool onStdout;      // the output arrives on standard output
        const char* error;  // part of stderr
    } cases[] = {
        {"/dev/null", 0, false, ""},
        {"-", 0, true, ""},
        {"/dev/stdout", 0, true, ""},
        {"/dev/full", 1, false, "No space left on device"},
        {Fifo("unread"), 1, false, "No such device or address"},
    };
    for (const auto& c : cases) {
        const auto run = quarn(simulate + " -o " + Shell(c.out));
        EXPECT_EQ(run.status, c.status) << c.out << "\n" << run.err;
        EXPECT_EQ(run.out, c.onStdout ? plain.out : "") << c.out;
        EXPECT_NE(run.err.find(c.error), std::string::npos) << c.out << "\n" << run.err;
    }

    // A FIFO that someone reads gets the whole output, and stays a FIFO.
    const std::string fifo = Fifo("read");
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const auto run = quarn(simulate + " -o " + Shell(fifo));
    EXPECT_EQ(run.status, 0) << run.err;
    std::string arrived(plain.out.size() + 1, '\0');
    const ssize_t got = ::read(reader, arrived.data(), arrived.size());
    ::close(reader);
    EXPECT_EQ(arrived.substr(0, got > 0 ? static_cast<std::size_t>(got) : 0), plain.out);
    EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
}

TEST_F(HostileInput, NumbersAndPeriodsOutsideTheirRangeAreRefused)
{
    const std::string file = Shell(example);
    const struct {
        std::string arguments;
        int status;
    } cases[] = {
        {"simulate " + file + " --days 0x10", 2},
        {"simulate " + file + " --days ''", 2},
        {"simulate " + file + " --days ' 7'", 2},
        {"simulate " + file + " --from ''", 2},
        {"simulate " + file + " --from 9999-12-25 --days 36600", 2},
        {"simulate " + file + " --from 9999-12-25 --days 8", 2},
        {"simulate " + file + " --from 9999-12-25 --days 7", 0},
        {"simulate " + file + " --from 2026-12-14 --days 010", 0},
        {"upload --host 127.0.0.1 --time-limit nan " + file, 2},
        {"upload --host 127.0.0.1 --time-limit inf " + file, 2},
        {"upload --host 127.0.0.1 --time-limit 1e999 " + file, 2},
        {"relays --host 127.0.0.1 --port 0x50", 2},
        {"relays --host 127.0.0.1 --port ''", 2},
    };
    for (const auto& c : cases) {
        const auto run = quarn(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.err;
    }
    // Leading zeros are decimal, not octal: ten days end on the 24th.
    const auto ten = quarn("simulate " + file + " --from 2026-12-14 --days 010 --format json");
    EXPECT_EQ(nlohmann::json::parse(ten.out)["to"], "2026-12-24T00:00:00");
}

TEST_F(HostileInput, InputsDatedBeforeThePeriodApplyInTimeOrder)
{
    const struct {
        std::string inputs;
        bool s0;  // S0 at --from
    } cases[] = {
        // The latest entry before --from decides, whatever the order given.
        {"--input S0=0@2026-12-12T00:00:00 --input S0=1@2026-12-10T00:00:00", false},
        {"--input S0=1@2026-12-10T00:00:00 --input S0=0@2026-12-12T00:00:00", false},
        {"--input S0=1@2026-12-12T00:00:00 --input S0=0@2026-12-10T00:00:00", true},
        // An entry without an instant holds from --from over the dated ones.
        {"--input S0=1 --input S0=0@2026-12-12T00:00:00", true},
        {"--input S0=0@2026-12-12T00:00:00 --input S0=1", true},
    };
    for (const auto& c : cases) {
        const auto run = quarn("simulate " + Shell(example) + " --from 2026-12-14 --days 1 --format json " + c.inputs);
        ASSERT_EQ(run.status, 0) << c.inputs << "\n" << run.err;
        EXPECT_EQ(nlohmann::json::parse(run.out)["initial"]["S0"], c.s0) << c.inputs;
    }
}

TEST_F(HostileInput, TextsReachTheTerminalOnlyAsText)
{
    // A version text with an escape sequence and a right-to-left override,
    // a condition with a C1 control, a file name with an escape.
    const std::string version = "v\x1b]0;owned\x07 \xe2\x80\xae"
                                "1.2";
    const std::string odd = quarn.Path("odd\x1b[2J.xml");
    QuarnctlRunner::Write(odd, "<statemachine><version>" + version +
                                   "</version><parallel>"
                                   "<state id=\"R5\"><state id=\"Roff5\"><transition cond=\"#S0\xc2\x9b\"/></state>"
                                   "<state id=\"Ron5\"><transition cond=\"!(#S0)\"/></state></state>"
                                   "</parallel></statemachine>");

    const struct {
        std::string arguments;
        bool toStdout;
    } cases[] = {
        {"show " + Shell(odd), true},
        {"diff " + Shell(example) + " " + Shell(odd) + " --from 2026-12-14", false},
        {"diff " + Shell(odd) + " " + Shell(quarn.Path("gone\x1b[31m.xml")), false},
        {"simulate " + Shell(odd), false},
        {"check " + Shell(odd), true},
        {"simulate " + Shell(example) + " --days '\x1b[5m'", false},
        {"simulate " + Shell(example) + " -o " + Shell(quarn.Path("no/\x1b[7m/x.txt")), false},
    };
    for (const auto& c : cases) {
        const auto run = quarn(c.arguments);
        const std::string& shown = c.toStdout ? run.out : run.err;
        EXPECT_FALSE(shown.empty()) << c.arguments;
        for (const char* unsafe : {"\x1b", "\x07", "\xe2\x80\xae", "\xc2\x9b"})
            EXPECT_EQ(run.out.find(unsafe) == std::string::npos && run.err.find(unsafe) == std::string::npos, true)
                << c.arguments << "\n"
                << run.out << run.err;
    }
    // The file cannot carry C0 controls (the reader reads them as white space);
    // the override and the C1 control it can.
    const std::string table = quarn("show " + Shell(odd)).out;
    EXPECT_NE(table.find("Version: v ]0;owned ?1.2\n"), std::string::npos) << table;
    EXPECT_NE(table.find("R5     #S0?\n"), std::string::npos) << table;
    // The JSON keeps the texts as they are, for programs rather than eyes.
    EXPECT_EQ(nlohmann::json::parse(quarn("show --json " + Shell(odd)).out)["version"],
              std::string("v ]0;owned \xe2\x80\xae"
                          "1.2"));
}

}  // namespace
}  // namespace quarn::test
