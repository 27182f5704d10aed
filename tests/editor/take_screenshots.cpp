// Renders the editor window with a sample document and the condition dialog
// into PNG files, without a display:
//   QT_QPA_PLATFORM=offscreen quarntool_screenshots <folder>
#include "document/ui/input_dlg.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "platform/file_dialogs.hpp"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTextStream>

using namespace quarn;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

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

    return ok ? 0 : 1;
}
