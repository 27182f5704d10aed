#pragma once

#include <functional>

class QWidget;

namespace quarn {

// The text shown when the program cannot use the network at all.
inline constexpr const char* kSocketStartupFailedText = "Failed to initialize sockets";

// Starts the socket layer through start (which returns true on success).
// On failure tells the user with a message box and returns false; the
// program should then end without showing a window.
bool StartSocketLayerOrReport(const std::function<bool()>& start, QWidget* parent = nullptr);

}  // namespace quarn
