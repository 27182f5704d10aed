#include "simulator/store_file.hpp"

#include <cerrno>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#else
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quarn::sim {

#ifdef _WIN32

namespace {

// A name the folder does not hold yet; CREATE_NEW refuses any entry that
// exists, a link included, so a guessed name only costs another attempt.
std::wstring TemporaryName(const std::filesystem::path& folder, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    LARGE_INTEGER ticks{};
    QueryPerformanceCounter(&ticks);
    unsigned long long number = (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^
                                static_cast<unsigned long long>(ticks.QuadPart) ^ (++counter * 0x9E3779B97F4A7C15ull) ^
                                attempt;
    std::wstring name = L".upload-";
    for (int i = 0; i < 12; ++i) {
        name += L"0123456789abcdef"[number & 15];
        number >>= 4;
    }
    return (folder / (name + L".tmp")).wstring();
}

}  // namespace

int StoreFile(const std::filesystem::path& folder, std::string_view name, std::string_view bytes)
{
    const std::wstring target = (folder / std::filesystem::path(std::string(name))).wstring();
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring temporary;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryName(folder, attempt);
        // No sharing: nobody else opens the file while it is written.
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return EACCES;
    }
    if (file == INVALID_HANDLE_VALUE)
        return EEXIST;
    bool ok = true;
    while (ok && !bytes.empty()) {
        const DWORD portion = bytes.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        ok = WriteFile(file, bytes.data(), portion, &written, nullptr) != 0 && written == portion;
        bytes.remove_prefix(written);
    }
    ok = ok && FlushFileBuffers(file) != 0;
    ok = CloseHandle(file) != 0 && ok;
    // MoveFileExW replaces the entry at the target, a link as well, and does
    // not write through it.
    if (!ok ||
        MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        DeleteFileW(temporary.c_str());
        return EIO;
    }
    return 0;
}

#else

namespace {

int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

}  // namespace

int StoreFile(const std::filesystem::path& folder, std::string_view name, std::string_view bytes)
{
    const std::string target = (folder / std::string(name)).string();
    // mkstemp: O_CREAT | O_EXCL, mode 0600, a random name; an entry planted
    // at that name (a link included) makes it try another.
    std::string temporary = (folder / ".upload-XXXXXX").string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return errno;
    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    // rename() replaces the directory entry at target; a symbolic link there
    // is replaced, not followed.
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
    return 0;
}

#endif

}  // namespace quarn::sim
