#include "devicelink/device_exchange.hpp"

#include <algorithm>
#include <string>
#include <thread>

#include "base/text_scan.hpp"
#include "devicelink/narrow_text.hpp"

namespace quarn {

namespace {

std::u16string Ascii(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// A decimal integer as "%d" reads it: optional white space, optional sign,
// digits. Values beyond the 32-bit range are clamped. Without digits
// nothing is read and pos stays.
bool ReadInt(std::u16string_view text, std::size_t& pos, std::int32_t& value)
{
    const ScannedDecimal number = ScanDecimal(text, pos, kInt32Magnitude);
    if (!number.digits)
        return false;
    value = SaturatedInt32(number);
    pos = number.end;
    return true;
}

}  // namespace

std::unique_ptr<BlockingWait> BeginWait(const ExchangeHooks& hooks)
{
    return hooks.wait ? hooks.wait() : nullptr;
}

void ExchangeHooks::DefaultPause(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

std::u16string CannotConnectText(std::int32_t code)
{
    return u"Cannot connect: " + Ascii(std::to_string(code));
}

std::u16string StatusText(std::int32_t code)
{
    if (code == 200)
        return {};
    if (code == 401)
        return u"Error: " + Ascii(std::to_string(code)) + u": Authorization required";
    return u"Error: " + Ascii(std::to_string(code));
}

std::int32_t ParseStatusLine(std::u16string_view reply)
{
    constexpr std::u16string_view prefix = u"HTTP/1.";
    if (reply.substr(0, prefix.size()) != prefix)
        return 0;
    std::size_t pos = prefix.size();
    std::int32_t minor = 0;
    if (!ReadInt(reply, pos, minor))
        return 0;
    std::int32_t status = 0;
    // The white space between the two numbers is skipped as part of reading
    // the second one.
    if (!ReadInt(reply, pos, status))
        return 0;
    return status;
}

Deadline ExchangeDeadline(std::chrono::steady_clock::time_point start, std::chrono::milliseconds limit)
{
    if (limit.count() < 0 || start > kNoDeadline - limit)
        return kNoDeadline;
    return start + limit;
}

std::chrono::milliseconds WaitWithin(std::chrono::milliseconds limit, Deadline deadline)
{
    if (deadline == kNoDeadline)
        return limit;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline)
        return std::chrono::milliseconds(0);
    // Rounded up, so that a wait never ends just before the deadline and
    // leaves a last sliver of time for one more useless attempt.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
    return limit.count() < 0 || left < limit ? left : limit;
}

std::u16string ReceiveReply(const ReceiveChunk& receive, const ExchangeHooks& hooks, Deadline deadline, bool* timedOut,
                            bool* cutOff)
{
    std::u16string reply;
    std::size_t total = 0;
    int attempts = 0;
    char buffer[4096];
    bool outOfTime = false;
    auto passed = [deadline] { return deadline != kNoDeadline && std::chrono::steady_clock::now() >= deadline; };
    do {
        if (total >= kReplyLimit)
            break;
        if (passed()) {
            outOfTime = true;
            break;
        }
        const std::size_t room = std::min(sizeof buffer - 1, kReplyLimit - total);
        const net::ReceiveResult got = receive(buffer, room);
        if (got.status == net::ReceiveStatus::TimedOut) {
            outOfTime = true;
            break;
        }
        if (got.status == net::ReceiveStatus::Data && got.count > 0) {
            const std::size_t count = std::min(got.count, room);
            total += count;
            buffer[count] = '\0';
            reply += ToWide(static_cast<const char*>(buffer));
            attempts = 1;
        } else if (total > 0) {
            break;
        } else {
            const std::chrono::milliseconds pause = WaitWithin(kReceivePause, deadline);
            if (pause.count() <= 0) {
                outOfTime = true;
                break;
            }
            if (hooks.pause)
                hooks.pause(pause);
            else
                ExchangeHooks::DefaultPause(pause);
            ++attempts;
        }
    } while (attempts < kReceiveAttempts);
    if (timedOut != nullptr)
        *timedOut = outOfTime;
    if (cutOff != nullptr)
        *cutOff = total >= kReplyLimit;
    return reply;
}

ExchangeResult DeviceExchange(std::u16string_view host, std::string_view request, bool sendCheck,
                              const ExchangeOptions& options)
{
    const std::unique_ptr<BlockingWait> wait = BeginWait(options.hooks);
    ExchangeResult result;
    const Deadline deadline = ExchangeDeadline(std::chrono::steady_clock::now(), options.timeLimit);

    net::SocketResult connection =
        net::ConnectTcp(ToNarrow(host), options.port, WaitWithin(options.connectTimeLimit, deadline));
    if (!connection.socket.Valid()) {
        result.failure = ExchangeFailure::Connect;
        result.socketError = connection.error;
        result.text = CannotConnectText(result.socketError);
        return result;
    }

    // Each wait of the send gets the receive limit, so a peer that never
    // reads cannot hold the program either, and all of them together end by
    // the deadline.
    const int sendError = net::SendAll(connection.socket, request, options.receiveTimeLimit, deadline);
    if (sendError != 0 && sendCheck) {
        result.failure = ExchangeFailure::Send;
        result.socketError = sendError;
        result.text = CannotConnectText(result.socketError);
        return result;
    }

    net::Socket& socket = connection.socket;
    const auto limit = options.receiveTimeLimit;
    result.reply = ReceiveReply(
        [&socket, limit, deadline](char* buffer, std::size_t size) {
            return net::Receive(socket, buffer, size, WaitWithin(limit, deadline));
        },
        options.hooks, deadline, &result.timedOut, &result.cutOff);
    socket.Close();

    result.status = ParseStatusLine(result.reply);
    result.text = StatusText(result.status);
    return result;
}

}  // namespace quarn
