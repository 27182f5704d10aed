// A file dragged from the desktop onto the editor's window opens as Open
// opens it.
#include "editor/quarn_tool_dlg.hpp"

#include "platform/opened_files.hpp"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMetaObject>

namespace quarn {

void CQuarnToolDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (DraggedLocalFile(event->mimeData()).isEmpty())
        return;  // ignored: the desktop shows the drop refused
    event->acceptProposedAction();
}

void CQuarnToolDlg::dragMoveEvent(QDragMoveEvent* event)
{
    if (!DraggedLocalFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CQuarnToolDlg::dropEvent(QDropEvent* event)
{
    const QString path = DraggedLocalFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The drag ends first: the question and any message come after it, so
    // the program that started the drag is not kept waiting for the user.
    QMetaObject::invokeMethod(
        this, [this, path] { OnDroppedFile(path); }, Qt::QueuedConnection);
}

}  // namespace quarn
