// An exchange started from a window blocks the program's one thread, yet
// the windows go on painting; nothing else is handled until it ends, and the
// keys and clicks that queued up meanwhile are dropped.
#include "devicelink/device_exchange.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "platform/blocked_input.hpp"
#include "tests/support/test_peer.hpp"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace quarn;

namespace {

bool WaitCursorShown()
{
    return QApplication::overrideCursor() != nullptr;
}

// Counts what reaches it while the wait cursor shows, that is while an
// exchange blocks.
class Witness : public QWidget {
public:
    int paintsWhileBlocked = 0;
    int inputWhileBlocked = 0;
    int postedWhileBlocked = 0;
    int keys = 0;
    int posted = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (WaitCursorShown())
            ++paintsWhileBlocked;
    }
    void keyPressEvent(QKeyEvent*) override
    {
        ++keys;
        if (WaitCursorShown())
            ++inputWhileBlocked;
    }
    void customEvent(QEvent*) override
    {
        ++posted;
        if (WaitCursorShown())
            ++postedWhileBlocked;
    }
};

}  // namespace

class TestWindowExchange : public QObject {
    Q_OBJECT

private slots:
    void windowsPaintWhileAnExchangeWaits();
};

void TestWindowExchange::windowsPaintWhileAnExchangeWaits()
{
    Witness window;
    window.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();

    // Queued before the exchange: a repaint, a key, an event of the
    // program's own and a timer. Only the repaint may happen during it.
    window.update();
    QApplication::postEvent(&window, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    QApplication::postEvent(&window, new QEvent(QEvent::User));
    bool timerWhileBlocked = false;
    bool timerFired = false;
    QTimer::singleShot(0, &window, [&] {
        timerFired = true;
        timerWhileBlocked = WaitCursorShown();
    });

    // A controller that takes the request and never answers: the receive
    // waits its whole limit.
    quarn::test::TestPeer peer({}, quarn::test::TestPeer::Ending::StaySilent);
    SetWindowExchangePortForTesting(peer.Port());
    ExchangeOptions options = WindowExchangeOptions();
    options.receiveTimeLimit = std::chrono::milliseconds(700);
    const ExchangeResult result = DeviceExchange(u"127.0.0.1", "GET /control.html HTTP/1.0\r\n\r\n", true, options);
    SetWindowExchangePortForTesting(0);
    QCOMPARE(result.failure, ExchangeFailure::None);
    QVERIFY(!WaitCursorShown());

    QVERIFY2(window.paintsWhileBlocked >= 2,
             qPrintable(QStringLiteral("%1 paints while the exchange waited").arg(window.paintsWhileBlocked)));
    QCOMPARE(window.keys, 0);
    QCOMPARE(window.posted, 0);
    QVERIFY(!timerFired);

    // Afterwards the program's own events and the timer arrive; the key that
    // waited in the queue does not.
    QTRY_VERIFY(timerFired);
    QTRY_VERIFY(!InputIsDropped());
    QCOMPARE(window.posted, 1);
    QCOMPARE(window.keys, 0);
    QCOMPARE(window.inputWhileBlocked, 0);
    QCOMPARE(window.postedWhileBlocked, 0);
    QVERIFY(!timerWhileBlocked);

    // A key pressed once the exchange is over counts.
    QTest::keyClick(&window, Qt::Key_B);
    QCOMPARE(window.keys, 1);
}

QTEST_MAIN(TestWindowExchange)
#include "tst_window_exchange.moc"
