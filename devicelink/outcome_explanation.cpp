#include "devicelink/outcome_explanation.hpp"

#include "devicelink/socket_layer.hpp"

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

std::u16string ExplainUploadOutcome(const UploadOutcome& outcome, std::uint16_t port)
{
    switch (outcome.failure) {
    case UploadFailure::Connect:
        return ExplainConnectError(outcome.error, port);
    case UploadFailure::Status:
        // A controller that went quiet closed nothing: it let the time run out.
        if (outcome.status == 0 && outcome.timedOut)
            return u"The controller took the connection but sent no reply within the time limit.";
        // The authorization text says what happened already, as does the
        // text of a 200 reply that was cut off.
        return outcome.status == 401 || outcome.status == 200 ? std::u16string() : ExplainStatus(outcome.status);
    case UploadFailure::OpenFile:
        // The editor has shown the text already and shows an empty one.
        if (outcome.text.empty())
            return u"The file could not be opened, so nothing was sent.";
        return {};
    case UploadFailure::None:
        if (outcome.text.empty())
            return u"The controller took the request but sent no message back.";
        return {};
    }
    return {};
}

}  // namespace quarn
