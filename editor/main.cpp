#include "editor/quarn_tool_app.hpp"

#include "devicelink/socket_layer.hpp"
#include "platform/opened_files.hpp"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The desktop entry of the same name: its icon and name for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quarn.QuarnTool"));
    quarn::CQuarnToolApp app{[] { return quarn::net::StartSocketLayer(); }};
    // A file named on the command line (a file opened from the desktop)
    // opens as Open opens it; without one the document starts empty.
    app.SetStartFile(quarn::FileArgument(QCoreApplication::arguments()));
    return app.Run();
}
