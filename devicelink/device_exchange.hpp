#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "devicelink/socket_layer.hpp"

namespace quarn {

// What a caller shows while an exchange or an upload blocks its thread (the
// windows' wait cursor): it begins when the object is made and ends when the
// object is destroyed, so it ends on every path out of the call.
class BlockingWait {
public:
    BlockingWait() = default;
    virtual ~BlockingWait() = default;
    BlockingWait(const BlockingWait&) = delete;
    BlockingWait& operator=(const BlockingWait&) = delete;
};

// What an exchange does to the world around it, replaceable by the windows
// (the wait cursor) and by tests (the pause between receive attempts).
struct ExchangeHooks {
    // Begins the wait an exchange or an upload shows for as long as it
    // runs; empty, or returning nothing, shows none. Calls nest: an upload
    // holds its wait around the exchange's own.
    std::function<std::unique_ptr<BlockingWait>()> wait;
    // Waits between two empty receive attempts.
    std::function<void(std::chrono::milliseconds)> pause = DefaultPause;

    static void DefaultPause(std::chrono::milliseconds duration);
};

// The hooks' wait, begun now; it ends when the result goes.
std::unique_ptr<BlockingWait> BeginWait(const ExchangeHooks& hooks);

inline constexpr std::uint16_t kControllerPort = 80;
inline constexpr std::chrono::milliseconds kConnectTimeLimit{10000};
inline constexpr std::chrono::milliseconds kReceiveTimeLimit{10000};
// The whole exchange, from the connect to the last byte of the reply: the
// connect limit and one full receive wait after it, so every controller that
// answers within those two limits is still heard, and one that drips its
// reply or never stops sending is cut off after this long.
inline constexpr std::chrono::milliseconds kExchangeTimeLimit = kConnectTimeLimit + kReceiveTimeLimit;
inline constexpr std::chrono::milliseconds kReceivePause{1000};
inline constexpr int kReceiveAttempts = 10;
// Reading stops after this many reply bytes, far above any controller page;
// what arrived up to there is the reply.
inline constexpr std::size_t kReplyLimit = 1024 * 1024;

using Deadline = net::Deadline;
inline constexpr Deadline kNoDeadline = net::kNoDeadline;

struct ExchangeOptions {
    std::uint16_t port = kControllerPort;
    // How long a connect may take before it fails with net::kTimedOut.
    std::chrono::milliseconds connectTimeLimit = kConnectTimeLimit;
    // How long one send or receive waits for the peer before the request
    // fails or the reply is taken as ended.
    std::chrono::milliseconds receiveTimeLimit = kReceiveTimeLimit;
    // How long the whole exchange may take, connect, send, receive and the
    // pauses between empty receives included; a negative value sets no limit.
    std::chrono::milliseconds timeLimit = kExchangeTimeLimit;
    ExchangeHooks hooks;
};

// What ended an exchange before its reply was read.
enum class ExchangeFailure {
    None,     // the reply was read; it may be empty or lack a status line
    Connect,  // no connection was made
    Send,     // the request could not be sent in full (only with the send check)
};

struct ExchangeResult {
    ExchangeFailure failure = ExchangeFailure::None;
    // The socket layer's error number of the failure; 0 without a failure.
    std::int32_t socketError = 0;
    // The reply's status code: 0 when it has none, and after a failure.
    std::int32_t status = 0;
    // Everything received, each chunk converted by itself up to its first
    // zero byte.
    std::u16string reply;
    // The reply ended because the controller went quiet until a time limit
    // ran out, not because it closed the connection.
    bool timedOut = false;
    // The reply reached kReplyLimit and was read no further: whatever it
    // says, it is not the whole of it.
    bool cutOff = false;
    // The outcome for the user; empty after a 200 reply, which the caller
    // judges.
    std::u16string text;
};

// One HTTP/1.0 request on a fresh connection to host: connect, send request
// in full, read until the peer closes. With sendCheck a failed send ends the
// exchange as a socket failure; without it the reply is still read.
ExchangeResult DeviceExchange(std::u16string_view host, std::string_view request, bool sendCheck,
                              const ExchangeOptions& options = {});

// The status code at the start of a reply read as "HTTP/1.%d %d"; 0 when the
// reply does not start that way.
std::int32_t ParseStatusLine(std::u16string_view reply);

// "Cannot connect: <code>"
std::u16string CannotConnectText(std::int32_t code);

// The outcome text for a status code: empty for 200, the authorization text
// for 401, "Error: <code>" otherwise.
std::u16string StatusText(std::int32_t code);

// The receive loop over any source of chunks: at most 4095 bytes per call.
// Before any data an empty attempt is followed by a pause, up to ten times;
// after data the first empty attempt ends the reply. A time-out ends it at
// once, and so do the deadline (no attempt or pause starts after it; a pause
// is cut short to end there) and kReplyLimit bytes.
// timedOut, when given, is set when a time limit ended the reply (a receive
// that timed out, or the deadline) and cleared when the peer ended it.
using ReceiveChunk = std::function<net::ReceiveResult(char* buffer, std::size_t size)>;
std::u16string ReceiveReply(const ReceiveChunk& receive, const ExchangeHooks& hooks, Deadline deadline = kNoDeadline,
                            bool* timedOut = nullptr, bool* cutOff = nullptr);

// The end of an exchange that starts at start and may take limit (negative:
// no end).
Deadline ExchangeDeadline(std::chrono::steady_clock::time_point start, std::chrono::milliseconds limit);

// The longest a single wait may last: limit, or less when the deadline comes
// first; zero once it has passed.
std::chrono::milliseconds WaitWithin(std::chrono::milliseconds limit, Deadline deadline);

}  // namespace quarn
