#include "devicelink/upload_file.hpp"

#include <cerrno>
#include <cstdio>
#include <utility>

#include "base/file_open.hpp"

namespace quarn {

int UploadFile::Open(std::u16string_view path)
{
    OpenedFile opened = OpenFileForReading(path, ReadableFiles::RegularOnly);
    file_ = std::move(opened.file);
    return opened.error;
}

int UploadFile::Read(char* buffer, std::size_t size, std::size_t& got)
{
    for (;;) {
        errno = 0;
        got = std::fread(buffer, 1, size, file_.get());
        if (got > 0 || !std::ferror(file_.get()))
            return 0;
        // A signal that cut the read short is no failure of the file.
        if (errno != EINTR)
            return errno != 0 ? errno : EIO;
        std::clearerr(file_.get());
    }
}

}  // namespace quarn
