#pragma once
// The few file operations the document needs, with UTF-16 paths. This is
// the only file of the document that talks to the operating system; files
// are opened for reading by OpenFileForReading (base/file_open.hpp).

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace quarn {

// True when path names an existing file system entry.
bool FileExists(const std::u16string& path);

// The size of an open file in bytes, or 0 when the system does not say.
std::size_t FileSizeHint(std::FILE* file);

// Reads the whole of a regular file into bytes. Returns 0, or the system's
// error number when the file cannot be opened or read (EINVAL for a FIFO or a
// device, which might never end or never answer; EISDIR for a folder).
int ReadWholeFile(const std::u16string& path, std::string& bytes);

// Makes the file at path hold exactly bytes, all or nothing. Returns 0, or the
// system's error number of what failed (EISDIR for a folder, EACCES for a
// write-protected file or one that is not a regular file).
//
// The bytes go to a new file in the same folder first. When it was written,
// flushed and closed without error it replaces the target by a rename, if
// the target is new or has one name and its owner and mode can be given to
// the new file; a new file gets the usual permissions (0666 less the umask).
// Otherwise (more than one hard link, another owner that cannot be kept)
// the bytes are written into the existing file, which keeps its names, owner
// and mode, and the copy is removed. Either way a failure before the last
// step leaves the target as it was and removes the temporary file, whose
// name always fits beside the target's, however long that is.
//
// A symbolic link is followed to the file it names, which is created when
// it does not exist. On POSIX systems a file size limit fails the save with
// EFBIG instead of ending the process: SIGXFSZ is held back meanwhile, for
// the calling thread only. On Windows an existing file is replaced with
// ReplaceFileW, which keeps its attributes, owner and access rights.
int ReplaceFileContents(const std::u16string& path, std::string_view bytes);

// An output that may also be a device: a character device or a FIFO (such as
// /dev/null or a pipe), or the file this process's standard output or error
// goes to (/dev/stdout), is written directly, since no temporary file can take
// its place; anything else goes through ReplaceFileContents. Returns 0 or the
// system's error number (ENOSPC for a full device, ENXIO for a FIFO that no
// one reads).
int WriteFileOrDevice(const std::u16string& path, std::string_view bytes);

}  // namespace quarn
