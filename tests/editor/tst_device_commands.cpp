// The editor's "Upload to QUARN..." and "Direct control..." commands, from
// the menu, against a loopback peer and, where it is built, quarnsim.
#include "devicelink/ui/direct_dlg.hpp"
#include "devicelink/ui/relay_button.hpp"
#include "devicelink/ui/upload_dlg.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "devicelink/upload.hpp"
#include "document/writer.hpp"
#include "editor/condition_box.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "tests/support/qt/window_test_support.hpp"
#include "tests/support/test_peer.hpp"
#ifdef QUARN_WITH_QUARNSIM
#include "tests/support/sim_process.hpp"
#endif

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

using namespace quarn;
using namespace quarn::test;
using quarn::test::TestPeer;

namespace {

const QString kSaveBeforeUpload = QStringLiteral("Contents changed; do you want to save before uploading?");
const QString kEmptyFileName = QStringLiteral("Empty filename, cannot upload");
const QString kCannotWrite = QStringLiteral("Cannot open the file for writing");
const std::string kAccepted = "HTTP/1.0 200 OK\r\n\r\n<html><td name=\"status\"><b>Got it</b></td></html>";

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The relay buttons as one text: 1 on, 0 off, ? unknown.
QString RelayStates(const CDirectDlg& dialog)
{
    QString states;
    for (int i = 0; i < kRelayCount; ++i) {
        switch (dialog.RelayButton(i)->CheckState()) {
        case Qt::Checked:
            states += '1';
            break;
        case Qt::PartiallyChecked:
            states += '?';
            break;
        default:
            states += '0';
        }
    }
    return states;
}

}  // namespace

// The test class holds the hand, so it has a name outside this file too: a
// class named outside a file must not hold a type of its anonymous namespace.
namespace device_commands_test {

// Answers the upload dialog with OK when it opens, and counts how often it
// did. Timers it set die with it, so a dialog that never opened leaves
// nothing behind for the next test.
class UploadHand : public QObject {
public:
    int opened = 0;

    void AnswerOk()
    {
        QTimer::singleShot(0, this, [this] {
            auto* dialog = qobject_cast<CUploadDlg*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                // Not open yet (a question or file dialog came first): look again.
                AnswerOk();
                return;
            }
            ++opened;
            FindControl<QPushButton>(*dialog, kOkId)->click();
        });
    }
};

}  // namespace device_commands_test

class TestDeviceCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void neverSavedDocument_data();
    void neverSavedDocument();
    void unsavedChanges_data();
    void unsavedChanges();
    void savedDocumentIsSentWithoutQuestion();
    void directControlFromTheMenu();
    void againstQuarnsim();

private:
    QString FilePath(const QString& name) const { return QDir(files_.path()).filePath(name); }
    // Puts a document into a file and the window, then changes the window.
    QByteArray SavedThenChanged(const QString& path);
    void Upload() { window_->CommandAction(CQuarnToolDlg::kUpload)->trigger(); }

    QTemporaryDir settingsDir_;
    QTemporaryDir files_;
    RecentFileList recent_;
    ScriptedFileDialogs dialogs_;
    std::unique_ptr<MessageBoxScript> boxes_;
    std::unique_ptr<device_commands_test::UploadHand> hand_;
    CQuarnToolDlg* window_ = nullptr;
};

void TestDeviceCommands::initTestCase()
{
    QVERIFY(settingsDir_.isValid());
    QVERIFY(files_.isValid());
    UsePrivateSettings(settingsDir_.path());
}

void TestDeviceCommands::init()
{
    // What the last test queued up behind an exchange is dropped first.
    LetQueuedInputPass();
    SettingsStore::WriteString("upload", "url", "127.0.0.1");
    SettingsStore::WriteString("direct", "url", "127.0.0.1");
    recent_ = RecentFileList();
    dialogs_ = ScriptedFileDialogs();
    boxes_ = std::make_unique<MessageBoxScript>();
    hand_ = std::make_unique<device_commands_test::UploadHand>();
    window_ = new CQuarnToolDlg(recent_, dialogs_);
    window_->show();
}

void TestDeviceCommands::cleanup()
{
    delete window_;
    window_ = nullptr;
    hand_.reset();
    boxes_.reset();
    SetWindowExchangePortForTesting(0);
    QDir(files_.path()).removeRecursively();
    QDir().mkpath(files_.path());
}

QByteArray TestDeviceCommands::SavedThenChanged(const QString& path)
{
    window_->Model().relays[3] = u"#R2";
    window_->Model().path = path.toStdU16String();
    window_->ShowModel();
    if (!window_->SaveCurrent())
        return {};
    const QByteArray saved = ReadBytes(path);
    window_->Model().relays[5] = u"#S1";
    window_->ShowModel();
    window_->Model().modified = true;
    return saved;
}

void TestDeviceCommands::neverSavedDocument_data()
{
    QTest::addColumn<QString>("saveAs");  // empty: the save dialog is cancelled
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("sent");

    QTest::newRow("Save As cancelled") << "" << QStringList{kEmptyFileName} << false;
    QTest::newRow("saved, then sent") << "new.xml" << QStringList{"Got it"} << true;
    QTest::newRow("save fails, nothing sent") << "no folder/new.xml" << QStringList{kCannotWrite} << false;
}

void TestDeviceCommands::neverSavedDocument()
{
    QFETCH(QString, saveAs);
    QFETCH(QStringList, messages);
    QFETCH(bool, sent);

    TestPeer peer({kAccepted});
    SetWindowExchangePortForTesting(peer.Port());
    if (!saveAs.isEmpty())
        dialogs_.saveAnswers << FilePath(saveAs);
    window_->Model().relays[1] = u"#S0";
    window_->ShowModel();
    hand_->AnswerOk();
    Upload();

    QCOMPARE(dialogs_.saveAsked.size(), 1);
    QCOMPARE(boxes_->Shown(), messages);
    QCOMPARE(hand_->opened, sent ? 1 : 0);
    if (sent) {
        const std::string content = TextModeContent(ReadBytes(FilePath(saveAs)).toStdString());
        QVERIFY(content.find("S0") != std::string::npos);
        QVERIFY2(peer.Request().find("\r\n\r\n" + content + "\r\n--1234567890--") != std::string::npos,
                 peer.Request().c_str());
    }
}

void TestDeviceCommands::unsavedChanges_data()
{
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<QString>("file");  // where the document lives; "-" for a folder of that name
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("sent");  // "saved", "changed" or "" for nothing

    QTest::newRow("Yes saves and sends the changes")
        << MessageAnswer::Yes << "doc.xml" << QStringList{kSaveBeforeUpload, "Got it"} << "changed";
    QTest::newRow("No sends the file as last saved")
        << MessageAnswer::No << "doc.xml" << QStringList{kSaveBeforeUpload, "Got it"} << "saved";
    QTest::newRow("Cancel ends without a dialog")
        << MessageAnswer::Cancel << "doc.xml" << QStringList{kSaveBeforeUpload} << "";
    QTest::newRow("Yes with a save that fails sends nothing")
        << MessageAnswer::Yes << "-" << QStringList{kSaveBeforeUpload, kCannotWrite} << "";
}

void TestDeviceCommands::unsavedChanges()
{
    QFETCH(MessageAnswer, answer);
    QFETCH(QString, file);
    QFETCH(QStringList, messages);
    QFETCH(QString, sent);

    const QString path = FilePath(QStringLiteral("doc.xml"));
    const QByteArray saved = SavedThenChanged(path);
    QVERIFY(!saved.isEmpty());
    if (file == "-") {
        // The file becomes a folder: the next save cannot write it.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
    }

    TestPeer peer({kAccepted});
    SetWindowExchangePortForTesting(peer.Port());
    MessageBoxAnswers::SetNextAnswer(answer);
    hand_->AnswerOk();
    Upload();

    QCOMPARE(boxes_->Shown(), messages);
    QCOMPARE(hand_->opened, sent.isEmpty() ? 0 : 1);
    if (sent.isEmpty())
        return;
    const QByteArray onDisk = ReadBytes(path);
    QCOMPARE(onDisk == saved, sent == "saved");
    QCOMPARE(window_->Model().modified, sent == "saved");
    QCOMPARE(static_cast<ConditionBox*>(window_->Control(CQuarnToolDlg::kFirstConditionBox + 5))->text(),
             QStringLiteral("#S1"));
    const std::string body = "\r\n\r\n" + TextModeContent(onDisk.toStdString()) + "\r\n--1234567890--";
    QVERIFY2(peer.Request().find(body) != std::string::npos, peer.Request().c_str());
}

void TestDeviceCommands::savedDocumentIsSentWithoutQuestion()
{
    const QString path = FilePath(QStringLiteral("doc.xml"));
    QVERIFY(!SavedThenChanged(path).isEmpty());
    window_->Model().modified = false;
    TestPeer peer({"HTTP/1.0 200 OK\r\n\r\nno status here"});
    SetWindowExchangePortForTesting(peer.Port());
    hand_->AnswerOk();
    Upload();
    QCOMPARE(hand_->opened, 1);
    // The controller's page had no status element: an empty box.
    QCOMPARE(boxes_->Shown(), QStringList{QString()});
    QVERIFY(peer.Request().rfind("POST /state_machine_mp.html HTTP/1.0\r\n", 0) == 0);
}

void TestDeviceCommands::directControlFromTheMenu()
{
    TestPeer peer({"HTTP/1.0 200 OK\r\n\r\n<p id=\"R\">5</p>"});
    SetWindowExchangePortForTesting(peer.Port());
    QString states;
    WhenModalOpens<CDirectDlg>([&states](CDirectDlg& dialog) {
        // The window asks for the states once it shows.
        QTRY_COMPARE(RelayStates(dialog), QStringLiteral("10100000"));
        states = RelayStates(dialog);
        LetQueuedInputPass();
        dialog.UrlField()->setText(QStringLiteral("127.0.0.9"));
        FindControl<QPushButton>(dialog, CDirectDlg::kExitId)->click();
    });
    window_->CommandAction(CQuarnToolDlg::kDirectControl)->trigger();
    QCOMPARE(states, QStringLiteral("10100000"));
    QCOMPARE(peer.Request(), std::string("GET /control.html HTTP/1.0\r\n\r\n"));
    QCOMPARE(SettingsStore::ReadString("direct", "url", "-"), QStringLiteral("127.0.0.9"));
    QCOMPARE(boxes_->Shown(), QStringList());
}

void TestDeviceCommands::againstQuarnsim()
{
#ifndef QUARN_WITH_QUARNSIM
    QSKIP("quarnsim is not part of this build");
#else
    quarn::test::SimProcess sim({"--password", "tovel"});
    QVERIFY2(sim.Port() != 0, "quarnsim did not start");
    SetWindowExchangePortForTesting(sim.Port());

    // Upload: the simulator's verdict is what the user sees.
    dialogs_.saveAnswers << FilePath(QStringLiteral("sim.xml"));
    window_->Model().timers[0].onTime = TimeOfDay{7, 30, 0};
    window_->Model().timers[0].offTime = TimeOfDay{22, 0, 0};
    window_->Model().relays[3] = u"#T0";
    window_->ShowModel();
    hand_->AnswerOk();
    Upload();
    QCOMPARE(hand_->opened, 1);
    QCOMPARE(boxes_->Shown().size(), 1);
    QVERIFY2(boxes_->Shown().at(0).startsWith(QStringLiteral("State machine accepted")),
             qPrintable(boxes_->Shown().at(0) + "\n" + QString::fromStdString(sim.Log())));

    // Direct control: switch R3 on, then open again and see the simulator
    // report it.
    QString reported;
    const auto run = [this](std::function<void(CDirectDlg&)> act) {
        WhenModalOpens<CDirectDlg>(std::move(act));
        window_->CommandAction(CQuarnToolDlg::kDirectControl)->trigger();
    };
    run([](CDirectDlg& dialog) {
        QTRY_COMPARE(RelayStates(dialog), QStringLiteral("00000000"));
        LetQueuedInputPass();
        QTest::mouseClick(dialog.RelayButton(3), Qt::LeftButton);
        QTRY_COMPARE(RelayStates(dialog), QStringLiteral("00010000"));
        dialog.accept();
    });
    run([&reported](CDirectDlg& dialog) {
        QTRY_VERIFY(!RelayStates(dialog).contains('?'));
        reported = RelayStates(dialog);
        dialog.reject();
    });
    QCOMPARE(reported, QStringLiteral("00010000"));
#endif
}

QTEST_MAIN(TestDeviceCommands)
#include "tst_device_commands.moc"
