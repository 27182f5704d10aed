#include "devicelink/upload.hpp"

#include <cerrno>
#include <cwctype>

#include "devicelink/base64.hpp"
#include "devicelink/narrow_text.hpp"
#include "devicelink/upload_file.hpp"

namespace quarn {

namespace {

// The next token from pos that does not contain delimiter; empty at the end.
std::u16string_view NextToken(std::u16string_view text, std::size_t& pos, char16_t delimiter)
{
    if (pos >= text.size())
        return {};
    while (pos < text.size() && text[pos] == delimiter)
        ++pos;
    if (pos >= text.size())
        return {};
    std::size_t end = text.find(delimiter, pos);
    if (end == std::u16string_view::npos)
        end = text.size();
    const std::u16string_view token = text.substr(pos, end - pos);
    pos = end + 1;
    return token;
}

UploadOutcome SendUpload(std::u16string_view host, std::string_view content, std::u16string_view password,
                         const UploadOptions& options);

std::u16string Trim(std::u16string_view text)
{
    auto white = [](char16_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && white(text[begin]))
        ++begin;
    while (end > begin && white(text[end - 1]))
        --end;
    return std::u16string(text.substr(begin, end - begin));
}

}  // namespace

std::string TextModeContent(std::string_view raw)
{
    std::string content;
    content.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\0' || c == '\x1A')
            break;
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue;
        content.push_back(c);
    }
    return content;
}

UploadContent ReadUploadContent(std::u16string_view path)
{
    UploadContent result;
    UploadFile file;
    result.error = file.Open(path);
    if (result.error != 0)
        return result;
    // The content ends at the first zero byte or CTRL-Z: reading stops in
    // the chunk that holds it.
    std::string raw;
    char buffer[8192];
    for (;;) {
        std::size_t got = 0;
        if (const int error = file.Read(buffer, sizeof buffer, got); error != 0) {
            result.error = error;
            return result;
        }
        if (got == 0)
            break;
        const std::string_view chunk(buffer, got);
        const std::size_t end = chunk.find_first_of(std::string_view("\0\x1A", 2));
        raw.append(chunk.substr(0, end));
        if (end != std::string_view::npos)
            break;
    }
    result.bytes = TextModeContent(raw);
    return result;
}

std::u16string CannotOpenText(std::u16string_view path, int error)
{
    const std::string number = std::to_string(error);
    return u"Cannot open file " + std::u16string(path) + u" for reading (" +
           std::u16string(number.begin(), number.end()) + u")";
}

std::string CredentialsToken(std::u16string_view password)
{
    const std::string credentials = "admin:" + ToNarrow(password);
    CBase64 codec;
    codec.EncodeString(credentials.c_str());
    return codec.GetText();
}

std::string BuildUploadRequest(std::string_view token, std::string_view content)
{
    std::string request;
    request.reserve(200 + token.size() + content.size());
    request += "POST /";
    request += ToNarrow(kUploadPage);
    request += " HTTP/1.0\r\n";
    request += "logoff: true\r\n";
    request += "Authorization: Basic ";
    request += token;
    request += "\r\n";
    request += "boundary=1234567890\r\n";
    request += "--1234567890\r\n";
    request += "name=\"file\"\r\n\r\n";
    request += content;
    request += "\r\n";
    request += "--1234567890--\r\n";
    request += "\r\n";
    return request;
}

std::u16string StatusElementText(std::u16string_view reply)
{
    constexpr std::u16string_view marker = u"name=\"status\"";
    const std::size_t found = reply.find(marker);
    if (found == std::u16string_view::npos || found == 0)
        return {};
    std::size_t pos = found;
    std::u16string_view message;
    if (!NextToken(reply, pos, u'<').empty() && !NextToken(reply, pos, u'>').empty())
        message = NextToken(reply, pos, u'<');
    std::u16string text = Trim(message);
    if (text.empty())
        text = kPageResponseUnknown;
    return text;
}

UploadOutcome UploadStateMachine(std::u16string_view host, std::u16string_view path, std::u16string_view password,
                                 const UploadOptions& options)
{
    const std::unique_ptr<BlockingWait> wait = BeginWait(options.exchange.hooks);

    UploadOutcome outcome;

    // The whole text-mode content goes out, however long the file is.
    std::string content;
    if (!path.empty()) {
        UploadContent file = ReadUploadContent(path);
        if (file.error != 0) {
            const std::u16string text = CannotOpenText(path, file.error);
            outcome.failure = UploadFailure::OpenFile;
            outcome.error = file.error;
            if (options.variant == UploadVariant::Editor) {
                if (options.showMessage)
                    options.showMessage(text);
            } else {
                outcome.text = text;
            }
            return outcome;
        }
        content = std::move(file.bytes);
    }
    return SendUpload(host, content, password, options);
}

UploadOutcome UploadContentTo(std::u16string_view host, std::string_view content, std::u16string_view password,
                              const UploadOptions& options)
{
    const std::unique_ptr<BlockingWait> wait = BeginWait(options.exchange.hooks);
    return SendUpload(host, content, password, options);
}

namespace {

UploadOutcome SendUpload(std::u16string_view host, std::string_view content, std::u16string_view password,
                         const UploadOptions& options)
{
    UploadOutcome outcome;
    const std::string token = CredentialsToken(password);
    const ExchangeResult exchange =
        DeviceExchange(host, BuildUploadRequest(token, content), /*sendCheck=*/false, options.exchange);
    if (exchange.failure != ExchangeFailure::None) {
        outcome.failure = UploadFailure::Connect;
        outcome.error = exchange.socketError;
        outcome.text = CannotConnectText(exchange.socketError);
        return outcome;
    }
    outcome.status = exchange.status;
    outcome.timedOut = exchange.timedOut;
    if (exchange.status == 200 && exchange.cutOff) {
        // What was read of the message is not the message: a controller's
        // reply is a few hundred bytes.
        outcome.failure = UploadFailure::Status;
        outcome.text = kReplyCutOffText;
        return outcome;
    }
    if (exchange.status != 200) {
        outcome.failure = UploadFailure::Status;
        outcome.text = exchange.text;
        return outcome;
    }
    outcome.text = StatusElementText(exchange.reply);
    return outcome;
}

}  // namespace

}  // namespace quarn
