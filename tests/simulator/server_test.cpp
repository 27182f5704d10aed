// The server in this process, against hostile clients: many slow ones, one
// that never finishes its request, an accept that keeps failing.
#include "simulator/server.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/direct_control.hpp"
#include "tests/support/test_peer.hpp"

namespace quarn::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class RunningServer {
public:
    explicit RunningServer(ServerOptions options) : server_((options.port = 0, std::move(options)))
    {
        net::StartSocketLayer();
        if (server_.Open() == 0)
            thread_ = std::thread([this] { server_.Run(stop_); });
    }
    ~RunningServer()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    std::uint16_t Port() const { return server_.Port(); }

private:
    Server server_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Sends bytes and reads until the server closes, within a deadline.
std::string Exchange(std::uint16_t port, std::string_view request, std::chrono::milliseconds limit = 3s)
{
    net::SocketResult connected = net::ConnectTcp("127.0.0.1", port, 2s);
    if (!connected.socket.Valid())
        return "(no connection)";
    if (net::SendAll(connected.socket, request, 2s) != 0)
        return "(send failed)";
    std::string reply;
    char buffer[4096];
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        const net::ReceiveResult got = net::Receive(connected.socket, buffer, sizeof buffer, 100ms);
        if (got.status == net::ReceiveStatus::Data)
            reply.append(buffer, got.count);
        else if (got.status != net::ReceiveStatus::TimedOut)
            break;
    }
    return reply;
}

TEST(Server, ServesANormalClientWhileAHundredSlowOnesHoldConnections)
{
    ServerOptions options;
    options.requestLimit = 30s;  // the slow ones would stay for the test's whole run
    std::atomic<int> dropped{0};
    options.log = [&](const std::string& line) {
        if (line == "dropped the oldest unfinished connection to make room")
            ++dropped;
    };
    RunningServer server(options);
    ASSERT_NE(server.Port(), 0);

    std::vector<net::Socket> slow;
    for (int i = 0; i < 100; ++i) {
        net::SocketResult connected = net::ConnectTcp("127.0.0.1", server.Port(), 2s);
        ASSERT_TRUE(connected.socket.Valid()) << i;
        ASSERT_EQ(net::SendAll(connected.socket, "G", 1s), 0);
        slow.push_back(std::move(connected.socket));
    }
    for (int round = 0; round < 3; ++round) {
        const auto start = Clock::now();
        const ControlResult result =
            SendControlRequest(u"127.0.0.1", RelayQuery(2, true), test::FastExchangeOptions(server.Port()));
        EXPECT_EQ(result.status, 200) << round;
        EXPECT_EQ(result.mask, 4) << round;
        EXPECT_LT(Clock::now() - start, 1s) << round;
    }
    // 64 are served at once: each slow connection beyond made the oldest one
    // go, and so may a normal client that came while 64 were there.
    EXPECT_GE(dropped.load(), 36);
    EXPECT_LE(dropped.load(), 36 + 3);
}

TEST(Server, ARequestMustArriveWithinItsLimit)
{
    ServerOptions options;
    options.requestLimit = 300ms;
    RunningServer server(options);

    // One byte every 100 ms would keep a limit per receive waiting for ever.
    net::SocketResult dripping = net::ConnectTcp("127.0.0.1", server.Port(), 2s);
    ASSERT_TRUE(dripping.socket.Valid());
    const auto start = Clock::now();
    std::string reply;
    char buffer[4096];
    for (const char c : std::string("GET /control.html HTTP/1.0\r\n")) {
        if (net::SendAll(dripping.socket, std::string_view(&c, 1), 1s) != 0)
            break;
        const net::ReceiveResult got = net::Receive(dripping.socket, buffer, sizeof buffer, 100ms);
        if (got.status == net::ReceiveStatus::Data)
            reply.append(buffer, got.count);
        else if (got.status != net::ReceiveStatus::TimedOut)
            break;
    }
    EXPECT_EQ(reply.rfind("HTTP/1.0 408 Request Timeout\r\n", 0), 0u) << reply;
    EXPECT_LT(Clock::now() - start, 1500ms);

    // A client that sends in time is answered.
    EXPECT_EQ(Exchange(server.Port(), "GET /control.html HTTP/1.0\r\n\r\n").rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
}

TEST(Server, DefaultRequestLimitIsTenSeconds)
{
    EXPECT_EQ(ServerOptions{}.requestLimit, 10s);
    EXPECT_EQ(ServerOptions{}.maxConnections, 64u);
}

TEST(Server, AnswersOversizedRequestsWith413)
{
    RunningServer server(ServerOptions{});
    const std::string huge = "POST /state_machine_mp.html HTTP/1.0\r\nContent-Length: 2000000\r\n\r\n" +
                             std::string(kMaxRequestBytes + 10, 'x');
    EXPECT_EQ(Exchange(server.Port(), huge).rfind("HTTP/1.0 413 Request Too Large\r\n", 0), 0u);
}

TEST(Server, BacksOffWhenAcceptKeepsFailing)
{
    std::atomic<int> attempts{0};
    ServerOptions options;
    options.firstAcceptBackoff = 10ms;
    options.lastAcceptBackoff = 80ms;
    options.accept = [&](net::Socket&, net::Timeout) {
        ++attempts;
        net::SocketResult failed;
        failed.error = 24;  // EMFILE
        return failed;
    };
    std::vector<std::string> log;
    std::mutex logMutex;
    options.log = [&](const std::string& line) {
        std::lock_guard lock(logMutex);
        log.push_back(line);
    };
    {
        RunningServer server(options);
        std::this_thread::sleep_for(600ms);
    }
    // 10 + 20 + 40 + 80 + 80 ... ms: about ten attempts, not thousands.
    EXPECT_GE(attempts.load(), 4);
    EXPECT_LE(attempts.load(), 15);
    std::lock_guard lock(logMutex);
    EXPECT_EQ(log, std::vector<std::string>{"cannot accept a connection (error 24); waiting"});
}

}  // namespace
}  // namespace quarn::sim
