// The direct-control window against a loopback peer: the relay states at
// opening, a switch per button press, the unknown state until the controller
// reports a state, input dropped while an exchange waits, and the address it
// keeps.
#include "devicelink/ui/direct_dlg.hpp"
#include "devicelink/ui/relay_button.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "tests/support/qt/window_test_support.hpp"
#include "tests/support/test_peer.hpp"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>
#include <optional>

using namespace quarn;
using namespace quarn::test;
using quarn::test::ClosedPort;
using quarn::test::TestPeer;

namespace {

const QString kHost = QStringLiteral("127.0.0.1");
const QByteArray kUnreachable = "unreachable";

QByteArray MaskPage(int mask)
{
    return "HTTP/1.0 200 OK\r\n\r\n<html><body>Relays <span id=\"R\">" + QByteArray::number(mask) +
           "</span></body></html>";
}

// One exchange: a peer that answers reply, or no peer at all.
class Answer {
public:
    explicit Answer(const QByteArray& reply)
    {
        if (reply == kUnreachable) {
            SetWindowExchangePortForTesting(ClosedPort());
            return;
        }
        peer_.emplace(std::vector<std::string>{reply.toStdString()});
        SetWindowExchangePortForTesting(peer_->Port());
    }
    // The request the peer got; empty without a peer.
    QByteArray Request() { return peer_ ? QByteArray::fromStdString(peer_->Request()) : QByteArray(); }

private:
    std::optional<TestPeer> peer_;
};

// Input queued up while an exchange blocked is handed out, and dropped, once
// the event loop runs again; after that the window takes input.
void WaitUntilInputIsTaken()
{
    QCoreApplication::processEvents();
    LetQueuedInputPass();
}

// A click on button that waits in the event queue, as one made while the
// program is busy does.
void PostClick(QWidget* button)
{
    const QPointF at = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(at);
    QCoreApplication::postEvent(
        button, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(
        button, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

// The buttons as one text: 1 on, 0 off, ? unknown.
QString States(const CDirectDlg& dialog)
{
    QString states;
    for (int i = 0; i < kRelayCount; ++i) {
        const CRelayButton* button = dialog.RelayButton(i);
        switch (button->CheckState()) {
        case Qt::Checked:
            states += '1';
            break;
        case Qt::PartiallyChecked:
            states += button->toolTip().isEmpty() ? '!' : '?';
            break;
        default:
            states += '0';
        }
    }
    return states;
}

}  // namespace

class TestDirectDlg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsAndDefaultAddress();
    void statesAtOpening_data();
    void statesAtOpening();
    void press_data();
    void press();
    void pressOnUnknownSwitchesOn();
    void clickMadeWhileAnExchangeWaitsIsDropped();
    void statesDifferWithoutColour();
    void addressStoredOnClose_data();
    void addressStoredOnClose();

private:
    // Opens the window; the controller answers the first GET with reply.
    std::unique_ptr<CDirectDlg> Open(const QByteArray& reply);
    // Clicks relay's button; the controller answers with reply.
    QByteArray Press(CDirectDlg& dialog, int relay, const QByteArray& reply);

    QTemporaryDir settingsDir_;
};

void TestDirectDlg::initTestCase()
{
    QVERIFY(settingsDir_.isValid());
    UsePrivateSettings(settingsDir_.path());
}

void TestDirectDlg::init()
{
    // What the last test queued up behind an exchange is dropped first.
    LetQueuedInputPass();
    SettingsStore::WriteString("direct", "url", kHost);
}

void TestDirectDlg::cleanup()
{
    SetWindowExchangePortForTesting(0);
}

std::unique_ptr<CDirectDlg> TestDirectDlg::Open(const QByteArray& reply)
{
    Answer answer(reply);
    auto dialog = std::make_unique<CDirectDlg>();
    QSignalSpy exchanges(dialog.get(), &CDirectDlg::exchangeEnded);
    dialog->show();
    // The window shows before it asks, with no relay's state known.
    [&] {
        QVERIFY(dialog->isVisible());
        QCOMPARE(exchanges.count(), 0);
        QCOMPARE(States(*dialog), QStringLiteral("????????"));
    }();
    [&] { QTRY_COMPARE(exchanges.count(), 1); }();
    if (reply != kUnreachable)
        [&] { QCOMPARE(answer.Request(), QByteArray("GET /control.html HTTP/1.0\r\n\r\n")); }();
    QCoreApplication::sendPostedEvents(dialog.get(), kRelayStatesEvent);
    WaitUntilInputIsTaken();
    return dialog;
}

QByteArray TestDirectDlg::Press(CDirectDlg& dialog, int relay, const QByteArray& reply)
{
    Answer answer(reply);
    const QString before = States(dialog);
    QTest::mouseClick(dialog.RelayButton(relay), Qt::LeftButton);
    const QByteArray request = answer.Request();
    // The relay mask arrives by a posted event, after the click's handler;
    // until then the click has changed nothing a controller did not say.
    const QString after = States(dialog);
    if (after != before && !(after[relay] == '?' && before[relay] != '?'))
        QTest::qFail(qPrintable(QStringLiteral("the click alone turned %1 into %2").arg(before, after)), __FILE__,
                     __LINE__);
    QCoreApplication::sendPostedEvents(&dialog, kRelayStatesEvent);
    WaitUntilInputIsTaken();
    return request;
}

void TestDirectDlg::controlsAndDefaultAddress()
{
    SettingsStore::RemoveSection("direct");
    CDirectDlg dialog;
    QCOMPARE(dialog.m_url, QStringLiteral("quarn"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("QuarnTool: Direct control"));
    // The template's ids: 1227 address, 1229..1236 R0..R7, 1 Exit.
    QCOMPARE(CDirectDlg::kUrlId, 1227);
    QCOMPARE(CDirectDlg::kFirstRelayId, 1229);
    QCOMPARE(CDirectDlg::kExitId, 1);
    QVERIFY(FindControl<QLineEdit>(dialog, CDirectDlg::kUrlId) == dialog.UrlField());
    for (int i = 0; i < kRelayCount; ++i) {
        auto* button = FindControl<CRelayButton>(dialog, CDirectDlg::kFirstRelayId + i);
        QVERIFY2(button != nullptr, qPrintable(QStringLiteral("no button R%1").arg(i)));
        QCOMPARE(button->text(), QStringLiteral("R%1").arg(i));
    }
    auto* exitButton = FindControl<QPushButton>(dialog, CDirectDlg::kExitId);
    QVERIFY(exitButton != nullptr);
    QCOMPARE(exitButton->text(), QStringLiteral("Exit"));
    QVERIFY(exitButton->isDefault());
}

void TestDirectDlg::statesAtOpening_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("states");

    QTest::newRow("5") << MaskPage(5) << "10100000";
    QTest::newRow("256, higher bits ignored") << MaskPage(256) << "00000000";
    QTest::newRow("255") << MaskPage(255) << "11111111";
    QTest::newRow("white space before the number")
        << QByteArray("HTTP/1.1 200 OK\r\n\r\n<b id=\"R\">\r\n  3</b>") << "11000000";
    // Without a relay mask nothing is known; no relay is shown off on a guess.
    QTest::newRow("something else before the number")
        << QByteArray("HTTP/1.0 200 OK\r\n\r\n<b id=\"R\">x3</b>") << "????????";
    QTest::newRow("401 with a mask") << QByteArray("HTTP/1.0 401 Unauthorized\r\n\r\n<b id=\"R\">3</b>") << "????????";
    QTest::newRow("unreachable") << kUnreachable << "????????";
}

void TestDirectDlg::statesAtOpening()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, states);

    const auto dialog = Open(reply);
    QCOMPARE(States(*dialog), states);
    QCOMPARE(dialog->UrlField()->text(), kHost);
}

void TestDirectDlg::press_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("states");

    const QByteArray r3On = "GET /control.html?D=1 HTTP/1.0\r\n\r\n";
    QTest::newRow("on, buttons follow the mask") << 5 << MaskPage(9) << r3On << "10010000";
    QTest::newRow("off") << 8 << MaskPage(0) << QByteArray("GET /control.html?D=0 HTTP/1.0\r\n\r\n") << "00000000";
    QTest::newRow("200 without mask") << 5 << QByteArray("HTTP/1.0 200 OK\r\n\r\n<html></html>") << r3On << "101?0000";
    QTest::newRow("401") << 5 << QByteArray("HTTP/1.0 401 Unauthorized\r\n\r\n") << r3On << "101?0000";
    QTest::newRow("500 with a mask") << 5 << QByteArray("HTTP/1.0 500 Oops\r\n\r\n<b id=\"R\">255</b>") << r3On
                                     << "101?0000";
    QTest::newRow("no status line") << 5 << QByteArray("garbage\r\n") << r3On << "101?0000";
    QTest::newRow("unreachable") << 5 << kUnreachable << QByteArray() << "101?0000";
}

void TestDirectDlg::press()
{
    QFETCH(int, before);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, request);
    QFETCH(QString, states);

    const auto dialog = Open(MaskPage(before));
    QCOMPARE(Press(*dialog, 3, reply), request);
    QCOMPARE(States(*dialog), states);
}

void TestDirectDlg::pressOnUnknownSwitchesOn()
{
    const auto dialog = Open(MaskPage(0));
    Press(*dialog, 6, "HTTP/1.0 401 Unauthorized\r\n\r\n");
    QCOMPARE(States(*dialog), QStringLiteral("000000?0"));
    QCOMPARE(Press(*dialog, 6, MaskPage(64)), QByteArray("GET /control.html?G=1 HTTP/1.0\r\n\r\n"));
    QCOMPARE(States(*dialog), QStringLiteral("00000010"));
    QVERIFY(dialog->RelayButton(6)->toolTip().isEmpty());
}

void TestDirectDlg::clickMadeWhileAnExchangeWaitsIsDropped()
{
    // Clicks on Exit and on R5 queue up while R3's switch waits; they are
    // dropped, not run against the window as it is after the wait.
    const auto dialog = Open(MaskPage(0));
    PostClick(FindControl<QPushButton>(*dialog, CDirectDlg::kExitId));
    PostClick(dialog->RelayButton(5));
    QCOMPARE(Press(*dialog, 3, MaskPage(8)), QByteArray("GET /control.html?D=1 HTTP/1.0\r\n\r\n"));
    QVERIFY2(dialog->isVisible(), "Exit clicked during the wait closed the window after it");
    QCOMPARE(States(*dialog), QStringLiteral("00010000"));
    // A click made after the wait counts.
    QCOMPARE(Press(*dialog, 5, MaskPage(40)), QByteArray("GET /control.html?F=1 HTTP/1.0\r\n\r\n"));
    QCOMPARE(States(*dialog), QStringLiteral("00010100"));
}

void TestDirectDlg::addressStoredOnClose_data()
{
    QTest::addColumn<bool>("pressFirst");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("stored");

    // 127.0.0.2 is loopback too, but nothing listens there: refused at once.
    QTest::newRow("Exit takes the field") << false << "exit"
                                          << "127.0.0.2";
    QTest::newRow("Enter is Exit") << false << "enter"
                                   << "127.0.0.2";
    QTest::newRow("Escape keeps the loaded address") << false << "escape" << kHost;
    QTest::newRow("close box keeps the loaded address") << false << "close" << kHost;
    QTest::newRow("Escape keeps the address of the last press") << true << "escape"
                                                                << "127.0.0.2";
}

void TestDirectDlg::addressStoredOnClose()
{
    QFETCH(bool, pressFirst);
    QFETCH(QString, how);
    QFETCH(QString, stored);

    auto dialog = Open(MaskPage(0));
    dialog->UrlField()->setText(QStringLiteral("127.0.0.2"));
    if (pressFirst) {
        Press(*dialog, 0, kUnreachable);
        QCOMPARE(States(*dialog), QStringLiteral("?0000000"));
    }
    if (how == "exit")
        FindControl<QPushButton>(*dialog, CDirectDlg::kExitId)->click();
    else if (how == "enter")
        QTest::keyClick(dialog->UrlField(), Qt::Key_Return);
    else if (how == "escape")
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    else
        dialog->close();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(SettingsStore::ReadString("direct", "url", "-"), kHost);  // not before destruction
    dialog.reset();
    QCOMPARE(SettingsStore::ReadString("direct", "url", "-"), stored);
}

void TestDirectDlg::statesDifferWithoutColour()
{
    // Drawn in grey only, on, off and unknown still look different, and the
    // unknown state is not merely the off look with something faint on it.
    CRelayButton button(QStringLiteral("R3"));
    button.resize(48, 32);
    const auto grey = [&button](Qt::CheckState state) {
        button.SetCheckState(state);
        return button.grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    };
    const QImage on = grey(Qt::Checked);
    const QImage off = grey(Qt::Unchecked);
    const QImage unknown = grey(Qt::PartiallyChecked);
    QVERIFY2(on != off, "on and off look the same in grey");
    QVERIFY2(unknown != off && unknown != on, "unknown looks like on or off in grey");
    // On is the dark one: its face is much darker than off's.
    const auto meanGrey = [](const QImage& image) {
        long long sum = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                sum += qGray(image.pixel(x, y));
        }
        return sum / (image.width() * image.height());
    };
    QVERIFY2(meanGrey(on) + 40 < meanGrey(off),
             qPrintable(QStringLiteral("on %1, off %2").arg(meanGrey(on)).arg(meanGrey(off))));
}

QTEST_MAIN(TestDirectDlg)
#include "tst_direct_dlg.moc"
