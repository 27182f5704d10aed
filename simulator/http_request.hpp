#pragma once
// Reading one HTTP/1.0 request as the controller sees it: the request line,
// the header lines and the body, and the uploaded file inside the body.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarn::sim {

struct HttpRequest {
    std::string method;
    std::string target;   // as sent, e.g. "/control.html?D=1"
    std::string version;  // e.g. "HTTP/1.0"
    std::vector<std::string> headerLines;
    std::string body;

    // The value of the first header "name: value" (name without regard to
    // case), white space trimmed.
    std::optional<std::string> Header(std::string_view name) const;
};

enum class RequestState { Incomplete, Complete, Malformed };

struct RequestScan {
    RequestState state = RequestState::Incomplete;
    HttpRequest request;  // filled when Complete
};

// Decides whether received holds a whole request. Lines end in CR LF or in
// LF alone. A request ends after its header section, or at the last chunk of
// a chunked body (Transfer-Encoding: chunked; the body is then the decoded
// data; any other transfer coding is malformed), or after Content-Length
// bytes of body, or (for a body without a length, as the QUARN programs send
// it) at the closing boundary line of the multipart body.
RequestScan ScanRequest(std::string_view received);

// The uploaded file in a request body: the part named "file" (or the first
// part) of a multipart/form-data body, or, when the boundary is given as a
// header line of its own, everything before the closing boundary.
std::optional<std::string> UploadedFile(const HttpRequest& request);

// True when the request carries Basic credentials "admin:<password>".
bool HasCredentials(const HttpRequest& request, std::string_view password);

}  // namespace quarn::sim
