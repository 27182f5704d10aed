// Renders the editor window with a sample document, the condition dialog,
// the upload dialog and the direct-control window into PNG files, without a
// display:
//   QT_QPA_PLATFORM=offscreen quarntool_screenshots <folder>
#include "devicelink/ui/direct_dlg.hpp"
#include "devicelink/ui/relay_button.hpp"
#include "devicelink/ui/upload_dlg.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "document/ui/input_dlg.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "platform/file_dialogs.hpp"
#include "platform/settings_store.hpp"
#include "tests/support/office_model.hpp"
#include "tests/support/test_peer.hpp"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

using namespace quarn;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    // The windows read and write settings; keep them away from the user's.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    SettingsStore::SetCompanyKey(QStringLiteral("QuarnTool"));

    RecentFileList recent;
    DesktopFileDialogs dialogs;
    CQuarnToolDlg window(recent, dialogs);
    StateMachineModel& model = window.Model();
    model = test::OfficeModel();
    model.version.clear();
    model.path = u"/home/user/plans/office.xml";
    model.relays[1] = u"#R1||#S0";
    window.ShowModel();
    window.UpdateTitle();
    window.show();
    app.processEvents();

    QTextStream out(stdout);
    const auto save = [&](QWidget& widget, const QString& name) {
        const QString path = folder.filePath(name);
        const bool saved = widget.grab().save(path);
        out << (saved ? "wrote " : "could not write ") << path << '\n';
        return saved;
    };
    bool ok = save(window, QStringLiteral("quarntool-main-window.png"));

    CInputDlg condition(&window);
    condition.SetConditionText(QStringLiteral("(#T0&&#T1)||#R2"));
    condition.SetRelayLabel(QStringLiteral("R 3"));
    condition.show();
    app.processEvents();
    ok = save(condition, QStringLiteral("quarntool-condition-dialog.png")) && ok;

    CUploadDlg upload(UploadDlgVariant::Editor, &window);
    upload.m_url = QStringLiteral("quarn");
    upload.m_password = QStringLiteral("tovel");
    upload.show();
    app.processEvents();
    ok = save(upload, QStringLiteral("quarntool-upload-dialog.png")) && ok;
    upload.hide();

    // The direct-control window asks a stand-in controller for the relay
    // states (R0 and R3 on); R5 shows a switch the controller did not
    // confirm.
    test::TestPeer controller({"HTTP/1.0 200 OK\r\n\r\n<p id=\"R\">9</p>"});
    SetWindowExchangePortForTesting(controller.Port());
    SettingsStore::WriteString(QStringLiteral("direct"), QStringLiteral("url"), QStringLiteral("127.0.0.1"));
    CDirectDlg direct(&window);
    direct.show();
    app.processEvents();
    direct.UrlField()->setText(QStringLiteral("quarn"));
    direct.RelayButton(5)->SetCheckState(Qt::PartiallyChecked);
    app.processEvents();
    ok = save(direct, QStringLiteral("quarntool-direct-control.png")) && ok;

    return ok ? 0 : 1;
}
