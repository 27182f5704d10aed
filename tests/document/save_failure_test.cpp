// Saves that the file system refuses: the old file stays byte for byte, the
// user is told "Cannot open the file for writing", and no temporary file is
// left beside it. Permissions bind only users other than root, so the save
// runs in a child process that gives up root first when the tests run as
// root.

#include "document/model.hpp"
#include "document/writer.hpp"
#include "tests/support/files.hpp"
#include "tests/support/office_model.hpp"

#include <gtest/gtest.h>

// POSIX only: the child process gives up root with setuid and the refusals
// come from permission bits.
#ifndef _WIN32

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace quarn {
namespace {

namespace fs = std::filesystem;

// The user and group "nobody" of Debian and most other systems.
constexpr uid_t kUnprivileged = 65534;

enum class ChildSave { Refused, Written, WrongText, NoUser };

// Saves the example document to path in a child process that is not root.
ChildSave SaveInChild(const fs::path& path)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(kUnprivileged) != 0 || ::setuid(kUnprivileged) != 0))
            ::_exit(static_cast<int>(ChildSave::NoUser));
        StateMachineModel model = test::OfficeModel();
        model.path = test::U16Path(path);
        const WriteOutcome outcome = WriteStateMachineFile(model);
        if (outcome.written())
            ::_exit(static_cast<int>(ChildSave::Written));
        const bool refused =
            outcome.code == WriteResult::NotWritten && outcome.text == u"Cannot open the file for writing";
        ::_exit(static_cast<int>(refused ? ChildSave::Refused : ChildSave::WrongText));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return ChildSave::NoUser;
    return static_cast<ChildSave>(WEXITSTATUS(status));
}

TEST(SaveFailure, RefusedSaveKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    const struct {
        const char* name;
        mode_t folderMode;
        mode_t fileMode;
    } cases[] = {
        {"read-only folder", 0555, 0644},
        {"write-protected file", 0777, 0444},
        {"read-only folder and file", 0555, 0444},
    };
    for (const auto& c : cases) {
        test::ScratchFolder folder;
        const fs::path target = folder / "office.xml";
        test::WriteBytes(target, "old contents\r\n");
        ASSERT_EQ(::chmod(target.c_str(), c.fileMode), 0);
        ASSERT_EQ(::chmod(folder.path().c_str(), c.folderMode), 0);

        const ChildSave save = SaveInChild(target);

        ::chmod(folder.path().c_str(), 0755);
        if (save == ChildSave::NoUser)
            GTEST_SKIP() << "cannot give up root for the save";
        EXPECT_EQ(save, ChildSave::Refused) << c.name;
        EXPECT_EQ(test::ReadBytes(target), "old contents\r\n") << c.name;
        EXPECT_EQ(folder.Listing(), "office.xml\n") << c.name;
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, c.fileMode) << c.name;
    }
}

}  // namespace
}  // namespace quarn

#endif
