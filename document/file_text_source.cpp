#include "document/file_text_source.hpp"

#include "document/file_text.hpp"
#include "document/utf8.hpp"

#include <algorithm>

namespace quarn {

FileTextSource::FileTextSource(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        // UTF-16 files are rare; they are decoded whole, and big-endian ones
        // are refused there.
        error_ = DecodeFileText(bytes, wide_);
        return;
    }
    utf8_ = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
}

std::size_t FileTextSource::read(char16_t* buffer, std::size_t max)
{
    if (widePosition_ < wide_.size()) {
        const std::size_t count = std::min(max, wide_.size() - widePosition_);
        wide_.copy(buffer, count, widePosition_);
        widePosition_ += count;
        return count;
    }
    return max >= 2 ? DecodeUtf8TextPiece(utf8_, buffer, max) : 0;
}

std::size_t FileTextSource::size_hint() const
{
    // A UTF-8 sequence never gives more units than it has bytes.
    return utf8_.size() + (wide_.size() - widePosition_);
}

}  // namespace quarn
