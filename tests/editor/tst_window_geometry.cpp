// Where the windows go: the editor's place is kept from one run to the next
// in a settings section of its own and put back on the screen, a place that
// cannot be read is ignored, and on a screen smaller than the grid the grid
// (or a dialog's fixed controls) scrolls inside a window that fits.
#include "devicelink/ui/upload_dlg.hpp"
#include "document/ui/input_dlg.hpp"
#include "editor/about_dlg.hpp"
#include "editor/quarn_tool_app.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/version_dlg.hpp"
#include "platform/window_geometry.hpp"
#include "tests/support/qt/window_test_support.hpp"

#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include <array>

using namespace quarn;
using namespace quarn::test;

namespace {

QRect Available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

}  // namespace

class TestWindowGeometry : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void clampKeepsAWindowOnTheArea_data();
    void clampKeepsAWindowOnTheArea();
    void placeIsKeptFromOneRunToTheNext();
    void storedPlaceOffTheScreenIsPutBackOnIt();
    void storedPlaceThatCannotBeReadIsIgnored_data();
    void storedPlaceThatCannotBeReadIsIgnored();
    void gridScrollsOnAScreenSmallerThanTheWindow();
    void fixedControlsScrollOnAScreenSmallerThanTheirWindow();
    void dialogsStayWithinTheScreen();

private:
    QTemporaryDir settingsDir_;
};

void TestWindowGeometry::initTestCase()
{
    QVERIFY(settingsDir_.isValid());
    UsePrivateSettings(settingsDir_.path());
}

void TestWindowGeometry::init()
{
    SettingsStore::RemoveSection(kWindowSection);
}

void TestWindowGeometry::clampKeepsAWindowOnTheArea_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QRect>("expected");
    // The area is 1024 x 768 at (0, 0).
    QTest::newRow("inside") << QRect(10, 20, 300, 200) << QRect(10, 20, 300, 200);
    QTest::newRow("past the right and bottom edges") << QRect(900, 700, 300, 200) << QRect(724, 568, 300, 200);
    QTest::newRow("above and left of the area") << QRect(-50, -10, 300, 200) << QRect(0, 0, 300, 200);
    QTest::newRow("larger than the area") << QRect(100, 100, 1838, 900) << QRect(0, 0, 1024, 768);
    QTest::newRow("on a screen that is gone") << QRect(3000, 2000, 400, 300) << QRect(624, 468, 400, 300);
}

void TestWindowGeometry::clampKeepsAWindowOnTheArea()
{
    QFETCH(QRect, rect);
    QFETCH(QRect, expected);
    QCOMPARE(ClampToArea(rect, QRect(0, 0, 1024, 768)), expected);
    // An area to the right of another screen works the same way.
    QCOMPARE(ClampToArea(rect.translated(1280, 0), QRect(1280, 0, 1024, 768)), expected.translated(1280, 0));
}

void TestWindowGeometry::placeIsKeptFromOneRunToTheNext()
{
    const QRect area = Available();
    QRect place;
    {
        CQuarnToolApp app;
        QVERIFY(app.InitInstance());
        CQuarnToolDlg* window = app.MainWindow();
        // A place that differs from where the window would open by itself;
        // the platform may still nudge it, so what counts is where it was
        // when it closed.
        const QSize size = window->minimumSize();
        window->setGeometry(QRect(area.topLeft() + QPoint(std::min(7, area.width() - size.width()),
                                                          std::min(9, area.height() - size.height())),
                                  size));
        QTimer::singleShot(0, window, [window, &place] {
            place = window->geometry();
            window->reject();
        });
        app.RunMainWindow();
        QVERIFY(place.isValid());
        // The offscreen platform may nudge a hidden window by its frame.
        QVERIFY2((window->geometry().topLeft() - place.topLeft()).manhattanLength() <= 4,
                 "the window moved while it closed");
        place = window->geometry();
        app.ExitInstance();
    }
    QCOMPARE(StoredWindowGeometry(CQuarnToolApp::kMainWindowPlacement), place);

    CQuarnToolApp next;
    QVERIFY(next.InitInstance());
    QCOMPARE(next.MainWindow()->geometry(), ClampToArea(place, area));
    QCOMPARE(next.MainWindow()->size(), place.size());
}

void TestWindowGeometry::storedPlaceOffTheScreenIsPutBackOnIt()
{
    const QRect area = Available();
    SettingsStore::WriteString(kWindowSection, CQuarnToolApp::kMainWindowPlacement,
                               QStringLiteral("%1,%2,4000,3000").arg(area.right() + 500).arg(area.bottom() + 500));
    CQuarnToolApp app;
    QVERIFY(app.InitInstance());
    const QRect placed = app.MainWindow()->geometry();
    QVERIFY2(area.contains(placed), qPrintable(QStringLiteral("placed at %1,%2 %3x%4")
                                                   .arg(placed.x())
                                                   .arg(placed.y())
                                                   .arg(placed.width())
                                                   .arg(placed.height())));
}

void TestWindowGeometry::storedPlaceThatCannotBeReadIsIgnored_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty") << QString();
    QTest::newRow("three numbers") << QStringLiteral("10,10,400");
    QTest::newRow("five numbers") << QStringLiteral("10,10,400,300,1");
    QTest::newRow("not numbers") << QStringLiteral("a,b,c,d");
    QTest::newRow("no width") << QStringLiteral("10,10,0,300");
    QTest::newRow("negative height") << QStringLiteral("10,10,400,-300");
    QTest::newRow("number too large") << QStringLiteral("10,10,99999999999,300");
}

void TestWindowGeometry::storedPlaceThatCannotBeReadIsIgnored()
{
    QFETCH(QString, stored);
    SettingsStore::WriteString(kWindowSection, CQuarnToolApp::kMainWindowPlacement, stored);
    QCOMPARE(StoredWindowGeometry(CQuarnToolApp::kMainWindowPlacement), QRect());

    RecentFileList recent;
    ScriptedFileDialogs files;
    CQuarnToolDlg window(recent, files);
    const QRect before = window.geometry();
    RestoreWindowGeometry(&window, CQuarnToolApp::kMainWindowPlacement);
    QCOMPARE(window.geometry(), before);
}

void TestWindowGeometry::gridScrollsOnAScreenSmallerThanTheWindow()
{
    RecentFileList recent;
    ScriptedFileDialogs files;
    CQuarnToolDlg window(recent, files);
    auto* scroll = window.findChild<QScrollArea*>(QStringLiteral("gridScroll"));
    QVERIFY(scroll != nullptr);
    const QSize grid = scroll->widget()->size();
    const QRect area = Available();
    if (grid.width() <= area.width())
        QSKIP("the screen is wide enough for the whole grid");

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(window.width() <= area.width() && window.minimumWidth() <= area.width(), "the window runs off the screen");
    QVERIFY2(scroll->horizontalScrollBar()->isVisible(), "the grid is cut off without a scroll bar");

    // Tab to a control past the right edge brings it into view.
    QWidget* last = window.Control(CQuarnToolDlg::kFirstNoDaysButton);
    window.activateWindow();
    window.Control(CQuarnToolDlg::kFirstAllDaysButton)->setFocus();
    QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
    QCOMPARE(window.focusWidget(), last);
    const QRect seen(last->mapTo(scroll->viewport(), QPoint(0, 0)), last->size());
    QVERIFY2(scroll->viewport()->rect().contains(seen), "the focused button stays out of view");

    // Large enough for the whole grid, the window needs no scroll bar.
    window.resize(grid + QSize(0, window.height() - scroll->height()));
    QApplication::processEvents();
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QVERIFY(!scroll->verticalScrollBar()->isVisible());
}

void TestWindowGeometry::fixedControlsScrollOnAScreenSmallerThanTheirWindow()
{
    // A window laid out, as the dialogs are, at fixed places over more room
    // than the screen has; Tab order and places stay as they were made.
    const QRect area = Available();
    const QSize designed = area.size() + QSize(300, 200);
    QWidget window;
    auto* first = new QPushButton(QStringLiteral("first"), &window);
    first->setGeometry(10, 10, 80, 30);
    auto* far = new QPushButton(QStringLiteral("far"), &window);
    far->setGeometry(designed.width() - 90, designed.height() - 40, 80, 30);
    auto* field = new QLineEdit(&window);
    field->setGeometry(100, 10, 80, 30);
    ScrollControlsWithinScreen(&window, designed);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(window.width() < area.width() && window.height() < area.height(), "the window runs off the screen");
    auto* scroll = window.findChild<QScrollArea*>(QStringLiteral("controlsScroll"));
    QVERIFY(scroll != nullptr);
    QVERIFY(scroll->horizontalScrollBar()->isVisible());
    QVERIFY(scroll->verticalScrollBar()->isVisible());
    QCOMPARE(far->geometry(), QRect(designed.width() - 90, designed.height() - 40, 80, 30));

    first->setFocus();
    QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
    QCOMPARE(window.focusWidget(), far);
    const QRect seen(far->mapTo(scroll->viewport(), QPoint(0, 0)), far->size());
    QVERIFY2(scroll->viewport()->rect().contains(seen), "the focused button stays out of view");
    QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
    QCOMPARE(window.focusWidget(), field);
}

// The dialogs laid out at fixed places stay within the screen: at the scale
// factor of an ordinary screen they are exactly as laid out; where the screen
// has less room (ctest runs this program again at QT_SCALE_FACTOR=3) their
// controls scroll inside them. The condition dialog keeps to it also when its
// notice opens a band above the circuit.
void TestWindowGeometry::dialogsStayWithinTheScreen()
{
    const QRect area = Available();
    CVersionDlg version;
    CAboutDlg about;
    CUploadDlg editorUpload(UploadDlgVariant::Editor);
    CUploadDlg converterUpload(UploadDlgVariant::Converter);
    CInputDlg condition;
    condition.SetConditionText(QStringLiteral("!#S0 && #S1 || (#T0 && !#R2)"));
    const std::array<QDialog*, 5> dialogs{&version, &about, &editorUpload, &converterUpload, &condition};
    for (QDialog* dialog : dialogs) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        const QString name = dialog->objectName();
        QVERIFY2(dialog->width() <= area.width() && dialog->height() <= area.height(),
                 qPrintable(name + QStringLiteral(" runs off the screen")));
        auto* scroll = dialog->findChild<QScrollArea*>(QStringLiteral("controlsScroll"));
        QVERIFY(scroll != nullptr);
        const QSize controls = scroll->widget()->size();
        if (WithinScreen(dialog, controls) == controls) {
            QCOMPARE(dialog->size(), controls);
        } else {
            QVERIFY2(scroll->horizontalScrollBar()->isVisible() || scroll->verticalScrollBar()->isVisible(),
                     qPrintable(name + QStringLiteral(" cuts its controls off without a scroll bar")));
        }
        dialog->hide();
    }
}

QTEST_MAIN(TestWindowGeometry)
#include "tst_window_geometry.moc"
