#include "base/file_open.hpp"

#include "base/file_name.hpp"
#include "tests/support/files.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace quarn {
namespace {

using test::ScratchFolder;

constexpr ReadableFiles kBothKinds[] = {ReadableFiles::Any, ReadableFiles::RegularOnly};

// Where the test writes the file the function under test opens.
std::filesystem::path SystemPath(const std::u16string& path)
{
#ifdef _WIN32
    return std::filesystem::path(path);
#else
    return std::filesystem::path(FileNameBytes(path));
#endif
}

std::string ReadAll(std::FILE* file)
{
    std::string bytes;
    char chunk[64];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    return bytes;
}

TEST(FileOpen, OpensAFileByItsUtf16NameForItsExactBytes)
{
    const ScratchFolder folder;
    // CR LF and a CTRL-Z stay as they are: the file is read in binary mode.
    const std::string content("<a>\r\n\x1A\0z</a>", 12);
    std::vector<std::u16string> names = {u"plain.xml", u"\u0411\u044e\u0440\u043e \u6771.xml"};
#ifndef _WIN32
    // Outside Windows a name is bytes, whether or not they are UTF-8.
    names.push_back(FileNameFromBytes("caf\xE9.xml"));
#endif
    for (const std::u16string& name : names) {
        const std::u16string path = folder.path().u16string() + u"/" + name;
        ASSERT_TRUE(test::WriteBytes(SystemPath(path), content));
        for (const ReadableFiles kind : kBothKinds) {
            const OpenedFile opened = OpenFileForReading(path, kind);
            ASSERT_EQ(opened.error, 0) << FileNameBytes(name);
            ASSERT_NE(opened.file, nullptr);
            EXPECT_EQ(ReadAll(opened.file.get()), content) << FileNameBytes(name);
        }
    }
}

TEST(FileOpen, FailuresGiveTheErrorNumberAndNoStream)
{
    const ScratchFolder folder;
    const std::u16string missing = folder.path().u16string() + u"/missing.xml";
    const std::u16string inMissingFolder = folder.path().u16string() + u"/none/a.xml";
    const std::u16string self = folder.path().u16string();
    const struct {
        std::u16string path;
        ReadableFiles kind;
        int error;
    } cases[] = {
        {missing, ReadableFiles::Any, ENOENT},
        {missing, ReadableFiles::RegularOnly, ENOENT},
        {inMissingFolder, ReadableFiles::RegularOnly, ENOENT},
        {self, ReadableFiles::RegularOnly, test::kFolderReadError},
#ifndef _WIN32
        {u"/dev/null", ReadableFiles::RegularOnly, EINVAL},
#endif
    };
    for (const auto& c : cases) {
        const OpenedFile opened = OpenFileForReading(c.path, c.kind);
        EXPECT_EQ(opened.error, c.error) << FileNameBytes(c.path);
        EXPECT_EQ(opened.file, nullptr) << FileNameBytes(c.path);
    }
}

#ifndef _WIN32
TEST(FileOpen, RegularFilesOnlyNeverWaitsForTheWriterOfAFifo)
{
    const ScratchFolder folder;
    const std::string fifo = folder.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const OpenedFile opened = OpenFileForReading(FileNameFromBytes(fifo), ReadableFiles::RegularOnly);
    EXPECT_EQ(opened.error, EINVAL);
    EXPECT_EQ(opened.file, nullptr);
}
#endif

}  // namespace
}  // namespace quarn
