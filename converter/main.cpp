#include "converter/ui/morvex_app.hpp"
#include "devicelink/socket_layer.hpp"
#include "platform/opened_files.hpp"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The desktop entry of the same name: its icon and name for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quarn.morvex"));
    quarn::CMorvexApp app{[] { return quarn::net::StartSocketLayer(); }};
    // A file named on the command line becomes the source to convert.
    app.SetStartFile(quarn::FileArgument(QCoreApplication::arguments()));
    return app.Run();
}
