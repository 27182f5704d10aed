// The editor's start as the program runs it (socket layer, settings store,
// recent files, main window shown modally), ended at the main window's first
// paint, then the program's own exit steps.
#include "bench/startup/first_paint.hpp"
#include "devicelink/socket_layer.hpp"
#include "editor/quarn_tool_app.hpp"
#include "editor/quarn_tool_dlg.hpp"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    quarn::CQuarnToolApp app{[] { return quarn::net::StartSocketLayer(); }};
    if (!app.InitInstance())
        return 1;
    quarn::CQuarnToolDlg* window = app.MainWindow();
    quarn::bench::FirstPaint firstPaint([window] { window->done(0); });
    window->installEventFilter(&firstPaint);
    app.RunMainWindow();
    app.ExitInstance();
    return 0;
}
