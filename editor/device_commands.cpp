// The commands that talk to the controller: "Upload to QUARN..." and
// "Direct control...".
#include "editor/quarn_tool_dlg.hpp"

#include "devicelink/ui/direct_dlg.hpp"
#include "devicelink/ui/upload_command.hpp"
#include "platform/message_box.hpp"

namespace quarn {

namespace {
const QString kSaveBeforeUpload = QStringLiteral("Contents changed; do you want to save before uploading?");
const QString kEmptyFileName = QStringLiteral("Empty filename, cannot upload");
}  // namespace

void CQuarnToolDlg::OnUpload()
{
    // The controller gets the file on disk, so the document must be in one.
    // A save that fails has said why; the stale file is not sent instead.
    if (Model().path.empty()) {
        const bool saved = OnFileSaveAs();
        if (Model().path.empty()) {
            ShowMessageBox(this, kEmptyFileName, MessageButtons::Ok);
            return;
        }
        if (!saved)
            return;
    } else if (!AskToSave(kSaveBeforeUpload)) {
        // Cancel, or Yes with a save that failed.
        return;
    }
    RunUploadCommand(this, UploadDlgVariant::Editor, QString::fromStdU16String(Model().path));
}

void CQuarnToolDlg::OnDirectControl()
{
    CDirectDlg dialog(this);
    dialog.exec();
}

}  // namespace quarn
