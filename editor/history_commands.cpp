// Undo and Redo in the Edit menu. The steps themselves are kept by the
// document's EditHistory; the window records a step after each change and
// shows the state a step leads to.
#include "editor/quarn_tool_dlg.hpp"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include <utility>

namespace quarn {

void CQuarnToolDlg::AddHistoryCommands(QMenu* menu)
{
    AddCommand(menu, QStringLiteral("Undo"), kEditUndo)->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    AddCommand(menu, QStringLiteral("Redo"), kEditRedo)
        ->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    menu->addSeparator();
    UpdateHistoryCommands();
}

void CQuarnToolDlg::UpdateHistoryCommands()
{
    if (QAction* undo = CommandAction(kEditUndo))
        undo->setEnabled(history_.CanUndo());
    if (QAction* redo = CommandAction(kEditRedo))
        redo->setEnabled(history_.CanRedo());
}

void CQuarnToolDlg::RecordChange()
{
    if (applyingHistory_)
        return;
    history_.Record(DocumentInFields());
    UpdateHistoryCommands();
}

void CQuarnToolDlg::OnEditUndo()
{
    const bool wasApplying = std::exchange(applyingHistory_, true);
    if (history_.Undo(model_)) {
        ShowModel();
        UpdateTitle();
    }
    applyingHistory_ = wasApplying;
    UpdateHistoryCommands();
}

void CQuarnToolDlg::OnEditRedo()
{
    const bool wasApplying = std::exchange(applyingHistory_, true);
    if (history_.Redo(model_)) {
        ShowModel();
        UpdateTitle();
    }
    applyingHistory_ = wasApplying;
    UpdateHistoryCommands();
}

}  // namespace quarn
