#pragma once

#include <QString>

namespace quarn {

// The ids of the two standard buttons, as every dialog template numbers
// them: "OK" (or a window's only "Exit") and "Cancel".
inline constexpr int kOkId = 1;
inline constexpr int kCancelId = 2;

// The object name of the control with command or control id: "control<id>".
// Every window names its controls so, and the tests find them by it.
inline QString ControlName(int id)
{
    return QStringLiteral("control%1").arg(id);
}

}  // namespace quarn
