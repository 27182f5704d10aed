#pragma once

#include <functional>

namespace quarn {

// Shows (true) or removes (false) the wait cursor over the whole program.
// Calls nest: the cursor goes when every "on" has been matched by an "off".
void SetWaitCursor(bool on);

// The same as a callable, for code below the windows that reports when a
// long blocking exchange starts and ends.
std::function<void(bool)> WaitCursorHook();

// Shows the wait cursor for the lifetime of the object.
class WaitCursorScope {
public:
    WaitCursorScope() { SetWaitCursor(true); }
    ~WaitCursorScope() { SetWaitCursor(false); }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;
};

}  // namespace quarn
