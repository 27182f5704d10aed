// Renders the editor window with a sample document, the condition dialog,
// the upload dialog and the direct-control window into PNG files, without a
// display:
//   QT_QPA_PLATFORM=offscreen quarntool_screenshots <folder>
#ifdef QUARN_HAVE_DEVICELINK
#include "devicelink/ui/direct_dlg.hpp"
#include "devicelink/ui/relay_button.hpp"
#include "devicelink/ui/upload_dlg.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "tests/devicelink/test_peer.hpp"
#endif
#include "document/ui/input_dlg.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "platform/file_dialogs.hpp"
#include "platform/settings_store.hpp"

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
    model.path = u"/home/user/plans/office.xml";
    model.timers[0].onTime = TimeOfDay{7, 30, 0};
    model.timers[0].offTime = TimeOfDay{22, 0, 0};
    model.timers[0].weekdays = {true, true, true, true, true, false, false};
    model.timers[1].onDate = CalendarDate{2013, 2, 8};
    model.timers[1].onTime = TimeOfDay{10, 0, 0};
    model.timers[1].offDate = CalendarDate{2013, 2, 10};
    model.timers[1].offTime = TimeOfDay{18, 30, 0};
    model.timers[1].weekdays = {false, false, false, false, false, true, true};
    model.relays[1] = u"#R1||#S0";
    model.relays[3] = u"(#T0&&#T1)||#R2";
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

#ifdef QUARN_HAVE_DEVICELINK
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
    testing::TestPeer controller({"HTTP/1.0 200 OK\r\n\r\n<p id=\"R\">9</p>"});
    SetWindowExchangePortForTesting(controller.Port());
    SettingsStore::WriteString(QStringLiteral("direct"), QStringLiteral("url"), QStringLiteral("127.0.0.1"));
    CDirectDlg direct(&window);
    direct.show();
    app.processEvents();
    direct.UrlField()->setText(QStringLiteral("quarn"));
    direct.RelayButton(5)->SetCheckState(Qt::PartiallyChecked);
    app.processEvents();
    ok = save(direct, QStringLiteral("quarntool-direct-control.png")) && ok;
#endif

    return ok ? 0 : 1;
}
