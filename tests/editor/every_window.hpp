#pragma once
// Every window of QuarnTool and morvex, made ready to show, with the ids of
// its controls in the order Tab visits them. The direct-control window asks a
// closed loopback port for its relays, so it opens at once with all unknown.

#include "converter/ui/morvex_dlg.hpp"
#include "devicelink/ui/direct_dlg.hpp"
#include "devicelink/ui/upload_dlg.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "document/ui/input_dlg.hpp"
#include "editor/about_dlg.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "editor/version_dlg.hpp"
#include "tests/support/qt/window_test_support.hpp"
#include "tests/support/test_peer.hpp"

#include <QApplication>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace quarn::test {

struct WindowCase {
    const char* name;
    std::function<std::unique_ptr<QWidget>()> make;
    std::vector<int> tabOrder;
};

inline std::vector<int> MainWindowTabOrder()
{
    std::vector<int> ids;
    for (int n = 0; n < 8; ++n) {
        for (int column = 0; column < 4; ++column)
            ids.push_back(CQuarnToolDlg::kFirstTimerField + 4 * n + column);
        for (int d = 0; d < 7; ++d)
            ids.push_back(CQuarnToolDlg::kFirstWeekdayBox + 7 * n + d);
        ids.push_back(CQuarnToolDlg::kFirstAllDaysButton + n);
        ids.push_back(CQuarnToolDlg::kFirstNoDaysButton + n);
    }
    // The condition boxes show text only and take no Tab stop.
    for (int n = 0; n < 8; ++n)
        ids.push_back(CQuarnToolDlg::kFirstRelayButton + n);
    return ids;
}

// recent and files must outlive the windows made.
inline std::vector<WindowCase> EveryWindow(RecentFileList& recent, FileDialogs& files)
{
    std::vector<WindowCase> cases;
    cases.push_back(
        {"main window", [&] { return std::make_unique<CQuarnToolDlg>(recent, files); }, MainWindowTabOrder()});
    cases.push_back({"condition dialog",
                     [] { return std::make_unique<CInputDlg>(); },
                     {1201, 1202, 1203, 1204, 1205, 1206, 1207, 1208, kOkId, kCancelId}});
    cases.push_back(
        {"Version", [] { return std::make_unique<CVersionDlg>(); }, {CVersionDlg::kVersionFieldId, kOkId, kCancelId}});
    cases.push_back({"About", [] { return std::make_unique<CAboutDlg>(); }, {kOkId}});
    cases.push_back({"upload (editor)",
                     [] { return std::make_unique<CUploadDlg>(UploadDlgVariant::Editor); },
                     {CUploadDlg::kEditorUrlId, CUploadDlg::kEditorPasswordId, kOkId, kCancelId}});
    cases.push_back({"upload (converter)",
                     [] { return std::make_unique<CUploadDlg>(UploadDlgVariant::Converter); },
                     {CUploadDlg::kConverterUrlId, CUploadDlg::kConverterPasswordId, kOkId, kCancelId}});
    cases.push_back({"direct control",
                     [] {
                         SettingsStore::WriteString(QStringLiteral("direct"), QStringLiteral("url"),
                                                    QStringLiteral("127.0.0.1"));
                         SetWindowExchangePortForTesting(ClosedPort());
                         return std::make_unique<CDirectDlg>();
                     },
                     {CDirectDlg::kUrlId, 1229, 1230, 1231, 1232, 1233, 1234, 1235, 1236, CDirectDlg::kExitId}});
    cases.push_back(
        {"converter window",
         [&] { return std::make_unique<CMorvexDlg>(files); },
         {CMorvexDlg::kSourceField, CMorvexDlg::kSourceBrowse, CMorvexDlg::kTransform, CMorvexDlg::kDestinationField,
          CMorvexDlg::kDestinationBrowse, CMorvexDlg::kUpload, CMorvexDlg::kExit}});
    return cases;
}

// The id of the control that holds the keyboard focus in window, found by its
// name (a date field's focus sits in its text line); -1 when there is none.
inline int FocusedControlId(const QWidget& window)
{
    for (QObject* at = window.focusWidget(); at != nullptr; at = at->parent()) {
        const QString name = at->objectName();
        if (name.startsWith(QStringLiteral("control"))) {
            bool ok = false;
            const int id = name.mid(7).toInt(&ok);
            return ok ? id : -1;
        }
    }
    return -1;
}

}  // namespace quarn::test
