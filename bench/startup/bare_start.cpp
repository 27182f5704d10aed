// The reference for start-up: a bare QWidget of the editor window's size,
// shown and closed at its first paint.
#include "bench/startup/first_paint.hpp"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(640, 480);
    quarn::bench::FirstPaint firstPaint([] { QApplication::quit(); });
    window.installEventFilter(&firstPaint);
    window.show();
    return application.exec();
}
