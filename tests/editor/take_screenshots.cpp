// Renders the editor window with a sample document, the condition dialog
// (with a dropped list, and with a condition the gates cannot show), the
// upload dialog and an upload's message box, the direct-control window and
// the Week preview into PNG files. On an X server with a window manager
// (Xvfb and openbox, see README) each shot holds the window's frame;
// without a display the windows are drawn alone:
//   QT_QPA_PLATFORM=offscreen quarntool_screenshots <folder>
#include "devicelink/ui/direct_dlg.hpp"
#include "devicelink/ui/relay_button.hpp"
#include "devicelink/ui/upload_dlg.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "document/ui/input_dlg.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "editor/week_preview_dlg.hpp"
#include "platform/file_dialogs.hpp"
#include "platform/message_box.hpp"
#include "platform/settings_store.hpp"
#include "tests/support/office_model.hpp"
#include "tests/support/test_peer.hpp"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

using namespace quarn;

namespace {

// Lets the window manager frame and place what was just shown.
void Settle()
{
    QEventLoop loop;
    QTimer::singleShot(QGuiApplication::platformName() == QStringLiteral("xcb") ? 500 : 0, &loop, &QEventLoop::quit);
    loop.exec();
}

// The window as the screen shows it, frame included, and also the area of
// `also` (a dropped list); drawn alone where there is no real screen.
QPixmap Shot(QWidget& widget, const QRect& also = {})
{
    Settle();
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return widget.grab();
    QRect area = widget.frameGeometry();
    if (!also.isNull())
        area = area.united(also);
    return widget.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
}

}  // namespace

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
    model.relays[5] = u"(#T0&&#T1&&#S2)||#R2||#S0";
    window.ShowModel();
    window.UpdateTitle();
    window.show();
    app.processEvents();

    QTextStream out(stdout);
    const auto save = [&](QWidget& widget, const QString& name) {
        const QString path = folder.filePath(name);
        const bool saved = Shot(widget).save(path);
        out << (saved ? "wrote " : "could not write ") << path << '\n';
        return saved;
    };
    window.move(40, 40);
    bool ok = save(window, QStringLiteral("quarntool-main-window.png"));

    {
        CInputDlg condition(&window);
        condition.SetConditionText(QStringLiteral("(#T0&&#T1)||#R2"));
        condition.SetRelayLabel(QStringLiteral("R 3"));
        condition.show();
        app.processEvents();
        ok = save(condition, QStringLiteral("quarntool-condition-dialog.png")) && ok;

        // The first OR input dropped down: 66 units with a scroll bar.
        QComboBox* list = condition.InputList(4);
        list->showPopup();
        Settle();
        const QString path = folder.filePath(QStringLiteral("quarntool-condition-list.png"));
        const bool saved = Shot(condition, list->view()->window()->frameGeometry()).save(path);
        out << (saved ? "wrote " : "could not write ") << path << '\n';
        ok = saved && ok;
        list->hidePopup();
    }
    {
        CInputDlg condition(&window);
        condition.SetConditionText(QStringLiteral("#T0&&#S1"));
        condition.SetRelayLabel(QStringLiteral("R 4"));
        condition.show();
        app.processEvents();
        ok = save(condition, QStringLiteral("quarntool-condition-notice.png")) && ok;
    }

    CUploadDlg upload(UploadDlgVariant::Editor, &window);
    upload.m_url = QStringLiteral("quarn");
    upload.m_password = QStringLiteral("tovel");
    upload.show();
    app.processEvents();
    ok = save(upload, QStringLiteral("quarntool-upload-dialog.png")) && ok;
    upload.hide();

    // What a controller that closes without an answer leaves.
    SetMessageBoxTitle(QStringLiteral("QuarnTool"));
    const auto box = CreateMessageBox(
        &window, MessageBoxRequest{QStringLiteral("Error: 0"),
                                   MessageButtons::Ok,
                                   QMessageBox::Warning,
                                   {},
                                   QStringLiteral("The controller closed the connection without an answer it "
                                                  "could read."),
                                   {}});
    box->setModal(false);
    box->show();
    app.processEvents();
    ok = save(*box, QStringLiteral("quarntool-upload-error.png")) && ok;
    box->hide();

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
    direct.hide();

    // The week of 2026-12-14 with a few more relays than the office file:
    // R4 follows T0, R6 an overnight timer at the weekend, R1 latches on S0,
    // held on from the start and switched off on Wednesday at 18:00; R4's
    // lane clicked on Tuesday at noon.
    StateMachineModel week = window.Model();
    week.relays[4] = u"#T0";
    week.timers[2].onTime = TimeOfDay{20, 0, 0};
    week.timers[2].offTime = TimeOfDay{6, 0, 0};
    SetWeekdayMask(week, 2, 96);
    week.relays[6] = u"#T2";
    CWeekPreviewDlg preview(week, dialogs, &window);
    preview.FirstDayField()->setDate(QDate(2026, 12, 14));
    preview.HoldInputBox(0)->setChecked(true);
    preview.ToggleInput(0, runtime::InstantOf(runtime::DateTime{2026, 12, 16, 18, 0, 0}));
    // R4 explained on Tuesday at noon, as a click on its lane shows it.
    const auto& lanes = preview.Preview().picture.lanes;
    for (std::size_t i = 0; i < lanes.size(); ++i) {
        if (lanes[i].label == "R4")
            preview.ExplainLane(i, runtime::InstantOf(runtime::DateTime{2026, 12, 15, 12, 0, 0}));
    }
    preview.show();
    app.processEvents();
    ok = save(preview, QStringLiteral("quarntool-week-preview.png")) && ok;

    return ok ? 0 : 1;
}
