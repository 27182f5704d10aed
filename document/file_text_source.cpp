#include "document/file_text_source.hpp"

#include "base/utf8.hpp"
#include "document/file_access.hpp"
#include "document/file_text.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quarn {

namespace {

bool IsUtf16(std::string_view bytes)
{
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

// How much of a window of bytes can be decoded before more bytes are read: all
// but a trailing CR, whose LF may follow, and a UTF-8 sequence that the
// window's end cuts off. What is held back is decoded with the next window,
// so the text is the same as decoding the whole file at once.
std::size_t DecodableLength(std::string_view bytes)
{
    std::size_t end = bytes.size();
    if (end > 0 && bytes[end - 1] == '\r')
        --end;
    std::size_t lead = end;
    while (lead > 0 && end - lead < 3 && (static_cast<unsigned char>(bytes[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead > 0) {
        const auto first = static_cast<unsigned char>(bytes[lead - 1]);
        const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        if (end - (lead - 1) < length)
            end = lead - 1;
    }
    return end;
}

}  // namespace

FileTextSource::FileTextSource(std::string_view bytes)
{
    TakeBytes(bytes);
}

FileTextSource::FileTextSource(std::FILE* file, std::size_t window)
    : file_(file), window_(std::max<std::size_t>(window, 8), '\0'), unread_(FileSizeHint(file)), fileEnded_(false)
{
    if (!Refill())
        return;
    if (IsUtf16(utf8_)) {
        // UTF-16 files are rare; they are read and decoded whole.
        std::string bytes(window_.data(), utf8_.size() + waiting_);
        utf8_ = {};
        waiting_ = 0;
        errno = 0;
        while (!fileEnded_) {
            const std::size_t got = std::fread(window_.data(), 1, window_.size(), file_);
            bytes.append(window_.data(), got);
            if (got == 0) {
                fileEnded_ = true;
                if (std::ferror(file_))
                    error_ = errno != 0 ? errno : EIO;
            }
        }
        unread_ = 0;
        if (error_ == 0)
            TakeBytes(bytes);
        return;
    }
    if (utf8_.starts_with("\xEF\xBB\xBF"))
        utf8_.remove_prefix(3);
}

void FileTextSource::TakeBytes(std::string_view bytes)
{
    if (IsUtf16(bytes)) {
        // Big-endian ones are refused there.
        error_ = DecodeFileText(bytes, wide_);
        return;
    }
    utf8_ = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
}

// Moves the bytes held back to the front of the window and fills the rest
// from the file. False when nothing more can be decoded.
bool FileTextSource::Refill()
{
    if (file_ == nullptr || fileEnded_)
        return false;
    char* const data = window_.data();
    const std::size_t kept = waiting_;
    if (kept > 0)
        std::memmove(data, utf8_.data() + utf8_.size(), kept);
    std::size_t filled = kept;
    errno = 0;
    while (filled < window_.size()) {
        const std::size_t got = std::fread(data + filled, 1, window_.size() - filled, file_);
        filled += got;
        unread_ -= std::min(unread_, got);
        if (got == 0) {
            fileEnded_ = true;
            if (std::ferror(file_))
                error_ = errno != 0 ? errno : EIO;
            break;
        }
    }
    const std::string_view bytes(data, filled);
    const std::size_t decodable = fileEnded_ ? filled : DecodableLength(bytes);
    utf8_ = bytes.substr(0, decodable);
    waiting_ = filled - decodable;
    return !utf8_.empty();
}

std::size_t FileTextSource::read(char16_t* buffer, std::size_t max)
{
    if (widePosition_ < wide_.size()) {
        const std::size_t count = std::min(max, wide_.size() - widePosition_);
        wide_.copy(buffer, count, widePosition_);
        widePosition_ += count;
        return count;
    }
    if (max < 2)
        return 0;
    if (utf8_.empty() && !Refill())
        return 0;
    return DecodeUtf8TextPiece(utf8_, buffer, max);
}

std::size_t FileTextSource::size_hint() const
{
    // A UTF-8 sequence never gives more units than it has bytes.
    return utf8_.size() + waiting_ + unread_ + (wide_.size() - widePosition_);
}

}  // namespace quarn
