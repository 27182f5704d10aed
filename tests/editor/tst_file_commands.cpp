#include "document/writer.hpp"
#include "editor/condition_box.hpp"
#include "editor/date_time_ctrl_ex.hpp"
#include "editor/quarn_tool_app.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "tests/support/office_model.hpp"
#include "tests/support/qt/window_test_support.hpp"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

using namespace quarn;
using namespace quarn::test;

namespace {

const QString kBeforeExit = QStringLiteral("Contents changed; do you want to save before exit?");
const QString kSaveChanges = QStringLiteral("Contents changed; do you want to save the changes?");
const QString kCannotRead = QStringLiteral("Cannot open the file for reading");
const QString kCannotWrite = QStringLiteral("Cannot open the file for writing");

enum class Command { New, Open, Exit, Recent, CloseBox, EscapeKey, EscapeInDateField };

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class TestFileCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void nothingIsAskedWithoutChanges();
    void questionsAndAnswers_data();
    void questionsAndAnswers();
    void saveAsToNewFile();
    void afterNewSaveAsksForName();
    void recentEntryOfDeletedFile();
    void recentListKeepsFourNewestFirst();
    void recentMenuTexts_data();
    void recentMenuTexts();
    void unreadableFileLeavesEmptyDocument();
    void savingAnOpenedFileKeepsItsBytes();
    void savingAFileWrittenByQuarnctlKeepsItsBytes();
    void applicationStartUpAndEnd();

private:
    QString FilePath(const QString& name) const { return QDir(files_.path()).filePath(name); }
    void MakeChange();
    bool ChangeKept() const;
    void Run(Command command);

    QTemporaryDir settingsDir_;
    QTemporaryDir files_;
    RecentFileList recent_;
    ScriptedFileDialogs dialogs_;
    std::unique_ptr<MessageBoxScript> boxes_;
    CQuarnToolDlg* window_ = nullptr;
};

void TestFileCommands::initTestCase()
{
    QVERIFY(settingsDir_.isValid());
    UsePrivateSettings(settingsDir_.path());
}

void TestFileCommands::init()
{
    QVERIFY(files_.isValid());
    recent_ = RecentFileList();
    dialogs_ = ScriptedFileDialogs();
    boxes_ = std::make_unique<MessageBoxScript>();
    window_ = new CQuarnToolDlg(recent_, dialogs_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void TestFileCommands::cleanup()
{
    delete window_;
    window_ = nullptr;
    boxes_.reset();
    for (const QString& name : QDir(files_.path()).entryList(QDir::Files))
        QFile::remove(FilePath(name));
}

void TestFileCommands::MakeChange()
{
    window_->Model().relays[5] = u"#S1";
    window_->ShowModel();
    auto* monday = static_cast<QCheckBox*>(window_->Control(CQuarnToolDlg::kFirstWeekdayBox));
    QTest::mouseClick(monday, Qt::LeftButton, {}, QPoint(4, 4));
    QVERIFY(window_->Model().modified);
}

bool TestFileCommands::ChangeKept() const
{
    return static_cast<ConditionBox*>(window_->Control(CQuarnToolDlg::kFirstConditionBox + 5))->text() ==
           QStringLiteral("#S1");
}

void TestFileCommands::Run(Command command)
{
    switch (command) {
    case Command::New:
        window_->CommandAction(CQuarnToolDlg::kFileNew)->trigger();
        break;
    case Command::Open:
        window_->CommandAction(CQuarnToolDlg::kFileOpen)->trigger();
        break;
    case Command::Exit:
        window_->CommandAction(CQuarnToolDlg::kFileExit)->trigger();
        break;
    case Command::Recent:
        window_->UpdateRecentFileMenu();
        window_->CommandAction(CQuarnToolDlg::kFileRecent)->trigger();
        break;
    case Command::CloseBox:
        window_->close();
        break;
    case Command::EscapeKey:
        QTest::keyClick(window_, Qt::Key_Escape);
        break;
    case Command::EscapeInDateField: {
        QWidget* field = window_->Control(CQuarnToolDlg::kFirstTimerField + 2);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Escape);
        break;
    }
    }
}

void TestFileCommands::nothingIsAskedWithoutChanges()
{
    const QString path = FilePath("plain.xml");
    QVERIFY(WriteBytes(path, QByteArray::fromStdString(StateMachineFileBytes(OfficeModel()))));
    recent_.Add(path);

    Run(Command::New);
    Run(Command::Open);  // the open dialog is cancelled
    Run(Command::Recent);
    QCOMPARE(window_->Model().version, std::u16string(u"office"));
    Run(Command::Exit);
    QCOMPARE(boxes_->Shown(), QStringList());
    QCOMPARE(dialogs_.openAsked.size(), 1);
    QVERIFY(!window_->isVisible());
}

void TestFileCommands::questionsAndAnswers_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<bool>("hasFile");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<QString>("saveAs");  // answer to the save dialog; "-" for a folder that is not there
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("closed");

    const QStringList exitQuestion{kBeforeExit};
    QTest::newRow("New, Cancel") << Command::New << false << MessageAnswer::Cancel << "" << exitQuestion << true
                                 << false;
    QTest::newRow("New, No") << Command::New << false << MessageAnswer::No << "" << exitQuestion << false << false;
    QTest::newRow("New, Yes, save dialog cancelled")
        << Command::New << false << MessageAnswer::Yes << "" << exitQuestion << true << false;
    QTest::newRow("New, Yes, saved as new file")
        << Command::New << false << MessageAnswer::Yes << "new.xml" << exitQuestion << false << false;
    QTest::newRow("New, Yes, save fails") << Command::New << false << MessageAnswer::Yes << "-"
                                          << (QStringList{kBeforeExit, kCannotWrite}) << true << false;
    QTest::newRow("Open, Cancel") << Command::Open << false << MessageAnswer::Cancel << "" << exitQuestion << true
                                  << false;
    QTest::newRow("Open, No, open dialog cancelled")
        << Command::Open << false << MessageAnswer::No << "" << exitQuestion << true << false;
    QTest::newRow("Exit, No") << Command::Exit << false << MessageAnswer::No << "" << exitQuestion << true << true;
    QTest::newRow("Exit, Cancel") << Command::Exit << false << MessageAnswer::Cancel << "" << exitQuestion << true
                                  << false;
    QTest::newRow("Exit, Yes, saved to its file")
        << Command::Exit << true << MessageAnswer::Yes << "" << exitQuestion << true << true;
    QTest::newRow("Exit, Yes, save fails") << Command::Exit << false << MessageAnswer::Yes << "-"
                                           << (QStringList{kBeforeExit, kCannotWrite}) << true << false;
    QTest::newRow("close box, Cancel") << Command::CloseBox << false << MessageAnswer::Cancel << "" << exitQuestion
                                       << true << false;
    QTest::newRow("close box, No") << Command::CloseBox << false << MessageAnswer::No << "" << exitQuestion << true
                                   << true;
    QTest::newRow("Escape, Cancel") << Command::EscapeKey << false << MessageAnswer::Cancel << "" << exitQuestion
                                    << true << false;
    QTest::newRow("Escape in a date field, No")
        << Command::EscapeInDateField << false << MessageAnswer::No << "" << exitQuestion << true << true;
    QTest::newRow("recent entry, Cancel")
        << Command::Recent << false << MessageAnswer::Cancel << "" << QStringList{kSaveChanges} << true << false;
    QTest::newRow("recent entry, Yes, save dialog cancelled")
        << Command::Recent << false << MessageAnswer::Yes << "" << QStringList{kSaveChanges} << true << false;
}

void TestFileCommands::questionsAndAnswers()
{
    QFETCH(Command, command);
    QFETCH(bool, hasFile);
    QFETCH(MessageAnswer, answer);
    QFETCH(QString, saveAs);
    QFETCH(QStringList, messages);
    QFETCH(bool, kept);
    QFETCH(bool, closed);

    const QString other = FilePath("other.xml");
    QVERIFY(WriteBytes(other, QByteArray::fromStdString(StateMachineFileBytes(OfficeModel()))));
    recent_.Add(other);

    const QString own = FilePath("own.xml");
    if (hasFile) {
        dialogs_.saveAnswers << own;
        QVERIFY(window_->OnFileSaveAs());
        dialogs_.saveAsked.clear();
    }
    MakeChange();
    if (saveAs == "-")
        dialogs_.saveAnswers << FilePath("missing folder/new.xml");
    else if (!saveAs.isEmpty())
        dialogs_.saveAnswers << FilePath(saveAs);
    MessageBoxAnswers::SetNextAnswer(answer);

    Run(command);

    QCOMPARE(boxes_->Shown(), messages);
    QCOMPARE(!window_->isVisible(), closed);
    if (!closed) {
        QCOMPARE(ChangeKept(), kept);
        // A document that was kept still counts as changed, unless it went into its file.
        QCOMPARE(window_->Model().modified, kept);
    }
    // The save dialog comes only after Yes on a document without a file.
    QCOMPARE(dialogs_.saveAsked.size(), answer == MessageAnswer::Yes && !hasFile ? 1 : 0);
    if (!saveAs.isEmpty() && saveAs != "-") {
        QVERIFY(QFile::exists(FilePath(saveAs)));
        QCOMPARE(recent_.Paths().constFirst(), FilePath(saveAs));
    }
    if (hasFile && answer == MessageAnswer::Yes)
        QVERIFY(ReadBytes(own).contains("#S1"));
    // Without Yes or No nothing was opened.
    if (command == Command::Open)
        QCOMPARE(dialogs_.openAsked.size(), answer == MessageAnswer::Cancel ? 0 : 1);
}

void TestFileCommands::saveAsToNewFile()
{
    MakeChange();
    const QString path = FilePath("office.xml");
    dialogs_.saveAnswers << path;
    window_->CommandAction(CQuarnToolDlg::kFileSaveAs)->trigger();

    QCOMPARE(window_->windowTitle(), QStringLiteral("QuarnTool: ") + path);
    QCOMPARE(recent_.Paths(), QStringList{path});
    QVERIFY(!window_->Model().modified);
    QCOMPARE(window_->Model().version, std::u16string(u"office"));
    QVERIFY(ReadBytes(path).startsWith("\xEF\xBB\xBF<?xml"));
    QCOMPARE(dialogs_.saveAsked, QStringList{QString()});

    // Save now writes to that file without asking.
    MakeChange();
    window_->CommandAction(CQuarnToolDlg::kFileSave)->trigger();
    QCOMPARE(dialogs_.saveAsked.size(), 1);
    QVERIFY(!ReadBytes(path).contains("<timer"));  // Monday alone is no timer in use
    QVERIFY(!window_->Model().modified);
    QVERIFY(boxes_->Shown().isEmpty());

    // Save As starts in the current file.
    window_->CommandAction(CQuarnToolDlg::kFileSaveAs)->trigger();
    QCOMPARE(dialogs_.saveAsked.last(), path);
}

void TestFileCommands::afterNewSaveAsksForName()
{
    const QString path = FilePath("first.xml");
    dialogs_.saveAnswers << path;
    QVERIFY(window_->OnFileSave());
    window_->OnFileNew();
    QCOMPARE(window_->windowTitle(), QStringLiteral("QuarnTool"));
    QVERIFY(window_->Model().path.empty());
    QVERIFY(!window_->OnFileSave());  // the save dialog is cancelled
    QCOMPARE(dialogs_.saveAsked, (QStringList{QString(), QString()}));
}

void TestFileCommands::recentEntryOfDeletedFile()
{
    const QString kept = FilePath("kept.xml");
    const QString gone = FilePath("gone.xml");
    for (const QString& path : {kept, gone}) {
        QVERIFY(WriteBytes(path, QByteArray::fromStdString(StateMachineFileBytes(OfficeModel()))));
        recent_.Add(path);
    }
    QVERIFY(QFile::remove(gone));
    window_->OnFileOpen();  // cancelled: only to have a document on screen
    window_->Model().relays[0] = u"#S0";
    window_->ShowModel();

    Run(Command::Recent);  // gone.xml is the newest entry

    QCOMPARE(boxes_->Shown(), QStringList{kCannotRead});
    QCOMPARE(recent_.Paths(), QStringList{kept});
    QCOMPARE(window_->windowTitle(), QStringLiteral("QuarnTool: ") + gone);
    QCOMPARE(static_cast<ConditionBox*>(window_->Control(CQuarnToolDlg::kFirstConditionBox))->text(), QString());
    QVERIFY(!window_->Model().modified);

    // The entry that is still there opens.
    Run(Command::Recent);
    QCOMPARE(boxes_->Shown().size(), 1);
    QCOMPARE(window_->Model().relays[3], std::u16string(u"(#T0&&#T1)||#R2"));
    QCOMPARE(recent_.Paths(), QStringList{kept});
}

void TestFileCommands::recentListKeepsFourNewestFirst()
{
    QStringList paths;
    for (int i = 1; i <= 5; ++i) {
        paths << FilePath(QStringLiteral("file%1.xml").arg(i));
        QVERIFY(WriteBytes(paths.last(), QByteArray::fromStdString(StateMachineFileBytes(OfficeModel()))));
        dialogs_.openAnswers << paths.last();
        window_->OnFileOpen();
    }
    QCOMPARE(recent_.Paths(), (QStringList{paths[4], paths[3], paths[2], paths[1]}));

    // Opening one that is listed moves it to the top instead of adding it twice.
    dialogs_.openAnswers << paths[2];
    window_->OnFileOpen();
    QCOMPARE(recent_.Paths(), (QStringList{paths[2], paths[4], paths[3], paths[1]}));
    QVERIFY(boxes_->Shown().isEmpty());

    // The list survives in the settings store, File1 the newest.
    recent_.Save();
    RecentFileList loaded;
    loaded.Load();
    QCOMPARE(loaded.Paths(), recent_.Paths());
    QCOMPARE(SettingsStore::ReadString("Recent File List", "File1", ""), paths[2]);
}

void TestFileCommands::recentMenuTexts_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("currentDirectory");
    QTest::addColumn<QString>("shown");
    QTest::newRow("in the current folder") << "/home/u/plans/office.xml"
                                           << "/home/u/plans"
                                           << "office.xml";
    QTest::newRow("short path") << "/home/u/office.xml"
                                << "/tmp"
                                << "/home/u/office.xml";
    QTest::newRow("long path") << "/home/someone/projects/quarn/plans/office.xml"
                               << "/tmp"
                               << "/.../quarn/plans/office.xml";
    QTest::newRow("only the name fits") << "/a/b/c/a-very-long-file-name-for-office.xml"
                                        << "/tmp"
                                        << "a-very-long-file-name-for-office.xml";
    QTest::newRow("just the root and the name") << "/very-long-folder-name/office-plan-2013.xml"
                                                << "/tmp"
                                                << "/.../office-plan-2013.xml";
}

void TestFileCommands::recentMenuTexts()
{
    QFETCH(QString, path);
    QFETCH(QString, currentDirectory);
    QFETCH(QString, shown);
    QCOMPARE(DisplayNameForPath(path, currentDirectory), shown);
    QVERIFY(shown.size() <= 30 || shown == QFileInfo(path).fileName());
}

void TestFileCommands::unreadableFileLeavesEmptyDocument()
{
    const QString empty = FilePath("empty & odd.xml");
    QVERIFY(WriteBytes(empty, QByteArray()));
    MakeChange();
    MessageBoxAnswers::SetNextAnswer(MessageAnswer::No);
    dialogs_.openAnswers << empty;
    window_->OnFileOpen();

    QCOMPARE(boxes_->Shown(), (QStringList{kBeforeExit, kCannotRead}));
    QCOMPARE(window_->windowTitle(), QStringLiteral("QuarnTool: ") + empty);
    QVERIFY(!ChangeKept());
    QVERIFY(!window_->Model().modified);
    // The reader listed the path before it found the file empty.
    QCOMPARE(recent_.Paths(), QStringList{empty});
    window_->UpdateRecentFileMenu();
    QString expected = QStringLiteral("&1 ") + DisplayNameForPath(empty, QDir::currentPath());
    expected.replace(QStringLiteral("& odd"), QStringLiteral("&& odd"));
    QCOMPARE(window_->CommandAction(CQuarnToolDlg::kFileRecent)->text(), expected);
}

void TestFileCommands::savingAnOpenedFileKeepsItsBytes()
{
    const QString path = FilePath("office.xml");
    const QByteArray bytes = QByteArray::fromStdString(StateMachineFileBytes(OfficeModel()));
    QCOMPARE(bytes.size(), 737);
    QVERIFY(WriteBytes(path, bytes));

    dialogs_.openAnswers << path;
    window_->OnFileOpen();
    QVERIFY(boxes_->Shown().isEmpty());
    QVERIFY(QFile::remove(path));
    QVERIFY(window_->OnFileSave());
    QCOMPARE(ReadBytes(path), bytes);
}

void TestFileCommands::savingAFileWrittenByQuarnctlKeepsItsBytes()
{
#ifndef QUARNCTL_PATH
    QSKIP("quarnctl is not part of this build");
#else
    const QString json = FilePath("model.json");
    QVERIFY(WriteBytes(json, R"({"version": "plan & more",
        "timers": [{"onDate": null, "onTime": "07:30:00", "offDate": null, "offTime": "22:00:00", "weekdays": 31},
                   {"onDate": "2013/02/08", "onTime": "10:00:00", "offDate": "2013/02/10", "offTime": "18:30:00", "weekdays": 96},
                   {}, {}, {}, {}, {}, {"offTime": "23:59:59", "weekdays": 127}],
        "relays": ["", "#R1||#S0", "", "(#T0&&#T1)||#R2", "", "", "", "(#0&&#T2)||#1"]})"));
    const QString path = FilePath("written by quarnctl.xml");
    QProcess quarnctl;
    quarnctl.start(QStringLiteral(QUARNCTL_PATH), {"write", json, path});
    QVERIFY(quarnctl.waitForFinished(30000));
    QVERIFY2(quarnctl.exitCode() == 0, quarnctl.readAllStandardError().constData());
    const QByteArray bytes = ReadBytes(path);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));

    dialogs_.openAnswers << path;
    window_->OnFileOpen();
    QVERIFY(QFile::remove(path));
    QVERIFY(window_->OnFileSave());
    QCOMPARE(ReadBytes(path), bytes);
#endif
}

void TestFileCommands::applicationStartUpAndEnd()
{
    // A socket layer that does not start ends the program before any window.
    {
        CQuarnToolApp app([] { return false; });
        QVERIFY(!app.InitInstance());
        QVERIFY(app.MainWindow() == nullptr);
        QCOMPARE(boxes_->Shown(), QStringList{QStringLiteral("Failed to initialize sockets")});
        QCOMPARE(app.Run(), 1);
    }

    // Only File1..File4 are read; the list is written back at the end.
    for (int i = 1; i <= 5; ++i)
        SettingsStore::WriteString("Recent File List", QStringLiteral("File%1").arg(i),
                                   FilePath(QStringLiteral("r%1.xml").arg(i)));
    CQuarnToolApp app;
    QVERIFY(app.InitInstance());
    QCOMPARE(SettingsStore::CompanyKey(), QStringLiteral("QuarnTool"));
    QCOMPARE(app.RecentFiles().Size(), 4);
    QCOMPARE(app.MainWindow()->windowTitle(), QStringLiteral("QuarnTool"));
    QVERIFY(app.MainWindow()->TimerField(0, 0)->WindowText().size() < 2);

    // A recent entry goes through the application to the window.
    QCOMPARE(app.OpenRecentFile(FilePath("r1.xml")), 0);
    QCOMPARE(boxes_->Shown().last(), kCannotRead);
    app.MainWindow()->UpdateRecentFileMenu();
    app.MainWindow()->CommandAction(CQuarnToolDlg::kFileRecent)->trigger();
    QCOMPARE(app.RecentFiles().Paths().constFirst(), FilePath("r2.xml"));

    app.ExitInstance();
    QCOMPARE(SettingsStore::ReadString("Recent File List", "File1", ""), FilePath("r2.xml"));
    QCOMPARE(SettingsStore::ReadString("Recent File List", "File5", "none"), QStringLiteral("none"));
}

QTEST_MAIN(TestFileCommands)
#include "tst_file_commands.moc"
