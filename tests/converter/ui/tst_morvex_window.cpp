// The converter window: its layout, the destination that follows the
// source, the file questions, the transform and upload buttons, closing,
// and the program's start-up.
#include "converter/ui/converter_commands.hpp"
#include "converter/ui/morvex_app.hpp"
#include "converter/ui/morvex_dlg.hpp"
#include "converter/ui/morvex_texts.hpp"
#include "devicelink/ui/upload_command.hpp"
#include "devicelink/ui/upload_dlg.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "platform/dialog_units.hpp"
#include "platform/opened_files.hpp"
#include "tests/support/qt/window_test_support.hpp"
#include "tests/support/test_peer.hpp"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>
#include <vector>

using namespace quarn;

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class TestMorvexWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutTitleAndTabOrder();
    void destinationFollowsEveryChangeOfTheSource_data();
    void destinationFollowsEveryChangeOfTheSource();
    void handTypedDestinationLastsUntilTheSourceChanges();
    void browsingAsksWithTheRightQuestions();
    void sourceFilterKeepsItsTextAndListsUmlFiles();
    void cancelledQuestionsChangeNothing();
    void closesOnExitEnterAndEscape_data();
    void closesOnExitEnterAndEscape();
    void closeRequestFromOutsideIsRefused();

    void transformReportsItsOutcome();
    void transformWithoutRelayWarns();
    void transformWithEmptySourceDoesNothing();

    void uploadWithEmptyDestinationAsksNothing();
    void uploadOfAMissingFileSaysSo();
    void uploadSendsTheFileAndKeepsTheSettings();

    void socketFailureEndsBeforeAnyWindow();
    void startUpOpensTheConverterStore();
    void fileOnTheCommandLineBecomesTheSource();

private:
    QLineEdit* Field(int id) const;
    QPushButton* Button(int id) const;
    void Type(int fieldId, const QString& text) const;

    QTemporaryDir settingsDir_;
    QTemporaryDir work_;
    test::ScriptedFileDialogs dialogs_;
    std::unique_ptr<CMorvexDlg> window_;
};

void TestMorvexWindow::init()
{
    // What the last test queued up behind an exchange is dropped first.
    test::LetQueuedInputPass();
    QVERIFY(settingsDir_.isValid());
    QVERIFY(work_.isValid());
    test::UsePrivateSettings(settingsDir_.path());
    SettingsStore::SetCompanyKey(morvex_texts::CompanyKey());
    dialogs_ = test::ScriptedFileDialogs();
    window_ = std::make_unique<CMorvexDlg>(dialogs_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void TestMorvexWindow::cleanup()
{
    window_.reset();
    SettingsStore::RemoveSection(QStringLiteral("upload"));
    SetWindowExchangePortForTesting(0);
}

QLineEdit* TestMorvexWindow::Field(int id) const
{
    return test::FindControl<QLineEdit>(*window_, id);
}

QPushButton* TestMorvexWindow::Button(int id) const
{
    return test::FindControl<QPushButton>(*window_, id);
}

// Types into a field as the user does: focus, then keys; an empty text
// clears the field with backspaces.
void TestMorvexWindow::Type(int fieldId, const QString& text) const
{
    QLineEdit* field = Field(fieldId);
    field->setFocus();
    if (text.isEmpty()) {
        field->end(false);
        while (!field->text().isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
        return;
    }
    QTest::keyClicks(field, text);
}

void TestMorvexWindow::layoutTitleAndTabOrder()
{
    QCOMPARE(window_->windowTitle(), QStringLiteral("QUARN XMI to XML converter V1"));
    const Qt::WindowFlags flags = window_->windowFlags();
    QVERIFY2(!(flags & Qt::WindowCloseButtonHint), "the window has a close box");
    QVERIFY2(!(flags & Qt::WindowSystemMenuHint), "the window has a system menu");
    QVERIFY2(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)),
             "the window has a minimise or maximise box");
    QVERIFY(!window_->windowIcon().isNull());

    // The template's ids.
    const int ids[] = {CMorvexDlg::kSourceField,
                       CMorvexDlg::kSourceBrowse,
                       CMorvexDlg::kDestinationField,
                       CMorvexDlg::kDestinationBrowse,
                       CMorvexDlg::kTransform,
                       CMorvexDlg::kUpload,
                       CMorvexDlg::kExit};
    QCOMPARE(QList<int>(std::begin(ids), std::end(ids)), (QList<int>{1000, 1001, 1002, 1003, 1004, 1005, 1}));

    struct Place {
        int id;
        QRect units;
        QString text;
    };
    const Place places[] = {
        {CMorvexDlg::kSourceField, {96, 18, 192, 12}, {}},
        {CMorvexDlg::kSourceBrowse, {288, 18, 50, 14}, "Browse..."},
        {CMorvexDlg::kTransform, {96, 42, 132, 18}, "Transform XMI to XML"},
        {CMorvexDlg::kDestinationField, {96, 78, 192, 12}, {}},
        {CMorvexDlg::kDestinationBrowse, {288, 78, 50, 14}, "Browse..."},
        {CMorvexDlg::kUpload, {96, 102, 132, 18}, "Upload XML to QUARN..."},
        {CMorvexDlg::kExit, {288, 108, 50, 14}, "Exit"},
    };
    const DialogUnits du(window_->font());
    QCOMPARE(window_->size(), du.size(375, 146));
    window_->resize(window_->size() * 2);
    QWidget* expectedNext = nullptr;
    for (const Place& place : places) {
        auto* control = test::FindControl(*window_, place.id);
        QVERIFY2(control != nullptr, qPrintable(QStringLiteral("control %1 is missing").arg(place.id)));
        QCOMPARE(control->geometry(),
                 du.rect(place.units.x(), place.units.y(), place.units.width(), place.units.height()));
        if (auto* button = qobject_cast<QPushButton*>(control))
            QCOMPARE(button->text(), place.text);
        if (expectedNext != nullptr)
            QCOMPARE(expectedNext, control);
        expectedNext = control->nextInFocusChain();
    }
    QVERIFY(Button(CMorvexDlg::kExit)->isDefault());
    QVERIFY(Field(CMorvexDlg::kSourceField)->text().isEmpty());
    QVERIFY(Field(CMorvexDlg::kDestinationField)->text().isEmpty());
}

void TestMorvexWindow::destinationFollowsEveryChangeOfTheSource_data()
{
    QTest::addColumn<QStringList>("typed");  // typed in turn; "" clears the field
    QTest::addColumn<QString>("destination");
    QTest::newRow("one letter") << QStringList{"a"} << "a.xml";
    QTest::newRow("emptied") << QStringList{"a", ""} << ".xml";
    QTest::newRow("extension stays") << QStringList{"/m/model.xmi"} << "/m/model.xmi.xml";
    QTest::newRow("retyped") << QStringList{"old", "", "new"} << "new.xml";
}

void TestMorvexWindow::destinationFollowsEveryChangeOfTheSource()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, destination);
    for (const QString& text : typed)
        Type(CMorvexDlg::kSourceField, text);
    QCOMPARE(Field(CMorvexDlg::kDestinationField)->text(), destination);
}

void TestMorvexWindow::handTypedDestinationLastsUntilTheSourceChanges()
{
    Type(CMorvexDlg::kSourceField, "m.xmi");
    Type(CMorvexDlg::kDestinationField, "");
    Type(CMorvexDlg::kDestinationField, "out.xml");
    QCOMPARE(Field(CMorvexDlg::kDestinationField)->text(), QStringLiteral("out.xml"));
    QCOMPARE(Field(CMorvexDlg::kSourceField)->text(), QStringLiteral("m.xmi"));

    // One more key in the source, and the typed destination is gone.
    Type(CMorvexDlg::kSourceField, "x");
    QCOMPARE(Field(CMorvexDlg::kDestinationField)->text(), QStringLiteral("m.xmix.xml"));

    // A destination chosen with its Browse button goes the same way.
    dialogs_.answers = {QStringLiteral("/tmp/chosen.xml")};
    QTest::mouseClick(Button(CMorvexDlg::kDestinationBrowse), Qt::LeftButton);
    QCOMPARE(Field(CMorvexDlg::kDestinationField)->text(), QStringLiteral("/tmp/chosen.xml"));
    Type(CMorvexDlg::kSourceField, "");
    QCOMPARE(Field(CMorvexDlg::kDestinationField)->text(), QStringLiteral(".xml"));
}

void TestMorvexWindow::browsingAsksWithTheRightQuestions()
{
    Type(CMorvexDlg::kSourceField, "/m/first.xmi");
    dialogs_.answers = {QStringLiteral("/tmp/chosen.xml"), QStringLiteral("/data/model.xmi")};
    QTest::mouseClick(Button(CMorvexDlg::kDestinationBrowse), Qt::LeftButton);
    QTest::mouseClick(Button(CMorvexDlg::kSourceBrowse), Qt::LeftButton);

    // The browsed source overwrites the destination chosen before it.
    QCOMPARE(Field(CMorvexDlg::kSourceField)->text(), QStringLiteral("/data/model.xmi"));
    QCOMPARE(Field(CMorvexDlg::kDestinationField)->text(), QStringLiteral("/data/model.xmi.xml"));
    QCOMPARE(window_->SourcePath(), QStringLiteral("/data/model.xmi"));
    QCOMPARE(window_->DestinationPath(), QStringLiteral("/data/model.xmi.xml"));

    QCOMPARE(dialogs_.asked.size(), std::size_t{2});
    const FileDialogRequest& save = dialogs_.asked[0];
    QVERIFY(save.save);
    QCOMPARE(save.initialPath, QStringLiteral("/m/first.xmi.xml"));
    QCOMPARE(save.nameFilters, morvex_texts::DestinationFilters());
    QVERIFY(save.nameFilters.startsWith(QStringLiteral("xml files (*.xml);;All files")));
    QCOMPARE(save.defaultSuffix, QStringLiteral("xml"));
    QVERIFY2(!save.confirmReplace, "the save question asks before replacing a file");

    const FileDialogRequest& open = dialogs_.asked[1];
    QVERIFY(!open.save);
    QCOMPARE(open.initialPath, QStringLiteral("/m/first.xmi"));
    QCOMPARE(open.nameFilters, morvex_texts::SourceFilters());
    QVERIFY(open.hideFilterPatterns);
    QCOMPARE(open.defaultSuffix, QStringLiteral("xmi"));
    QVERIFY2(!open.fileMustExist, "the open question insists on an existing file");
}

// The source dialog shows the filter texts "xmi files (*.xmi)" and "All
// files" as they always were, and its first filter also lets .uml files
// (Eclipse UML2, Papyrus) through.
void TestMorvexWindow::sourceFilterKeepsItsTextAndListsUmlFiles()
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(morvex_texts::SourceFilters().split(QStringLiteral(";;")));
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY2(types != nullptr, "the dialog has no file type list");
    QCOMPARE(types->count(), 2);
    QCOMPARE(types->itemText(0), QStringLiteral("xmi files (*.xmi)"));
#ifdef _WIN32
    QCOMPARE(types->itemText(1), QStringLiteral("All files (*.*)"));
#else
    QCOMPARE(types->itemText(1), QStringLiteral("All files (*)"));
#endif
    // The patterns are the last parenthesised group, which the list hides.
    const QRegularExpressionMatch last =
        QRegularExpression(QStringLiteral("\\(([^()]*)\\)$")).match(dialog.nameFilters().constFirst());
    QVERIFY(last.hasMatch());
    QCOMPARE(last.captured(1).split(QLatin1Char(' ')), (QStringList{QStringLiteral("*.xmi"), QStringLiteral("*.uml")}));
}

void TestMorvexWindow::cancelledQuestionsChangeNothing()
{
    Type(CMorvexDlg::kSourceField, "m.xmi");
    Type(CMorvexDlg::kDestinationField, "");
    Type(CMorvexDlg::kDestinationField, "typed.xml");
    for (const int browse : {CMorvexDlg::kSourceBrowse, CMorvexDlg::kDestinationBrowse}) {
        QTest::mouseClick(Button(browse), Qt::LeftButton);
        QCOMPARE(Field(CMorvexDlg::kSourceField)->text(), QStringLiteral("m.xmi"));
        QCOMPARE(Field(CMorvexDlg::kDestinationField)->text(), QStringLiteral("typed.xml"));
    }
    QCOMPARE(dialogs_.asked.size(), std::size_t{2});
}

void TestMorvexWindow::closesOnExitEnterAndEscape_data()
{
    QTest::addColumn<int>("control");
    QTest::addColumn<int>("key");  // 0: click the control
    QTest::newRow("Exit") << 1 << 0;
    QTest::newRow("Enter in the source") << CMorvexDlg::kSourceField << int(Qt::Key_Return);
    QTest::newRow("Enter in the destination") << CMorvexDlg::kDestinationField << int(Qt::Key_Enter);
    QTest::newRow("Escape") << CMorvexDlg::kSourceField << int(Qt::Key_Escape);
}

void TestMorvexWindow::closesOnExitEnterAndEscape()
{
    QFETCH(int, control);
    QFETCH(int, key);
    auto* widget = test::FindControl(*window_, control);
    QVERIFY(widget != nullptr);
    Type(CMorvexDlg::kSourceField, "m.xmi");
    bool finished = false;
    connect(window_.get(), &QDialog::finished, this, [&] { finished = true; });
    widget->setFocus();
    if (key == 0)
        QTest::mouseClick(widget, Qt::LeftButton);
    else
        QTest::keyClick(widget, Qt::Key(key));
    QVERIFY2(finished, "the window is still open");
    QVERIFY(!window_->isVisible());
}

void TestMorvexWindow::closeRequestFromOutsideIsRefused()
{
    // What a window manager's close box sends: the window has none, so it
    // stays open and the program goes on.
    bool finished = false;
    connect(window_.get(), &QDialog::finished, this, [&] { finished = true; });
    QVERIFY(!window_->close());
    QApplication::processEvents();
    QVERIFY(!finished);
    QVERIFY(window_->isVisible());
}

void TestMorvexWindow::transformReportsItsOutcome()
{
    // A model with parts that cannot be mapped: success, with those parts as
    // the box's details, written to the destination typed by hand.
    const QString model = QStringLiteral(QUARN_CONVERTER_FIXTURES "/office-uml2.uml");
    const QString typed = work_.filePath(QStringLiteral("typed.xml"));
    test::MessageBoxScript boxes;
    Type(CMorvexDlg::kSourceField, model);
    Field(CMorvexDlg::kDestinationField)->setText(typed);
    QTest::mouseClick(Button(CMorvexDlg::kTransform), Qt::LeftButton);
    QCOMPARE(boxes.Asked().size(), std::size_t{1});
    QCOMPARE(boxes.Asked()[0].text, QStringLiteral("File transformed successfully"));
    QCOMPARE(boxes.Asked()[0].icon, QMessageBox::Information);
    QVERIFY2(boxes.Asked()[0].details.contains(QStringLiteral("extra")), qPrintable(boxes.Asked()[0].details));
    QVERIFY(boxes.Asked()[0].details.count(QLatin1Char('\n')) >= 2);
    QCOMPARE(ReadBytes(typed), ReadBytes(QStringLiteral(QUARN_CONVERTER_FIXTURES "/office-uml2.expected.xml")));
    QVERIFY2(!QFile::exists(model + QStringLiteral(".xml")), "wrote beside the source");
    QCOMPARE(Field(CMorvexDlg::kDestinationField)->text(), typed);

    // A source that is not XML: the failure text with the warning icon, and
    // the destination that was there stays as it was.
    const QString broken = work_.filePath(QStringLiteral("broken.xmi"));
    QVERIFY(WriteBytes(broken, "<uml:Model><region></uml:Model>"));
    QVERIFY(WriteBytes(broken + ".xml", "kept\r\n"));
    Field(CMorvexDlg::kSourceField)->setText(broken);
    QTest::mouseClick(Button(CMorvexDlg::kTransform), Qt::LeftButton);
    QCOMPARE(boxes.Asked().size(), std::size_t{2});
    QCOMPARE(boxes.Asked()[1].text, QStringLiteral("Some error occured Unspecified error (80004005)"));
    QCOMPARE(boxes.Asked()[1].icon, QMessageBox::Warning);
    // Why, in the engine's words, under the details.
    QVERIFY2(boxes.Asked()[1].details.startsWith(broken + QStringLiteral(": not well-formed at line 1, column ")),
             qPrintable(boxes.Asked()[1].details));
    QCOMPARE(ReadBytes(broken + ".xml"), QByteArray("kept\r\n"));
    // A source that does not exist: the same text, and the reason.
    const QString missing = work_.filePath(QStringLiteral("missing.xmi"));
    Field(CMorvexDlg::kSourceField)->setText(missing);
    QTest::mouseClick(Button(CMorvexDlg::kTransform), Qt::LeftButton);
    QCOMPARE(boxes.Asked().size(), std::size_t{3});
    QCOMPARE(boxes.Asked()[2].text, QStringLiteral("Some error occured Unspecified error (80004005)"));
    QCOMPARE(boxes.Asked()[2].details, missing + QStringLiteral(": no such file"));
    Field(CMorvexDlg::kSourceField)->setText(broken);
    // The window keeps its paths after either outcome.
    QCOMPARE(Field(CMorvexDlg::kSourceField)->text(), broken);
    QCOMPARE(Field(CMorvexDlg::kDestinationField)->text(), broken + ".xml");
}

// A model in which no relay could be mapped still converts, but the box
// warns, and its details say so first.
void TestMorvexWindow::transformWithoutRelayWarns()
{
    const QString model = work_.filePath(QStringLiteral("norelay.xmi"));
    QVERIFY(WriteBytes(model,
                       "<?xml version=\"1.0\"?>\n<uml:Model xmlns:xmi=\"http://www.omg.org/spec/XMI/20131001\" "
                       "xmlns:uml=\"http://www.eclipse.org/uml2/5.0.0/UML\" xmi:id=\"m\" name=\"plain\">"
                       "<packagedElement xmi:type=\"uml:StateMachine\" xmi:id=\"sm\" name=\"plain\">"
                       "<region xmi:type=\"uml:Region\" xmi:id=\"r\"><subvertex xmi:type=\"uml:State\" xmi:id=\"a\" "
                       "name=\"Idle\"/></region></packagedElement></uml:Model>\n"));
    test::MessageBoxScript boxes;
    Type(CMorvexDlg::kSourceField, model);
    QTest::mouseClick(Button(CMorvexDlg::kTransform), Qt::LeftButton);
    QCOMPARE(boxes.Asked().size(), std::size_t{1});
    QCOMPARE(boxes.Asked()[0].text, QStringLiteral("File transformed successfully"));
    QCOMPARE(boxes.Asked()[0].icon, QMessageBox::Warning);
    const QStringList lines = boxes.Asked()[0].details.split(QLatin1Char('\n'));
    QCOMPARE(lines.constFirst(), QStringLiteral("No relay was found in the model."));
    QVERIFY2(lines.size() >= 2 && lines[1].contains(QStringLiteral("Idle")), qPrintable(boxes.Asked()[0].details));
    QVERIFY(QFile::exists(model + QStringLiteral(".xml")));

    // Uploading that file asks first; No (the default) sends nothing and
    // opens no upload dialog.
    bool dialogOpened = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialogOpened = true;
            dialog->reject();
        }
    });
    MessageBoxAnswers::SetNextAnswer(MessageAnswer::No);
    QTest::mouseClick(Button(CMorvexDlg::kUpload), Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY2(!dialogOpened, "the upload dialog opened after No");
    QCOMPARE(boxes.Shown().size(), 2);
    QCOMPARE(boxes.Shown().at(1), NoRelayQuestion(model + QStringLiteral(".xml")));
    QCOMPARE(boxes.Asked()[1].buttons, MessageButtons::YesNo);
}

void TestMorvexWindow::transformWithEmptySourceDoesNothing()
{
    test::MessageBoxScript boxes;
    Field(CMorvexDlg::kDestinationField)->setText(work_.filePath(QStringLiteral("never.xml")));
    QTest::mouseClick(Button(CMorvexDlg::kTransform), Qt::LeftButton);
    QVERIFY2(boxes.Asked().empty(), qPrintable(boxes.Shown().join('|')));
    QVERIFY(!QFile::exists(work_.filePath(QStringLiteral("never.xml"))));
    QCOMPARE(MessageForOutcome(TransformOutcome{}).show, false);
}

void TestMorvexWindow::uploadWithEmptyDestinationAsksNothing()
{
    test::MessageBoxScript boxes;
    bool dialogOpened = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialogOpened = true;
            dialog->reject();
        }
    });
    Type(CMorvexDlg::kSourceField, "a");
    Type(CMorvexDlg::kSourceField, "");
    Type(CMorvexDlg::kDestinationField, "");
    QTest::mouseClick(Button(CMorvexDlg::kUpload), Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY2(!dialogOpened, "a dialog opened for an empty destination");
    QCOMPARE(boxes.Shown(), QStringList{QStringLiteral("The XML file will be uploaded, but the filename is empty.")});
    QCOMPARE(boxes.Asked()[0].icon, QMessageBox::Warning);
}

void TestMorvexWindow::uploadOfAMissingFileSaysSo()
{
    // With the source emptied the destination is ".xml"; no such file lies
    // in the working folder, so nothing is sent.
    QDir::setCurrent(work_.path());
    test::MessageBoxScript boxes;
    Type(CMorvexDlg::kSourceField, "a");
    Type(CMorvexDlg::kSourceField, "");
    test::WhenModalOpens<CUploadDlg>([](CUploadDlg& dialog) {
        QCOMPARE(dialog.Variant(), UploadDlgVariant::Converter);
        dialog.accept();
    });
    QTest::mouseClick(Button(CMorvexDlg::kUpload), Qt::LeftButton);
    QCOMPARE(boxes.Shown(), QStringList{QStringLiteral("Cannot open file .xml for reading (2)")});
    QCOMPARE(boxes.Asked()[0].icon, QMessageBox::Warning);
}

void TestMorvexWindow::uploadSendsTheFileAndKeepsTheSettings()
{
    const QString file = work_.filePath(QStringLiteral("plan.xml"));
    // A file that switches R0, so that nothing is asked before it is sent.
    const QByteArray oneRelay =
        "<statemachine><parallel><state id=\"R0\" initial=\"Roff0\"><state id=\"Roff0\">"
        "<transition target=\"Ron0\" cond=\"#S0\"> </transition></state><state id=\"Ron0\">"
        "<transition target=\"Roff0\" cond=\"!(#S0)\"> </transition></state></state></parallel></statemachine>";
    QVERIFY(WriteBytes(file, oneRelay + "\r\n"));
    test::TestPeer peer({"HTTP/1.1 401 Unauthorized\r\n\r\n"});
    SetWindowExchangePortForTesting(peer.Port());
    test::MessageBoxScript boxes;
    Field(CMorvexDlg::kDestinationField)->setText(file);

    QString shownUrl;
    QString shownPassword;
    test::WhenModalOpens<CUploadDlg>([&](CUploadDlg& dialog) {
        shownUrl = dialog.UrlField()->text();
        shownPassword = dialog.PasswordField()->text();
        dialog.UrlField()->setText(QStringLiteral("127.0.0.1"));
        dialog.PasswordField()->setText(QStringLiteral("wrong"));
        dialog.accept();
    });
    QTest::mouseClick(Button(CMorvexDlg::kUpload), Qt::LeftButton);
    QCOMPARE(shownUrl, QStringLiteral("quarn"));
    QCOMPARE(shownPassword, QStringLiteral("tovel"));
    QCOMPARE(boxes.Shown(), QStringList{QStringLiteral("Error: 401: Authorization required")});
    const std::string& request = peer.Request();
    QVERIFY(QByteArray::fromStdString(request).startsWith("POST /state_machine_mp.html HTTP/1.0\r\n"));
    QVERIFY(request.find(oneRelay.toStdString()) != std::string::npos);

    // Stored in the converter's own store, and offered by the next upload.
    QCOMPARE(SettingsStore::ReadString("upload", "url", {}), QStringLiteral("127.0.0.1"));
    QCOMPARE(SettingsStore::ReadString("upload", "pwd", {}), QStringLiteral("wrong"));
    QSettings store(morvex_texts::CompanyKey(), SettingsStore::ProgramName());
    QCOMPARE(store.value(QStringLiteral("upload/url")).toString(), QStringLiteral("127.0.0.1"));
    test::LetQueuedInputPass();
    test::WhenModalOpens<CUploadDlg>([&](CUploadDlg& dialog) {
        shownUrl = dialog.UrlField()->text();
        dialog.reject();
    });
    QTest::mouseClick(Button(CMorvexDlg::kUpload), Qt::LeftButton);
    QCOMPARE(shownUrl, QStringLiteral("127.0.0.1"));
    QCOMPARE(boxes.Asked().size(), std::size_t{1});
}

void TestMorvexWindow::socketFailureEndsBeforeAnyWindow()
{
    SettingsStore::SetCompanyKey(QString());
    test::MessageBoxScript boxes;
    CMorvexApp app{[] { return false; }};
    QCOMPARE(app.Run(), 1);
    QVERIFY(app.MainWindow() == nullptr);
    QCOMPARE(boxes.Shown(), QStringList{QStringLiteral("Failed to initialize sockets")});
    QCOMPARE(MessageBoxTitle(), QStringLiteral("tst_morvex_window"));
}

void TestMorvexWindow::startUpOpensTheConverterStore()
{
    SettingsStore::SetCompanyKey(QStringLiteral("QuarnTool"));
    CMorvexApp app{[] { return true; }};
    QVERIFY(app.InitInstance());
    QCOMPARE(SettingsStore::CompanyKey(), QStringLiteral("Local AppWizard-Generated Applications"));
    QVERIFY(app.MainWindow() != nullptr);
    QCOMPARE(MessageBoxTitle(), QStringLiteral("tst_morvex_window"));
    QTimer::singleShot(0, app.MainWindow(), [&] {
        QTest::mouseClick(test::FindControl<QPushButton>(*app.MainWindow(), CMorvexDlg::kExit), Qt::LeftButton);
    });
    app.RunMainWindow();
}

void TestMorvexWindow::fileOnTheCommandLineBecomesTheSource()
{
    // A relative name (as a shell passes it) becomes the full path the
    // Browse button would give; the destination follows it.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work_.path()));
    const QString source = FileArgument({QStringLiteral("morvex"), QStringLiteral("sub/../lamp model.xmi")});
    QVERIFY(QDir::setCurrent(previous));
    const QString expected = QDir::toNativeSeparators(QDir(work_.path()).filePath(QStringLiteral("lamp model.xmi")));
    QCOMPARE(source, expected);

    CMorvexApp app{[] { return true; }};
    app.SetStartFile(source);
    QVERIFY(app.InitInstance());
    QCOMPARE(test::FindControl<QLineEdit>(*app.MainWindow(), CMorvexDlg::kSourceField)->text(), expected);
    QCOMPARE(test::FindControl<QLineEdit>(*app.MainWindow(), CMorvexDlg::kDestinationField)->text(),
             expected + QStringLiteral(".xml"));
    QCOMPARE(app.MainWindow()->DestinationPath(), expected + QStringLiteral(".xml"));

    // Without a file the fields start empty.
    QCOMPARE(FileArgument({QStringLiteral("morvex")}), QString());
    CMorvexApp plain{[] { return true; }};
    QVERIFY(plain.InitInstance());
    QCOMPARE(test::FindControl<QLineEdit>(*plain.MainWindow(), CMorvexDlg::kSourceField)->text(), QString());
}

QTEST_MAIN(TestMorvexWindow)
#include "tst_morvex_window.moc"
