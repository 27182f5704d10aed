// The windows without a mouse: Alt and a letter opens each menu, the Extra
// menu's commands have keys, F4 and Alt+Down open a date field's calendar,
// Space presses the focused button (Enter too on Direct control's relays),
// and Tab visits every control of every window once, in order.
#include "devicelink/ui/relay_button.hpp"
#include "editor/date_time_ctrl_ex.hpp"
#include "tests/editor/every_window.hpp"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace quarn;
using namespace quarn::test;

namespace {

QMenuBar* MenuBarOf(const QWidget& window)
{
    return window.findChild<QMenuBar*>(QStringLiteral("menuBar"));
}

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// A key for the control that has the focus in window, whether or not the
// platform has made that window the active one.
void PressIn(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(window.focusWidget() != nullptr ? window.focusWidget() : &window, key, modifiers);
}

// The popup that holds a date field's calendar, once it is open.
QWidget* OpenCalendar(const CDateTimeCtrlEx& field)
{
    QCalendarWidget* calendar = field.calendarWidget();
    return calendar != nullptr && calendar->window()->isVisible() ? calendar->window() : nullptr;
}

}  // namespace

class TestWindowKeys : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void altAndALetterOpensEachMenu_data();
    void altAndALetterOpensEachMenu();
    void extraCommandsHaveKeysOfTheirOwn_data();
    void extraCommandsHaveKeysOfTheirOwn();
    void calendarOpensFromTheKeyboard_data();
    void calendarOpensFromTheKeyboard();
    void calendarKeysLeaveATimeFieldAlone();
    void spacePressesTheFocusedButton();
    void directControlRunsFromTheKeyboard();

    void tabVisitsEveryControlOnce_data();
    void tabVisitsEveryControlOnce();

private:
    QTemporaryDir settingsDir_;
    RecentFileList recent_;
    ScriptedFileDialogs files_;
    std::unique_ptr<CQuarnToolDlg> window_;
};

void TestWindowKeys::initTestCase()
{
    QVERIFY(settingsDir_.isValid());
    UsePrivateSettings(settingsDir_.path());
}

void TestWindowKeys::init()
{
    window_ = std::make_unique<CQuarnToolDlg>(recent_, files_);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void TestWindowKeys::cleanup()
{
    window_.reset();
    SetWindowExchangePortForTesting(0);
}

void TestWindowKeys::altAndALetterOpensEachMenu_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("menu");
    QTest::newRow("Alt+F") << QKeySequence(QStringLiteral("Alt+F")) << QStringLiteral("File");
    QTest::newRow("Alt+E") << QKeySequence(QStringLiteral("Alt+E")) << QStringLiteral("Edit");
    QTest::newRow("Alt+X") << QKeySequence(QStringLiteral("Alt+X")) << QStringLiteral("Extra");
    QTest::newRow("Alt+H") << QKeySequence(QStringLiteral("Alt+H")) << QStringLiteral("Help");
}

void TestWindowKeys::altAndALetterOpensEachMenu()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, menu);
    // From a blank date field, which keeps most keys from the window.
    window_->TimerField(2, 0)->setFocus();
    QTest::keySequence(QApplication::focusWidget(), keys);

    QMenuBar* bar = MenuBarOf(*window_);
    QVERIFY(bar != nullptr);
    QAction* active = bar->activeAction();
    QVERIFY2(active != nullptr && active->menu() != nullptr, "no menu opened");
    QCOMPARE(active->menu()->title(), menu);
    QTRY_VERIFY2(active->menu()->isVisible(), "the menu did not drop down");
    // The menu is walked with the keyboard from there: Escape closes it and
    // the field has not changed.
    QTest::keyClick(active->menu(), Qt::Key_Escape);
    QTRY_VERIFY(!active->menu()->isVisible());
    QVERIFY(window_->TimerField(2, 0)->IsBlank());
    QVERIFY(!window_->Model().modified);
}

void TestWindowKeys::extraCommandsHaveKeysOfTheirOwn_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("Direct control") << int(CQuarnToolDlg::kDirectControl) << QKeySequence(QStringLiteral("Ctrl+D"));
    QTest::newRow("Week preview") << int(CQuarnToolDlg::kWeekPreview) << QKeySequence(QStringLiteral("Ctrl+R"));
    QTest::newRow("Upload") << int(CQuarnToolDlg::kUpload) << QKeySequence(QStringLiteral("Ctrl+L"));
}

void TestWindowKeys::extraCommandsHaveKeysOfTheirOwn()
{
    QFETCH(int, command);
    QFETCH(QKeySequence, keys);
    QAction* action = window_->CommandAction(command);
    QVERIFY(action != nullptr);
    // Only which command the key reaches is looked at here; the commands
    // themselves have tests of their own.
    action->disconnect(window_.get());
    QSignalSpy triggered(action, &QAction::triggered);

    // From a date field that shows a value, which takes many keys itself.
    CDateTimeCtrlEx* field = window_->TimerField(1, 1);
    field->SetDisplayFormat(field->NormalFormat());
    field->setFocus();
    QTest::keySequence(QApplication::focusWidget(), keys);
    QCOMPARE(triggered.count(), 1);

    // No other command of the window answers the same key.
    for (QAction* other : window_->findChildren<QAction*>()) {
        if (other != action)
            QVERIFY2(!other->shortcuts().contains(keys), qPrintable(other->text()));
    }
}

void TestWindowKeys::calendarOpensFromTheKeyboard_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("blank");
    QTest::addColumn<bool>("pick");
    QTest::newRow("F4, blank field, date picked") << QKeySequence(Qt::Key_F4) << true << true;
    QTest::newRow("Alt+Down, blank field, date picked") << QKeySequence(QStringLiteral("Alt+Down")) << true << true;
    QTest::newRow("F4, blank field, Escape") << QKeySequence(Qt::Key_F4) << true << false;
    QTest::newRow("Alt+Down, shown field, date picked") << QKeySequence(QStringLiteral("Alt+Down")) << false << true;
    QTest::newRow("F4, shown field, Escape") << QKeySequence(Qt::Key_F4) << false << false;
}

void TestWindowKeys::calendarOpensFromTheKeyboard()
{
    QFETCH(QKeySequence, keys);
    QFETCH(bool, blank);
    QFETCH(bool, pick);
    CDateTimeCtrlEx* field = window_->TimerField(3, 2);
    field->SetValue(QDateTime(QDate(2026, 3, 10), QTime(0, 0)));
    if (!blank)
        field->SetDisplayFormat(field->NormalFormat());
    field->setFocus();

    QTest::keySequence(QApplication::focusWidget(), keys);
    QWidget* popup = nullptr;
    QTRY_VERIFY2((popup = OpenCalendar(*field)) != nullptr, "the calendar did not open");
    // Opening it alone changes nothing.
    QCOMPARE(field->IsBlank(), blank);
    QVERIFY(!window_->Model().modified);

    QCalendarWidget* calendar = field->calendarWidget();
    if (pick) {
        QTest::keyClick(calendar->focusWidget() != nullptr ? calendar->focusWidget() : calendar, Qt::Key_Right);
        QTest::keyClick(calendar->focusWidget() != nullptr ? calendar->focusWidget() : calendar, Qt::Key_Return);
    } else {
        QTest::keyClick(calendar->focusWidget() != nullptr ? calendar->focusWidget() : calendar, Qt::Key_Escape);
    }
    QTRY_VERIFY(!popup->isVisible());
    QTest::qWait(20);
    if (pick) {
        QVERIFY2(!field->IsBlank(), "the picked date is not shown");
        QCOMPARE(field->date(), QDate(2026, 3, 11));
        QVERIFY2(window_->Model().modified, "picking a date did not mark the document changed");
    } else {
        QCOMPARE(field->IsBlank(), blank);
        QCOMPARE(field->date(), QDate(2026, 3, 10));
        QVERIFY(!window_->Model().modified);
    }
}

void TestWindowKeys::calendarKeysLeaveATimeFieldAlone()
{
    CDateTimeCtrlEx* field = window_->TimerField(3, 1);
    field->setFocus();
    Press(Qt::Key_F4);
    Press(Qt::Key_Down, Qt::AltModifier);
    QVERIFY(field->IsBlank());
    QVERIFY(!window_->Model().modified);
}

void TestWindowKeys::spacePressesTheFocusedButton()
{
    // Enter does nothing in the main window, on a button too (its own test
    // says so); Space is the key that presses one.
    const Qt::Key key = Qt::Key_Space;
    // "A" of T4 ticks all its days; "N" clears them again.
    window_->Control(CQuarnToolDlg::kFirstAllDaysButton + 4)->setFocus();
    Press(key);
    for (int d = 0; d < 7; ++d)
        QVERIFY(static_cast<QCheckBox*>(window_->Control(CQuarnToolDlg::kFirstWeekdayBox + 7 * 4 + d))->isChecked());
    window_->Control(CQuarnToolDlg::kFirstNoDaysButton + 4)->setFocus();
    Press(key);
    for (int d = 0; d < 7; ++d)
        QVERIFY(!static_cast<QCheckBox*>(window_->Control(CQuarnToolDlg::kFirstWeekdayBox + 7 * 4 + d))->isChecked());
    QVERIFY(window_->isVisible());
}

void TestWindowKeys::directControlRunsFromTheKeyboard()
{
    SettingsStore::WriteString(QStringLiteral("direct"), QStringLiteral("url"), QStringLiteral("127.0.0.1"));
    SetWindowExchangePortForTesting(ClosedPort());
    QStringList requests;
    bool stillOpenAfterEnter = false;
    WhenModalOpens<CDirectDlg>([&](CDirectDlg& dialog) {
        // A failed check must not leave the window open over the test.
        const struct CloseAtEnd {
            CDirectDlg& window;
            ~CloseAtEnd() { window.reject(); }
        } closeAtEnd{dialog};
        QTRY_VERIFY(dialog.RelayButton(3)->CheckState() == Qt::PartiallyChecked);
        LetQueuedInputPass();
        // Tab from the address to R3, Space switches it on, Enter off again.
        dialog.UrlField()->setFocus();
        for (int i = 0; i < 4; ++i)
            PressIn(dialog, Qt::Key_Tab);
        QCOMPARE(FocusedControlId(dialog), 1232);
        for (const auto& [key, mask] : {std::pair{Qt::Key_Space, 8}, std::pair{Qt::Key_Return, 0}}) {
            TestPeer peer({"HTTP/1.0 200 OK\r\n\r\n<p id=\"R\">" + std::to_string(mask) + "</p>"});
            SetWindowExchangePortForTesting(peer.Port());
            PressIn(dialog, key);
            requests << QString::fromStdString(peer.Request());
            QTRY_COMPARE(dialog.RelayButton(3)->CheckState(), mask != 0 ? Qt::Checked : Qt::Unchecked);
            LetQueuedInputPass();
        }
        stillOpenAfterEnter = dialog.isVisible();
        // Enter elsewhere is Exit's.
        SetWindowExchangePortForTesting(ClosedPort());
        dialog.UrlField()->setFocus();
        PressIn(dialog, Qt::Key_Return);
    });
    QTest::keySequence(window_.get(), QKeySequence(QStringLiteral("Ctrl+D")));
    QCOMPARE(requests, (QStringList{QStringLiteral("GET /control.html?D=1 HTTP/1.0\r\n\r\n"),
                                    QStringLiteral("GET /control.html?D=0 HTTP/1.0\r\n\r\n")}));
    QVERIFY2(stillOpenAfterEnter, "Enter on a relay closed the window");
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void TestWindowKeys::tabVisitsEveryControlOnce_data()
{
    QTest::addColumn<int>("index");
    int index = 0;
    for (const WindowCase& window : EveryWindow(recent_, files_))
        QTest::newRow(window.name) << index++;
}

void TestWindowKeys::tabVisitsEveryControlOnce()
{
    QFETCH(int, index);
    window_.reset();
    const WindowCase windowCase = EveryWindow(recent_, files_)[index];
    std::unique_ptr<QWidget> window = windowCase.make();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    LetQueuedInputPass();
    const std::vector<int>& expected = windowCase.tabOrder;
    FindControl(*window, expected.front())->setFocus();

    std::vector<int> visited{FocusedControlId(*window)};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        PressIn(*window, Qt::Key_Tab);
        visited.push_back(FocusedControlId(*window));
    }
    // Round once, back at the start.
    std::vector<int> round = expected;
    round.push_back(expected.front());
    QCOMPARE(visited, round);
    // Shift+Tab goes back the same way.
    PressIn(*window, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(FocusedControlId(*window), expected.back());
}

QTEST_MAIN(TestWindowKeys)
#include "tst_window_keys.moc"
