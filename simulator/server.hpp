#pragma once
// The simulator's HTTP/1.0 server: one request per connection, closed after
// the reply, each connection on its own thread, a bounded number of them.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "base/controller_facts.hpp"
#include "devicelink/socket_layer.hpp"
#include "simulator/controller.hpp"

namespace quarn::sim {

struct ServerOptions {
    std::string address = "127.0.0.1";
    std::uint16_t port = 80;
    std::string password{kDefaultPassword};
    std::filesystem::path store;  // empty: accepted uploads are not kept
    Fault fault = Fault::None;
    // The whole of one connection: the request must have arrived and the
    // reply must be sent within this time from the accept.
    std::chrono::milliseconds requestLimit{10000};
    // Receives one line per request, without the line end.
    std::function<void(const std::string&)> log;
    // Connections served at once. One more makes the oldest connection that
    // is still sending its request (or lingering after its reply) go; when
    // none may go, the new one is closed at once.
    std::size_t maxConnections = 64;
    // Waits after a failed accept (for example EMFILE, no descriptor left),
    // doubling from the first to the last, so a failing accept costs no CPU.
    std::chrono::milliseconds firstAcceptBackoff{10};
    std::chrono::milliseconds lastAcceptBackoff{1000};
    // Accepts one connection; the socket layer's Accept unless a test
    // replaces it.
    std::function<net::SocketResult(net::Socket& listener, net::Timeout timeout)> accept;
    // The program's clock (nothing: the machine's local time), its speed as
    // the dashboard shows it, and the inputs S0-S3 at the start.
    std::function<runtime::Instant()> clock;
    double speed = 1;
    std::uint8_t inputs = 0;
};

// Largest request the simulator takes; a controller has little memory.
// A longer one is answered with 413.
inline constexpr std::size_t kMaxRequestBytes = 1024 * 1024;

class Server {
public:
    explicit Server(ServerOptions options);

    // Binds the listening socket; returns 0 or the socket error number.
    int Open();
    // The bound port (the chosen one when the options asked for 0).
    std::uint16_t Port() const;
    // Serves until stop becomes true, then closes every connection.
    void Run(const std::atomic<bool>& stop);

    Controller& State() { return controller_; }

private:
    struct Connection;
    void Serve(Connection& connection, const std::atomic<bool>& stop);
    void Log(const std::string& line);

    ServerOptions options_;
    Controller controller_;
    net::Socket listener_;
};

}  // namespace quarn::sim
