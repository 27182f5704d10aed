#pragma once

namespace quarn {

// Shows the wait cursor over the whole program for the lifetime of the
// object. Scopes nest: the cursor goes when the last of them goes.
class WaitCursorScope {
public:
    WaitCursorScope();
    ~WaitCursorScope();
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;
};

}  // namespace quarn
