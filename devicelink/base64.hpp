#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarn {

// One group handed to the per-group steps. For encoding: up to three input
// bytes (the rest zero) and how many of them are real (1 to 3). For decoding:
// the four looked-up six-bit values and how many characters were taken.
struct Base64Group {
    std::uint8_t value[4] = {0, 0, 0, 0};
    std::uint8_t count = 0;
};

// Base64 codec (standard alphabet, '=' padding, no line breaks). Both buffers
// are owned by the object, always zero-terminated after their length, and
// keep their storage for later calls. An input over 1 GiB is treated as
// empty. The input of a call must not point into the object's own buffers.
class CBase64 {
public:
    CBase64() = default;
    virtual ~CBase64() = default;
    CBase64(const CBase64&) = delete;
    CBase64& operator=(const CBase64&) = delete;

    // Encodes the bytes before the terminator; does nothing for nullptr.
    virtual void EncodeString(const char* text);
    // Base64 text of count bytes into the text buffer.
    virtual void Encode(const void* bytes, std::uint32_t count);
    // Decodes the text before the terminator; does nothing for nullptr.
    virtual void DecodeString(const char* text);
    // Decoded bytes of count text bytes into the byte buffer. White space
    // (bytes 7 to 13 and 32) is skipped; nothing is rejected.
    virtual void Decode(const char* text, std::uint32_t count);

    // The byte buffer (an empty one before the first use).
    virtual const std::uint8_t* GetBytes() const;
    // The text buffer (an empty text before the first use).
    virtual const char* GetText() const;

    virtual void ReserveText(std::uint32_t size);
    virtual void ReserveBytes(std::uint32_t size);
    virtual void LoadText(const char* text, std::uint32_t count);
    virtual void LoadBytes(const void* bytes, std::uint32_t count);

    virtual void EncodeGroup(const Base64Group& group, char* out) const;
    virtual int DecodeGroup(const Base64Group& group, std::uint8_t* out) const;
    virtual void SplitGroup(const std::uint8_t in[3], std::uint8_t out[4]) const;
    virtual void JoinGroup(const std::uint8_t in[4], std::uint8_t out[3]) const;
    virtual bool IsSpaceByte(std::uint8_t byte) const;

    std::uint32_t ByteLength() const { return static_cast<std::uint32_t>(bytes_.size() - 1); }
    std::uint32_t TextLength() const { return static_cast<std::uint32_t>(text_.size()); }

private:
    // Adds count decoded or loaded bytes before the terminating zero.
    void AppendBytes(const std::uint8_t* bytes, std::uint32_t count);

    std::vector<std::uint8_t> bytes_ = std::vector<std::uint8_t>(1, 0);  // the bytes, then a zero
    std::string text_;
};

}  // namespace quarn
