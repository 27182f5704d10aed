#include "devicelink/upload_file.hpp"

#include <cerrno>

#include "base/file_open.hpp"

namespace quarn {

UploadFile::~UploadFile()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

int UploadFile::Open(std::u16string_view path)
{
    return OpenFileForReading(path, file_, ReadableFiles::RegularOnly);
}

int UploadFile::Read(char* buffer, std::size_t size, std::size_t& got)
{
    for (;;) {
        errno = 0;
        got = std::fread(buffer, 1, size, file_);
        if (got > 0 || !std::ferror(file_))
            return 0;
        // A signal that cut the read short is no failure of the file.
        if (errno != EINTR)
            return errno != 0 ? errno : EIO;
        std::clearerr(file_);
    }
}

}  // namespace quarn
