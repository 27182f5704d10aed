#include "platform/dialog_units.hpp"
#include "platform/file_dialogs.hpp"
#include "platform/message_box.hpp"
#include "platform/settings_store.hpp"
#include "platform/socket_startup.hpp"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace quarn;

namespace {

// What a real message box showed.
struct SeenBox {
    QString title;
    QString text;
    QString details;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Once the next message box is open, notes what it shows in seen and
// presses press (NoButton: Escape).
void AnswerNextBox(SeenBox& seen, QMessageBox::StandardButton press)
{
    QTimer::singleShot(0, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY2(box != nullptr, "no message box is open");
        seen = {box->windowTitle(), box->text(), box->detailedText(), box->icon()};
        if (press == QMessageBox::NoButton)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(press)->click();
    });
}

}  // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void settingsReadDefaultThenStored();
    void settingsLiveUnderCompanyAndProgram();
    void settingsRemoveSection();

    void messageBoxIcon_data();
    void messageBoxIcon();
    void realMessageBoxShowsTitleIconAndAnswers_data();
    void realMessageBoxShowsTitleIconAndAnswers();
    void messageBoxWithIconAndDetails();
    void answeredBoxesAreRecordedWhole();
    void aQueuedAnswerKeepsOnlyItsBoxFromShowing();
    void enterGivesTheAnswerThatKeeps_data();
    void enterGivesTheAnswerThatKeeps();

    void desktopFileDialogAsksAsRequested_data();
    void desktopFileDialogAsksAsRequested();

    void dialogUnits_data();
    void dialogUnits();

    void socketStartupFailureIsReported();
    void messageBoxIsAsWideAsItsTitle_data();
    void messageBoxIsAsWideAsItsTitle();

private:
    QTemporaryDir settingsDir_;
};

void TestPlatform::init()
{
    QVERIFY(settingsDir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_.path());
    SettingsStore::SetCompanyKey(QStringLiteral("QuarnTool"));
    MessageBoxAnswers::Reset();
}

void TestPlatform::cleanup()
{
    SettingsStore::RemoveSection(QStringLiteral("upload"));
    SettingsStore::RemoveSection(QStringLiteral("Recent File List"));
    MessageBoxAnswers::Reset();
}

void TestPlatform::settingsReadDefaultThenStored()
{
    QCOMPARE(SettingsStore::ReadString("upload", "pwd", "tovel"), QStringLiteral("tovel"));
    SettingsStore::WriteString("upload", "pwd", "secret & more");
    QCOMPARE(SettingsStore::ReadString("upload", "pwd", "tovel"), QStringLiteral("secret & more"));
    // An entry of the same name in another section is another entry.
    QCOMPARE(SettingsStore::ReadString("direct", "pwd", "none"), QStringLiteral("none"));
}

void TestPlatform::settingsLiveUnderCompanyAndProgram()
{
    SettingsStore::WriteString("Recent File List", "File1", "/home/u/office.xml");
    QCOMPARE(SettingsStore::ProgramName(), QStringLiteral("tst_platform"));
    QSettings direct(QStringLiteral("QuarnTool"), QStringLiteral("tst_platform"));
    QCOMPARE(direct.value("Recent File List/File1").toString(), QStringLiteral("/home/u/office.xml"));
    QVERIFY2(direct.fileName().startsWith(settingsDir_.path()), qPrintable(direct.fileName()));

    // Another company key sees nothing of it.
    SettingsStore::SetCompanyKey(QStringLiteral("Local AppWizard-Generated Applications"));
    QCOMPARE(SettingsStore::ReadString("Recent File List", "File1", "-"), QStringLiteral("-"));
}

void TestPlatform::settingsRemoveSection()
{
    SettingsStore::WriteString("Recent File List", "File1", "a");
    SettingsStore::WriteString("Recent File List", "File2", "b");
    SettingsStore::WriteString("upload", "url", "quarn");
    SettingsStore::RemoveSection("Recent File List");
    QCOMPARE(SettingsStore::ReadString("Recent File List", "File2", "-"), QStringLiteral("-"));
    QCOMPARE(SettingsStore::ReadString("upload", "url", "-"), QStringLiteral("quarn"));
}

void TestPlatform::messageBoxIcon_data()
{
    QTest::addColumn<MessageButtons>("buttons");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::newRow("ok") << MessageButtons::Ok << QMessageBox::Warning;
    QTest::newRow("ok cancel") << MessageButtons::OkCancel << QMessageBox::Warning;
    QTest::newRow("yes no") << MessageButtons::YesNo << QMessageBox::Question;
    QTest::newRow("yes no cancel") << MessageButtons::YesNoCancel << QMessageBox::Question;
}

void TestPlatform::messageBoxIcon()
{
    QFETCH(MessageButtons, buttons);
    QFETCH(QMessageBox::Icon, icon);
    MessageBoxAnswers::AnswerEveryBox(true);
    ShowMessageBox(nullptr, "text", buttons);
    QCOMPARE(MessageBoxAnswers::Asked().size(), std::size_t{1});
    QCOMPARE(MessageBoxAnswers::Asked().front().icon, icon);
}

void TestPlatform::realMessageBoxShowsTitleIconAndAnswers_data()
{
    QTest::addColumn<MessageButtons>("buttons");
    QTest::addColumn<QMessageBox::StandardButton>("press");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::newRow("ok") << MessageButtons::Ok << QMessageBox::Ok << MessageAnswer::Ok << QMessageBox::Warning;
    QTest::newRow("yes") << MessageButtons::YesNoCancel << QMessageBox::Yes << MessageAnswer::Yes
                         << QMessageBox::Question;
    QTest::newRow("no") << MessageButtons::YesNoCancel << QMessageBox::No << MessageAnswer::No << QMessageBox::Question;
    QTest::newRow("cancel") << MessageButtons::YesNoCancel << QMessageBox::Cancel << MessageAnswer::Cancel
                            << QMessageBox::Question;
    QTest::newRow("escape") << MessageButtons::YesNoCancel << QMessageBox::NoButton << MessageAnswer::Cancel
                            << QMessageBox::Question;
}

void TestPlatform::realMessageBoxShowsTitleIconAndAnswers()
{
    QFETCH(MessageButtons, buttons);
    QFETCH(QMessageBox::StandardButton, press);
    QFETCH(MessageAnswer, answer);
    QFETCH(QMessageBox::Icon, icon);
    SetMessageBoxTitle(QStringLiteral("QuarnTool"));

    SeenBox seen;
    AnswerNextBox(seen, press);
    QCOMPARE(ShowMessageBox(nullptr, "Contents changed", buttons), answer);
    QCOMPARE(seen.title, QStringLiteral("QuarnTool"));
    QCOMPARE(seen.text, QStringLiteral("Contents changed"));
    QCOMPARE(seen.icon, icon);
}

void TestPlatform::enterGivesTheAnswerThatKeeps_data()
{
    QTest::addColumn<MessageButtons>("buttons");
    QTest::addColumn<MessageAnswer>("keeps");

    QTest::newRow("replace: No keeps") << MessageButtons::YesNo << MessageAnswer::No;
    QTest::newRow("save first: Yes keeps") << MessageButtons::YesNoCancel << MessageAnswer::Yes;
    QTest::newRow("Cancel keeps") << MessageButtons::YesNoCancel << MessageAnswer::Cancel;
}

void TestPlatform::enterGivesTheAnswerThatKeeps()
{
    QFETCH(MessageButtons, buttons);
    QFETCH(MessageAnswer, keeps);

    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY2(box != nullptr, "no message box is open");
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(AskQuestion(nullptr, "Replace it?", buttons, keeps), keeps);
}

void TestPlatform::messageBoxWithIconAndDetails()
{
    SetMessageBoxTitle(QStringLiteral("morvex"));
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::Ok);
    QCOMPARE(ShowMessageBox(nullptr, "Done", QMessageBox::Information, "first\nsecond"), MessageAnswer::Ok);
    QCOMPARE(seen.title, QStringLiteral("morvex"));
    QCOMPARE(seen.text, QStringLiteral("Done"));
    QCOMPARE(seen.details, QStringLiteral("first\nsecond"));
    QCOMPARE(seen.icon, QMessageBox::Information);
}

void TestPlatform::answeredBoxesAreRecordedWhole()
{
    SetMessageBoxTitle(QStringLiteral("morvex"));
    MessageBoxAnswers::AnswerEveryBox(true);
    // The queue answers the next boxes whatever their buttons; once it is
    // empty each box gets what Escape gives it.
    MessageBoxAnswers::SetNextAnswer(MessageAnswer::Yes);
    MessageBoxAnswers::SetNextAnswer(MessageAnswer::Cancel);
    QCOMPARE(AskQuestion(nullptr, "Replace it?", MessageButtons::YesNo, MessageAnswer::No), MessageAnswer::Yes);
    QCOMPARE(ShowMessageBox(nullptr, "Plain", MessageButtons::Ok, "why"), MessageAnswer::Cancel);
    QCOMPARE(ShowMessageBox(nullptr, "Rich", QMessageBox::Information, "notes"), MessageAnswer::Ok);
    const struct {
        MessageButtons buttons;
        MessageAnswer escape;
    } escapes[] = {
        {MessageButtons::OkCancel, MessageAnswer::Cancel},
        {MessageButtons::YesNo, MessageAnswer::No},
        {MessageButtons::YesNoCancel, MessageAnswer::Cancel},
    };
    for (const auto& e : escapes)
        QCOMPARE(ShowMessageBox(nullptr, "Sure?", e.buttons), e.escape);

    const std::vector<AskedMessageBox>& asked = MessageBoxAnswers::Asked();
    QCOMPARE(asked.size(), std::size_t{6});
    QCOMPARE(asked[0].title, QStringLiteral("morvex"));
    QCOMPARE(asked[0].text, QStringLiteral("Replace it?"));
    QCOMPARE(asked[0].buttons, MessageButtons::YesNo);
    QCOMPARE(asked[0].icon, QMessageBox::Question);
    QVERIFY2(asked[0].defaultAnswer == MessageAnswer::No, "the default answer was not recorded");
    QCOMPARE(asked[1].text, QStringLiteral("Plain"));
    QCOMPARE(asked[1].informative, QStringLiteral("why"));
    QVERIFY(!asked[1].defaultAnswer.has_value());
    QCOMPARE(asked[2].icon, QMessageBox::Information);
    QCOMPARE(asked[2].details, QStringLiteral("notes"));
    QCOMPARE(asked[3].buttons, MessageButtons::OkCancel);

    // Reset shows real boxes again, with the record emptied.
    MessageBoxAnswers::Reset();
    QVERIFY(MessageBoxAnswers::Asked().empty());
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::No);
    QCOMPARE(ShowMessageBox(nullptr, "Shown", MessageButtons::YesNo), MessageAnswer::No);
    QCOMPARE(seen.text, QStringLiteral("Shown"));
    QVERIFY(MessageBoxAnswers::Asked().empty());
}

void TestPlatform::aQueuedAnswerKeepsOnlyItsBoxFromShowing()
{
    // Without AnswerEveryBox a queued answer answers one box; the next is
    // shown to the user.
    MessageBoxAnswers::SetNextAnswer(MessageAnswer::Yes);
    QCOMPARE(ShowMessageBox(nullptr, "Answered", MessageButtons::YesNo), MessageAnswer::Yes);
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::No);
    QCOMPARE(ShowMessageBox(nullptr, "Shown", MessageButtons::YesNo), MessageAnswer::No);
    QCOMPARE(seen.text, QStringLiteral("Shown"));
    QCOMPARE(MessageBoxAnswers::Asked().size(), std::size_t{1});
    QCOMPARE(MessageBoxAnswers::Asked().front().text, QStringLiteral("Answered"));
}

void TestPlatform::desktopFileDialogAsksAsRequested_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("mustExist");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("fileMode");
    QTest::newRow("open existing") << false << true << true << int(QFileDialog::ExistingFile);
    QTest::newRow("open any name") << false << false << true << int(QFileDialog::AnyFile);
    QTest::newRow("save, confirm") << true << true << true << int(QFileDialog::AnyFile);
    QTest::newRow("save, no question") << true << true << false << int(QFileDialog::AnyFile);
}

void TestPlatform::desktopFileDialogAsksAsRequested()
{
    QFETCH(bool, save);
    QFETCH(bool, mustExist);
    QFETCH(bool, confirm);
    QFETCH(int, fileMode);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());

    FileDialogRequest request;
    request.save = save;
    request.initialPath = folder.filePath(QStringLiteral("model.xmi"));
    request.nameFilters = QStringLiteral("xmi files (*.xmi);;All files (*)");
    request.defaultSuffix = QStringLiteral("xmi");
    request.fileMustExist = mustExist;
    request.confirmReplace = confirm;

    QStringList filters;
    QString suffix;
    int shownMode = -1;
    bool asksToReplace = false;
    bool saving = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY2(dialog != nullptr, "no file dialog is open");
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        shownMode = int(dialog->fileMode());
        asksToReplace = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        saving = dialog->acceptMode() == QFileDialog::AcceptSave;
        dialog->reject();
    });
    DesktopFileDialogs dialogs;
    QCOMPARE(dialogs.AskPath(nullptr, request), QString());
    QCOMPARE(filters, (QStringList{QStringLiteral("xmi files (*.xmi)"), QStringLiteral("All files (*)")}));
    QCOMPARE(suffix, QStringLiteral("xmi"));
    QCOMPARE(shownMode, fileMode);
    QCOMPARE(saving, save);
    if (save)
        QCOMPARE(asksToReplace, confirm);
}

void TestPlatform::dialogUnits_data()
{
    QTest::addColumn<int>("baseWidth");
    QTest::addColumn<int>("baseHeight");
    QTest::addColumn<QRect>("units");
    QTest::addColumn<QRect>("pixels");
    QTest::newRow("exact") << 8 << 16 << QRect(4, 8, 40, 16) << QRect(8, 16, 80, 32);
    QTest::newRow("classic font") << 6 << 13 << QRect(66, 36, 54, 15) << QRect(99, 59, 81, 24);
    QTest::newRow("halves round up") << 6 << 12 << QRect(1, 1, 3, 3) << QRect(2, 2, 5, 5);
    QTest::newRow("zero") << 7 << 15 << QRect(0, 0, 0, 0) << QRect(0, 0, 0, 0);
}

void TestPlatform::dialogUnits()
{
    QFETCH(int, baseWidth);
    QFETCH(int, baseHeight);
    QFETCH(QRect, units);
    QFETCH(QRect, pixels);
    const DialogUnits du(baseWidth, baseHeight);
    QCOMPARE(du.rect(units.x(), units.y(), units.width(), units.height()), pixels);
}

void TestPlatform::socketStartupFailureIsReported()
{
    MessageBoxAnswers::AnswerEveryBox(true);
    QVERIFY(StartSocketLayerOrReport([] { return true; }));
    QVERIFY(MessageBoxAnswers::Asked().empty());
    QVERIFY(!StartSocketLayerOrReport([] { return false; }));
    QCOMPARE(MessageBoxAnswers::Asked().size(), std::size_t{1});
    QCOMPARE(MessageBoxAnswers::Asked().front().text, QStringLiteral("Failed to initialize sockets"));

    // A real font gives positive base units.
    const DialogUnits du(QApplication::font());
    QVERIFY(du.baseWidth() > 0 && du.baseHeight() > 0);
}

void TestPlatform::messageBoxIsAsWideAsItsTitle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("informative");
    QTest::newRow("number only") << "Error: 0"
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("with an explanation") << "Cannot connect: 111"
                                         << "Connection refused: nothing answers on port 80 at that address.";
}

void TestPlatform::messageBoxIsAsWideAsItsTitle()
{
    QFETCH(QString, text);
    QFETCH(QString, informative);
    SetMessageBoxTitle(QStringLiteral("QuarnTool"));
    const auto box = CreateMessageBox(
        nullptr, MessageBoxRequest{text, MessageButtons::Ok, QMessageBox::Warning, {}, informative, {}});
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QCOMPARE(box->text(), text);
    QCOMPARE(box->informativeText(), informative);
    QCOMPARE(box->windowTitle(), QStringLiteral("QuarnTool"));
    QFont bold = box->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    // The title bar holds the title, the window's icon and up to three
    // buttons with their gaps; a box sized to "Error: 0" alone is narrower.
    const int needed = metrics.horizontalAdvance(QStringLiteral("QuarnTool")) + 5 * metrics.height();
    QVERIFY2(box->width() >= needed,
             qPrintable(QStringLiteral("%1 pixels wide, the title needs %2").arg(box->width()).arg(needed)));
    box->close();
    SetMessageBoxTitle(QString());
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
