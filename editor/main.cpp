#include "editor/quarn_tool_app.hpp"

#ifdef QUARN_HAVE_DEVICELINK
#include "devicelink/socket_layer.hpp"
#endif

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The command line is not read: the editor always starts with an empty
    // document.
#ifdef QUARN_HAVE_DEVICELINK
    quarn::CQuarnToolApp app{[] { return quarn::net::StartSocketLayer(); }};
#else
    // Built without the device link there is no socket layer to start.
    quarn::CQuarnToolApp app{std::function<bool()>{}};
#endif
    return app.Run();
}
