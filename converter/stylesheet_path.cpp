#include "converter/stylesheet_path.hpp"

#include "base/utf8.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <vector>

namespace quarn {

std::u16string ExecutablePath()
{
#ifdef _WIN32
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) {
        return {};
    }
    return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), length);
#else
    // Grown until the link fits, so a deep folder is never cut short.
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return DecodeUtf8(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
        }
        buffer.resize(buffer.size() * 2);
    }
#endif
}

std::u16string StylesheetPathBeside(std::u16string_view executablePath)
{
    const std::size_t slash = executablePath.find_last_of(u"/\\");
    const std::u16string_view folder =
        slash == std::u16string_view::npos ? std::u16string_view() : executablePath.substr(0, slash);
    return std::u16string(folder) + u"/morvex.xsl";
}

}  // namespace quarn
