#include "devicelink/direct_control.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "tests/support/test_peer.hpp"

namespace quarn {
namespace {

using namespace std::chrono_literals;
using test::TestPeer;

ExchangeOptions Options(std::uint16_t port)
{
    return test::FastExchangeOptions(port);
}

TEST(DirectControl, SwitchRequestIsSentByteForByteAndTheMaskComesBack)
{
    TestPeer peer({"HTTP/1.0 200 OK\r\n\r\n<html><span id=\"R\">8</span></html>"});
    const ControlResult result = SendControlRequest(u"127.0.0.1", RelayQuery(3, true), Options(peer.Port()));
    EXPECT_EQ(peer.Request(), "GET /control.html?D=1 HTTP/1.0\r\n\r\n");
    EXPECT_EQ(result.status, 200);
    ASSERT_TRUE(result.mask.has_value());
    EXPECT_EQ(*result.mask, 8);
}

TEST(DirectControl, RelayLettersRunFromAToH)
{
    EXPECT_EQ(RelayQuery(0, false), "control.html?A=0");
    EXPECT_EQ(RelayQuery(7, true), "control.html?H=1");
    EXPECT_EQ(BuildControlRequest(kControlPage), "GET /control.html HTTP/1.0\r\n\r\n");
}

TEST(DirectControl, MaskIsReadAfterTheFirstMarkerOnly)
{
    const struct {
        std::u16string_view reply;
        std::optional<std::int32_t> mask;
    } cases[] = {
        {u"<b id=\"R\">5</b>", 5},
        {u"<b id=\"R\"> \r\n 12</b>", 12},
        {u"<b id=\"R\">x5</b>", std::nullopt},
        {u"<b id=\"R\"></b><b id=\"R\">5</b>", std::nullopt},
        {u"<b id=\"S\">5</b>", std::nullopt},
        {u"<b id=\"R\">256</b>", 256},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseRelayMask(c.reply), c.mask) << std::string(c.reply.begin(), c.reply.end());

    // Bit i is relay Ri; higher bits mean nothing.
    const bool five[] = {true, false, true, false, false, false, false, false};
    for (int i = 0; i < kRelayCount; ++i) {
        EXPECT_EQ(RelayOn(5, i), five[i]) << i;
        EXPECT_FALSE(RelayOn(256, i)) << i;
    }
}

TEST(DirectControl, FailuresCarryNoMask)
{
    {
        TestPeer peer({"HTTP/1.1 401 Unauthorized\r\n\r\n<b id=\"R\">5</b>"});
        const ControlResult result = SendControlRequest(u"127.0.0.1", "control.html", Options(peer.Port()));
        EXPECT_EQ(result.status, 401);
        EXPECT_FALSE(result.mask.has_value());
    }
    {
        TestPeer peer({"HTTP/1.0 200 OK\r\n\r\n<html>no mask</html>"});
        const ControlResult result = SendControlRequest(u"127.0.0.1", "control.html", Options(peer.Port()));
        EXPECT_EQ(result.status, 200);
        EXPECT_FALSE(result.mask.has_value());
    }
    const ControlResult refused = SendControlRequest(u"127.0.0.1", "control.html", Options(test::ClosedPort()));
    EXPECT_EQ(refused.socketError, net::kConnectionRefused);
    EXPECT_EQ(refused.failure, ExchangeFailure::Connect);
    EXPECT_FALSE(refused.mask.has_value());
}

}  // namespace
}  // namespace quarn
