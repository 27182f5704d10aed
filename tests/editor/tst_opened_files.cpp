// Files that reach the editor from the desktop: the one named on the command
// line and one dropped on the main window. Both open as Open opens a file.
#include "document/edit_history.hpp"
#include "document/writer.hpp"
#include "editor/condition_box.hpp"
#include "editor/date_time_ctrl_ex.hpp"
#include "editor/quarn_tool_app.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "platform/opened_files.hpp"
#include "tests/support/office_model.hpp"
#include "tests/support/qt/window_test_support.hpp"

#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

using namespace quarn;
using namespace quarn::test;

namespace {

const QString kBeforeExit = QStringLiteral("Contents changed; do you want to save before exit?");
const QString kCannotRead = QStringLiteral("Cannot open the file for reading");

std::unique_ptr<QMimeData> DragOf(const QList<QUrl>& urls, const QString& text = {})
{
    auto data = std::make_unique<QMimeData>();
    if (!urls.isEmpty())
        data->setUrls(urls);
    if (!text.isEmpty())
        data->setText(text);
    return data;
}

// Whether window takes a drag of data when it enters.
bool TakesDrag(QWidget& window, const QMimeData& data)
{
    QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    return enter.isAccepted();
}

void Drop(QWidget& window, const QMimeData& data)
{
    QDropEvent drop(QPointF(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
}

}  // namespace

class TestOpenedFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fileOnTheCommandLineOpens();
    void missingFileOnTheCommandLineSaysSo();
    void dragTakesOneLocalFileOnly_data();
    void dragTakesOneLocalFileOnly();
    void droppedFileOpens_data();
    void droppedFileOpens();

private:
    QString FilePath(const QString& name) const { return QDir(files_.path()).filePath(name); }
    QString WriteOffice(const QString& name) const;

    QTemporaryDir settingsDir_;
    QTemporaryDir files_;
    std::unique_ptr<MessageBoxScript> boxes_;
};

void TestOpenedFiles::initTestCase()
{
    QVERIFY(settingsDir_.isValid());
    QVERIFY(files_.isValid());
    UsePrivateSettings(settingsDir_.path());
}

void TestOpenedFiles::init()
{
    boxes_ = std::make_unique<MessageBoxScript>();
}

void TestOpenedFiles::cleanup()
{
    boxes_.reset();
    for (const QString& name : QDir(files_.path()).entryList(QDir::Files))
        QFile::remove(FilePath(name));
    SettingsStore::RemoveSection(QStringLiteral("Recent File List"));
}

QString TestOpenedFiles::WriteOffice(const QString& name) const
{
    const QString path = FilePath(name);
    QFile file(path);
    const QByteArray bytes = QByteArray::fromStdString(StateMachineFileBytes(OfficeModel()));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void TestOpenedFiles::fileOnTheCommandLineOpens()
{
    const QString path = WriteOffice(QStringLiteral("office.xml"));
    // A relative name, as a shell passes it, stands for the full path.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(files_.path()));
    const QString argument = FileArgument({QStringLiteral("QuarnTool"), QStringLiteral("./office.xml")});
    QVERIFY(QDir::setCurrent(previous));
    QCOMPARE(argument, QDir::toNativeSeparators(path));

    CQuarnToolApp app;
    app.SetStartFile(argument);
    QVERIFY(app.InitInstance());
    StateMachineModel seen;
    QString title;
    // Runs once the window is up and the file has had its turn.
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            seen = app.MainWindow()->DocumentInFields();
            title = app.MainWindow()->windowTitle();
            app.MainWindow()->CommandAction(CQuarnToolDlg::kFileExit)->trigger();
        });
    });
    app.RunMainWindow();
    QCOMPARE(ContentOf(seen), ContentOf(OfficeModel()));
    QCOMPARE(seen.path, argument.toStdU16String());
    QVERIFY(!seen.modified);
    QCOMPARE(title, QStringLiteral("QuarnTool: ") + argument);
    QCOMPARE(app.RecentFiles().Paths().value(0), argument);
    QCOMPARE(boxes_->Shown(), QStringList());
    app.ExitInstance();
}

void TestOpenedFiles::missingFileOnTheCommandLineSaysSo()
{
    const QString missing = FilePath(QStringLiteral("gone.xml"));
    CQuarnToolApp app;
    app.SetStartFile(missing);
    QVERIFY(app.InitInstance());
    QString title;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            title = app.MainWindow()->windowTitle();
            app.MainWindow()->CommandAction(CQuarnToolDlg::kFileExit)->trigger();
        });
    });
    app.RunMainWindow();
    QCOMPARE(boxes_->Shown(), QStringList{kCannotRead});
    QCOMPARE(title, QStringLiteral("QuarnTool: ") + missing);
    QCOMPARE(app.RecentFiles().Size(), 0);
    app.ExitInstance();
}

void TestOpenedFiles::dragTakesOneLocalFileOnly_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    const QUrl local = QUrl::fromLocalFile(QStringLiteral("/srv/plans/office.xml"));
    QTest::newRow("one local file") << QList<QUrl>{local} << QString() << true;
    QTest::newRow("local file with its path as text") << QList<QUrl>{local} << local.toLocalFile() << true;
    QTest::newRow("web address") << QList<QUrl>{QUrl(QStringLiteral("https://example.org/office.xml"))} << QString()
                                 << false;
    QTest::newRow("two local files") << QList<QUrl>{local, QUrl::fromLocalFile(QStringLiteral("/srv/plans/shop.xml"))}
                                     << QString() << false;
    QTest::newRow("text only") << QList<QUrl>{} << QStringLiteral("/srv/plans/office.xml") << false;
}

void TestOpenedFiles::dragTakesOneLocalFileOnly()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(QString, text);
    QFETCH(bool, taken);
    RecentFileList recent;
    ScriptedFileDialogs dialogs;
    CQuarnToolDlg window(recent, dialogs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The drag is the window's wherever it enters: no control takes it
    // (a field would take a path as text), and none refuses it.
    const auto data = DragOf(urls, text);
    QVERIFY(window.acceptDrops());
    QWidget* const over[] = {
        &window,
        window.TimerField(2, 1)->TextLine(),
        window.Control(CQuarnToolDlg::kFirstConditionBox + 3),
        window.Control(CQuarnToolDlg::kFirstWeekdayBox + 4),
    };
    for (QWidget* target : over)
        QVERIFY2(TakesDrag(*target, *data) == taken, qPrintable(target->objectName()));

    // A drop that was not taken opens nothing.
    if (!taken) {
        Drop(window, *data);
        QCoreApplication::processEvents();
        QVERIFY(window.Model().path.empty());
        QCOMPARE(boxes_->Shown(), QStringList());
    }
}

void TestOpenedFiles::droppedFileOpens_data()
{
    QTest::addColumn<bool>("unsaved");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("opened");
    QTest::newRow("no changes: nothing asked") << false << MessageAnswer::Cancel << QStringList() << true;
    QTest::newRow("changes, No") << true << MessageAnswer::No << QStringList{kBeforeExit} << true;
    QTest::newRow("changes, Cancel") << true << MessageAnswer::Cancel << QStringList{kBeforeExit} << false;
}

void TestOpenedFiles::droppedFileOpens()
{
    QFETCH(bool, unsaved);
    QFETCH(MessageAnswer, answer);
    QFETCH(QStringList, asked);
    QFETCH(bool, opened);
    const QString path = WriteOffice(QStringLiteral("dropped.xml"));
    RecentFileList recent;
    ScriptedFileDialogs dialogs;
    CQuarnToolDlg window(recent, dialogs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (unsaved) {
        auto* sunday = static_cast<QCheckBox*>(window.Control(CQuarnToolDlg::kFirstWeekdayBox + 7 * 6 + 6));
        QTest::mouseClick(sunday, Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(window.Model().modified);
    }
    MessageBoxAnswers::SetNextAnswer(answer);

    // Dropped on a condition box: the window opens it all the same.
    QWidget* conditionBox = window.Control(CQuarnToolDlg::kFirstConditionBox + 3);
    const auto data = DragOf({QUrl::fromLocalFile(path)}, path);
    QVERIFY(TakesDrag(*conditionBox, *data));
    Drop(*conditionBox, *data);
    // The file opens once the drop has ended.
    QTRY_COMPARE(boxes_->Shown(), asked);
    QTRY_COMPARE(window.Model().path.empty(), !opened);
    if (opened) {
        QCOMPARE(ContentOf(window.DocumentInFields()), ContentOf(OfficeModel()));
        QCOMPARE(window.windowTitle(), QStringLiteral("QuarnTool: ") + QDir::toNativeSeparators(path));
        QCOMPARE(recent.Paths().value(0), QDir::toNativeSeparators(path));
        QVERIFY(!window.Model().modified);
    } else {
        QCoreApplication::processEvents();
        QVERIFY(window.Model().path.empty());
        QVERIFY(window.Model().modified);
        QVERIFY(window.DocumentInFields().timers[6].weekdays[6]);
    }
}

QTEST_MAIN(TestOpenedFiles)
#include "tst_opened_files.moc"
