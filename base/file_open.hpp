#pragma once
// Opening a file named by a UTF-16 path for reading its bytes: the one place
// the core turns such a path into what the system opens (a wide name on
// Windows, the bytes of FileNameBytes elsewhere).

#include <cstdio>
#include <memory>
#include <string_view>

namespace quarn {

// Closes a stream when its handle goes.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The one owner of a stream opened here: it is closed on every path out of
// the scope that holds it.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

enum class ReadableFiles {
    Any,          // whatever the system opens for reading: a folder, FIFO or device too
    RegularOnly,  // a regular file; the open never waits for a FIFO's writer
};

// A stream opened for reading, or the reason it is not.
struct OpenedFile {
    FileHandle file;  // empty unless error is 0
    int error = 0;    // 0, or the system's error number
};

// Opens path for reading in binary mode. Gives the open stream, or the
// system's error number (EACCES when it names none) and no stream. With
// ReadableFiles::RegularOnly a folder fails with EISDIR (EACCES on Windows)
// and anything else that is not a regular file with EINVAL.
OpenedFile OpenFileForReading(std::u16string_view path, ReadableFiles accepted = ReadableFiles::Any);

}  // namespace quarn
