#include "base/file_open.hpp"

#include <cerrno>
#include <string>
#include <sys/stat.h>

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

}  // namespace

#ifdef _WIN32

int OpenFileForReading(std::u16string_view path, std::FILE*& file, ReadableFiles accepted)
{
    file = nullptr;
    errno = 0;
    const std::wstring name(path.begin(), path.end());
    std::FILE* opened = _wfopen(name.c_str(), L"rb");
    if (opened == nullptr)
        return ErrorOrAccess();
    if (accepted == ReadableFiles::RegularOnly) {
        struct _stat64 status {};
        if (_fstat64(_fileno(opened), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
            std::fclose(opened);
            return (status.st_mode & _S_IFMT) == _S_IFDIR ? EACCES : EINVAL;
        }
    }
    file = opened;
    return 0;
}

#else

namespace {

// O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
// The kind of file is checked before anything is read from it; for a
// regular file the flag changes nothing.
int OpenRegularFile(const std::string& name, std::FILE*& file)
{
    errno = 0;
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return ErrorOrAccess();
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return error;
    }
    file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        const int error = ErrorOrAccess();
        ::close(fd);
        return error;
    }
    return 0;
}

}  // namespace

int OpenFileForReading(std::u16string_view path, std::FILE*& file, ReadableFiles accepted)
{
    file = nullptr;
    const std::string name = FileNameBytes(path);
    if (accepted == ReadableFiles::RegularOnly)
        return OpenRegularFile(name, file);
    errno = 0;
    file = std::fopen(name.c_str(), "rb");
    return file == nullptr ? ErrorOrAccess() : 0;
}

#endif

}  // namespace quarn
