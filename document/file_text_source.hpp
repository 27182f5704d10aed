#pragma once
// A state-machine file's text handed to the parser as it reads, decoded by
// byte-order mark as DecodeFileText does, without holding the decoded text
// a second time.

#include "xml/pug.hpp"

#include <string>
#include <string_view>

namespace quarn {

class FileTextSource : public pug::text_source {
public:
    // bytes must outlive the source.
    explicit FileTextSource(std::string_view bytes);

    // 0, or EINVAL for a UTF-16 big-endian file, which delivers no text.
    int Error() const { return error_; }

    std::size_t read(char16_t* buffer, std::size_t max) override;
    std::size_t size_hint() const override;

private:
    int error_ = 0;
    std::string_view utf8_;   // what is left of a UTF-8 file
    std::u16string wide_;     // a UTF-16 little-endian file, decoded whole
    std::size_t widePosition_ = 0;
};

}  // namespace quarn
