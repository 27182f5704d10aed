#pragma once
// A state-machine file's text handed to the parser as it reads, decoded by
// byte-order mark as DecodeFileText does, without holding the decoded text
// a second time.

#include "xml/pug.hpp"

#include <cstdio>
#include <string>
#include <string_view>

namespace quarn {

class FileTextSource : public pug::text_source {
public:
    // The bytes of a whole file held in memory; they must outlive the source.
    explicit FileTextSource(std::string_view bytes);

    // The bytes of an open file, read a window at a time as the parser asks
    // for text, so the file's bytes are never held whole. The source reads
    // from the file's current position and does not close it. window (at
    // least 8 bytes) is for tests; the default suits files of any size.
    explicit FileTextSource(std::FILE* file, std::size_t window = kDefaultWindow);

    static constexpr std::size_t kDefaultWindow = 64 * 1024;

    // 0, EINVAL for a UTF-16 big-endian file, which delivers no text, or the
    // system's error number when reading the file failed (the text then ends
    // where reading stopped).
    int Error() const { return error_; }

    std::size_t read(char16_t* buffer, std::size_t max) override;
    std::size_t size_hint() const override;

private:
    void TakeBytes(std::string_view bytes);
    bool Refill();

    int error_ = 0;
    std::string_view utf8_;  // what is left to decode of the bytes at hand
    std::u16string wide_;    // a UTF-16 little-endian file, decoded whole
    std::size_t widePosition_ = 0;

    // Reading from a file: the window holds utf8_ and, after it, the bytes
    // that wait for the next read (a character or a CR LF cut by the
    // window's end).
    std::FILE* file_ = nullptr;
    std::string window_;
    std::size_t waiting_ = 0;  // bytes after utf8_ in the window
    std::size_t unread_ = 0;   // what the file's size says is left to read
    bool fileEnded_ = true;
};

}  // namespace quarn
