#include "devicelink/ui/window_exchange.hpp"

#include "platform/wait_cursor.hpp"

namespace quarn {

namespace {
std::uint16_t portForTesting = 0;
}

ExchangeOptions WindowExchangeOptions()
{
    ExchangeOptions options;
    options.port = portForTesting != 0 ? portForTesting : kControllerPort;
    options.hooks.waitCursor = WaitCursorHook();
    return options;
}

void SetWindowExchangePortForTesting(std::uint16_t port)
{
    portForTesting = port;
}

}  // namespace quarn
