// The converter's start as the program runs it (socket layer, settings store,
// window shown modally), ended at the window's first paint.
#include "bench/startup/first_paint.hpp"
#include "converter/ui/morvex_app.hpp"
#include "converter/ui/morvex_dlg.hpp"
#include "devicelink/socket_layer.hpp"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    quarn::CMorvexApp app{[] { return quarn::net::StartSocketLayer(); }};
    if (!app.InitInstance())
        return 1;
    quarn::CMorvexDlg* window = app.MainWindow();
    quarn::bench::FirstPaint firstPaint([window] { window->done(0); });
    window->installEventFilter(&firstPaint);
    app.RunMainWindow();
    return 0;
}
