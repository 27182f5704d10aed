#include "document/file_text.hpp"

#include "document/utf8.hpp"

#include <cerrno>

namespace quarn {

int DecodeFileText(std::string_view bytes, std::u16string& text)
{
    text.clear();
    if (bytes.starts_with("\xFE\xFF"))
        return EINVAL;
    if (bytes.starts_with("\xFF\xFE"))
        text = DecodeUtf16Le(bytes.substr(2));
    else if (bytes.starts_with("\xEF\xBB\xBF"))
        text = DecodeUtf8(bytes.substr(3));
    else
        text = DecodeUtf8(bytes);

    std::size_t out = 0;
    for (std::size_t in = 0; in < text.size(); ++in) {
        if (text[in] == u'\r' && in + 1 < text.size() && text[in + 1] == u'\n')
            continue;
        text[out++] = text[in];
    }
    text.resize(out);
    return 0;
}

}  // namespace quarn
