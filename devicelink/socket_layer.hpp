#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quarn::net {

#ifdef _WIN32
using NativeSocket = std::uintptr_t;
inline constexpr NativeSocket kNoSocket = ~NativeSocket{0};
inline constexpr int kInvalidArgument = 10022;    // WSAEINVAL
inline constexpr int kTimedOut = 10060;           // WSAETIMEDOUT
inline constexpr int kConnectionRefused = 10061;  // WSAECONNREFUSED
#else
using NativeSocket = int;
inline constexpr NativeSocket kNoSocket = -1;
inline constexpr int kInvalidArgument = 22;     // EINVAL
inline constexpr int kTimedOut = 110;           // ETIMEDOUT (Linux numbering)
inline constexpr int kConnectionRefused = 111;  // ECONNREFUSED (Linux numbering)
#endif

// Starts the socket layer; call once when a program starts. Later calls do
// nothing and report the first outcome. False means the program cannot use
// the network at all.
bool StartSocketLayer();

// The socket layer's last error number for the calling thread.
int LastError();

// A negative duration waits without limit.
using Timeout = std::chrono::milliseconds;
inline constexpr Timeout kNoLimit{-1};

// A moment by which a whole operation ends, however many waits it takes.
using Deadline = std::chrono::steady_clock::time_point;
inline constexpr Deadline kNoDeadline = Deadline::max();

// While set, a wait of the calling thread for a socket (connect, send,
// receive, accept) is cut into slices of at most kWaitSlice and the hook is
// called between them; the windows repaint themselves in it. The waits keep
// their limits and their order. Returns the hook it replaces; an empty hook
// waits in one piece.
using WaitingHook = std::function<void()>;
inline constexpr Timeout kWaitSlice{50};
WaitingHook SetWaitingHook(WaitingHook hook);

// Owns one socket; closes it when it goes.
class Socket {
public:
    Socket() = default;
    explicit Socket(NativeSocket handle) : handle_(handle) {}
    ~Socket() { Close(); }
    Socket(Socket&& other) noexcept : handle_(other.handle_) { other.handle_ = kNoSocket; }
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool Valid() const { return handle_ != kNoSocket; }
    NativeSocket Handle() const { return handle_; }
    void Close();

private:
    NativeSocket handle_ = kNoSocket;
};

struct SocketResult {
    Socket socket;
    int error = 0;  // 0 when socket is valid
};

// Turns host (a dotted IPv4 address or a name) into an IPv4 address and
// connects to port, both within timeout. A name that does not resolve fails
// with kInvalidArgument; a resolver that does not answer in time, or a
// connect that takes longer than what is left, fails with kTimedOut.
SocketResult ConnectTcp(std::string_view host, std::uint16_t port, Timeout timeout);

// Looks a name up: its IPv4 address in network byte order, or nothing. The
// system's resolver by default; tests put one in that stalls or fails.
// Returns the resolver it replaces; an empty one puts the system's back.
using NameResolver = std::function<std::optional<std::uint32_t>(const std::string& host)>;
NameResolver SetNameResolver(NameResolver resolver);

// Sends every byte; returns 0 or the error number. A send that cannot go on
// for timeout, or that has not ended by the deadline, fails with kTimedOut.
int SendAll(Socket& socket, std::string_view data, Timeout timeout = kNoLimit, Deadline deadline = kNoDeadline);

enum class ReceiveStatus { Data, Closed, Failed, TimedOut };

struct ReceiveResult {
    ReceiveStatus status = ReceiveStatus::Closed;
    std::size_t count = 0;  // bytes received, for Data
    int error = 0;          // for Failed
};

// Waits up to timeout for data and reads at most size bytes.
ReceiveResult Receive(Socket& socket, char* buffer, std::size_t size, Timeout timeout);

// Ends the sending direction; the peer then sees the end of the stream.
void ShutdownSend(Socket& socket);

// Server side: a listening socket on address (dotted IPv4) and port; port 0
// picks a free one.
SocketResult ListenTcp(std::string_view address, std::uint16_t port);

// The local port a socket is bound to, 0 when unknown.
std::uint16_t LocalPort(const Socket& socket);

// Waits up to timeout for a connection; an invalid socket with error 0 means
// the time ran out.
SocketResult Accept(Socket& listener, Timeout timeout);

}  // namespace quarn::net
