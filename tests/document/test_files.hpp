#pragma once
// Helpers shared by the document tests: a scratch folder, raw file access
// and the example document used throughout.

#include "document/model.hpp"

#include <cerrno>
#include <filesystem>
#include <ostream>
#include <string>

namespace quarn::test {

// The system's error number for opening a folder as a file to read.
#ifdef _WIN32
inline constexpr int kFolderReadError = EACCES;
#else
inline constexpr int kFolderReadError = EISDIR;
#endif

// A fresh folder under the system's temporary folder, removed on
// destruction.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Names of the entries in the folder, sorted.
    std::string Listing() const;

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::u16string U16Path(const std::filesystem::path& path);
std::string Fixture(const std::string& name);

// Timers T0 and T1 and relay R3, version "office": the model behind the
// fixture office.xml.
StateMachineModel OfficeModel();

CalendarDate Date(int year, int month, int day);
TimeOfDay Time(int hour, int minute, int second);

bool RunningAsRoot();

}  // namespace quarn::test

namespace quarn {

void PrintTo(const CalendarDate& date, std::ostream* out);
void PrintTo(const TimeOfDay& time, std::ostream* out);
void PrintTo(const StateMachineModel& model, std::ostream* out);

}  // namespace quarn
