#include "devicelink/outcome_explanation.hpp"

#include "devicelink/socket_layer.hpp"
#include "devicelink/upload.hpp"

#include <string>

namespace quarn {

namespace {

// Error numbers of the socket layer beyond those it names itself.
#ifdef _WIN32
constexpr std::int32_t kNetworkUnreachable = 10051;  // WSAENETUNREACH
constexpr std::int32_t kConnectionReset = 10054;     // WSAECONNRESET
constexpr std::int32_t kHostUnreachable = 10065;     // WSAEHOSTUNREACH
#else
constexpr std::int32_t kNetworkUnreachable = 101;  // ENETUNREACH
constexpr std::int32_t kConnectionReset = 104;     // ECONNRESET
constexpr std::int32_t kHostUnreachable = 113;     // EHOSTUNREACH
#endif

std::u16string Number(long long value)
{
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

bool StartsWith(std::u16string_view text, std::u16string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::u16string ExplainConnectError(std::int32_t error, std::uint16_t port)
{
    const std::u16string onPort = u"port " + Number(port);
    switch (error) {
    case net::kConnectionRefused:
        return u"Connection refused: nothing answers on " + onPort + u" at that address.";
    case net::kTimedOut:
        return u"No answer from that address in time: is the controller switched on and on this network?";
    case net::kInvalidArgument:
        return u"The address is neither a dotted IPv4 address nor a host name that can be found.";
    case kHostUnreachable:
    case kNetworkUnreachable:
        return u"That address cannot be reached from this computer's network.";
    case kConnectionReset:
        return u"The controller broke the connection off.";
    default:
        return u"The connection failed with system error " + Number(error) + u".";
    }
}

std::u16string ExplainStatus(std::int32_t status)
{
    if (status == 0)
        return u"The controller closed the connection without an answer it could read.";
    if (status == 401)
        return u"The controller did not accept the password.";
    if (status == 404)
        return u"The controller has no upload page: is that address a QUARN controller?";
    if (status >= 500 && status <= 599)
        return u"The controller reported a failure of its own (HTTP status " + Number(status) + u").";
    return u"The controller answered with HTTP status " + Number(status) + u" instead of accepting the file.";
}

std::u16string ExplainUploadOutcome(std::int32_t code, std::u16string_view text, std::uint16_t port)
{
    if (StartsWith(text, u"Cannot connect: "))
        return ExplainConnectError(code, port);
    if (StartsWith(text, u"Error: ") && text.find(u"Authorization required") == std::u16string_view::npos)
        return ExplainStatus(code);
    if (text.empty()) {
        if (code == kUploadFileNotOpened)
            return u"The file could not be opened, so nothing was sent.";
        if (code == 200)
            return u"The controller took the request but sent no message back.";
    }
    return {};
}

}  // namespace quarn
