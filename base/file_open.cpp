#include "base/file_open.hpp"

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <utility>

#ifdef _WIN32
#include <sys/types.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include "base/file_name.hpp"
#endif

namespace quarn {

namespace {

int ErrorOrAccess()
{
    return errno != 0 ? errno : EACCES;
}

OpenedFile Failed(int error)
{
    return OpenedFile{nullptr, error};
}

}  // namespace

#ifdef _WIN32

OpenedFile OpenFileForReading(std::u16string_view path, ReadableFiles accepted)
{
    errno = 0;
    const std::wstring name(path.begin(), path.end());
    FileHandle opened(_wfopen(name.c_str(), L"rb"));
    if (opened == nullptr)
        return Failed(ErrorOrAccess());
    if (accepted == ReadableFiles::RegularOnly) {
        struct _stat64 status {};
        if (_fstat64(_fileno(opened.get()), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG)
            return Failed((status.st_mode & _S_IFMT) == _S_IFDIR ? EACCES : EINVAL);
    }
    return OpenedFile{std::move(opened), 0};
}

#else

namespace {

// O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
// The kind of file is checked before anything is read from it; for a
// regular file the flag changes nothing.
OpenedFile OpenRegularFile(const std::string& name)
{
    errno = 0;
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Failed(ErrorOrAccess());
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return Failed(error);
    }
    FileHandle file(::fdopen(fd, "rb"));
    if (file == nullptr) {
        const int error = ErrorOrAccess();
        ::close(fd);
        return Failed(error);
    }
    return OpenedFile{std::move(file), 0};
}

}  // namespace

OpenedFile OpenFileForReading(std::u16string_view path, ReadableFiles accepted)
{
    const std::string name = FileNameBytes(path);
    if (accepted == ReadableFiles::RegularOnly)
        return OpenRegularFile(name);
    errno = 0;
    FileHandle file(std::fopen(name.c_str(), "rb"));
    if (file == nullptr)
        return Failed(ErrorOrAccess());
    return OpenedFile{std::move(file), 0};
}

#endif

}  // namespace quarn
