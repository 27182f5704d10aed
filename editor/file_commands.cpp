// The File menu: New, Open..., Save, Save As ...., the recent files and Exit,
// with the question about unsaved changes and the window title.
#include "editor/quarn_tool_dlg.hpp"

#include "document/reader.hpp"
#include "document/writer.hpp"
#include "editor/editor_texts.hpp"
#include "editor/recent_file_list.hpp"
#include "platform/file_dialogs.hpp"
#include "platform/message_box.hpp"

#include <QAction>
#include <QDir>
#include <QMenu>

namespace quarn {

void CQuarnToolDlg::UpdateTitle()
{
    QString title = texts::ProgramName();
    if (!model_.path.empty())
        title += QStringLiteral(": ") + QString::fromStdU16String(model_.path);
    setWindowTitle(title);
}

bool CQuarnToolDlg::AskToSave(const QString& text)
{
    if (!model_.modified)
        return true;
    // Enter saves: the answer that keeps the changes.
    switch (AskQuestion(this, text, MessageButtons::YesNoCancel, MessageAnswer::Yes)) {
    case MessageAnswer::No:
        return true;
    case MessageAnswer::Yes:
        // Go on only when the changes are safely in a file.
        return SaveCurrent();
    default:
        return false;
    }
}

bool CQuarnToolDlg::SaveCurrent()
{
    if (model_.path.empty())
        return OnFileSaveAs();
    return WriteDocument();
}

bool CQuarnToolDlg::WriteDocument()
{
    const bool wasModified = model_.modified;
    WriterHooks hooks;
    hooks.takeFields = [this] { TakeFields(); };
    hooks.reportUsed = [this](const std::u16string& path) { recentFiles_.Add(QString::fromStdU16String(path)); };
    const WriteOutcome outcome = WriteStateMachineFile(model_, hooks);
    if (outcome.written()) {
        history_.MarkClean();
        return true;
    }
    if (outcome.code == WriteResult::PathEmpty)
        return false;
    ShowMessageBox(this, QString::fromStdU16String(outcome.text), MessageButtons::Ok);
    // Nothing reached the disk, so the changes are still unsaved.
    model_.modified = wasModified;
    return false;
}

int CQuarnToolDlg::ReadDocument()
{
    ReaderHooks hooks;
    hooks.reportUsed = [this](const std::u16string& path) {
        recentFiles_.Add(QString::fromStdU16String(path));
        UpdateTitle();
    };
    hooks.showModel = [this] { ShowModel(); };
    const int code = ReadStateMachineFile(model_, hooks).code;
    // Whatever came of it, the window shows a document that has no past.
    history_.Reset(model_);
    UpdateHistoryCommands();
    return code;
}

void CQuarnToolDlg::OnFileNew()
{
    if (!AskToSave(texts::SaveBeforeExit()))
        return;
    model_.path.clear();
    ReadDocument();
    ShowModel();
    UpdateTitle();
}

void CQuarnToolDlg::OnFileOpen()
{
    if (!AskToSave(texts::SaveBeforeExit()))
        return;
    const QString chosen = fileDialogs_.AskOpenPath(this, QString::fromStdU16String(model_.path));
    if (chosen.isEmpty())
        return;
    OpenFile(chosen);
}

bool CQuarnToolDlg::OpenFile(const QString& path)
{
    model_.path = path.toStdU16String();
    UpdateTitle();
    if (ReadDocument() == 0)
        return true;
    ShowMessageBox(this, texts::CannotRead(), MessageButtons::Ok);
    return false;
}

void CQuarnToolDlg::OnDroppedFile(const QString& path)
{
    if (!AskToSave(texts::SaveBeforeExit()))
        return;
    OpenFile(path);
}

bool CQuarnToolDlg::OnFileSave()
{
    return SaveCurrent();
}

bool CQuarnToolDlg::OnFileSaveAs()
{
    const QString chosen = fileDialogs_.AskSavePath(this, QString::fromStdU16String(model_.path));
    if (chosen.isEmpty())
        return false;
    model_.path = chosen.toStdU16String();
    UpdateTitle();
    return WriteDocument();
}

void CQuarnToolDlg::OnFileExit()
{
    if (closing_)
        return;
    if (!AskToSave(texts::SaveBeforeExit()))
        return;
    TakeFields();
    closing_ = true;
    done(QDialog::Accepted);
}

long long CQuarnToolDlg::OnOpenDocumentFile(const QString& path)
{
    if (!AskToSave(texts::SaveChanges()))
        return 1;
    model_.path = path.toStdU16String();
    UpdateTitle();
    if (ReadDocument() == 0)
        return 1;
    ShowMessageBox(this, texts::CannotRead(), MessageButtons::Ok);
    return 0;
}

void CQuarnToolDlg::OnRecentFile(int index)
{
    if (index < 0 || index >= recentFiles_.Size())
        return;
    const QString path = recentFiles_.Paths().at(index);
    if (recentFileOpener_(path) == 0)
        recentFiles_.Remove(path);
}

void CQuarnToolDlg::UpdateRecentFileMenu()
{
    const QString currentDirectory = QDir::currentPath();
    for (int i = 0; i < RecentFileList::kCapacity; ++i) {
        QAction* action = recentActions_[i];
        if (i < recentFiles_.Size()) {
            action->setText(recentFiles_.MenuText(i, currentDirectory));
            action->setEnabled(true);
            action->setVisible(true);
        } else if (i == 0) {
            action->setText(QStringLiteral("Recent File"));
            action->setEnabled(false);
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
}

}  // namespace quarn
