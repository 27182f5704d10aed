#include "devicelink/ui/window_exchange.hpp"

#include "devicelink/socket_layer.hpp"
#include "platform/blocked_input.hpp"
#include "platform/blocked_painting.hpp"
#include "platform/wait_cursor.hpp"

namespace quarn {

namespace {
std::uint16_t portForTesting = 0;

// While an exchange blocks the window, the wait cursor shows and the windows
// go on painting themselves, in the socket layer's waits and in the pauses
// between receive attempts; nothing else is handled. Clicks and keys made
// meanwhile are dropped rather than handled after the wait, when they would
// hit whatever the window shows by then. All of it ends with the object, and
// a wait inside another (an upload's exchange) gives the outer one back its
// painting.
class WindowWait : public BlockingWait {
public:
    WindowWait() : previous_(net::SetWaitingHook(PaintWindowsWhileBlocked))
    {
        // A menu or dialog closed just before leaves its place to repaint.
        PaintWindowsWhileBlocked();
    }
    ~WindowWait() override { net::SetWaitingHook(std::move(previous_)); }

private:
    DroppedInputScope input_;
    WaitCursorScope cursor_;
    net::WaitingHook previous_;
};
}  // namespace

ExchangeOptions WindowExchangeOptions()
{
    ExchangeOptions options;
    options.port = portForTesting != 0 ? portForTesting : kControllerPort;
    options.hooks.wait = [] { return std::make_unique<WindowWait>(); };
    options.hooks.pause = SleepPaintingWindows;
    return options;
}

void SetWindowExchangePortForTesting(std::uint16_t port)
{
    portForTesting = port;
}

}  // namespace quarn
