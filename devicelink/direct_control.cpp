#include "devicelink/direct_control.hpp"

namespace quarn {

std::string RelayQuery(int relay, bool on)
{
    std::string query(kControlPage);
    query += '?';
    query += static_cast<char>('A' + relay);
    query += '=';
    query += on ? '1' : '0';
    return query;
}

std::string BuildControlRequest(std::string_view query)
{
    std::string request = "GET /";
    request += query;
    request += " HTTP/1.0\r\n";
    request += "\r\n";
    return request;
}

std::optional<std::int32_t> ParseRelayMask(std::u16string_view reply)
{
    constexpr std::u16string_view marker = u"id=\"R\">";
    std::size_t pos = reply.find(marker);
    if (pos == std::u16string_view::npos)
        return std::nullopt;
    pos += marker.size();
    auto white = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    while (pos < reply.size() && white(reply[pos]))
        ++pos;
    bool negative = false;
    if (pos < reply.size() && (reply[pos] == u'+' || reply[pos] == u'-')) {
        negative = reply[pos] == u'-';
        ++pos;
    }
    if (pos >= reply.size() || reply[pos] < u'0' || reply[pos] > u'9')
        return std::nullopt;
    // Only the low bits matter; wrap like a 32-bit integer would.
    std::uint32_t value = 0;
    while (pos < reply.size() && reply[pos] >= u'0' && reply[pos] <= u'9') {
        value = value * 10u + static_cast<std::uint32_t>(reply[pos] - u'0');
        ++pos;
    }
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

ControlResult SendControlRequest(std::u16string_view host, std::string_view query, const ExchangeOptions& options)
{
    ControlResult result;
    const ExchangeResult exchange = DeviceExchange(host, BuildControlRequest(query), /*sendCheck=*/true, options);
    result.failure = exchange.failure;
    result.socketError = exchange.socketError;
    result.status = exchange.status;
    if (exchange.failure != ExchangeFailure::None)
        return result;
    if (exchange.status == 200)
        result.mask = ParseRelayMask(exchange.reply);
    return result;
}

}  // namespace quarn
