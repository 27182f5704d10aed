// Renders the converter window with sample paths into a PNG file. On an X
// server with a window manager (Xvfb and openbox, see README) the shot holds
// the window's frame; without a display the window is drawn alone:
//   QT_QPA_PLATFORM=offscreen morvex_screenshot <folder>
#include "converter/ui/morvex_dlg.hpp"
#include "platform/control_name.hpp"
#include "platform/file_dialogs.hpp"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>
#include <QTimer>

using namespace quarn;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    DesktopFileDialogs dialogs;
    CMorvexDlg window(dialogs);
    auto* source = window.findChild<QLineEdit*>(ControlName(CMorvexDlg::kSourceField));
    source->setText(QStringLiteral("/home/user/models/office.xmi"));
    window.move(40, 40);
    window.show();
    source->deselect();
    app.processEvents();
    const bool onScreen = QGuiApplication::platformName() == QStringLiteral("xcb");
    if (onScreen) {
        // Time for the window manager to frame and place the window.
        QEventLoop loop;
        QTimer::singleShot(500, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const QRect frame = window.frameGeometry();
    const QPixmap shot =
        onScreen ? window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()) : window.grab();

    const QString path = folder.filePath(QStringLiteral("morvex-window.png"));
    const bool saved = shot.save(path);
    QTextStream(stdout) << (saved ? "wrote " : "could not write ") << path << '\n';
    return saved ? 0 : 1;
}
