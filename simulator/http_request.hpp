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

// ScanRequest over a request that arrives piece by piece: each Scan is given
// everything received so far (which only grows) and looks only at what is
// new, so a request that trickles in a byte at a time costs time in
// proportion to its length, not to its square.
class RequestScanner {
public:
    RequestScan Scan(std::string_view received);

private:
    enum class BodyKind { ToEnd, Length, Chunked, Multipart, Malformed };
    struct Chunks {
        std::size_t pos = 0;  // the next whole line to read, in the body
        std::string data;     // the chunks decoded so far
        bool inTrailer = false;
    };

    std::size_t headSearchFrom_ = 0;   // where the search for the empty line goes on
    std::optional<RequestScan> head_;  // the parsed head, once it is whole
    std::size_t bodyStart_ = 0;
    BodyKind kind_ = BodyKind::ToEnd;
    std::size_t length_ = 0;          // of a body with Content-Length
    std::string closing_;             // the closing line of a multipart body
    std::size_t bodySearchFrom_ = 0;  // where the search for it goes on
    Chunks chunks_;
};

// Whether version is one this controller speaks: HTTP/1.0 or HTTP/1.1.
bool IsKnownVersion(std::string_view version);

// Whether a request may be answered here, judged by its Host header: none
// (the QUARN programs send none), the address the server listens on,
// "localhost" or a loopback address, each with any port. Any other name is a
// page from elsewhere that reached this server through DNS.
bool HostAllowed(const HttpRequest& request, std::string_view listenAddress);

// The uploaded file in a request body: the part named "file" (or the first
// part) of a multipart/form-data body, or, when the boundary is given as a
// header line of its own, everything before the closing boundary.
std::optional<std::string> UploadedFile(const HttpRequest& request);

// True when the request carries Basic credentials "admin:<password>".
bool HasCredentials(const HttpRequest& request, std::string_view password);

}  // namespace quarn::sim
