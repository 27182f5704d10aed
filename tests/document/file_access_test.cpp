#include "document/file_access.hpp"

#include "test_files.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quarn {
namespace {

namespace fs = std::filesystem;

TEST(FileAccess, ReplaceCreatesOrReplacesTheWholeFile)
{
    test::ScratchFolder folder;
    const std::string bytes("new\0contents\r\n", 14);
    ASSERT_TRUE(ReplaceFileContents(test::U16Path(folder / "a.xml"), bytes));
    EXPECT_EQ(test::ReadBytes(folder / "a.xml"), bytes);

    test::WriteBytes(folder / "b.xml", std::string(10000, 'x'));
    ASSERT_TRUE(ReplaceFileContents(test::U16Path(folder / "b.xml"), "short"));
    EXPECT_EQ(test::ReadBytes(folder / "b.xml"), "short");
    EXPECT_EQ(folder.Listing(), "a.xml\nb.xml\n");
}

TEST(FileAccess, PathsAreUtf16)
{
    test::ScratchFolder folder;
    const std::u16string path = test::U16Path(folder.path()) + u"/B\u00fcro \u20ac.xml";
    ASSERT_TRUE(ReplaceFileContents(path, "x"));
    EXPECT_TRUE(FileExists(path));
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(path, bytes), 0);
    EXPECT_EQ(bytes, "x");
    EXPECT_EQ(folder.Listing(), "B\xC3\xBCro \xE2\x82\xAC.xml\n");
}

TEST(FileAccess, ReadReportsTheSystemErrorNumber)
{
    test::ScratchFolder folder;
    fs::create_directory(folder / "dir.xml");
    std::string bytes = "stale";
    EXPECT_EQ(ReadWholeFile(test::U16Path(folder / "missing.xml"), bytes), ENOENT);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(ReadWholeFile(test::U16Path(folder / "dir.xml"), bytes), test::kFolderReadError);
    EXPECT_FALSE(FileExists(test::U16Path(folder / "missing.xml")));
    EXPECT_FALSE(FileExists(u""));
    EXPECT_TRUE(FileExists(test::U16Path(folder / "dir.xml")));
}

#ifdef _WIN32

TEST(FileAccess, ReadOnlyFileAndFolderAreNotReplaced)
{
    test::ScratchFolder folder;
    test::WriteBytes(folder / "locked.xml", "old");
    fs::permissions(folder / "locked.xml", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::create_directory(folder / "dir.xml");
    EXPECT_FALSE(ReplaceFileContents(test::U16Path(folder / "locked.xml"), "new"));
    EXPECT_FALSE(ReplaceFileContents(test::U16Path(folder / "dir.xml"), "new"));
    EXPECT_FALSE(ReplaceFileContents(u"", "new"));
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(test::U16Path(folder / "locked.xml"), bytes), 0);
    EXPECT_EQ(bytes, "old");
    fs::permissions(folder / "locked.xml", fs::perms::owner_write, fs::perm_options::add);
    // Nothing left behind: the two entries as they were.
    EXPECT_EQ(folder.Listing(), "dir.xml\nlocked.xml\n");
}

#else

// Permission bits, the file size limit and signals exist only on POSIX
// systems.

mode_t Mode(const fs::path& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(FileAccess, NewFileGetsUmaskPermissionsAndReplacedFileKeepsItsOwn)
{
    test::ScratchFolder folder;
    const mode_t mask = ::umask(027);
    const bool created = ReplaceFileContents(test::U16Path(folder / "new.xml"), "x");
    test::WriteBytes(folder / "old.xml", "old");
    ::chmod((folder / "old.xml").c_str(), 0604);
    const bool replaced = ReplaceFileContents(test::U16Path(folder / "old.xml"), "y");
    ::umask(mask);
    ASSERT_TRUE(created && replaced);
    EXPECT_EQ(Mode(folder / "new.xml"), 0640u);
    EXPECT_EQ(Mode(folder / "old.xml"), 0604u);
    EXPECT_EQ(test::ReadBytes(folder / "old.xml"), "y");
}

TEST(FileAccess, WritesThroughASymbolicLink)
{
    test::ScratchFolder folder;
    test::WriteBytes(folder / "target.xml", "old");
    fs::create_symlink("target.xml", folder / "link.xml");
    ASSERT_TRUE(ReplaceFileContents(test::U16Path(folder / "link.xml"), "new"));
    EXPECT_TRUE(fs::is_symlink(folder / "link.xml"));
    EXPECT_EQ(test::ReadBytes(folder / "target.xml"), "new");
    EXPECT_EQ(folder.Listing(), "link.xml\ntarget.xml\n");
}

// Each failure leaves the old file as it was and no temporary file behind.
struct FailureCase {
    const char* name;
    bool needsPermissions;  // permission bits do not stop root
    void (*prepare)(const test::ScratchFolder&);
    const char* target;
    const char* listing;
};

TEST(FileAccess, FailedReplaceLeavesTheOldFileAndNoTemporaryFile)
{
    const FailureCase cases[] = {
        {"missing folder", false, [](const test::ScratchFolder&) {}, "none/office.xml", "office.xml\n"},
        {"directory as target", false,
         [](const test::ScratchFolder& f) { fs::create_directory(f / "dir.xml"); }, "dir.xml",
         "dir.xml\noffice.xml\n"},
        {"write-protected file", true,
         [](const test::ScratchFolder& f) { ::chmod((f / "office.xml").c_str(), 0444); }, "office.xml",
         "office.xml\n"},
        {"read-only folder", true,
         [](const test::ScratchFolder& f) { ::chmod(f.path().c_str(), 0555); }, "office.xml", "office.xml\n"},
    };
    for (const FailureCase& c : cases) {
        if (c.needsPermissions && test::RunningAsRoot())
            continue;
        test::ScratchFolder folder;
        test::WriteBytes(folder / "office.xml", "old contents");
        c.prepare(folder);
        EXPECT_FALSE(ReplaceFileContents(test::U16Path(folder / c.target), "new contents")) << c.name;
        EXPECT_EQ(test::ReadBytes(folder / "office.xml"), "old contents") << c.name;
        EXPECT_EQ(folder.Listing(), c.listing) << c.name;
    }
}

// A disk that fills up while the file is written: the file size limit makes
// the write fail part way, in a child process so the limit stays there.
TEST(FileAccess, FullDiskLeavesTheOldFileAndNoTemporaryFile)
{
    test::ScratchFolder folder;
    test::WriteBytes(folder / "office.xml", "old contents");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool replaced = ReplaceFileContents(test::U16Path(folder / "office.xml"), std::string(737, 'x'));
        ::_exit(replaced ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was reported as success";
    EXPECT_EQ(test::ReadBytes(folder / "office.xml"), "old contents");
    EXPECT_EQ(folder.Listing(), "office.xml\n");
}

#endif

}  // namespace
}  // namespace quarn
