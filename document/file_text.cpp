#include "document/file_text.hpp"

#include "base/utf8.hpp"

#include <cerrno>

namespace quarn {

int DecodeFileText(std::string_view bytes, std::u16string& text)
{
    text.clear();
    if (bytes.starts_with("\xFE\xFF"))
        return EINVAL;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        text = DecodeUtf8Text(bytes.substr(3));
        return 0;
    }
    if (!bytes.starts_with("\xFF\xFE")) {
        text = DecodeUtf8Text(bytes);
        return 0;
    }

    text = DecodeUtf16Le(bytes.substr(2));
    char16_t* out = text.data();
    const char16_t* const end = text.data() + text.size();
    for (const char16_t* in = out; in < end; ++in) {
        if (*in == u'\r' && in + 1 < end && in[1] == u'\n')
            continue;
        *out++ = *in;
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return 0;
}

}  // namespace quarn
