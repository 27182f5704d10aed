#include "document/file_access.hpp"

#include "base/file_name.hpp"
#include "base/file_open.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
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

// Where the file name of path begins: after its last separator.
template <typename Char>
std::size_t NameStart(const std::basic_string<Char>& path)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == Char('/'))
            start = i + 1;
#ifdef _WIN32
        if (path[i] == Char('\\') || (i == 1 && path[i] == Char(':')))
            start = i + 1;
#endif
    }
    return start;
}

// The longest part of a file name that a temporary name takes over: with the
// 13 characters added it stays below the 255 that a name may have, however
// long the target's name is.
constexpr std::size_t kKeptNameLength = 200;

// Cuts a name to at most kKeptNameLength code units without splitting a
// character: a UTF-8 sequence, or a UTF-16 surrogate pair.
template <typename Char>
std::basic_string<Char> ShortenedName(std::basic_string<Char> name)
{
    if (name.size() <= kKeptNameLength)
        return name;
    std::size_t length = kKeptNameLength;
    if constexpr (sizeof(Char) == 1) {
        while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80)
            --length;
    } else {
        if (length > 0 && name[length - 1] >= 0xD800 && name[length - 1] <= 0xDBFF)
            --length;
    }
    name.resize(length);
    return name;
}

// A name for a temporary file beside target that is unlikely to exist: the
// target's folder, its name (shortened when long), ".~tmp" and 8 hex digits.
template <typename Char>
std::basic_string<Char> TemporaryName(const std::basic_string<Char>& target, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    const std::size_t nameStart = NameStart(target);
    std::basic_string<Char> name = target.substr(0, nameStart) + ShortenedName(target.substr(nameStart));
    const char* suffix = ".~tmp";
    for (const char* c = suffix; *c != '\0'; ++c)
        name += static_cast<Char>(*c);
    unsigned long number = static_cast<unsigned long>(
#ifdef _WIN32
                               GetCurrentProcessId()
#else
                               getpid()
#endif
                                   ) *
                               1000003ul +
                           (++counter) * 7919ul + attempt;
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

// The error number that stands for a failed Windows call.
int ErrorNumber(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EACCES;
    }
}

// Puts the written temporary file in the target's place. An existing target
// is replaced with ReplaceFileW, which keeps its attributes, owner and
// access rights; a new one is a plain rename. On failure the temporary file
// is removed, except where ReplaceFileW has already moved the target out of
// the way: then the temporary file is renamed once more, and kept if even
// that fails, since it may hold the only copy of the contents.
int MoveIntoPlace(const std::wstring& temporary, const std::wstring& target, bool targetExists)
{
    if (targetExists) {
        if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                         nullptr) != 0)
            return 0;
        const DWORD error = GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0
                       ? 0
                       : ErrorNumber(GetLastError());
        if (error != ERROR_FILE_NOT_FOUND) {
            DeleteFileW(temporary.c_str());
            return ErrorNumber(error);
        }
        // The target went away meanwhile: fall through to a plain rename.
    }
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
        return 0;
    const int error = ErrorNumber(GetLastError());
    DeleteFileW(temporary.c_str());
    return error;
}

}  // namespace

bool FileExists(const std::u16string& path)
{
    return !path.empty() && GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::size_t FileSizeHint(std::FILE* file)
{
    struct _stati64 info {};
    if (file == nullptr || _fstati64(_fileno(file), &info) != 0 || info.st_size <= 0)
        return 0;
    return static_cast<std::size_t>(info.st_size);
}

int ReplaceFileContents(const std::u16string& path, std::string_view bytes)
{
    const std::wstring target = WidePath(path);
    if (target.empty())
        return ENOENT;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return EISDIR;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return EACCES;

    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring temporary;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryName(target, attempt);
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return ErrorNumber(GetLastError());
    }
    if (file == INVALID_HANDLE_VALUE)
        return EEXIST;

    DWORD failure = ERROR_SUCCESS;
    std::size_t done = 0;
    while (failure == ERROR_SUCCESS && done < bytes.size()) {
        const DWORD portion = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (WriteFile(file, bytes.data() + done, portion, &written, nullptr) == 0)
            failure = GetLastError();
        else if (written != portion)
            failure = ERROR_DISK_FULL;
        done += written;
    }
    if (failure == ERROR_SUCCESS && FlushFileBuffers(file) == 0)
        failure = GetLastError();
    if (CloseHandle(file) == 0 && failure == ERROR_SUCCESS)
        failure = GetLastError();
    if (failure != ERROR_SUCCESS) {
        DeleteFileW(temporary.c_str());
        return ErrorNumber(failure);
    }
    return MoveIntoPlace(temporary, target, attributes != INVALID_FILE_ATTRIBUTES);
}

#else

namespace {

// The same bytes as the open for reading uses, so that what exists, what is
// read and what is replaced are one file.
std::string NarrowPath(const std::u16string& path)
{
    return FileNameBytes(path);
}

// 0, or the error number of the write that failed.
int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
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

// Follows symbolic links from path to the entry they finally name, as
// opening the path would. That entry need not exist: a dangling link names
// the file to create. 0, or the error number (ELOOP for a cycle).
int ResolveLinks(std::string& path)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(info.st_mode))
            return 0;
        std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0)
            return errno;
        if (static_cast<std::size_t>(length) >= link.size())
            return ENAMETOOLONG;  // the link changed while it was read
        link.resize(static_cast<std::size_t>(length));
        if (link.empty())
            return ENOENT;
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return ELOOP;
}

// A file size limit raises SIGXFSZ, whose default action ends the process
// without a word. While this guard lives the signal is blocked for the
// calling thread only, so the write that passes the limit fails with EFBIG
// and the save is reported like any other failure; a signal raised meanwhile
// is taken back before the old mask returns.
class FileSizeSignalGuard {
public:
    FileSizeSignalGuard()
    {
        sigemptyset(&signal_);
        sigaddset(&signal_, SIGXFSZ);
        blocked_ = ::pthread_sigmask(SIG_BLOCK, &signal_, &previous_) == 0;
    }
    ~FileSizeSignalGuard()
    {
        if (!blocked_)
            return;
        if (sigismember(&previous_, SIGXFSZ) == 0) {
            const timespec none{0, 0};
            while (::sigtimedwait(&signal_, nullptr, &none) == SIGXFSZ) {
            }
        }
        ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    FileSizeSignalGuard(const FileSizeSignalGuard&) = delete;
    FileSizeSignalGuard& operator=(const FileSizeSignalGuard&) = delete;

private:
    sigset_t signal_{};
    sigset_t previous_{};
    bool blocked_ = false;
};

// Opens a new temporary file beside target. 0 and fd and name, or the error
// number.
int CreateTemporary(const std::string& target, int& fd, std::string& temporary)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryName(target, attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// Writes bytes over the contents of the existing file target, which keeps
// its inode and so its other names, owner, mode and everything else. Growth
// is reserved first where the file system can, so a disk too full for it
// fails before the first byte changes.
int OverwriteInPlace(const std::string& target, std::string_view bytes, off_t oldSize)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = 0;
#ifdef FALLOC_FL_KEEP_SIZE
    if (static_cast<off_t>(bytes.size()) > oldSize &&
        ::fallocate(fd, FALLOC_FL_KEEP_SIZE, oldSize, static_cast<off_t>(bytes.size()) - oldSize) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS)
        error = errno;
#else
    (void)oldSize;
#endif
    if (error == 0)
        error = WriteAll(fd, bytes);
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

}  // namespace

bool FileExists(const std::u16string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(NarrowPath(path).c_str(), &info) == 0;
}

std::size_t FileSizeHint(std::FILE* file)
{
    struct stat info {};
    if (file == nullptr || ::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return 0;
    return static_cast<std::size_t>(info.st_size);
}

int ReplaceFileContents(const std::u16string& path, std::string_view bytes)
{
    std::string target = NarrowPath(path);
    if (target.empty())
        return ENOENT;
    const FileSizeSignalGuard sizeSignal;

    // Write through symbolic links to the file they name, as opening the link
    // for writing would, instead of replacing the link itself.
    if (const int error = ResolveLinks(target); error != 0)
        return error;
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (!exists && errno != ENOENT)
        return errno;
    if (exists) {
        if (S_ISDIR(info.st_mode))
            return EISDIR;
        if (!S_ISREG(info.st_mode))
            return EACCES;
        // A file that could not be opened for writing is not replaced either.
        if (::access(target.c_str(), W_OK) != 0)
            return errno;
    }

    int fd = -1;
    std::string temporary;
    if (const int error = CreateTemporary(target, fd, temporary); error != 0)
        return error;

    // A new file replaces the old one by a rename when that keeps what the
    // old one had: one name, its owner and its mode. Otherwise the contents
    // are written into the old file once the temporary copy has shown that
    // they fit.
    bool inPlace = false;
    int error = 0;
    if (exists) {
        inPlace = info.st_nlink > 1;
        if (!inPlace && (info.st_uid != ::geteuid() || info.st_gid != ::getegid()))
            inPlace = ::fchown(fd, info.st_uid, info.st_gid) != 0;
        // The copy gets the old mode at once (without set-id bits where it
        // only carries the contents), so it shows them to nobody new.
        if (::fchmod(fd, info.st_mode & (inPlace ? 0777 : 07777)) != 0)
            error = errno;
    }
    if (error == 0)
        error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && inPlace)
        error = OverwriteInPlace(target, bytes, info.st_size);
    if (error == 0 && !inPlace && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0 || inPlace)
        ::unlink(temporary.c_str());
    if (error != 0)
        return error;

    const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return 0;
}

#endif

int ReadWholeFile(const std::u16string& path, std::string& bytes)
{
    bytes.clear();
    const OpenedFile opened = OpenFileForReading(path, ReadableFiles::RegularOnly);
    if (opened.error != 0)
        return opened.error;
    bytes.reserve(FileSizeHint(opened.file.get()));
    return ReadStream(opened.file.get(), bytes);
}

}  // namespace quarn

namespace quarn {

int WriteFileOrDevice(const std::u16string& path, std::string_view bytes)
{
#ifndef _WIN32
    const std::string name = FileNameBytes(path);
    struct stat target {};
    if (name.empty() || ::stat(name.c_str(), &target) != 0)
        return ReplaceFileContents(path, bytes);
    // The file this process writes its output or errors to (such as
    // /dev/stdout while that goes to a file) is written where it stands: a
    // new file in its place would be one the shell no longer writes to.
    int fd = -1;
    for (const int stream : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat open {};
        if (::fstat(stream, &open) == 0 && open.st_dev == target.st_dev && open.st_ino == target.st_ino) {
            fd = ::dup(stream);
            break;
        }
    }
    if (fd < 0) {
        if (!S_ISCHR(target.st_mode) && !S_ISFIFO(target.st_mode))
            return ReplaceFileContents(path, bytes);
        // No temporary file can stand in for a device or a FIFO. A FIFO
        // without a reader fails at once (ENXIO) instead of waiting for one;
        // once open, writes wait for a slow reader as they would on a pipe.
        fd = ::open(name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return errno != 0 ? errno : EACCES;
        if (const int flags = ::fcntl(fd, F_GETFL); flags >= 0)
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    const FileSizeSignalGuard sizeSignal;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return error;
        }
        done += static_cast<std::size_t>(written);
    }
    if (::close(fd) != 0 && errno != EINTR)
        return errno;
    return 0;
#else
    return ReplaceFileContents(path, bytes);
#endif
}

}  // namespace quarn
