#include "test_files.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace quarn::test {

ScratchFolder::ScratchFolder()
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = std::filesystem::temp_directory_path() /
                               ("quarn-document-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no scratch folder");
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::Listing() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string text;
    for (const auto& name : names)
        text += name + "\n";
    return text;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::u16string U16Path(const std::filesystem::path& path)
{
    return path.u16string();
}

std::string Fixture(const std::string& name)
{
    return ReadBytes(std::filesystem::path(QUARN_DOCUMENT_FIXTURES) / name);
}

CalendarDate Date(int year, int month, int day)
{
    return CalendarDate{static_cast<std::uint16_t>(year), static_cast<std::uint8_t>(month),
                        static_cast<std::uint8_t>(day)};
}

TimeOfDay Time(int hour, int minute, int second)
{
    return TimeOfDay{static_cast<std::uint8_t>(hour), static_cast<std::uint8_t>(minute),
                     static_cast<std::uint8_t>(second)};
}

StateMachineModel OfficeModel()
{
    StateMachineModel model;
    model.version = u"office";
    model.timers[0].onTime = Time(7, 30, 0);
    model.timers[0].offTime = Time(22, 0, 0);
    SetWeekdayMask(model, 0, 31);
    model.timers[1].onDate = Date(2013, 2, 8);
    model.timers[1].onTime = Time(10, 0, 0);
    model.timers[1].offDate = Date(2013, 2, 10);
    model.timers[1].offTime = Time(18, 30, 0);
    SetWeekdayMask(model, 1, 96);
    model.relays[3] = u"(#T0&&#T1)||#R2";
    return model;
}

bool RunningAsRoot()
{
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

}  // namespace quarn::test

namespace quarn {

// Readable failure messages for the model's parts.
void PrintTo(const CalendarDate& date, std::ostream* out)
{
    *out << int(date.year) << '/' << int(date.month) << '/' << int(date.day);
}

void PrintTo(const TimeOfDay& time, std::ostream* out)
{
    *out << int(time.hour) << ':' << int(time.minute) << ':' << int(time.second);
}

namespace {

void PrintText(const std::u16string& text, std::ostream* out)
{
    *out << '"';
    for (const char16_t c : text) {
        if (c >= 0x20 && c < 0x7F)
            *out << static_cast<char>(c);
        else
            *out << "\\u" << std::hex << int(c) << std::dec;
    }
    *out << '"';
}

template <typename T>
void PrintField(const std::optional<T>& field, std::ostream* out)
{
    if (field)
        PrintTo(*field, out);
    else
        *out << "blank";
}

}  // namespace

void PrintTo(const StateMachineModel& model, std::ostream* out)
{
    *out << "\n  version ";
    PrintText(model.version, out);
    *out << " path ";
    PrintText(model.path, out);
    *out << (model.modified ? " modified" : "");
    for (int n = 0; n < kTimerCount; ++n) {
        const TimerEntry& timer = model.timers[n];
        *out << "\n  T" << n << ' ';
        PrintField(timer.onDate, out);
        *out << ' ';
        PrintField(timer.onTime, out);
        *out << " - ";
        PrintField(timer.offDate, out);
        *out << ' ';
        PrintField(timer.offTime, out);
        *out << " days " << WeekdayMask(model, n);
    }
    for (int n = 0; n < kRelayCount; ++n) {
        *out << "\n  R" << n << ' ';
        PrintText(model.relays[n], out);
    }
}

}  // namespace quarn
