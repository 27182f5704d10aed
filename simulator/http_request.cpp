#include "simulator/http_request.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

#include "devicelink/base64.hpp"

namespace quarn::sim {

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The boundary of a multipart body: from a Content-Type parameter, or from a
// header line that is just "boundary=...".
struct Boundary {
    std::string text;
    bool standard = false;  // from a multipart/form-data Content-Type
};

std::optional<Boundary> FindBoundary(const HttpRequest& request)
{
    if (const auto type = request.Header("Content-Type")) {
        const std::size_t at = type->find("boundary=");
        if (at != std::string::npos) {
            std::string_view value = std::string_view(*type).substr(at + 9);
            value = value.substr(0, value.find(';'));
            value = Trim(value);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            if (!value.empty())
                return Boundary{std::string(value), true};
        }
    }
    for (const std::string& line : request.headerLines) {
        if (line.rfind("boundary=", 0) == 0) {
            const std::string_view value = Trim(std::string_view(line).substr(9));
            if (!value.empty())
                return Boundary{std::string(value), false};
        }
    }
    return std::nullopt;
}

void SplitHead(std::string_view head, HttpRequest& request, bool& ok)
{
    std::size_t lineEnd = head.find("\r\n");
    const std::string_view requestLine = head.substr(0, lineEnd);
    const std::size_t first = requestLine.find(' ');
    const std::size_t last = requestLine.rfind(' ');
    ok = first != std::string_view::npos && last != first && first > 0;
    if (!ok)
        return;
    request.method = std::string(requestLine.substr(0, first));
    request.target = std::string(requestLine.substr(first + 1, last - first - 1));
    request.version = std::string(requestLine.substr(last + 1));
    ok = request.version.rfind("HTTP/", 0) == 0 && !request.target.empty();
    while (ok && lineEnd != std::string_view::npos) {
        const std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string_view line =
            head.substr(start, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - start);
        if (!line.empty())
            request.headerLines.emplace_back(line);
    }
}

}  // namespace

std::optional<std::string> HttpRequest::Header(std::string_view name) const
{
    for (const std::string& line : headerLines) {
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos && SameText(Trim(std::string_view(line).substr(0, colon)), name))
            return std::string(Trim(std::string_view(line).substr(colon + 1)));
    }
    return std::nullopt;
}

RequestScan ScanRequest(std::string_view received)
{
    RequestScan scan;
    const std::size_t headEnd = received.find("\r\n\r\n");
    if (headEnd == std::string_view::npos)
        return scan;
    bool ok = false;
    SplitHead(received.substr(0, headEnd), scan.request, ok);
    if (!ok) {
        scan.state = RequestState::Malformed;
        return scan;
    }
    const std::string_view body = received.substr(headEnd + 4);

    if (const auto length = scan.request.Header("Content-Length")) {
        std::size_t size = 0;
        const auto [end, error] = std::from_chars(length->data(), length->data() + length->size(), size);
        if (error != std::errc() || end != length->data() + length->size()) {
            scan.state = RequestState::Malformed;
            return scan;
        }
        if (body.size() < size)
            return scan;
        scan.request.body = std::string(body.substr(0, size));
        scan.state = RequestState::Complete;
        return scan;
    }

    if (scan.request.method == "POST") {
        if (const auto boundary = FindBoundary(scan.request)) {
            const std::string closing = "--" + boundary->text + "--\r\n";
            // The closing line may open the body when the file is empty.
            std::size_t bodyEnd = closing.size();
            if (body.rfind(closing, 0) != 0) {
                const std::size_t end = body.find("\r\n" + closing);
                if (end == std::string_view::npos)
                    return scan;
                bodyEnd = end + 2 + closing.size();
            }
            // The programs end their body with one more empty line.
            const std::size_t withEmptyLine =
                body.substr(bodyEnd, 2) == "\r\n" ? bodyEnd + 2 : bodyEnd;
            scan.request.body = std::string(body.substr(0, withEmptyLine));
            scan.state = RequestState::Complete;
            return scan;
        }
    }
    scan.request.body = std::string(body);
    scan.state = RequestState::Complete;
    return scan;
}

std::optional<std::string> UploadedFile(const HttpRequest& request)
{
    const auto boundary = FindBoundary(request);
    if (!boundary)
        return std::nullopt;
    const std::string_view body = request.body;
    const std::string delimiter = "--" + boundary->text;

    if (!boundary->standard) {
        // The QUARN programs' form: the file is the whole body up to the
        // line break before the closing boundary.
        const std::string closing = delimiter + "--";
        if (body.rfind(closing, 0) == 0)
            return std::string();
        const std::size_t end = body.find("\r\n" + closing);
        if (end == std::string_view::npos)
            return std::nullopt;
        return std::string(body.substr(0, end));
    }

    std::optional<std::string> first;
    std::size_t pos = body.find(delimiter);
    while (pos != std::string_view::npos) {
        pos += delimiter.size();
        if (body.substr(pos, 2) == "--")
            break;
        if (body.substr(pos, 2) != "\r\n")
            return first;
        const std::size_t partStart = pos + 2;
        const std::size_t headersEnd = body.find("\r\n\r\n", partStart);
        if (headersEnd == std::string_view::npos)
            return first;
        const std::string_view headers = body.substr(partStart, headersEnd - partStart);
        const std::size_t dataStart = headersEnd + 4;
        const std::size_t next = body.find("\r\n" + delimiter, dataStart);
        if (next == std::string_view::npos)
            return first;
        std::string data(body.substr(dataStart, next - dataStart));
        if (headers.find("name=\"file\"") != std::string_view::npos)
            return data;
        if (!first)
            first = std::move(data);
        pos = next + 2;
    }
    return first;
}

bool HasCredentials(const HttpRequest& request, std::string_view password)
{
    const auto authorization = request.Header("Authorization");
    if (!authorization || authorization->size() < 6 || !SameText(authorization->substr(0, 6), "Basic "))
        return false;
    const std::string_view token = Trim(std::string_view(*authorization).substr(6));
    CBase64 codec;
    codec.Decode(token.data(), static_cast<std::uint32_t>(token.size()));
    // Padding comes out as zero bytes at the end; they are not part of the text.
    std::size_t length = codec.ByteLength();
    for (std::size_t k = token.size(); k > 0 && token[k - 1] == '=' && length > 0; --k)
        --length;
    const std::string credentials(reinterpret_cast<const char*>(codec.GetBytes()), length);
    return credentials == "admin:" + std::string(password);
}

}  // namespace quarn::sim
