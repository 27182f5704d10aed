#pragma once

#include <chrono>

namespace quarn {

// For a command that blocks the program's one thread: brings the windows on
// the screen up to date without handling anything else. The paint requests
// already queued are delivered, and every visible top-level window is
// repainted whole now and then, because the window system's own requests
// (to repaint where a closed dialog or menu was) are not read while the
// thread blocks. No input, timer or other queued event is handled, so the
// command's order of steps stays as it is.
void PaintWindowsWhileBlocked();

// Sleeps for duration, painting the windows as above every few tens of
// milliseconds.
void SleepPaintingWindows(std::chrono::milliseconds duration);

}  // namespace quarn
