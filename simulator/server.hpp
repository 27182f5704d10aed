#pragma once
// The simulator's HTTP/1.0 server: one request per connection, closed after
// the reply, each connection on its own thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "devicelink/socket_layer.hpp"
#include "simulator/controller.hpp"

namespace quarn::sim {

struct ServerOptions {
    std::string address = "127.0.0.1";
    std::uint16_t port = 80;
    std::string password = "tovel";
    std::filesystem::path store;  // empty: accepted uploads are not kept
    Fault fault = Fault::None;
    // A connection that sends nothing for this long is dropped.
    std::chrono::milliseconds idleLimit{10000};
    // Receives one line per request, without the line end.
    std::function<void(const std::string&)> log;
};

// Largest request the simulator takes; a controller has little memory.
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
    void Serve(net::Socket connection, const std::atomic<bool>& stop);
    void Log(const std::string& line);

    ServerOptions options_;
    Controller controller_;
    net::Socket listener_;
};

}  // namespace quarn::sim
