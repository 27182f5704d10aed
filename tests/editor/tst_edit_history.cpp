// Undo and Redo in the editor's main window: each kind of change is a step,
// a step shows the whole document as it was, the clean state follows saves
// and opens, and New and Open start without a past.
#include "document/edit_history.hpp"
#include "document/ui/input_dlg.hpp"
#include "document/writer.hpp"
#include "editor/condition_box.hpp"
#include "editor/date_time_ctrl_ex.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "editor/version_dlg.hpp"
#include "tests/support/office_model.hpp"
#include "tests/support/qt/window_test_support.hpp"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace quarn;
using namespace quarn::test;

namespace {

enum class Edit { DateKey, TimeBlanked, WeekdayClick, AllDays, NoDays, RelayAccepted, VersionChanged };

QCheckBox* WeekdayBox(const CQuarnToolDlg& window, int timer, int day)
{
    return static_cast<QCheckBox*>(window.Control(CQuarnToolDlg::kFirstWeekdayBox + 7 * timer + day));
}

// What the window shows, control by control, as the document it stands for.
DocumentContent Shown(const CQuarnToolDlg& window)
{
    return ContentOf(window.DocumentInFields());
}

}  // namespace

class TestEditHistory : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void eachChangeIsUndoneAndRedone_data();
    void eachChangeIsUndoneAndRedone();
    void undoReachesTheSavedState();
    void newAndOpenStartWithoutHistory();
    void changeAfterUndoDropsRedo();
    void keysUndoAndRedoAlsoFromADateField_data();
    void keysUndoAndRedoAlsoFromADateField();

private:
    QString OpenOffice();
    void MakeEdit(Edit edit);
    bool CanUndo() const { return window_->CommandAction(CQuarnToolDlg::kEditUndo)->isEnabled(); }
    bool CanRedo() const { return window_->CommandAction(CQuarnToolDlg::kEditRedo)->isEnabled(); }
    void Undo() { window_->CommandAction(CQuarnToolDlg::kEditUndo)->trigger(); }
    void Redo() { window_->CommandAction(CQuarnToolDlg::kEditRedo)->trigger(); }

    QTemporaryDir settingsDir_;
    QTemporaryDir files_;
    RecentFileList recent_;
    ScriptedFileDialogs dialogs_;
    std::unique_ptr<MessageBoxScript> boxes_;
    CQuarnToolDlg* window_ = nullptr;
};

void TestEditHistory::initTestCase()
{
    QVERIFY(settingsDir_.isValid());
    QVERIFY(files_.isValid());
    UsePrivateSettings(settingsDir_.path());
}

void TestEditHistory::init()
{
    recent_ = RecentFileList();
    dialogs_ = ScriptedFileDialogs();
    boxes_ = std::make_unique<MessageBoxScript>();
    window_ = new CQuarnToolDlg(recent_, dialogs_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void TestEditHistory::cleanup()
{
    delete window_;
    window_ = nullptr;
    boxes_.reset();
}

// Opens a file holding the office example through the Open command.
QString TestEditHistory::OpenOffice()
{
    const QString path = QDir(files_.path()).filePath(QStringLiteral("office.xml"));
    QFile file(path);
    const QByteArray bytes = QByteArray::fromStdString(StateMachineFileBytes(OfficeModel()));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    file.close();
    dialogs_.openAnswers << path;
    window_->CommandAction(CQuarnToolDlg::kFileOpen)->trigger();
    return path;
}

void TestEditHistory::MakeEdit(Edit edit)
{
    switch (edit) {
    case Edit::DateKey: {
        CDateTimeCtrlEx* field = window_->TimerField(1, 0);  // 2013/02/08
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Up);
        break;
    }
    case Edit::TimeBlanked: {
        CDateTimeCtrlEx* field = window_->TimerField(0, 3);  // 22:00:00
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Delete);
        QVERIFY(field->IsBlank());
        break;
    }
    case Edit::WeekdayClick:
        QTest::mouseClick(WeekdayBox(*window_, 6, 3), Qt::LeftButton, {}, QPoint(4, 4));
        break;
    case Edit::AllDays:
        static_cast<QPushButton*>(window_->Control(CQuarnToolDlg::kFirstAllDaysButton + 1))->click();
        break;
    case Edit::NoDays:
        static_cast<QPushButton*>(window_->Control(CQuarnToolDlg::kFirstNoDaysButton + 0))->click();
        break;
    case Edit::RelayAccepted:
        WhenModalOpens<CInputDlg>([](CInputDlg& dialog) {
            QComboBox* list = dialog.InputList(0);
            list->setCurrentIndex(list->findText(QStringLiteral("T4")));
            FindControl<QPushButton>(dialog, kOkId)->click();
        });
        static_cast<QPushButton*>(window_->Control(CQuarnToolDlg::kFirstRelayButton + 6))->click();
        break;
    case Edit::VersionChanged:
        WhenModalOpens<CVersionDlg>([](CVersionDlg& dialog) {
            FindControl<QLineEdit>(dialog, CVersionDlg::kVersionFieldId)->setText(QStringLiteral("office 2"));
            FindControl<QPushButton>(dialog, kOkId)->click();
        });
        window_->CommandAction(CQuarnToolDlg::kEditVersion)->trigger();
        break;
    }
}

void TestEditHistory::eachChangeIsUndoneAndRedone_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::newRow("date field stepped") << Edit::DateKey;
    QTest::newRow("time field blanked") << Edit::TimeBlanked;
    QTest::newRow("weekday box") << Edit::WeekdayClick;
    QTest::newRow("A button") << Edit::AllDays;
    QTest::newRow("N button") << Edit::NoDays;
    QTest::newRow("relay condition accepted") << Edit::RelayAccepted;
    QTest::newRow("version changed") << Edit::VersionChanged;
}

void TestEditHistory::eachChangeIsUndoneAndRedone()
{
    QFETCH(Edit, edit);
    OpenOffice();
    const DocumentContent opened = ContentOf(OfficeModel());
    QCOMPARE(Shown(*window_), opened);
    QVERIFY(!CanUndo());
    QVERIFY(!CanRedo());

    MakeEdit(edit);
    const DocumentContent changed = Shown(*window_);
    QVERIFY2(changed != opened, "the edit changed nothing");
    QVERIFY(CanUndo());

    Undo();
    QVERIFY2(Shown(*window_) == opened, "Undo did not bring every control back");
    QVERIFY(ContentOf(window_->Model()) == opened);
    QVERIFY(!window_->Model().modified);
    QVERIFY(!CanUndo());
    QVERIFY2(CanRedo(), "showing the undone state was recorded as a change");
    QCOMPARE(window_->windowTitle(), QStringLiteral("QuarnTool: ") + QDir(files_.path()).filePath("office.xml"));

    Redo();
    QVERIFY2(Shown(*window_) == changed, "Redo did not bring the change back");
    QVERIFY(ContentOf(window_->Model()) == changed);
    QVERIFY(window_->Model().modified);
    QVERIFY(CanUndo());
    QVERIFY(!CanRedo());
    QCOMPARE(boxes_->Shown(), QStringList());
}

void TestEditHistory::undoReachesTheSavedState()
{
    const QString path = OpenOffice();
    MakeEdit(Edit::WeekdayClick);
    window_->CommandAction(CQuarnToolDlg::kFileSave)->trigger();
    QVERIFY(!window_->Model().modified);
    const QByteArray saved = [&path] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    MakeEdit(Edit::VersionChanged);
    QVERIFY(window_->Model().modified);

    // Back to what the file holds: nothing to save, nothing asked.
    Undo();
    QVERIFY(!window_->Model().modified);
    // Further back than the file: unsaved again, and the questions come back.
    Undo();
    QVERIFY(window_->Model().modified);
    window_->CommandAction(CQuarnToolDlg::kFileNew)->trigger();  // asked, answered Cancel
    QCOMPARE(boxes_->Shown(), QStringList{QStringLiteral("Contents changed; do you want to save before exit?")});
    Redo();
    QVERIFY(!window_->Model().modified);
    window_->CommandAction(CQuarnToolDlg::kFileExit)->trigger();
    QCOMPARE(boxes_->Shown().size(), 1);
    QVERIFY(!window_->isVisible());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), saved);
}

void TestEditHistory::newAndOpenStartWithoutHistory()
{
    MakeEdit(Edit::WeekdayClick);
    QVERIFY(CanUndo());
    MessageBoxAnswers::SetNextAnswer(MessageAnswer::No);
    OpenOffice();
    QVERIFY(!CanUndo());
    QVERIFY(!CanRedo());

    MakeEdit(Edit::AllDays);
    Undo();
    QVERIFY(CanRedo());
    // Undone back to the file: New asks nothing.
    window_->CommandAction(CQuarnToolDlg::kFileNew)->trigger();
    QCOMPARE(boxes_->Shown(), QStringList{QStringLiteral("Contents changed; do you want to save before exit?")});
    QVERIFY(!CanUndo());
    QVERIFY(!CanRedo());
    Undo();  // through the action regardless of its state: nothing happens
    QCOMPARE(Shown(*window_), DocumentContent{});
}

void TestEditHistory::changeAfterUndoDropsRedo()
{
    OpenOffice();
    MakeEdit(Edit::WeekdayClick);
    MakeEdit(Edit::VersionChanged);
    Undo();
    Undo();
    QVERIFY(CanRedo());
    MakeEdit(Edit::TimeBlanked);
    QVERIFY(!CanRedo());
    QVERIFY(window_->TimerField(0, 3)->IsBlank());
    QCOMPARE(window_->Model().version, std::u16string(u"office"));
    QVERIFY(!WeekdayBox(*window_, 6, 3)->isChecked());
    Undo();
    QCOMPARE(Shown(*window_), ContentOf(OfficeModel()));
    QVERIFY(!window_->Model().modified);
}

void TestEditHistory::keysUndoAndRedoAlsoFromADateField_data()
{
    QTest::addColumn<QKeySequence>("redoKeys");
    QTest::newRow("Ctrl+Shift+Z") << QKeySequence(QStringLiteral("Ctrl+Shift+Z"));
    QTest::newRow("Ctrl+Y") << QKeySequence(QStringLiteral("Ctrl+Y"));
}

void TestEditHistory::keysUndoAndRedoAlsoFromADateField()
{
    QFETCH(QKeySequence, redoKeys);
    OpenOffice();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    MakeEdit(Edit::WeekdayClick);
    MakeEdit(Edit::DateKey);  // leaves the focus in that date field
    const DocumentContent changed = Shown(*window_);
    QCOMPARE(window_->TimerField(1, 0)->WindowText(), QStringLiteral("2014/02/08"));

    // The field's own text undo would take back the typing but not the
    // document's steps; the keys belong to the document.
    QTest::keySequence(window_->TimerField(1, 0)->TextLine(), QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(window_->TimerField(1, 0)->WindowText(), QStringLiteral("2013/02/08"));
    QTest::keySequence(window_->TimerField(1, 0)->TextLine(), QKeySequence(QStringLiteral("Ctrl+Z")));
    QVERIFY(!WeekdayBox(*window_, 6, 3)->isChecked());
    QVERIFY(!window_->Model().modified);
    // Nothing left to undo: the key does not fall through to the field's text.
    QTest::keySequence(window_->TimerField(1, 0)->TextLine(), QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(window_->TimerField(1, 0)->WindowText(), QStringLiteral("2013/02/08"));
    QVERIFY(!window_->Model().modified);

    QTest::keySequence(window_->TimerField(1, 0)->TextLine(), redoKeys);
    QTest::keySequence(window_->TimerField(1, 0)->TextLine(), redoKeys);
    QVERIFY(Shown(*window_) == changed);
    QVERIFY(window_->Model().modified);
}

QTEST_MAIN(TestEditHistory)
#include "tst_edit_history.moc"
