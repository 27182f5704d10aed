#include "devicelink/upload_file.hpp"

#include <cerrno>
#include <string>

#ifdef _WIN32
#include <cstdio>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "devicelink/file_name.hpp"
#endif

namespace quarn {

#ifdef _WIN32

UploadFile::~UploadFile()
{
    if (file_ != nullptr)
        std::fclose(static_cast<std::FILE*>(file_));
}

int UploadFile::Open(std::u16string_view path)
{
    errno = 0;
    std::FILE* file = _wfopen(reinterpret_cast<const wchar_t*>(std::u16string(path).c_str()), L"rb");
    if (file == nullptr)
        return errno != 0 ? errno : ENOENT;
    struct _stat64 status {};
    if (_fstat64(_fileno(file), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(file);
        return (status.st_mode & _S_IFMT) == _S_IFDIR ? EACCES : EINVAL;
    }
    file_ = file;
    return 0;
}

int UploadFile::Read(char* buffer, std::size_t size, std::size_t& got)
{
    auto* file = static_cast<std::FILE*>(file_);
    errno = 0;
    got = std::fread(buffer, 1, size, file);
    if (got == 0 && std::ferror(file))
        return errno != 0 ? errno : EIO;
    return 0;
}

#else

UploadFile::~UploadFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int UploadFile::Open(std::u16string_view path)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer. The file is checked before anything is read from it.
    const std::string native = FileNameBytes(path);
    const int fd = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno != 0 ? errno : ENOENT;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return error;
    }
    fd_ = fd;
    return 0;
}

int UploadFile::Read(char* buffer, std::size_t size, std::size_t& got)
{
    got = 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return 0;
        }
        if (errno != EINTR)
            return errno;
    }
}

#endif

}  // namespace quarn
