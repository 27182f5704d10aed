#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/device_exchange.hpp"
#include "devicelink/socket_layer.hpp"
#include "devicelink/upload.hpp"

namespace quarn::test {

// A one-connection controller stand-in on a free loopback port. It reads one
// request (up to the empty line of a GET, or the closing boundary of an
// upload), keeps its bytes, then answers with the given chunks, each sent by
// itself, and closes; or closes at once, or stays silent until it goes.
class TestPeer {
public:
    enum class Ending { Reply, CloseAtOnce, StaySilent };

    explicit TestPeer(std::vector<std::string> chunks, Ending ending = Ending::Reply,
                      std::chrono::milliseconds gap = std::chrono::milliseconds(0));
    ~TestPeer();
    TestPeer(const TestPeer&) = delete;
    TestPeer& operator=(const TestPeer&) = delete;

    std::uint16_t Port() const { return port_; }
    // The request as received; waits until the peer is done with it.
    const std::string& Request();

private:
    void Serve();

    std::vector<std::string> chunks_;
    Ending ending_;
    std::chrono::milliseconds gap_;
    net::Socket listener_;
    std::uint16_t port_ = 0;
    std::string request_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A port on which nothing listens.
std::uint16_t ClosedPort();

// Options for an exchange with a peer on port: two-second time limits and
// pauses that return at once, so a test never sleeps.
ExchangeOptions FastExchangeOptions(std::uint16_t port);
UploadOptions FastUploadOptions(std::uint16_t port);

// Makes hooks write '+' to record when a wait begins and '-' when it ends.
// record must outlive every call made with the hooks.
void RecordWaits(ExchangeHooks& hooks, std::string& record);

}  // namespace quarn::test
