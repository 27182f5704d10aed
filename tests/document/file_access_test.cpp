#include "document/file_access.hpp"

#include "tests/support/files.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#ifndef _WIN32
#include "tests/support/file_size_limit.hpp"

#include <csignal>
#include <pthread.h>
#include <sys/stat.h>
#endif

namespace quarn {
namespace {

namespace fs = std::filesystem;

TEST(FileAccess, ReplaceCreatesOrReplacesTheWholeFile)
{
    test::ScratchFolder folder;
    const std::string bytes("new\0contents\r\n", 14);
    ASSERT_EQ(ReplaceFileContents(test::U16Path(folder / "a.xml"), bytes), 0);
    EXPECT_EQ(test::ReadBytes(folder / "a.xml"), bytes);

    test::WriteBytes(folder / "b.xml", std::string(10000, 'x'));
    ASSERT_EQ(ReplaceFileContents(test::U16Path(folder / "b.xml"), "short"), 0);
    EXPECT_EQ(test::ReadBytes(folder / "b.xml"), "short");
    EXPECT_EQ(folder.Listing(), "a.xml\nb.xml\n");
}

TEST(FileAccess, PathsAreUtf16)
{
    test::ScratchFolder folder;
    const std::u16string path = test::U16Path(folder.path()) + u"/B\u00fcro \u20ac.xml";
    ASSERT_EQ(ReplaceFileContents(path, "x"), 0);
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
    EXPECT_EQ(ReplaceFileContents(test::U16Path(folder / "locked.xml"), "new"), EACCES);
    EXPECT_EQ(ReplaceFileContents(test::U16Path(folder / "dir.xml"), "new"), EISDIR);
    EXPECT_EQ(ReplaceFileContents(u"", "new"), ENOENT);
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
    const int created = ReplaceFileContents(test::U16Path(folder / "new.xml"), "x");
    test::WriteBytes(folder / "old.xml", "old");
    ::chmod((folder / "old.xml").c_str(), 0604);
    const int replaced = ReplaceFileContents(test::U16Path(folder / "old.xml"), "y");
    ::umask(mask);
    ASSERT_EQ(created, 0);
    ASSERT_EQ(replaced, 0);
    EXPECT_EQ(Mode(folder / "new.xml"), 0640u);
    EXPECT_EQ(Mode(folder / "old.xml"), 0604u);
    EXPECT_EQ(test::ReadBytes(folder / "old.xml"), "y");
}

TEST(FileAccess, WritesThroughASymbolicLink)
{
    test::ScratchFolder folder;
    test::WriteBytes(folder / "target.xml", "old");
    fs::create_symlink("target.xml", folder / "link.xml");
    ASSERT_EQ(ReplaceFileContents(test::U16Path(folder / "link.xml"), "new"), 0);
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
    int error;
};

TEST(FileAccess, FailedReplaceLeavesTheOldFileAndNoTemporaryFile)
{
    const FailureCase cases[] = {
        {"missing folder", false, [](const test::ScratchFolder&) {}, "none/office.xml", "office.xml\n", ENOENT},
        {"directory as target", false, [](const test::ScratchFolder& f) { fs::create_directory(f / "dir.xml"); },
         "dir.xml", "dir.xml\noffice.xml\n", EISDIR},
        {"link to a directory", false,
         [](const test::ScratchFolder& f) {
             fs::create_directory(f / "dir");
             fs::create_symlink("dir", f / "link.xml");
         },
         "link.xml", "dir\nlink.xml\noffice.xml\n", EISDIR},
        {"links in a cycle", false,
         [](const test::ScratchFolder& f) {
             fs::create_symlink("b.xml", f / "a.xml");
             fs::create_symlink("a.xml", f / "b.xml");
         },
         "a.xml", "a.xml\nb.xml\noffice.xml\n", ELOOP},
        {"dangling link into a missing folder", false,
         [](const test::ScratchFolder& f) { fs::create_symlink("none/new.xml", f / "link.xml"); }, "link.xml",
         "link.xml\noffice.xml\n", ENOENT},
        {"write-protected file", true, [](const test::ScratchFolder& f) { ::chmod((f / "office.xml").c_str(), 0444); },
         "office.xml", "office.xml\n", EACCES},
        {"read-only folder", true, [](const test::ScratchFolder& f) { ::chmod(f.path().c_str(), 0555); }, "office.xml",
         "office.xml\n", EACCES},
    };
    for (const FailureCase& c : cases) {
        if (c.needsPermissions && test::RunningAsRoot())
            continue;
        test::ScratchFolder folder;
        test::WriteBytes(folder / "office.xml", "old contents");
        c.prepare(folder);
        EXPECT_EQ(ReplaceFileContents(test::U16Path(folder / c.target), "new contents"), c.error) << c.name;
        EXPECT_EQ(test::ReadBytes(folder / "office.xml"), "old contents") << c.name;
        EXPECT_EQ(folder.Listing(), c.listing) << c.name;
    }
}

// Names up to the longest a file system takes (255 bytes): the temporary
// file beside the target must fit as well, for a new file and an old one.
TEST(FileAccess, LongestFileNamesCanBeSaved)
{
    for (const std::size_t length : {243u, 250u, 255u}) {
        test::ScratchFolder folder;
        const std::string name = std::string(length - 4, 'n') + ".xml";
        EXPECT_EQ(ReplaceFileContents(test::U16Path(folder / name), "first"), 0) << length;
        EXPECT_EQ(ReplaceFileContents(test::U16Path(folder / name), "second"), 0) << length;
        EXPECT_EQ(test::ReadBytes(folder / name), "second") << length;
        EXPECT_EQ(folder.Listing(), name + "\n") << length;
    }
}

struct stat Stat(const fs::path& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info;
}

// A file with a second name is written into, so both names keep showing the
// same file: a longer and then a shorter content, no copy left behind.
TEST(FileAccess, HardLinkedFileIsWrittenInPlace)
{
    test::ScratchFolder folder;
    test::WriteBytes(folder / "office.xml", "old contents");
    ::chmod((folder / "office.xml").c_str(), 0640);
    fs::create_hard_link(folder / "office.xml", folder / "other.xml");
    const ino_t inode = Stat(folder / "office.xml").st_ino;
    for (const std::string& bytes : {std::string(70000, 'x'), std::string("short")}) {
        ASSERT_EQ(ReplaceFileContents(test::U16Path(folder / "office.xml"), bytes), 0);
        EXPECT_EQ(test::ReadBytes(folder / "other.xml"), bytes);
        const struct stat info = Stat(folder / "office.xml");
        EXPECT_EQ(info.st_ino, inode);
        EXPECT_EQ(info.st_nlink, 2u);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        EXPECT_EQ(folder.Listing(), "office.xml\nother.xml\n");
    }
}

// A link whose file does not exist yet makes that file, where the link says,
// and stays a link.
TEST(FileAccess, DanglingLinkCreatesTheFileItNames)
{
    const struct {
        const char* name;
        void (*prepare)(const test::ScratchFolder&);
        const char* created;
        const char* listing;
    } cases[] = {
        {"relative link", [](const test::ScratchFolder& f) { fs::create_symlink("new.xml", f / "link.xml"); },
         "new.xml", "link.xml\nnew.xml\n"},
        {"chain of links into a folder",
         [](const test::ScratchFolder& f) {
             fs::create_directory(f / "sub");
             fs::create_symlink("sub/step.xml", f / "link.xml");
             fs::create_symlink("../sub/new.xml", f / "sub" / "step.xml");
         },
         "sub/new.xml", "link.xml\nsub\n"},
        {"absolute link", [](const test::ScratchFolder& f) { fs::create_symlink(f / "new.xml", f / "link.xml"); },
         "new.xml", "link.xml\nnew.xml\n"},
    };
    for (const auto& c : cases) {
        test::ScratchFolder folder;
        c.prepare(folder);
        ASSERT_EQ(ReplaceFileContents(test::U16Path(folder / "link.xml"), "new"), 0) << c.name;
        EXPECT_TRUE(fs::is_symlink(folder / "link.xml")) << c.name;
        EXPECT_EQ(test::ReadBytes(folder / c.created), "new") << c.name;
        EXPECT_EQ(folder.Listing(), c.listing) << c.name;
    }
}

// The owner of a replaced file stays who it was. Root can give the new file
// the old owner; a user who may write someone else's file but not give files
// away has it written in place, so it is not handed over to that user.
TEST(FileAccess, ReplacedFileKeepsItsOwner)
{
    if (!test::RunningAsRoot())
        GTEST_SKIP() << "making files of other users needs root";
    constexpr uid_t kOwner = 4321;
    constexpr uid_t kWriter = 65534;  // nobody
    test::ScratchFolder folder;
    ::chmod(folder.path().c_str(), 0777);
    for (const char* name : {"by-root.xml", "by-other.xml"}) {
        test::WriteBytes(folder / name, "old contents");
        ASSERT_EQ(::chown((folder / name).c_str(), kOwner, kOwner), 0);
        ::chmod((folder / name).c_str(), 0666);
    }

    EXPECT_EQ(ReplaceFileContents(test::U16Path(folder / "by-root.xml"), "new"), 0);
    const int saved = test::RunInChild([&] {
        if (::setgid(kWriter) != 0 || ::setuid(kWriter) != 0)
            return 100;
        return ReplaceFileContents(test::U16Path(folder / "by-other.xml"), "new");
    });
    EXPECT_EQ(saved, 0);
    for (const char* name : {"by-root.xml", "by-other.xml"}) {
        const struct stat info = Stat(folder / name);
        EXPECT_EQ(info.st_uid, kOwner) << name;
        EXPECT_EQ(info.st_gid, kOwner) << name;
        EXPECT_EQ(info.st_mode & 07777, 0666u) << name;
        EXPECT_EQ(test::ReadBytes(folder / name), "new") << name;
    }
    EXPECT_EQ(folder.Listing(), "by-other.xml\nby-root.xml\n");
}

// A file size limit stops the temporary copy part way, as a full disk
// would: the save fails with EFBIG instead of the process ending on
// SIGXFSZ (left at its default here), the old file keeps its bytes and no
// temporary file stays, whether the file would have been renamed over or
// written in place. The signal is neither left pending nor left blocked.
TEST(FileAccess, FileSizeLimitFailsTheSaveAndKeepsTheOldFile)
{
    for (const bool hardLinked : {false, true}) {
        test::ScratchFolder folder;
        test::WriteBytes(folder / "office.xml", "old contents");
        if (hardLinked)
            fs::create_hard_link(folder / "office.xml", folder / "other.xml");
        const std::optional<bool> kept = test::RunWithFileSizeLimit(100, [&] {
            if (ReplaceFileContents(test::U16Path(folder / "office.xml"), std::string(737, 'x')) != EFBIG)
                return false;
            sigset_t pending;
            sigset_t blocked;
            sigemptyset(&pending);
            ::sigpending(&pending);
            ::pthread_sigmask(SIG_SETMASK, nullptr, &blocked);
            return sigismember(&pending, SIGXFSZ) == 0 && sigismember(&blocked, SIGXFSZ) == 0;
        });
        ASSERT_TRUE(kept.has_value()) << "ended by a signal";
        EXPECT_TRUE(*kept) << "wrong result or signal state";
        EXPECT_EQ(test::ReadBytes(folder / "office.xml"), "old contents");
        EXPECT_EQ(folder.Listing(), hardLinked ? "office.xml\nother.xml\n" : "office.xml\n");
    }
}

#endif

}  // namespace
}  // namespace quarn
