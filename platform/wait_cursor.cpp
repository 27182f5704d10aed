#include "platform/wait_cursor.hpp"

#include <QApplication>
#include <QCursor>

namespace quarn {

WaitCursorScope::WaitCursorScope()
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursorScope::~WaitCursorScope()
{
    QApplication::restoreOverrideCursor();
}

}  // namespace quarn
