// Extra > "Week preview...": what the document does over a week.
#include "editor/quarn_tool_dlg.hpp"

#include "editor/week_preview_dlg.hpp"

namespace quarn {

void CQuarnToolDlg::OnWeekPreview()
{
    // The fields as Save would take them; the preview changes nothing.
    TakeFields();
    CWeekPreviewDlg dialog(model_, fileDialogs_, this);
    dialog.exec();
}

}  // namespace quarn
