#pragma once

#include "devicelink/device_exchange.hpp"

#include <cstdint>

namespace quarn {

// The options every exchange started from a window runs with: the wait
// cursor shows while it blocks the window, and the controller's port is 80.
ExchangeOptions WindowExchangeOptions();

// Tests talk to a peer on a free loopback port instead of port 80; 0 goes
// back to the controller's port.
void SetWindowExchangePortForTesting(std::uint16_t port);

}  // namespace quarn
