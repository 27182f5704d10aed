// The simulated controller's judgement of uploads and how it keeps them.
#include "simulator/controller.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "devicelink/upload.hpp"
#include "simulator/store_file.hpp"

#ifndef QUARN_TEST_DATA
#error "QUARN_TEST_DATA must name the test data folder"
#endif

namespace quarn::sim {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

[[maybe_unused]] void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string kWorkedExample = ReadBytes(fs::path(QUARN_TEST_DATA) / "worked_example.xml");
constexpr std::string_view kAccepted = "State machine accepted: 2 timers (T0, T1), 1 relay (R3)";

std::string Utf16Le(std::string_view bytes)
{
    std::string out = "\xFF\xFE";
    for (const char c : bytes) {
        out += c;
        out += '\0';
    }
    return out;
}

class Store : public ::testing::Test {
protected:
    fs::path folder_;
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("quarnsim-controller-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Listing() const
    {
        std::string names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names += entry.path().filename().string() + " ";
        return names;
    }
};

TEST(JudgeStateMachine, AcceptsOnlyWholeStateMachinesInAnyEncodingTheReaderReads)
{
    ASSERT_TRUE(kWorkedExample.starts_with("\xEF\xBB\xBF"));
    const std::string plain = kWorkedExample.substr(3);
    const struct {
        const char* name;
        std::string bytes;
        std::string message;  // the start of it
    } cases[] = {
        {"UTF-8 with mark", kWorkedExample, std::string(kAccepted)},
        {"UTF-8 without mark", plain, std::string(kAccepted)},
        {"UTF-16 little-endian", Utf16Le(plain), std::string(kAccepted)},
        {"UTF-16 big-endian", std::string("\xFE\xFF\0<", 4), "State machine refused: the file cannot be read (error "},
        {"first 300 bytes", kWorkedExample.substr(0, 300),
         "State machine refused: the file is not well-formed XML (line "},
        {"an open tag", "<statemachine", "State machine refused: the file is not well-formed XML (line 1, column 14: "},
        {"empty", "", "State machine refused: the file holds no XML text"},
        {"white space", " \r\n\t", "State machine refused: the file holds no XML text"},
        {"words", "just some words", "State machine refused: the file is not well-formed XML (line 1, column 1: "},
        {"another root", "<html><statemachine/></html>", "State machine refused: the file has no statemachine element"},
    };
    for (const auto& c : cases) {
        const UploadVerdict verdict = JudgeStateMachine(c.bytes);
        EXPECT_EQ(verdict.accepted, c.message == kAccepted) << c.name;
        EXPECT_EQ(verdict.message.substr(0, c.message.size()), c.message) << c.name << ": " << verdict.message;
    }
}

TEST_F(Store, RefusedUploadsNeverReplaceTheStoredFile)
{
    Controller controller("tovel", folder_);
    auto upload = [&](const std::string& file) {
        const RequestScan scan = ScanRequest(BuildUploadRequest(CredentialsToken(u"tovel"), file));
        EXPECT_EQ(scan.state, RequestState::Complete);
        return controller.Handle(scan.request).bytes;
    };
    EXPECT_NE(upload(kWorkedExample).find(kAccepted), std::string::npos);
    EXPECT_EQ(ReadBytes(folder_ / "state_machine.xml"), kWorkedExample);
    for (const std::string& bad : {kWorkedExample.substr(0, 300), std::string("<statemachine"), std::string()}) {
        EXPECT_NE(upload(bad).find("State machine refused: "), std::string::npos);
        EXPECT_EQ(ReadBytes(folder_ / "state_machine.xml"), kWorkedExample);
    }
    EXPECT_EQ(Listing(), "state_machine.xml ");
}

TEST_F(Store, ReplacesWhateverStandsAtTheNameWithoutFollowingIt)
{
    EXPECT_EQ(StoreFile(folder_, "state_machine.xml", "first"), 0);
    EXPECT_EQ(StoreFile(folder_, "state_machine.xml", "second"), 0);
    EXPECT_EQ(ReadBytes(folder_ / "state_machine.xml"), "second");
    EXPECT_EQ(Listing(), "state_machine.xml ");

#ifndef _WIN32
    // A link planted at the name, to a file elsewhere, is replaced itself.
    const fs::path victim = folder_ / "victim";
    WriteBytes(victim, "precious");
    fs::remove(folder_ / "state_machine.xml");
    fs::create_symlink(victim, folder_ / "state_machine.xml");
    EXPECT_EQ(StoreFile(folder_, "state_machine.xml", "upload"), 0);
    EXPECT_EQ(ReadBytes(victim), "precious");
    EXPECT_FALSE(fs::is_symlink(folder_ / "state_machine.xml"));
    EXPECT_EQ(ReadBytes(folder_ / "state_machine.xml"), "upload");
    EXPECT_EQ(fs::status(folder_ / "state_machine.xml").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
#endif

    // A folder at the name cannot be replaced: a failure, and nothing left behind.
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "state_machine.xml");
    EXPECT_NE(StoreFile(folder_, "state_machine.xml", "upload"), 0);
    EXPECT_EQ(Listing(), "state_machine.xml ");
    EXPECT_NE(StoreFile(folder_ / "missing", "state_machine.xml", "upload"), 0);
}

}  // namespace
}  // namespace quarn::sim
