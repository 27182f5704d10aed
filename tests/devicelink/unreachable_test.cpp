// Controllers that cannot be reached, seen from the two callers of the
// exchange: an address nothing listens on, and a blackholed one (a loopback
// listener whose backlog is full, so a connect is neither taken nor refused).
// Both end as socket failures within the connect time limit.

#include "devicelink/device_exchange.hpp"
#include "devicelink/direct_control.hpp"
#include "devicelink/socket_layer.hpp"
#include "devicelink/upload.hpp"
#include "tests/support/files.hpp"
#include "tests/support/test_peer.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace quarn {
namespace {

using namespace std::chrono_literals;

#ifndef _WIN32

// A listener that takes no further connection while it lives.
class Blackhole {
public:
    Blackhole()
    {
        net::StartSocketLayer();
        listener_ = net::ListenTcp("127.0.0.1", 0).socket;
        if (!listener_.Valid() || ::listen(listener_.Handle(), 0) != 0)
            return;
        port_ = net::LocalPort(listener_);
        queued_ = net::ConnectTcp("127.0.0.1", port_, 2s).socket;
    }
    std::uint16_t Port() const { return queued_.Valid() ? port_ : 0; }

private:
    net::Socket listener_;
    net::Socket queued_;
    std::uint16_t port_ = 0;
};

TEST(Unreachable, UploadAndDirectControlEndAsSocketFailuresInTime)
{
    const test::ScratchFolder folder;
    const std::filesystem::path file = folder / "unreachable.xml";
    std::ofstream(file, std::ios::binary) << "<statemachine/>";

    Blackhole blackhole;
    ASSERT_NE(blackhole.Port(), 0);
    const struct {
        const char* name;
        std::uint16_t port;
        std::int32_t code;
        std::u16string text;
    } cases[] = {
        {"nothing listens", test::ClosedPort(), ECONNREFUSED, u"Cannot connect: 111"},
        {"blackholed", blackhole.Port(), net::kTimedOut, u"Cannot connect: 110"},
    };
    for (const auto& c : cases) {
        ExchangeOptions exchange;
        exchange.port = c.port;
        exchange.connectTimeLimit = 300ms;
        exchange.receiveTimeLimit = 300ms;
        int pauses = 0;
        exchange.hooks.pause = [&](std::chrono::milliseconds) { ++pauses; };

        UploadOptions upload;
        upload.exchange = exchange;
        auto start = std::chrono::steady_clock::now();
        const UploadOutcome outcome = UploadStateMachine(u"127.0.0.1", file.u16string(), u"tovel", upload);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << c.name;
        EXPECT_EQ(outcome.failure, UploadFailure::Connect) << c.name;
        EXPECT_EQ(outcome.error, c.code) << c.name;
        EXPECT_EQ(outcome.text, c.text) << c.name;

        start = std::chrono::steady_clock::now();
        const ControlResult control = SendControlRequest(u"127.0.0.1", RelayQuery(3, true), exchange);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << c.name;
        EXPECT_EQ(control.failure, ExchangeFailure::Connect) << c.name;
        EXPECT_EQ(control.socketError, c.code) << c.name;
        EXPECT_FALSE(control.mask.has_value()) << c.name;
        EXPECT_EQ(pauses, 0) << c.name;
    }
}

#endif

// Puts a resolver in for one test and the system's back after it.
class ResolverScope {
public:
    explicit ResolverScope(net::NameResolver resolver) { net::SetNameResolver(std::move(resolver)); }
    ~ResolverScope() { net::SetNameResolver({}); }
};

TEST(Unreachable, NameLookupEndsWithinTheConnectLimit)
{
    net::StartSocketLayer();
    const auto stalls = [](const std::string&) -> std::optional<std::uint32_t> {
        std::this_thread::sleep_for(3s);  // a resolver that does not answer in time
        return std::nullopt;
    };
    const ResolverScope scope(stalls);

    auto started = std::chrono::steady_clock::now();
    const net::SocketResult direct = net::ConnectTcp("quarn", test::ClosedPort(), 300ms);
    EXPECT_EQ(direct.error, net::kTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1500ms);

    // The exchange's own limit covers the lookup as well.
    ExchangeOptions options;
    options.connectTimeLimit = 10s;
    options.timeLimit = 400ms;
    started = std::chrono::steady_clock::now();
    const ExchangeResult result = DeviceExchange(u"quarn", "GET / HTTP/1.0\r\n\r\n", true, options);
    EXPECT_EQ(result.failure, ExchangeFailure::Connect);
    EXPECT_EQ(result.socketError, net::kTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1500ms);
}

TEST(Unreachable, NameLookupAnswersAreTakenAndFailuresNamed)
{
    net::StartSocketLayer();
    const std::uint16_t port = test::ClosedPort();
    {
        const ResolverScope scope([](const std::string&) -> std::optional<std::uint32_t> { return std::nullopt; });
        EXPECT_EQ(net::ConnectTcp("no-such-host", port, 2s).error, net::kInvalidArgument);
    }
    {
        // A name that stands for loopback reaches the closed port there.
        const ResolverScope scope([](const std::string& host) -> std::optional<std::uint32_t> {
            if (host != "quarn")
                return std::nullopt;
            in_addr loopback{};
            loopback.s_addr = htonl(INADDR_LOOPBACK);
            return loopback.s_addr;
        });
        EXPECT_EQ(net::ConnectTcp("quarn", port, 2s).error, net::kConnectionRefused);
    }
}

}  // namespace
}  // namespace quarn
