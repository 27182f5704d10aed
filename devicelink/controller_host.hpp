#pragma once

#include <string_view>

namespace quarn {

// The controller's host name as it comes out of the box; every address
// setting ("upload"/"url", "direct"/"url") starts with it. Short enough for
// the editor's 30-character address field.
inline constexpr std::u16string_view kDefaultControllerHost = u"quarn";

// The password an upload offers until the user stores another.
inline constexpr std::u16string_view kDefaultUploadPassword = u"tovel";

}  // namespace quarn
