#pragma once
// Scratch folders and whole-file reads and writes for the tests.

#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>

namespace quarn::test {

// The system's error number for opening a folder as a file to read.
#ifdef _WIN32
inline constexpr int kFolderReadError = EACCES;
#else
inline constexpr int kFolderReadError = EISDIR;
#endif

// A fresh folder under the system's temporary folder, removed with all its
// contents (read-only ones too) on destruction.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // The path of name in the folder, as text.
    std::string File(std::string_view name) const { return (path_ / std::string(name)).string(); }
    // Names of the entries in the folder, sorted, one a line.
    std::string Listing() const;

private:
    std::filesystem::path path_;
};

// The file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);
// Replaces the file's contents; false when it cannot be written.
bool WriteBytes(const std::filesystem::path& path, std::string_view bytes);
bool Exists(const std::filesystem::path& path);
std::u16string U16Path(const std::filesystem::path& path);

// The bytes of a file in tests/document/fixtures.
std::string Fixture(const std::string& name);

// Root may open any file, so tests of refused access skip.
bool RunningAsRoot();

}  // namespace quarn::test
