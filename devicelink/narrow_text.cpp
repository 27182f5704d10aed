#include "devicelink/narrow_text.hpp"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#endif

namespace quarn {

namespace {

constexpr char kDefaultChar = '?';
constexpr char16_t kReplacement = u'\uFFFD';

#ifndef _WIN32

std::string NarrowCodeset()
{
    const char* codeset = nl_langinfo(CODESET);
    if (codeset == nullptr || *codeset == '\0' || std::strcmp(codeset, "ANSI_X3.4-1968") == 0 ||
        std::strcmp(codeset, "ASCII") == 0 || std::strcmp(codeset, "US-ASCII") == 0)
        return "ISO-8859-1";
    return codeset;
}

// One conversion descriptor for the length of one call.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

    // Converts as much of in as it can; returns false at an invalid or
    // unrepresentable sequence, with in pointing at it.
    bool convert(const char*& in, std::size_t& inLeft, std::string& out)
    {
        char buffer[256];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            char* inPtr = const_cast<char*>(in);
            const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            in = inPtr;
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG)
                return false;
        }
        return true;
    }

private:
    iconv_t cd_;
};

#endif

}  // namespace

std::string ToNarrow(std::u16string_view text)
{
    std::string result;
    if (text.empty())
        return result;
#ifdef _WIN32
    // No best-fit mapping: a character the code page lacks becomes the
    // default character, not a look-alike (so "\u0101" is "?", not "a"),
    // as on every other platform.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(CP_ACP, flags, reinterpret_cast<const wchar_t*>(text.data()),
                                         static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return result;
    result.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_ACP, flags, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
                        result.data(), size, nullptr, nullptr);
#else
    const std::string codeset = NarrowCodeset();
    Converter converter(codeset.c_str(), "UTF-16LE");
    if (!converter.ok()) {
        for (char16_t c : text)
            result.push_back(c < 0x80 ? static_cast<char>(c) : kDefaultChar);
        return result;
    }
    // Whole code points go through one at a time so that a character the
    // encoding lacks (or a lone surrogate) becomes exactly one '?'.
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t units = 1;
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            units = 2;
        char in[4];
        for (std::size_t k = 0; k < units; ++k) {
            in[2 * k] = static_cast<char>(text[i + k] & 0xFF);
            in[2 * k + 1] = static_cast<char>(text[i + k] >> 8);
        }
        const char* inPtr = in;
        std::size_t inLeft = 2 * units;
        const std::size_t before = result.size();
        if (!converter.convert(inPtr, inLeft, result)) {
            result.resize(before);
            result.push_back(kDefaultChar);
            converter.reset();
        }
        i += units;
    }
#endif
    return result;
}

std::u16string ToWide(std::string_view narrow)
{
    const std::size_t zero = narrow.find('\0');
    if (zero != std::string_view::npos)
        narrow = narrow.substr(0, zero);
    std::u16string result;
    if (narrow.empty())
        return result;
#ifdef _WIN32
    const int size = MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
    if (size <= 0)
        return result;
    result.resize(static_cast<std::size_t>(size));
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()),
                        reinterpret_cast<wchar_t*>(result.data()), size);
#else
    const std::string codeset = NarrowCodeset();
    Converter converter("UTF-16LE", codeset.c_str());
    if (!converter.ok()) {
        for (char c : narrow) {
            const auto byte = static_cast<unsigned char>(c);
            result.push_back(byte < 0x80 ? static_cast<char16_t>(byte) : kReplacement);
        }
        return result;
    }
    std::string utf16;
    const char* in = narrow.data();
    std::size_t inLeft = narrow.size();
    while (inLeft > 0) {
        if (!converter.convert(in, inLeft, utf16)) {
            // Invalid or cut-off sequence: one replacement for its first byte,
            // then carry on after it.
            utf16.push_back(static_cast<char>(0xFD));
            utf16.push_back(static_cast<char>(0xFF));
            ++in;
            --inLeft;
            converter.reset();
        }
    }
    result.reserve(utf16.size() / 2);
    for (std::size_t k = 0; k + 1 < utf16.size(); k += 2)
        result.push_back(static_cast<char16_t>(static_cast<unsigned char>(utf16[k]) |
                                               (static_cast<unsigned char>(utf16[k + 1]) << 8)));
#endif
    return result;
}

std::u16string ToWide(const char* narrow)
{
    if (narrow == nullptr)
        return {};
    return ToWide(std::string_view(narrow, std::strlen(narrow)));
}

}  // namespace quarn
