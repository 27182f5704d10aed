#include "editor/quarn_tool_app.hpp"

#include "devicelink/socket_layer.hpp"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The command line is not read: the editor always starts with an empty
    // document.
    quarn::CQuarnToolApp app{[] { return quarn::net::StartSocketLayer(); }};
    return app.Run();
}
