#include "document/file_access.hpp"

#include "document/utf8.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quarn {

namespace {

// Reads everything from an open stream; 0 or an error number.
int ReadStream(std::FILE* file, std::string& bytes)
{
    char chunk[65536];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        bytes.append(chunk, got);
        if (got < sizeof chunk)
            break;
    }
    if (std::ferror(file))
        return errno != 0 ? errno : EIO;
    return 0;
}

// A name for a temporary file beside target that is unlikely to exist.
template <typename Char>
std::basic_string<Char> TemporaryName(const std::basic_string<Char>& target, unsigned attempt)
{
    static unsigned counter = 0;
    std::basic_string<Char> name = target;
    const char* suffix = ".~tmp";
    for (const char* c = suffix; *c != '\0'; ++c)
        name += static_cast<Char>(*c);
    unsigned long number = static_cast<unsigned long>(
#ifdef _WIN32
        GetCurrentProcessId()
#else
        getpid()
#endif
    ) * 1000003ul + (++counter) * 7919ul + attempt;
    for (int i = 0; i < 8; ++i) {
        name += static_cast<Char>("0123456789abcdef"[number & 15]);
        number >>= 4;
    }
    return name;
}

}  // namespace

#ifdef _WIN32

namespace {

std::wstring WidePath(const std::u16string& path)
{
    return std::wstring(path.begin(), path.end());
}

// Puts the written temporary file in the target's place. An existing target
// is replaced with ReplaceFileW, which keeps its attributes, owner and
// access rights; a new one is a plain rename. On failure the temporary file
// is removed, except where ReplaceFileW has already moved the target out of
// the way: then the temporary file is renamed once more, and kept if even
// that fails, since it may hold the only copy of the contents.
bool MoveIntoPlace(const std::wstring& temporary, const std::wstring& target, bool targetExists)
{
    if (targetExists) {
        if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                         nullptr) != 0)
            return true;
        const DWORD error = GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        if (error != ERROR_FILE_NOT_FOUND) {
            DeleteFileW(temporary.c_str());
            return false;
        }
        // The target went away meanwhile: fall through to a plain rename.
    }
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace

bool FileExists(const std::u16string& path)
{
    return !path.empty() && GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int ReadWholeFile(const std::u16string& path, std::string& bytes)
{
    bytes.clear();
    errno = 0;
    std::FILE* file = _wfopen(WidePath(path).c_str(), L"rb");
    if (file == nullptr)
        return errno != 0 ? errno : EACCES;
    const int error = ReadStream(file, bytes);
    std::fclose(file);
    return error;
}

bool ReplaceFileContents(const std::u16string& path, std::string_view bytes)
{
    const std::wstring target = WidePath(path);
    if (target.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;

    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring temporary;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryName(target, attempt);
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    if (file == INVALID_HANDLE_VALUE)
        return false;

    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const DWORD portion = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, portion, &written, nullptr) != 0 && written == portion;
        done += written;
    }
    ok = ok && FlushFileBuffers(file) != 0;
    ok = (CloseHandle(file) != 0) && ok;
    if (!ok) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return MoveIntoPlace(temporary, target, attributes != INVALID_FILE_ATTRIBUTES);
}

#else

namespace {

std::string NarrowPath(const std::u16string& path)
{
    return EncodeUtf8(path);
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The folder part of a path, for syncing it after the rename.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

}  // namespace

bool FileExists(const std::u16string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(NarrowPath(path).c_str(), &info) == 0;
}

int ReadWholeFile(const std::u16string& path, std::string& bytes)
{
    bytes.clear();
    errno = 0;
    std::FILE* file = std::fopen(NarrowPath(path).c_str(), "rb");
    if (file == nullptr)
        return errno != 0 ? errno : EACCES;
    const int error = ReadStream(file, bytes);
    std::fclose(file);
    return error;
}

bool ReplaceFileContents(const std::u16string& path, std::string_view bytes)
{
    std::string target = NarrowPath(path);
    if (target.empty())
        return false;

    // Write through a symbolic link to the file it names, as opening the
    // link for writing would, instead of replacing the link itself.
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char* resolved = ::realpath(target.c_str(), nullptr);
        if (resolved != nullptr) {
            target = resolved;
            std::free(resolved);
        }
    }

    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists) {
        if (!S_ISREG(info.st_mode))
            return false;
        // A file that could not be opened for writing is not replaced either.
        if (::access(target.c_str(), W_OK) != 0)
            return false;
    }

    int fd = -1;
    std::string temporary;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(target, attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = true;
    if (exists) {
        ok = ::fchmod(fd, info.st_mode & 07777) == 0;
        // Keep the owner when replacing someone else's file; only possible
        // with the rights to do so, and not needed otherwise.
        if (ok && (info.st_uid != ::geteuid() || info.st_gid != ::getegid())) {
            [[maybe_unused]] const int ignored = ::fchown(fd, info.st_uid, info.st_gid);
        }
    }
    ok = ok && WriteAll(fd, bytes);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }

    const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

#endif

}  // namespace quarn
