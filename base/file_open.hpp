#pragma once
// Opening a file named by a UTF-16 path for reading its bytes: the one place
// the core turns such a path into what the system opens (a wide name on
// Windows, the bytes of FileNameBytes elsewhere).

#include <cstdio>
#include <string_view>

namespace quarn {

enum class ReadableFiles {
    Any,          // whatever the system opens for reading: a folder, FIFO or device too
    RegularOnly,  // a regular file; the open never waits for a FIFO's writer
};

// Opens path for reading in binary mode. Returns 0 with an open stream that
// the caller closes, or the system's error number (EACCES when it names
// none) and file stays nullptr. With ReadableFiles::RegularOnly a folder
// fails with EISDIR (EACCES on Windows) and anything else that is not a
// regular file with EINVAL.
int OpenFileForReading(std::u16string_view path, std::FILE*& file, ReadableFiles accepted = ReadableFiles::Any);

}  // namespace quarn
