#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/controller_facts.hpp"
#include "devicelink/device_exchange.hpp"

namespace quarn {

inline constexpr std::string_view kControlPage = "control.html";

// "control.html?<letter>=<0|1>": relay Ri is the letter 'A' + i.
std::string RelayQuery(int relay, bool on);

// "GET /<query> HTTP/1.0" and an empty line; no other header.
std::string BuildControlRequest(std::string_view query);

// The relay mask after the first id="R"> in a reply, white space allowed
// before the number; nothing when the marker or the number is missing.
std::optional<std::int32_t> ParseRelayMask(std::u16string_view reply);

// Whether relay Ri is on in mask; bits above 7 mean nothing.
inline bool RelayOn(std::int32_t mask, int relay)
{
    return relay >= 0 && relay < kRelayCount && ((static_cast<std::uint32_t>(mask) >> relay) & 1u) != 0;
}

struct ControlResult {
    // What ended the exchange early, with the socket layer's error number.
    ExchangeFailure failure = ExchangeFailure::None;
    std::int32_t socketError = 0;
    // The status code once a reply was read; 0 without a readable status
    // line.
    std::int32_t status = 0;
    // The relay mask of a 200 reply that carries one.
    std::optional<std::int32_t> mask;
};

// One direct-control GET of query (without the leading slash) to host.
ControlResult SendControlRequest(std::u16string_view host, std::string_view query, const ExchangeOptions& options = {});

}  // namespace quarn
