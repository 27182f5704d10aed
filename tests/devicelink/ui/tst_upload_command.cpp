// The upload dialog in both variants and the upload command both programs
// share, against a loopback peer.
#include "devicelink/direct_control.hpp"
#include "devicelink/socket_layer.hpp"
#include "devicelink/ui/upload_command.hpp"
#include "devicelink/ui/upload_dlg.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "devicelink/upload.hpp"
#include "tests/support/qt/window_test_support.hpp"
#include "tests/support/test_peer.hpp"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

using namespace quarn;
using namespace quarn::test;
using quarn::test::ClosedPort;
using quarn::test::TestPeer;

Q_DECLARE_METATYPE(quarn::UploadDlgVariant)
Q_DECLARE_METATYPE(quarn::MessageAnswer)

namespace {

// A state-machine file that switches relay R0 on input S0.
const QByteArray kOneRelay =
    "<statemachine><parallel><state id=\"R0\" initial=\"Roff0\"><state id=\"Roff0\">"
    "<transition target=\"Ron0\" cond=\"#S0\"> </transition></state><state id=\"Ron0\">"
    "<transition target=\"Roff0\" cond=\"!(#S0)\"> </transition></state></state></parallel></statemachine>";

const QString kLongAddress = QStringLiteral("controller-in-the-basement.example.org");  // 38 characters

// What the user does in the upload dialog once it is open.
struct DialogHand {
    QString seenUrl;
    QString seenPassword;
    bool opened = false;
};

void AnswerDialog(DialogHand& hand, const QString& url, const QString& password, bool ok)
{
    WhenModalOpens<CUploadDlg>([&hand, url, password, ok](CUploadDlg& dialog) {
        hand.opened = true;
        hand.seenUrl = dialog.UrlField()->text();
        hand.seenPassword = dialog.PasswordField()->text();
        dialog.UrlField()->setText(url);
        dialog.PasswordField()->setText(password);
        if (ok)
            FindControl<QPushButton>(dialog, kOkId)->click();
        else
            QTest::keyClick(&dialog, Qt::Key_Escape);
    });
}

}  // namespace

class TestUploadCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void variants_data();
    void variants();
    void editorFieldTakesThirtyCharactersTyped();
    void longStoredAddress_data();
    void longStoredAddress();
    void outcomes_data();
    void outcomes();
    void settingsStoredAfterFailureAndOfferedNextTime();
    void cancelStoresNothing();
    void fileThatCannotBeOpened_data();
    void fileThatCannotBeOpened();
    void waitCursorEndsOnEveryPath();
    void bareNumbersAreExplainedUnderTheText();
    void fileWithoutRelayAsksFirst_data();
    void fileWithoutRelayAsksFirst();

private:
    QString FilePath(const QString& name) const { return QDir(files_.path()).filePath(name); }
    QString WriteFile(const QByteArray& bytes);

    QTemporaryDir settingsDir_;
    QTemporaryDir files_;
    std::unique_ptr<MessageBoxScript> boxes_;
};

void TestUploadCommand::initTestCase()
{
    QVERIFY(settingsDir_.isValid());
    QVERIFY(files_.isValid());
    UsePrivateSettings(settingsDir_.path());
}

void TestUploadCommand::init()
{
    // What the last test queued up behind an exchange is dropped first.
    LetQueuedInputPass();
    SettingsStore::RemoveSection(QStringLiteral("upload"));
    boxes_ = std::make_unique<MessageBoxScript>();
}

void TestUploadCommand::cleanup()
{
    boxes_.reset();
    SetWindowExchangePortForTesting(0);
}

QString TestUploadCommand::WriteFile(const QByteArray& bytes)
{
    const QString path = FilePath(QStringLiteral("upload.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void TestUploadCommand::variants_data()
{
    QTest::addColumn<UploadDlgVariant>("variant");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("urlLabel");
    QTest::addColumn<int>("urlId");
    QTest::addColumn<int>("passwordId");

    QTest::newRow("editor") << UploadDlgVariant::Editor << "Upload file to the QUARN"
                            << "URL:" << 1227 << 1228;
    QTest::newRow("converter") << UploadDlgVariant::Converter << "Upload state machine file to QUARN LAN"
                               << "QUARN URL:" << 1006 << 1007;
}

void TestUploadCommand::variants()
{
    QFETCH(UploadDlgVariant, variant);
    QFETCH(QString, title);
    QFETCH(QString, urlLabel);
    QFETCH(int, urlId);
    QFETCH(int, passwordId);

    CUploadDlg dialog(variant);
    dialog.m_url = QStringLiteral("quarn-1");
    dialog.m_password = QStringLiteral("pw");
    dialog.show();
    QCOMPARE(dialog.windowTitle(), title);

    QCOMPARE(dialog.UrlId(), urlId);
    QCOMPARE(dialog.PasswordId(), passwordId);
    auto* url = FindControl<QLineEdit>(dialog, dialog.UrlId());
    auto* password = FindControl<QLineEdit>(dialog, dialog.PasswordId());
    QVERIFY2(url != nullptr, "no address field");
    QVERIFY2(password != nullptr, "no password field");
    QCOMPARE(url->text(), QStringLiteral("quarn-1"));
    QCOMPARE(password->text(), QStringLiteral("pw"));
    QCOMPARE(password->echoMode(), QLineEdit::Password);

    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    QVERIFY2(labels.contains(urlLabel), qPrintable(labels.join('|')));
    QVERIFY(labels.contains(QStringLiteral("Password:")));
    auto* ok = FindControl<QPushButton>(dialog, kOkId);
    auto* cancel = FindControl<QPushButton>(dialog, kCancelId);
    QVERIFY(ok != nullptr && cancel != nullptr);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QVERIFY(ok->isDefault());

    // Escape keeps the members; OK takes the fields.
    url->setText(QStringLiteral("typed"));
    password->setText(QStringLiteral("secret"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.m_url, QStringLiteral("quarn-1"));
    QCOMPARE(dialog.m_password, QStringLiteral("pw"));

    dialog.show();
    QCOMPARE(url->text(), QStringLiteral("quarn-1"));
    url->setText(QStringLiteral("typed"));
    password->setText(QStringLiteral("secret"));
    ok->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_url, QStringLiteral("typed"));
    QCOMPARE(dialog.m_password, QStringLiteral("secret"));
}

void TestUploadCommand::editorFieldTakesThirtyCharactersTyped()
{
    const QString typed = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");  // 36
    CUploadDlg editor(UploadDlgVariant::Editor);
    editor.show();
    QTest::keyClicks(editor.UrlField(), typed);
    QCOMPARE(editor.UrlField()->text(), typed.left(30));

    CUploadDlg converter(UploadDlgVariant::Converter);
    converter.show();
    QTest::keyClicks(converter.UrlField(), typed);
    QCOMPARE(converter.UrlField()->text(), typed);
}

void TestUploadCommand::longStoredAddress_data()
{
    QTest::addColumn<UploadDlgVariant>("variant");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("editor refuses it") << UploadDlgVariant::Editor
                                       << QStringList{QStringLiteral("Enter no more than 30 characters.")};
    QTest::newRow("converter takes it") << UploadDlgVariant::Converter << QStringList{};
}

void TestUploadCommand::longStoredAddress()
{
    QFETCH(UploadDlgVariant, variant);
    QFETCH(QStringList, messages);

    CUploadDlg dialog(variant);
    dialog.m_url = kLongAddress;
    dialog.show();
    QCOMPARE(dialog.UrlField()->text(), kLongAddress);

    FindControl<QPushButton>(dialog, kOkId)->click();
    QCOMPARE(boxes_->Shown(), messages);
    if (messages.isEmpty()) {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.m_url, kLongAddress);
        return;
    }
    QVERIFY2(dialog.isVisible(), "the dialog closed with an address that is too long");
    QCOMPARE(dialog.m_url, kLongAddress);

    // The user may shorten it, but not lengthen it, and then OK goes through.
    dialog.UrlField()->setCursorPosition(kLongAddress.size());
    QTest::keyClick(dialog.UrlField(), Qt::Key_X);
    QCOMPARE(dialog.UrlField()->text(), kLongAddress);
    for (int i = 0; i < 8; ++i)
        QTest::keyClick(dialog.UrlField(), Qt::Key_Backspace);
    FindControl<QPushButton>(dialog, kOkId)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_url, kLongAddress.left(30));
}

void TestUploadCommand::outcomes_data()
{
    QTest::addColumn<UploadDlgVariant>("variant");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("message");

    for (const auto& [name, variant] :
         {std::pair{"editor", UploadDlgVariant::Editor}, std::pair{"converter", UploadDlgVariant::Converter}}) {
        QTest::addRow("%s, 200 with message", name)
            << variant
            << QByteArray("HTTP/1.0 200 OK\r\n\r\n<html><p name=\"status\"><b> Upload accepted </b></p></html>")
            << "Upload accepted";
        QTest::addRow("%s, 200 without status element", name)
            << variant << QByteArray("HTTP/1.0 200 OK\r\n\r\n<html>done</html>") << "";
        QTest::addRow("%s, 401", name) << variant << QByteArray("HTTP/1.1 401 Unauthorized\r\n\r\n")
                                       << "Error: 401: Authorization required";
    }
}

void TestUploadCommand::outcomes()
{
    QFETCH(UploadDlgVariant, variant);
    QFETCH(QByteArray, reply);
    QFETCH(QString, message);

    const QString path = WriteFile(kOneRelay + "\r\n");
    TestPeer peer({reply.toStdString()});
    SetWindowExchangePortForTesting(peer.Port());
    DialogHand hand;
    AnswerDialog(hand, QStringLiteral("127.0.0.1"), QStringLiteral("secret"), true);
    RunUploadCommand(nullptr, variant, path);

    QVERIFY(hand.opened);
    QCOMPARE(boxes_->Shown(), QStringList{message});
    const std::string& request = peer.Request();
    QVERIFY2(request.rfind("POST /state_machine_mp.html HTTP/1.0\r\n", 0) == 0, request.c_str());
    QVERIFY2(request.find("Authorization: Basic YWRtaW46c2VjcmV0\r\n") != std::string::npos, request.c_str());
    QVERIFY2(request.find("\r\n\r\n" + kOneRelay.toStdString() + "\n\r\n--1234567890--\r\n\r\n") != std::string::npos,
             request.c_str());
}

void TestUploadCommand::settingsStoredAfterFailureAndOfferedNextTime()
{
    const QString path = WriteFile(kOneRelay);
    SetWindowExchangePortForTesting(ClosedPort());

    // An empty store offers the default host name and password.
    DialogHand first;
    AnswerDialog(first, QStringLiteral("127.0.0.1"), QStringLiteral("new password"), true);
    RunUploadCommand(nullptr, UploadDlgVariant::Editor, path);
    QCOMPARE(first.seenUrl, QStringLiteral("quarn"));
    QCOMPARE(first.seenPassword, QStringLiteral("tovel"));
    QCOMPARE(boxes_->Shown().size(), 1);
    QVERIFY2(boxes_->Shown().at(0).startsWith(QStringLiteral("Cannot connect: ")), qPrintable(boxes_->Shown().at(0)));

    LetQueuedInputPass();
    DialogHand second;
    AnswerDialog(second, QStringLiteral("127.0.0.1"), QStringLiteral("x"), false);
    RunUploadCommand(nullptr, UploadDlgVariant::Converter, path);
    QCOMPARE(second.seenUrl, QStringLiteral("127.0.0.1"));
    QCOMPARE(second.seenPassword, QStringLiteral("new password"));
}

void TestUploadCommand::cancelStoresNothing()
{
    DialogHand hand;
    AnswerDialog(hand, QStringLiteral("somewhere"), QStringLiteral("pw"), false);
    RunUploadCommand(nullptr, UploadDlgVariant::Editor, FilePath(QStringLiteral("never-read.xml")));
    QVERIFY(hand.opened);
    QCOMPARE(boxes_->Shown(), QStringList());
    QCOMPARE(SettingsStore::ReadString("upload", "url", "-"), QStringLiteral("-"));
    QCOMPARE(SettingsStore::ReadString("upload", "pwd", "-"), QStringLiteral("-"));
}

void TestUploadCommand::fileThatCannotBeOpened_data()
{
    QTest::addColumn<UploadDlgVariant>("variant");
    QTest::addColumn<bool>("emptyBoxAfter");

    // The editor shows the text from within the upload and then the empty
    // result; the converter shows the text as the result.
    QTest::newRow("editor") << UploadDlgVariant::Editor << true;
    QTest::newRow("converter") << UploadDlgVariant::Converter << false;
}

void TestUploadCommand::fileThatCannotBeOpened()
{
    QFETCH(UploadDlgVariant, variant);
    QFETCH(bool, emptyBoxAfter);

    const QString missing = FilePath(QStringLiteral("missing.xml"));
    SetWindowExchangePortForTesting(ClosedPort());
    DialogHand hand;
    AnswerDialog(hand, QStringLiteral("127.0.0.1"), QStringLiteral("pw"), true);
    RunUploadCommand(nullptr, variant, missing);

    QStringList expected{QStringLiteral("Cannot open file %1 for reading (2)").arg(missing)};
    if (emptyBoxAfter)
        expected << QString();
    QCOMPARE(boxes_->Shown(), expected);
    QCOMPARE(SettingsStore::ReadString("upload", "url", "-"), QStringLiteral("127.0.0.1"));
}

void TestUploadCommand::waitCursorEndsOnEveryPath()
{
    const ExchangeOptions options = WindowExchangeOptions();
    QCOMPARE(options.port, std::uint16_t{80});
    SetWindowExchangePortForTesting(4321);
    QCOMPARE(WindowExchangeOptions().port, std::uint16_t{4321});
    SetWindowExchangePortForTesting(0);

    // Each call below fails and leaves early; the wait cursor, and the
    // painting while the thread blocks, must go with it. Where the call
    // gives a chance to look (a message shown, a pause between receive
    // attempts), the cursor is seen while it runs.
    int seenWaiting = 0;
    auto look = [&seenWaiting] {
        if (QApplication::overrideCursor() != nullptr && QApplication::overrideCursor()->shape() == Qt::WaitCursor)
            ++seenWaiting;
    };
    ExchangeOptions exchange = WindowExchangeOptions();
    exchange.connectTimeLimit = std::chrono::seconds(2);
    exchange.receiveTimeLimit = std::chrono::seconds(2);
    exchange.hooks.pause = [&look](std::chrono::milliseconds) { look(); };
    UploadOptions editor;
    editor.variant = UploadVariant::Editor;
    editor.exchange = exchange;
    editor.showMessage = [&look](const std::u16string&) { look(); };
    const std::u16string missing = FilePath(QStringLiteral("missing.xml")).toStdU16String();
    const std::u16string file = WriteFile("<statemachine/>").toStdU16String();
    const std::uint16_t closed = ClosedPort();

    const struct {
        const char* name;
        std::function<void()> run;
        bool seen;
    } cases[] = {
        {"upload of a file that cannot be opened", [&] { UploadStateMachine(u"127.0.0.1", missing, u"pw", editor); },
         true},
        {"upload to a port where nothing listens",
         [&] {
             UploadOptions upload = editor;
             upload.exchange.port = closed;
             UploadStateMachine(u"127.0.0.1", file, u"pw", upload);
         },
         false},
        {"upload to a controller that closes without an answer",
         [&] {
             TestPeer peer({}, TestPeer::Ending::CloseAtOnce);
             UploadOptions upload = editor;
             upload.exchange.port = peer.Port();
             UploadStateMachine(u"127.0.0.1", file, u"pw", upload);
         },
         true},
        {"direct control where nothing listens",
         [&] {
             ExchangeOptions control = exchange;
             control.port = closed;
             SendControlRequest(u"127.0.0.1", kControlPage, control);
         },
         false},
        {"exchange with a host that does not resolve",
         [&] { DeviceExchange(u"http://127.0.0.1", "GET / HTTP/1.0\r\n\r\n", true, exchange); }, false},
    };
    for (const auto& c : cases) {
        seenWaiting = 0;
        c.run();
        QVERIFY2(QApplication::overrideCursor() == nullptr, c.name);
        QVERIFY2(!net::SetWaitingHook({}), c.name);
        if (c.seen)
            QVERIFY2(seenWaiting > 0, c.name);
    }
}

void TestUploadCommand::bareNumbersAreExplainedUnderTheText()
{
    const QString path = WriteFile(kOneRelay);
    {
        // A peer that reads the request and closes without a word.
        TestPeer peer({}, TestPeer::Ending::CloseAtOnce);
        SetWindowExchangePortForTesting(peer.Port());
        DialogHand hand;
        AnswerDialog(hand, QStringLiteral("127.0.0.1"), QStringLiteral("pw"), true);
        RunUploadCommand(nullptr, UploadDlgVariant::Editor, path);
    }
    const std::uint16_t closed = ClosedPort();
    SetWindowExchangePortForTesting(closed);
    DialogHand hand;
    AnswerDialog(hand, QStringLiteral("127.0.0.1"), QStringLiteral("pw"), true);
    RunUploadCommand(nullptr, UploadDlgVariant::Converter, path);

    const std::vector<AskedMessageBox>& seen = boxes_->Asked();
    QCOMPARE(seen.size(), std::size_t{2});
    QCOMPARE(seen.at(0).text, QStringLiteral("Error: 0"));
    QCOMPARE(seen.at(0).informative,
             QStringLiteral("The controller closed the connection without an answer it could read."));
    QVERIFY2(seen.at(1).text.startsWith(QStringLiteral("Cannot connect: ")), qPrintable(seen.at(1).text));
    QCOMPARE(seen.at(1).informative,
             QStringLiteral("Connection refused: nothing answers on port %1 at that address.").arg(closed));
}

void TestUploadCommand::fileWithoutRelayAsksFirst_data()
{
    QTest::addColumn<UploadDlgVariant>("variant");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("sent");

    for (const auto& [name, variant] :
         {std::pair{"editor", UploadDlgVariant::Editor}, std::pair{"converter", UploadDlgVariant::Converter}}) {
        QTest::addRow("%s, no relay, No keeps the running program", name)
            << variant << QByteArray("<statemachine/>\r\n") << MessageAnswer::No << true << false;
        QTest::addRow("%s, timers but no relay, Yes sends it", name)
            << variant
            << QByteArray("<statemachine><timer id=\"0\" start=\"1\" end=\"2\" dow=\"1\"> </timer></statemachine>")
            << MessageAnswer::Yes << true << true;
        QTest::addRow("%s, a relay, nothing asked", name) << variant << kOneRelay << MessageAnswer::No << false << true;
    }
}

void TestUploadCommand::fileWithoutRelayAsksFirst()
{
    QFETCH(UploadDlgVariant, variant);
    QFETCH(QByteArray, file);
    QFETCH(MessageAnswer, answer);
    QFETCH(bool, asked);
    QFETCH(bool, sent);

    const QString path = WriteFile(file);
    if (asked)
        MessageBoxAnswers::SetNextAnswer(answer);
    std::optional<TestPeer> peer;
    if (sent) {
        peer.emplace(std::vector<std::string>{"HTTP/1.0 200 OK\r\n\r\n<p name=\"status\"><b>Stored</b></p>"});
        SetWindowExchangePortForTesting(peer->Port());
        DialogHand hand;
        AnswerDialog(hand, QStringLiteral("127.0.0.1"), QStringLiteral("pw"), true);
        RunUploadCommand(nullptr, variant, path);
        QVERIFY(hand.opened);
        QVERIFY(peer->Request().find("name=\"file\"") != std::string::npos);
    } else {
        // The dialog never opens: nothing is asked for, stored or sent.
        SetWindowExchangePortForTesting(ClosedPort());
        RunUploadCommand(nullptr, variant, path);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    const std::vector<AskedMessageBox>& seen = boxes_->Asked();
    QStringList expected;
    if (asked)
        expected << NoRelayQuestion(path);
    if (sent)
        expected << QStringLiteral("Stored");
    QCOMPARE(boxes_->Shown(), expected);
    if (asked) {
        QCOMPARE(seen.front().buttons, MessageButtons::YesNo);
        QVERIFY2(seen.front().defaultAnswer == MessageAnswer::No, "Enter would send a program that switches nothing");
    }
    QCOMPARE(SettingsStore::ReadString("upload", "pwd", "-"), sent ? QStringLiteral("pw") : QStringLiteral("-"));
}

QTEST_MAIN(TestUploadCommand)
#include "tst_upload_command.moc"
