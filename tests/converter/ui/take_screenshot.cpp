// Renders the converter window with sample paths into a PNG file, without a
// display:
//   QT_QPA_PLATFORM=offscreen morvex_screenshot <folder>
#include "converter/ui/morvex_dlg.hpp"
#include "platform/file_dialogs.hpp"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTextStream>

using namespace quarn;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    DesktopFileDialogs dialogs;
    CMorvexDlg window(dialogs);
    auto* source = window.findChild<QLineEdit*>(QStringLiteral("control1000"));
    source->setText(QStringLiteral("/home/user/models/office.xmi"));
    window.show();
    source->deselect();
    app.processEvents();

    const QString path = folder.filePath(QStringLiteral("morvex-window.png"));
    const bool saved = window.grab().save(path);
    QTextStream(stdout) << (saved ? "wrote " : "could not write ") << path << '\n';
    return saved ? 0 : 1;
}
