// The commands that talk to the controller: "Upload to QUARN..." and
// "Direct control...".
#include "editor/quarn_tool_dlg.hpp"

namespace quarn {

void CQuarnToolDlg::OnUpload()
{
    // TODO(device link): ask to save, then run the upload dialog and command.
}

void CQuarnToolDlg::OnDirectControl()
{
    // TODO(device link): run the direct-control window.
}

}  // namespace quarn
