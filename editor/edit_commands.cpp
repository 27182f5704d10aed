// The Edit menu, the relay buttons and the About box.
#include "editor/quarn_tool_dlg.hpp"

#include "document/ui/relay_condition_command.hpp"
#include "editor/about_dlg.hpp"
#include "editor/version_dlg.hpp"

namespace quarn {

void CQuarnToolDlg::OnEditVersion()
{
    CVersionDlg dialog(this);
    dialog.SetVersionText(QString::fromStdU16String(model_.version));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::u16string text = dialog.VersionText().toStdU16String();
    if (text != model_.version)
        model_.modified = true;
    model_.version = text;
    RecordChange();
}

void CQuarnToolDlg::OnAboutBox()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CQuarnToolDlg::OnRelayButton(int id)
{
    // A cancelled dialog changes nothing: no step is recorded.
    EditRelayCondition(
        this, model_, id - kFirstRelayButton, [this] { TakeFields(); }, [this] { ShowModel(); });
    RecordChange();
}

}  // namespace quarn
