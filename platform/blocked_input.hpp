#pragma once

namespace quarn {

// For a command that blocks the program's one thread: keyboard and mouse
// input made while it blocks is dropped, not handled once it ends. While a
// scope lives, and afterwards until the event loop has handed out what queued
// up meanwhile, key presses and releases, shortcuts, mouse clicks, double
// clicks, the wheel and context-menu requests go nowhere. Scopes nest; the
// input is let in again after the last of them has gone.
class DroppedInputScope {
public:
    DroppedInputScope();
    ~DroppedInputScope();
    DroppedInputScope(const DroppedInputScope&) = delete;
    DroppedInputScope& operator=(const DroppedInputScope&) = delete;
};

// True while input is dropped: during a scope, and until the event loop has
// come round twice after the last one ended.
bool InputIsDropped();

}  // namespace quarn
