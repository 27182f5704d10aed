#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "devicelink/upload.hpp"

namespace quarn {

// One sentence that says what an upload's outcome means, for the outcomes
// whose text is a bare number ("Error: 0", "Cannot connect: 111") or
// nothing at all. port is the one the exchange used. Empty when the text
// speaks for itself (the controller's own message, the authorization text,
// the converter's text for a file that cannot be opened).
std::u16string ExplainUploadOutcome(const UploadOutcome& outcome, std::uint16_t port);

// The same for the socket layer's error number of a failed connection.
std::u16string ExplainConnectError(std::int32_t error, std::uint16_t port);

// The same for an HTTP status other than 200; 0 means the reply had no
// status line.
std::u16string ExplainStatus(std::int32_t status);

}  // namespace quarn
