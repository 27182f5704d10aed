// Extra > "Week preview...": what the document does over a week.
#include "editor/quarn_tool_dlg.hpp"

#include "editor/week_preview_dlg.hpp"

#include <QAction>

namespace quarn {

void CQuarnToolDlg::OnWeekPreview()
{
    // The fields as Save would take them; the preview changes nothing.
    TakeFields();
    CWeekPreviewDlg dialog(model_, fileDialogs_, this);
    // Print and Export PDF stay at hand in the preview, for the week it shows.
    for (const int id : {kFilePrint, kFileExportPdf}) {
        if (QAction* action = CommandAction(id))
            dialog.addAction(action);
    }
    openPreview_ = &dialog;
    dialog.exec();
    openPreview_ = nullptr;
}

}  // namespace quarn
