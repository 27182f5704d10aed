#include "platform/wait_cursor.hpp"

#include <QApplication>
#include <QCursor>

namespace quarn {

namespace {
int depth = 0;
}

void SetWaitCursor(bool on)
{
    if (on) {
        ++depth;
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else if (depth > 0) {
        --depth;
        QApplication::restoreOverrideCursor();
    }
}

std::function<void(bool)> WaitCursorHook()
{
    return [](bool on) { SetWaitCursor(on); };
}

}  // namespace quarn
