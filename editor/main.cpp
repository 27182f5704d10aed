#include "editor/quarn_tool_app.hpp"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The command line is not read: the editor always starts with an empty
    // document.
    // SOCKET LAYER HOOK: hand the device link's once-per-program socket
    // start-up to the application here; until then there is nothing to start.
    quarn::CQuarnToolApp app{std::function<bool()>{}};
    return app.Run();
}
