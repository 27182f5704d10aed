#pragma once

#include <cstddef>
#include <string_view>

#include "base/file_open.hpp"

namespace quarn {

// The file an upload reads, opened only when it is a regular file: a folder,
// a FIFO or a device (such as /dev/zero) fails like a file that cannot be
// opened, and the open never waits for a FIFO's writer. Closed when the
// object goes.
class UploadFile {
public:
    UploadFile() = default;

    // 0, or the error number of the failed open: the system's, EISDIR for
    // a folder and EINVAL for anything else that is not a regular file.
    int Open(std::u16string_view path);

    // Reads up to size bytes; got 0 at the end. Returns 0 or the error.
    int Read(char* buffer, std::size_t size, std::size_t& got);

private:
    FileHandle file_;
};

}  // namespace quarn
