#include "converter/ui/morvex_app.hpp"
#include "devicelink/socket_layer.hpp"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The command line is not read.
    quarn::CMorvexApp app{[] { return quarn::net::StartSocketLayer(); }};
    return app.Run();
}
