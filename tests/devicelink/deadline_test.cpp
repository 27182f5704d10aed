// The limits of one exchange: one deadline for the whole of it, whatever the
// peer does, and a reply size limit.
#include "devicelink/device_exchange.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_peer.hpp"

namespace quarn {
namespace {

using namespace std::chrono_literals;
using test::TestPeer;
using Clock = std::chrono::steady_clock;

const std::string kHeader = "HTTP/1.0 200 OK\r\n\r\n";

ExchangeOptions Options(std::uint16_t port, std::chrono::milliseconds timeLimit)
{
    ExchangeOptions options = test::FastExchangeOptions(port);
    options.timeLimit = timeLimit;
    return options;
}

// A reply of n chunks of the same text after the header, gap apart.
std::vector<std::string> Drip(const std::string& piece, int n)
{
    std::vector<std::string> chunks = {kHeader};
    chunks.insert(chunks.end(), static_cast<std::size_t>(n), piece);
    return chunks;
}

TEST(ExchangeDeadline, DrippingPeerIsCutOffAtTheTimeLimitAndWhatArrivedIsTheReply)
{
    // One byte at a time, and a full page followed by a space now and then:
    // each wait is far below the receive limit, the whole is not.
    const struct {
        const char* name;
        std::vector<std::string> chunks;
        std::chrono::milliseconds gap;
    } cases[] = {
        {"a byte every 40 ms", Drip("x", 400), 40ms},
        {"a space every 150 ms after a page",
         [] {
             std::vector<std::string> chunks = {kHeader + "<p id=\"R\">5</p>"};
             chunks.insert(chunks.end(), 100, " ");
             return chunks;
         }(),
         150ms},
    };
    for (const auto& c : cases) {
        TestPeer peer(c.chunks, TestPeer::Ending::Reply, c.gap);
        const auto start = Clock::now();
        const ExchangeResult result =
            DeviceExchange(u"127.0.0.1", "GET / HTTP/1.0\r\n\r\n", true, Options(peer.Port(), 600ms));
        const auto elapsed = Clock::now() - start;
        EXPECT_GE(elapsed, 550ms) << c.name;
        EXPECT_LT(elapsed, 1500ms) << c.name;
        EXPECT_EQ(result.status, 200) << c.name;
        EXPECT_EQ(result.failure, ExchangeFailure::None) << c.name;
        EXPECT_EQ(result.reply.substr(0, 4), u"HTTP") << c.name;
        EXPECT_LT(result.reply.size(), kHeader.size() + 100) << c.name;
    }
}

TEST(ExchangeDeadline, PausesBeforeAnyDataEndAtTheDeadline)
{
    // The ten pauses of a peer that closes at once are real here, and the
    // deadline cuts the second one short.
    TestPeer peer({}, TestPeer::Ending::CloseAtOnce);
    ExchangeOptions options = Options(peer.Port(), 1500ms);
    std::vector<std::chrono::milliseconds> pauses;
    options.hooks.pause = [&](std::chrono::milliseconds d) {
        pauses.push_back(d);
        ExchangeHooks::DefaultPause(d);
    };
    const auto start = Clock::now();
    const ExchangeResult result = DeviceExchange(u"127.0.0.1", "GET / HTTP/1.0\r\n\r\n", false, options);
    EXPECT_LT(Clock::now() - start, 2500ms);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.text, u"Error: 0");
    ASSERT_EQ(pauses.size(), 2u);
    EXPECT_EQ(pauses[0], 1000ms);
    EXPECT_LE(pauses[1], 500ms);
}

TEST(ExchangeDeadline, PeerThatNeverReadsEndsTheSendAtTheDeadline)
{
    // A listener that never accepts: the connection completes in its
    // backlog, and the request fills the buffers until the send must wait.
    net::StartSocketLayer();
    net::SocketResult listener = net::ListenTcp("127.0.0.1", 0);
    ASSERT_TRUE(listener.socket.Valid());
    const std::string request(64 * 1024 * 1024, 'x');
    for (const bool sendCheck : {true, false}) {
        const auto start = Clock::now();
        const ExchangeResult result =
            DeviceExchange(u"127.0.0.1", request, sendCheck, Options(net::LocalPort(listener.socket), 500ms));
        EXPECT_LT(Clock::now() - start, 1500ms) << sendCheck;
        if (sendCheck) {
            EXPECT_EQ(result.failure, ExchangeFailure::Send);
            EXPECT_EQ(result.socketError, net::kTimedOut);
            EXPECT_EQ(result.text, CannotConnectText(net::kTimedOut));
        } else {
            EXPECT_EQ(result.failure, ExchangeFailure::None);
            EXPECT_EQ(result.status, 0);
            EXPECT_EQ(result.text, u"Error: 0");
        }
    }
}

TEST(ExchangeDeadline, DefaultIsTheConnectAndTheReceiveLimitTogether)
{
    // A byte every half second never lets a receive wait run out; only the
    // default deadline of 20 s ends the exchange.
    ASSERT_EQ(ExchangeOptions{}.timeLimit, 20s);
    TestPeer peer(Drip(" ", 60), TestPeer::Ending::Reply, 500ms);
    ExchangeOptions options;
    options.port = peer.Port();
    const auto start = Clock::now();
    const ExchangeResult result = DeviceExchange(u"127.0.0.1", "GET / HTTP/1.0\r\n\r\n", true, options);
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 19s);
    EXPECT_LT(elapsed, 22s);
    EXPECT_EQ(result.status, 200);
    EXPECT_GE(result.reply.size(), kHeader.size() + 30);
}

TEST(ReplyLimit, AnEndlessReplyIsReadUpToTheLimitAndUsed)
{
    // 8 MiB that never end in time: reading stops at 1 MiB, long before the
    // deadline, and the reply is judged as usual.
    std::vector<std::string> chunks = {kHeader + "<p id=\"R\">3</p>"};
    chunks.insert(chunks.end(), 8, std::string(1024 * 1024, 'a'));
    TestPeer peer(chunks, TestPeer::Ending::Reply);
    const auto start = Clock::now();
    const ExchangeResult result =
        DeviceExchange(u"127.0.0.1", "GET / HTTP/1.0\r\n\r\n", true, Options(peer.Port(), 10s));
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.reply.size(), kReplyLimit);
    EXPECT_EQ(result.reply.substr(kHeader.size(), 15), u"<p id=\"R\">3</p>");
    EXPECT_EQ(result.reply.back(), u'a');
}

TEST(ReplyLimit, ReceiveLoopAsksForNoMoreThanTheLimit)
{
    std::size_t total = 0;
    std::size_t calls = 0;
    const std::u16string reply = ReceiveReply(
        [&](char* buffer, std::size_t size) {
            ++calls;
            EXPECT_LE(total + size, kReplyLimit);
            for (std::size_t i = 0; i < size; ++i)
                buffer[i] = 'z';
            total += size;
            return net::ReceiveResult{net::ReceiveStatus::Data, size, 0};
        },
        ExchangeHooks{});
    EXPECT_EQ(total, kReplyLimit);
    EXPECT_EQ(reply.size(), kReplyLimit);
    EXPECT_EQ(calls, (kReplyLimit + 4094) / 4095);
}

TEST(WaitWithin, TakesTheSmallerOfTheLimitAndTheTimeLeft)
{
    EXPECT_EQ(WaitWithin(10s, kNoDeadline), 10s);
    EXPECT_EQ(WaitWithin(net::kNoLimit, kNoDeadline), net::kNoLimit);
    EXPECT_EQ(WaitWithin(10s, Clock::now() - 1ms), 0ms);
    const auto soon = WaitWithin(10s, Clock::now() + 300ms);
    EXPECT_GT(soon, 200ms);
    EXPECT_LE(soon, 300ms);
    EXPECT_LE(WaitWithin(net::kNoLimit, Clock::now() + 300ms), 300ms);
    EXPECT_EQ(ExchangeDeadline(Clock::now(), -1ms), kNoDeadline);
}

}  // namespace
}  // namespace quarn
