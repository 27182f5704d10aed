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

// A line without its line end: LF, or CR LF.
std::string_view WithoutCr(std::string_view line)
{
    return line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
}

void SplitHead(std::string_view head, HttpRequest& request, bool& ok)
{
    std::size_t lineEnd = head.find('\n');
    const std::string_view requestLine = WithoutCr(head.substr(0, lineEnd));
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
        const std::size_t start = lineEnd + 1;
        lineEnd = head.find('\n', start);
        const std::string_view line =
            WithoutCr(head.substr(start, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - start));
        if (!line.empty())
            request.headerLines.emplace_back(line);
    }
}

// Where the header section ends: its length without the empty line, and
// where the body starts. Lines may end in CR LF or in LF alone.
struct HeadEnd {
    std::size_t headLength = 0;
    std::size_t bodyStart = 0;
};

std::optional<HeadEnd> FindHeadEnd(std::string_view received, std::size_t from = 0)
{
    for (std::size_t lf = received.find('\n', from); lf != std::string_view::npos; lf = received.find('\n', lf + 1)) {
        const std::size_t next = lf + 1;
        if (received.substr(next, 1) == "\n")
            return HeadEnd{lf, next + 1};
        if (received.substr(next, 2) == "\r\n")
            return HeadEnd{lf, next + 2};
    }
    return std::nullopt;
}

// The line "--boundary--" at the start of a line of body, followed by its
// line end: where it starts and where its line end ends.
struct ClosingLine {
    std::size_t start = 0;
    std::size_t end = 0;
};

std::optional<ClosingLine> FindClosingLine(std::string_view body, std::string_view closing, std::size_t from = 0)
{
    for (std::size_t at = body.find(closing, from); at != std::string_view::npos; at = body.find(closing, at + 1)) {
        if (at != 0 && body[at - 1] != '\n')
            continue;
        const std::size_t after = at + closing.size();
        if (body.substr(after, 1) == "\n")
            return ClosingLine{at, after + 1};
        if (body.substr(after, 2) == "\r\n")
            return ClosingLine{at, after + 2};
    }
    return std::nullopt;
}

// A chunked body: hexadecimal size lines (extensions after ";" ignored),
// each chunk followed by a line end, a last chunk of size 0 and optional
// trailer lines up to an empty line. Decoding goes on from where the last
// call stopped: resumeAt is where the next whole line to read starts, data
// holds the chunks decoded so far.
RequestState DecodeChunked(std::string_view body, std::size_t& resumeAt, std::string& data, bool& inTrailer)
{
    constexpr std::size_t kLongestSizeLine = 1024;
    std::size_t pos = resumeAt;
    RequestState result = RequestState::Incomplete;
    auto nextLine = [&](std::string_view& line) -> bool {
        const std::size_t lf = body.find('\n', pos);
        if (lf == std::string_view::npos) {
            if (body.size() - pos > kLongestSizeLine)
                result = RequestState::Malformed;
            return false;
        }
        line = WithoutCr(body.substr(pos, lf - pos));
        pos = lf + 1;
        return true;
    };
    for (;;) {
        std::string_view line;
        if (inTrailer) {
            // Trailer lines, up to the empty line.
            if (!nextLine(line))
                return result;
            resumeAt = pos;
            if (line.empty())
                return RequestState::Complete;
            continue;
        }
        if (!nextLine(line))
            return result;
        line = Trim(line.substr(0, line.find(';')));
        std::size_t size = 0;
        const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), size, 16);
        if (line.empty() || error != std::errc() || end != line.data() + line.size())
            return RequestState::Malformed;
        if (size == 0) {
            resumeAt = pos;
            inTrailer = true;
            continue;
        }
        // The chunk and its line end must be whole before it is taken.
        if (body.size() - pos < size)
            return result;
        const std::string_view after = body.substr(pos + size, 2);
        std::size_t lineEnd = 0;
        if (after.empty() || after == "\r")
            return result;
        if (after.starts_with("\n"))
            lineEnd = 1;
        else if (after == "\r\n")
            lineEnd = 2;
        else
            return RequestState::Malformed;
        data.append(body.substr(pos, size));
        pos += size + lineEnd;
        resumeAt = pos;
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
    return RequestScanner().Scan(received);
}

RequestScan RequestScanner::Scan(std::string_view received)
{
    if (!head_) {
        const std::optional<HeadEnd> headEnd = FindHeadEnd(received, headSearchFrom_);
        if (!headEnd) {
            // The empty line may begin in the last two bytes.
            headSearchFrom_ = received.size() >= 2 ? received.size() - 2 : 0;
            return {};
        }
        RequestScan head;
        bool ok = false;
        SplitHead(received.substr(0, headEnd->headLength), head.request, ok);
        if (!ok) {
            head.state = RequestState::Malformed;
            return head;
        }
        // A transfer coding takes precedence over a length. Only chunked is
        // known; a length must be a plain decimal number.
        if (const auto coding = head.request.Header("Transfer-Encoding")) {
            kind_ = SameText(*coding, "chunked") ? BodyKind::Chunked : BodyKind::Malformed;
        } else if (const auto length = head.request.Header("Content-Length")) {
            const auto [end, error] = std::from_chars(length->data(), length->data() + length->size(), length_);
            kind_ =
                error != std::errc() || end != length->data() + length->size() ? BodyKind::Malformed : BodyKind::Length;
        } else if (const auto boundary = head.request.method == "POST" ? FindBoundary(head.request) : std::nullopt) {
            kind_ = BodyKind::Multipart;
            closing_ = "--" + boundary->text + "--";
        } else {
            kind_ = BodyKind::ToEnd;
        }
        head_ = std::move(head);
        bodyStart_ = headEnd->bodyStart;
    }

    const std::string_view body = received.substr(bodyStart_);
    RequestScan scan;
    switch (kind_) {
    case BodyKind::Malformed:
        scan.state = RequestState::Malformed;
        return scan;
    case BodyKind::Chunked:
        scan.state = DecodeChunked(body, chunks_.pos, chunks_.data, chunks_.inTrailer);
        if (scan.state == RequestState::Complete) {
            scan.request = head_->request;
            scan.request.body = chunks_.data;
        }
        return scan;
    case BodyKind::Length:
        if (body.size() < length_)
            return scan;
        scan.request = head_->request;
        scan.request.body = std::string(body.substr(0, length_));
        break;
    case BodyKind::Multipart: {
        // The closing line may open the body when the file is empty.
        const std::optional<ClosingLine> closing = FindClosingLine(body, closing_, bodySearchFrom_);
        if (!closing) {
            // It may begin where the last line feed before the end stands.
            const std::size_t keep = closing_.size() + 3;
            bodySearchFrom_ = body.size() > keep ? body.size() - keep : 0;
            return scan;
        }
        // The programs end their body with one more empty line.
        std::size_t bodyEnd = closing->end;
        if (body.substr(bodyEnd, 1) == "\n")
            bodyEnd += 1;
        else if (body.substr(bodyEnd, 2) == "\r\n")
            bodyEnd += 2;
        scan.request = head_->request;
        scan.request.body = std::string(body.substr(0, bodyEnd));
        break;
    }
    case BodyKind::ToEnd:
        scan.request = head_->request;
        scan.request.body = std::string(body);
        break;
    }
    scan.state = RequestState::Complete;
    return scan;
}

bool IsKnownVersion(std::string_view version)
{
    return version == "HTTP/1.0" || version == "HTTP/1.1";
}

bool HostAllowed(const HttpRequest& request, std::string_view listenAddress)
{
    const std::optional<std::string> host = request.Header("Host");
    if (!host)
        return true;
    std::string_view name = *host;
    if (name.starts_with('[')) {
        const std::size_t close = name.find(']');
        if (close == std::string_view::npos)
            return false;
        const std::string_view rest = name.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':'))
            return false;
        name = name.substr(1, close - 1);
        return name == "::1";
    }
    name = name.substr(0, name.find(':'));
    std::string lower(name);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == listenAddress || lower == "localhost" || lower == "localhost.")
        return true;
    // 127.0.0.0/8, written as four decimal parts.
    unsigned parts[4] = {};
    int count = 0;
    std::string_view rest = lower;
    while (count < 4) {
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), parts[count]);
        if (error != std::errc() || end == rest.data() || parts[count] > 255)
            return false;
        ++count;
        rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
        if (count < 4) {
            if (!rest.starts_with('.'))
                return false;
            rest.remove_prefix(1);
        }
    }
    return rest.empty() && parts[0] == 127;
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
        const std::optional<ClosingLine> closing = FindClosingLine(body, delimiter + "--");
        if (!closing)
            return std::nullopt;
        if (closing->start == 0)
            return std::string();
        // Without the line end before the closing line.
        return std::string(WithoutCr(body.substr(0, closing->start - 1)));
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
