#include "devicelink/device_exchange.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

#include "tests/support/test_peer.hpp"

namespace quarn {
namespace {

using namespace std::chrono_literals;
using test::TestPeer;

// Options for a test: the peer's port, pauses counted instead of slept, the
// wait cursor recorded, short time limits.
struct Recorder {
    int pauses = 0;
    std::string cursor;
    ExchangeOptions Options(std::uint16_t port)
    {
        ExchangeOptions options = test::FastExchangeOptions(port);
        options.hooks.pause = [this](std::chrono::milliseconds d) {
            EXPECT_EQ(d, 1000ms);
            ++pauses;
        };
        test::RecordWaits(options.hooks, cursor);
        return options;
    }
};

TEST(ParseStatusLine, ReadsTheCodeAfterEitherProtocolVersion)
{
    const struct {
        std::u16string_view reply;
        std::int32_t code;
    } cases[] = {
        {u"HTTP/1.0 200 OK\r\n", 200},
        {u"HTTP/1.1 401 Unauthorized\r\n", 401},
        {u"HTTP/1.0   404\r\n", 404},
        {u"HTTP/1.1\t500", 500},
        {u"HTTP/1.0", 0},
        {u"HTTP/1.x 200", 0},
        {u"HTTP/2 200", 0},
        {u" HTTP/1.0 200", 0},
        {u"<html>200</html>", 0},
        {u"", 0},
        {u"HTTP/1.0 99999999999", 2147483647},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseStatusLine(c.reply), c.code) << std::string(c.reply.begin(), c.reply.end());
}

TEST(StatusText, NamesTheCodeForTheUser)
{
    EXPECT_EQ(StatusText(200), u"");
    EXPECT_EQ(StatusText(401), u"Error: 401: Authorization required");
    EXPECT_EQ(StatusText(0), u"Error: 0");
    EXPECT_EQ(StatusText(404), u"Error: 404");
    EXPECT_EQ(CannotConnectText(111), u"Cannot connect: 111");
}

TEST(DeviceExchange, JoinsAReplyThatArrivesInSeveralChunks)
{
    const std::string body(10000, 'b');
    TestPeer peer({"HTTP/1.0 200 OK\r\n\r\n", body.substr(0, 5000), body.substr(5000)}, TestPeer::Ending::Reply, 20ms);
    Recorder recorder;
    const ExchangeResult result =
        DeviceExchange(u"127.0.0.1", "GET /x HTTP/1.0\r\n\r\n", true, recorder.Options(peer.Port()));
    EXPECT_EQ(peer.Request(), "GET /x HTTP/1.0\r\n\r\n");
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.failure, ExchangeFailure::None);
    EXPECT_EQ(result.reply, u"HTTP/1.0 200 OK\r\n\r\n" + std::u16string(body.begin(), body.end()));
    EXPECT_EQ(result.text, u"");
    EXPECT_EQ(recorder.pauses, 0);
    EXPECT_EQ(recorder.cursor, "+-");
}

TEST(DeviceExchange, ReportsStatusCodesWithTheirTexts)
{
    const struct {
        std::string reply;
        std::int32_t code;
        std::u16string text;
    } cases[] = {
        {"HTTP/1.1 401 Unauthorized\r\n\r\n", 401, u"Error: 401: Authorization required"},
        {"HTTP/1.0 404 Not Found\r\n\r\n", 404, u"Error: 404"},
        {"<html>no status line</html>", 0, u"Error: 0"},
    };
    for (const auto& c : cases) {
        TestPeer peer({c.reply});
        Recorder recorder;
        const ExchangeResult result =
            DeviceExchange(u"localhost", "GET / HTTP/1.0\r\n\r\n", false, recorder.Options(peer.Port()));
        EXPECT_EQ(result.status, c.code) << c.reply;
        EXPECT_EQ(result.text, c.text) << c.reply;
        EXPECT_EQ(result.failure, ExchangeFailure::None);
    }
}

TEST(DeviceExchange, ChunkWithAZeroByteAddsOnlyTheTextBeforeIt)
{
    // The zero byte hides the rest of its own chunk; a later chunk counts again.
    TestPeer peer({std::string("HTTP/1.0 200 OK\r\nhidden\0rest", 28), "tail"}, TestPeer::Ending::Reply, 50ms);
    Recorder recorder;
    const ExchangeResult result =
        DeviceExchange(u"127.0.0.1", "GET / HTTP/1.0\r\n\r\n", true, recorder.Options(peer.Port()));
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.reply, u"HTTP/1.0 200 OK\r\nhiddentail");
}

TEST(DeviceExchange, PeerThatClosesWithoutAnswerCostsTenPauses)
{
    TestPeer peer({}, TestPeer::Ending::CloseAtOnce);
    Recorder recorder;
    const ExchangeResult result =
        DeviceExchange(u"127.0.0.1", "GET / HTTP/1.0\r\n\r\n", false, recorder.Options(peer.Port()));
    EXPECT_EQ(recorder.pauses, 10);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.failure, ExchangeFailure::None);
    EXPECT_EQ(result.text, u"Error: 0");
    EXPECT_FALSE(result.timedOut);
}

TEST(DeviceExchange, PeerThatNeverAnswersEndsAfterTheReceiveTimeLimit)
{
    TestPeer peer({}, TestPeer::Ending::StaySilent);
    Recorder recorder;
    ExchangeOptions options = recorder.Options(peer.Port());
    options.receiveTimeLimit = 200ms;
    const auto start = std::chrono::steady_clock::now();
    const ExchangeResult result = DeviceExchange(u"127.0.0.1", "GET / HTTP/1.0\r\n\r\n", false, options);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.reply, u"");
    EXPECT_EQ(result.text, u"Error: 0");
    EXPECT_TRUE(result.timedOut);
    EXPECT_EQ(recorder.cursor, "+-");
}

TEST(DeviceExchange, FailedConnectionsAreSocketFailures)
{
    const std::uint16_t closed = test::ClosedPort();
    const struct {
        std::u16string_view host;
        std::int32_t code;
    } cases[] = {
        {u"127.0.0.1", net::kConnectionRefused},
        // A scheme, a port or a path is part of the name, which then does not resolve.
        {u"http://127.0.0.1", net::kInvalidArgument},
        {u"127.0.0.1:8080", net::kInvalidArgument},
        {u"127.0.0.1/control.html", net::kInvalidArgument},
        {u"", net::kInvalidArgument},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        const ExchangeResult result = DeviceExchange(c.host, "GET / HTTP/1.0\r\n\r\n", true, recorder.Options(closed));
        const std::string host(c.host.begin(), c.host.end());
        EXPECT_EQ(result.failure, ExchangeFailure::Connect) << host;
        EXPECT_EQ(result.socketError, c.code) << host;
        EXPECT_EQ(result.text, CannotConnectText(c.code)) << host;
        EXPECT_EQ(recorder.pauses, 0) << host;
        EXPECT_EQ(recorder.cursor, "+-") << host;
    }
}

TEST(DeviceExchange, ConnectGivesUpAtTheTimeLimit)
{
    // A listener whose backlog is full takes no further connection: the
    // connect waits until it gives up.
    net::StartSocketLayer();
    net::SocketResult listener = net::ListenTcp("127.0.0.1", 0);
    ASSERT_TRUE(listener.socket.Valid());
    ASSERT_EQ(::listen(listener.socket.Handle(), 0), 0);
    const std::uint16_t port = net::LocalPort(listener.socket);
    net::SocketResult queued = net::ConnectTcp("127.0.0.1", port, 2s);
    ASSERT_TRUE(queued.socket.Valid());

    Recorder recorder;
    ExchangeOptions options = recorder.Options(port);
    options.connectTimeLimit = 300ms;
    const auto start = std::chrono::steady_clock::now();
    const ExchangeResult result = DeviceExchange(u"127.0.0.1", "GET / HTTP/1.0\r\n\r\n", true, options);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(result.failure, ExchangeFailure::Connect);
    EXPECT_EQ(result.socketError, net::kTimedOut);
    EXPECT_EQ(result.text, CannotConnectText(net::kTimedOut));

    // Without a limit of its own the programs give up after ten seconds.
    EXPECT_EQ(ExchangeOptions{}.connectTimeLimit, 10s);
    EXPECT_EQ(ExchangeOptions{}.receiveTimeLimit, 10s);
    EXPECT_EQ(ExchangeOptions{}.port, 80);
}

TEST(ReceiveReply, ErrorAfterDataKeepsWhatArrived)
{
    std::vector<net::ReceiveResult> script = {
        {net::ReceiveStatus::Closed, 0, 0},
        {net::ReceiveStatus::Data, 4, 0},
        {net::ReceiveStatus::Failed, 0, 104},
    };
    std::size_t next = 0;
    int pauses = 0;
    ExchangeHooks hooks;
    hooks.pause = [&](std::chrono::milliseconds) { ++pauses; };
    const std::u16string reply = ReceiveReply(
        [&](char* buffer, std::size_t size) {
            EXPECT_EQ(size, 4095u);
            std::memcpy(buffer, "abcd", 4);
            return script.at(next++);
        },
        hooks);
    EXPECT_EQ(reply, u"abcd");
    EXPECT_EQ(pauses, 1);
    EXPECT_EQ(next, script.size());
}

TEST(ReceiveReply, DefaultPauseIsOneRealSecond)
{
    int calls = 0;
    const auto start = std::chrono::steady_clock::now();
    const std::u16string reply = ReceiveReply(
        [&](char* buffer, std::size_t) {
            ++calls;
            if (calls == 2) {
                buffer[0] = 'x';
                return net::ReceiveResult{net::ReceiveStatus::Data, 1, 0};
            }
            return net::ReceiveResult{net::ReceiveStatus::Closed, 0, 0};
        },
        ExchangeHooks{});
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(reply, u"x");
    EXPECT_GE(elapsed, 1000ms);
    EXPECT_LT(elapsed, 1900ms);
}

}  // namespace
}  // namespace quarn
