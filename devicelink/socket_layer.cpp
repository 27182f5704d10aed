#include "devicelink/socket_layer.hpp"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace quarn::net {

namespace {

#ifdef _WIN32
struct PollFd {
    NativeSocket fd;
    short events;
};
// select() rather than WSAPoll(): before Windows 10 2004 WSAPoll never
// reports a connect that failed, so a refused connection would only end at
// the time limit. A failed connect shows in the exception set.
int PollOne(PollFd& fd, int timeoutMs)
{
    fd_set readable;
    fd_set writable;
    fd_set failed;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    const auto s = static_cast<SOCKET>(fd.fd);
    if (fd.events & POLLIN)
        FD_SET(s, &readable);
    if (fd.events & POLLOUT) {
        FD_SET(s, &writable);
        FD_SET(s, &failed);
    }
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int rc = select(0, &readable, &writable, &failed, timeoutMs < 0 ? nullptr : &limit);
    return rc == SOCKET_ERROR ? -1 : rc;
}
void CloseNative(NativeSocket s)
{
    closesocket(static_cast<SOCKET>(s));
}
constexpr int kInterrupted = WSAEINTR;
constexpr int kSendFlags = 0;
#else
using PollFd = pollfd;
int PollOne(PollFd& fd, int timeoutMs)
{
    return poll(&fd, 1, timeoutMs);
}
void CloseNative(NativeSocket s)
{
    ::close(s);
}
constexpr int kInterrupted = EINTR;
constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

int ToPollMs(Timeout timeout)
{
    if (timeout.count() < 0)
        return -1;
    return timeout.count() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(timeout.count());
}

WaitingHook& WaitingHookOfThread()
{
    thread_local WaitingHook hook;
    return hook;
}

// Waits until the socket is ready for events; 1 ready, 0 time out, -1 error.
int WaitFor(NativeSocket s, short events, Timeout timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const WaitingHook& waiting = WaitingHookOfThread();
    const int slice = static_cast<int>(kWaitSlice.count());
    for (;;) {
        PollFd fd{};
        fd.fd = s;
        fd.events = events;
        int wait = ToPollMs(timeout);
        if (timeout.count() >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            wait = left.count() > 0 ? ToPollMs(left) : 0;
        }
        // With a waiting hook the wait goes in slices; a slice that ends
        // without an event is no time-out unless the whole wait is over.
        const bool sliced = waiting && (wait < 0 || wait > slice);
        const int rc = PollOne(fd, sliced ? slice : wait);
        if (rc < 0 && LastError() == kInterrupted)
            continue;
        if (rc == 0 && sliced) {
            waiting();
            continue;
        }
        return rc < 0 ? -1 : (rc == 0 ? 0 : 1);
    }
}

void SetBlocking(NativeSocket s, bool blocking)
{
#ifdef _WIN32
    u_long nonBlocking = blocking ? 0 : 1;
    ioctlsocket(static_cast<SOCKET>(s), FIONBIO, &nonBlocking);
#else
    const int flags = fcntl(s, F_GETFL, 0);
    fcntl(s, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK));
#endif
}

std::optional<std::uint32_t> SystemResolver(const std::string& host)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return std::nullopt;
    const std::uint32_t address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return address;
}

NameResolver& ResolverInUse()
{
    static NameResolver resolver = SystemResolver;
    return resolver;
}

// What a lookup thread hands back; shared, so that a thread still waiting
// for the resolver after its caller gave up writes into something alive.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::optional<std::uint32_t> address;
};

// host as an IPv4 address: 0 with address set, kInvalidArgument for a name
// that does not resolve, kTimedOut when the resolver has not answered within
// timeout. The system's lookup cannot be cut short, so it runs in a thread of
// its own whose answer is dropped once the time is over.
int ResolveIPv4(const std::string& host, Timeout timeout, in_addr& address)
{
    if (host.empty())
        return kInvalidArgument;
    if (inet_pton(AF_INET, host.c_str(), &address) == 1)
        return 0;
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host, resolve = ResolverInUse()] {
            std::optional<std::uint32_t> found = resolve(host);
            const std::lock_guard<std::mutex> lock(lookup->mutex);
            lookup->address = found;
            lookup->finished = true;
            lookup->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return kTimedOut;  // no thread to ask with: as if no answer came
    }
    const auto deadline =
        timeout.count() < 0 ? std::chrono::steady_clock::time_point::max() : std::chrono::steady_clock::now() + timeout;
    const WaitingHook& waiting = WaitingHookOfThread();
    std::unique_lock<std::mutex> lock(lookup->mutex);
    while (!lookup->finished) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return kTimedOut;
        auto until = deadline;
        if (waiting && deadline - now > kWaitSlice)
            until = now + kWaitSlice;
        lookup->done.wait_until(lock, until);
        if (!lookup->finished && waiting && until != deadline) {
            lock.unlock();
            waiting();
            lock.lock();
        }
    }
    if (!lookup->address)
        return kInvalidArgument;
    address.s_addr = *lookup->address;
    return 0;
}

}  // namespace

bool StartSocketLayer()
{
#ifdef _WIN32
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }();
    return started;
#else
    return true;
#endif
}

int LastError()
{
#ifdef _WIN32
    return WSAGetLastError();
#else
    return errno;
#endif
}

Socket& Socket::operator=(Socket&& other) noexcept
{
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = kNoSocket;
    }
    return *this;
}

void Socket::Close()
{
    if (handle_ != kNoSocket) {
        CloseNative(handle_);
        handle_ = kNoSocket;
    }
}

NameResolver SetNameResolver(NameResolver resolver)
{
    return std::exchange(ResolverInUse(), resolver ? std::move(resolver) : NameResolver(SystemResolver));
}

SocketResult ConnectTcp(std::string_view host, std::uint16_t port, Timeout timeout)
{
    SocketResult result;
    const auto start = std::chrono::steady_clock::now();
    Socket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket.Valid()) {
        result.error = LastError();
        return result;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (const int error = ResolveIPv4(std::string(host), timeout, address.sin_addr); error != 0) {
        result.error = error;
        return result;
    }
    // The lookup took part of the time the connect has.
    if (timeout.count() >= 0) {
        const auto spent = std::chrono::duration_cast<Timeout>(std::chrono::steady_clock::now() - start);
        timeout = std::max(Timeout{0}, timeout - spent);
    }
    SetBlocking(socket.Handle(), false);
    if (::connect(socket.Handle(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = LastError();
#ifdef _WIN32
        const bool pending = error == WSAEWOULDBLOCK;
#else
        const bool pending = error == EINPROGRESS;
#endif
        if (!pending) {
            result.error = error;
            return result;
        }
        const int ready = WaitFor(socket.Handle(), POLLOUT, timeout);
        if (ready == 0) {
            result.error = kTimedOut;
            return result;
        }
        if (ready < 0) {
            result.error = LastError();
            return result;
        }
        int soError = 0;
        socklen_t length = sizeof soError;
        getsockopt(socket.Handle(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
        if (soError != 0) {
            result.error = soError;
            return result;
        }
    }
    SetBlocking(socket.Handle(), true);
    result.socket = std::move(socket);
    return result;
}

int SendAll(Socket& socket, std::string_view data, Timeout timeout, Deadline deadline)
{
    while (!data.empty()) {
        Timeout wait = timeout;
        if (deadline != kNoDeadline) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline)
                return kTimedOut;
            const auto left = std::chrono::ceil<Timeout>(deadline - now);
            if (wait.count() < 0 || left < wait)
                wait = left;
        }
        const int ready = WaitFor(socket.Handle(), POLLOUT, wait);
        if (ready == 0)
            return kTimedOut;
        if (ready < 0)
            return LastError();
        const int chunk = data.size() > 0x10000 ? 0x10000 : static_cast<int>(data.size());
        const auto sent = ::send(socket.Handle(), data.data(), chunk, kSendFlags);
        if (sent < 0) {
            if (LastError() == kInterrupted)
                continue;
            return LastError();
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return 0;
}

ReceiveResult Receive(Socket& socket, char* buffer, std::size_t size, Timeout timeout)
{
    ReceiveResult result;
    const int ready = WaitFor(socket.Handle(), POLLIN, timeout);
    if (ready == 0) {
        result.status = ReceiveStatus::TimedOut;
        return result;
    }
    if (ready < 0) {
        result.status = ReceiveStatus::Failed;
        result.error = LastError();
        return result;
    }
    for (;;) {
        const auto got = ::recv(socket.Handle(), buffer, static_cast<int>(size), 0);
        if (got < 0 && LastError() == kInterrupted)
            continue;
        if (got < 0) {
            result.status = ReceiveStatus::Failed;
            result.error = LastError();
        } else if (got == 0) {
            result.status = ReceiveStatus::Closed;
        } else {
            result.status = ReceiveStatus::Data;
            result.count = static_cast<std::size_t>(got);
        }
        return result;
    }
}

void ShutdownSend(Socket& socket)
{
#ifdef _WIN32
    ::shutdown(static_cast<SOCKET>(socket.Handle()), SD_SEND);
#else
    ::shutdown(socket.Handle(), SHUT_WR);
#endif
}

SocketResult ListenTcp(std::string_view address, std::uint16_t port)
{
    SocketResult result;
    Socket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket.Valid()) {
        result.error = LastError();
        return result;
    }
    int yes = 1;
    setsockopt(socket.Handle(), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof yes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (inet_pton(AF_INET, std::string(address).c_str(), &local.sin_addr) != 1) {
        result.error = kInvalidArgument;
        return result;
    }
    if (::bind(socket.Handle(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(socket.Handle(), SOMAXCONN) != 0) {
        result.error = LastError();
        return result;
    }
    // Non-blocking, so that a connection that goes away between the wait and
    // the accept cannot block the accept.
    SetBlocking(socket.Handle(), false);
    result.socket = std::move(socket);
    return result;
}

std::uint16_t LocalPort(const Socket& socket)
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (getsockname(socket.Handle(), reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

SocketResult Accept(Socket& listener, Timeout timeout)
{
    SocketResult result;
    const int ready = WaitFor(listener.Handle(), POLLIN, timeout);
    if (ready <= 0) {
        result.error = ready < 0 ? LastError() : 0;
        return result;
    }
    const NativeSocket accepted = ::accept(listener.Handle(), nullptr, nullptr);
    if (accepted == kNoSocket) {
        const int error = LastError();
#ifdef _WIN32
        const bool retry = error == WSAEWOULDBLOCK;
#else
        const bool retry = error == EAGAIN || error == EWOULDBLOCK || error == ECONNABORTED;
#endif
        result.error = retry ? 0 : error;
        return result;
    }
    SetBlocking(accepted, true);
    result.socket = Socket(accepted);
    return result;
}

WaitingHook SetWaitingHook(WaitingHook hook)
{
    WaitingHook previous = std::move(WaitingHookOfThread());
    WaitingHookOfThread() = std::move(hook);
    return previous;
}

}  // namespace quarn::net
