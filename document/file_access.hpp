#pragma once
// The few file operations the document needs, with UTF-16 paths. This is
// the only file of the document that talks to the operating system.

#include <string>
#include <string_view>

namespace quarn {

// True when path names an existing file system entry.
bool FileExists(const std::u16string& path);

// Reads the whole file into bytes. Returns 0, or the system's error number
// when the file cannot be opened or read.
int ReadWholeFile(const std::u16string& path, std::string& bytes);

// Makes the file at path hold exactly bytes, all or nothing: the bytes go to
// a new file in the same folder, which replaces the target only after it was
// written, flushed and closed without error. On failure the temporary file
// is removed and the target is left as it was. An existing target that is
// write-protected is not replaced. A new file gets the usual permissions
// (0666 less the umask); a replaced one keeps its permissions.
bool ReplaceFileContents(const std::u16string& path, std::string_view bytes);

}  // namespace quarn
