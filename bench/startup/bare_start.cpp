// The reference for start-up: a bare QWidget of the editor window's size,
// shown and closed at its first paint. With --text it also draws one line of
// text, so that the font database is loaded as in any window with labels.
#include "bench/startup/first_paint.hpp"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(640, 480);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0)
        new QLabel(QStringLiteral("QUARN"), &window);
    quarn::bench::FirstPaint firstPaint([] { QApplication::quit(); });
    window.installEventFilter(&firstPaint);
    window.show();
    return application.exec();
}
