#include "document/ui/input_dlg.hpp"
#include "editor/about_dlg.hpp"
#include "editor/condition_box.hpp"
#include "editor/date_time_ctrl_ex.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "editor/version_dlg.hpp"
#include "platform/dialog_units.hpp"
#include "tests/support/qt/window_test_support.hpp"

#include <QAbstractItemView>
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>

using namespace quarn;
using namespace quarn::test;

namespace {

QStringList Selections(const CInputDlg& dialog)
{
    QStringList texts;
    for (int i = 0; i < CInputDlg::kInputs; ++i)
        texts << dialog.InputList(i)->currentText();
    return texts;
}

// Opens relay n's condition dialog, lets act look at it and change it, then
// confirms (accept) or cancels it. Returns what the dialog showed on opening.
QStringList EditRelay(CQuarnToolDlg& window, int n, const std::function<void(CInputDlg&)>& act, bool accept,
                      QString* caption = nullptr)
{
    QStringList shown;
    WhenModalOpens<CInputDlg>([&](CInputDlg& dialog) {
        shown = Selections(dialog);
        if (caption != nullptr)
            *caption = dialog.windowTitle();
        if (act)
            act(dialog);
        if (accept)
            FindControl<QPushButton>(dialog, kOkId)->click();
        else
            dialog.reject();
    });
    static_cast<QPushButton*>(window.Control(CQuarnToolDlg::kFirstRelayButton + n))->click();
    return shown;
}

void Select(CInputDlg& dialog, int list, const QString& text)
{
    QComboBox* combo = dialog.InputList(list);
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
}

QString ConditionBoxText(const CQuarnToolDlg& window, int n)
{
    return static_cast<ConditionBox*>(window.Control(CQuarnToolDlg::kFirstConditionBox + n))->text();
}

QCheckBox* Weekday(const CQuarnToolDlg& window, int timer, int day)
{
    return static_cast<QCheckBox*>(window.Control(CQuarnToolDlg::kFirstWeekdayBox + 7 * timer + day));
}

// What the window shows of a control on the screen, against what the
// control paints when asked afresh: they differ while part of it is stale.
bool PaintedAsItDraws(QWidget& window, QWidget& control)
{
    const QRect onWindow(control.mapTo(&window, QPoint(0, 0)), control.size());
    const QImage screen =
        window.screen()
            ->grabWindow(window.winId(), onWindow.x(), onWindow.y(), onWindow.width(), onWindow.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    const QImage fresh = control.grab().toImage().convertToFormat(QImage::Format_RGB32);
    return screen == fresh;
}

enum class Shortcut { New, Open, Save, SaveAs, Quit, About };

enum class Change {
    DateKey,
    WeekdayClick,
    RelayCancelled,
    RelayAccepted,
    AllDays,
    NoDays,
    VersionChanged,
    VersionUnchanged,
    VersionCancelled,
};

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void setUpShowsEmptyDocument();
    void enterDoesNotCloseTheWindow();
    void controlsSitAtTheirPlacesAndStayOnResize_data();
    void controlsSitAtTheirPlacesAndStayOnResize();
    void menusCarryTheirCommands();

    void changesSetModified_data();
    void changesSetModified();
    void allAndNoDaysButtonsWorkOnTheirRowOnly();
    void fieldsAndModelRoundTrip();

    void conditionDialogOpensEmptyAsNeutral();
    void conditionDialogBuildsTheWorkedExample();
    void conditionDialogShowsWhatItCanOfForeignText();
    void conditionBoxesAreReadOnly();
    void conditionTheGatesCannotShowIsKeptUnlessReplaced_data();
    void conditionTheGatesCannotShowIsKeptUnlessReplaced();
    void conditionListsDropDownToTheirHeight();

    void conditionBoxesShowTheWholeText();

    void blankFieldShownByAKeyIsPaintedWhole_data();
    void blankFieldShownByAKeyIsPaintedWhole();
    void tabMovesFromControlToControl();
    void walkingTheGridChangesNothing();
    void shortcutsRunTheMenuCommands_data();
    void shortcutsRunTheMenuCommands();

    void versionDialogKeepsTextAndOpensInItsField();
    void aboutBoxOpensForSystemCommands_data();
    void aboutBoxOpensForSystemCommands();

private:
    QTemporaryDir settingsDir_;
    RecentFileList recent_;
    ScriptedFileDialogs files_;
    CQuarnToolDlg* window_ = nullptr;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(settingsDir_.isValid());
    UsePrivateSettings(settingsDir_.path());
}

void TestMainWindow::init()
{
    window_ = new CQuarnToolDlg(recent_, files_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void TestMainWindow::cleanup()
{
    delete window_;
    window_ = nullptr;
}

void TestMainWindow::setUpShowsEmptyDocument()
{
    QCOMPARE(window_->windowTitle(), QStringLiteral("QuarnTool"));
    for (int id = CQuarnToolDlg::kFirstTimerField; id < CQuarnToolDlg::kFirstTimerField + 4 * kTimerCount; ++id) {
        auto* field = qobject_cast<CDateTimeCtrlEx*>(window_->Control(id));
        QVERIFY2(field != nullptr, qPrintable(QStringLiteral("no date-time field %1").arg(id)));
        QVERIFY2(field->IsBlank() && field->WindowText().size() < 2,
                 qPrintable(QStringLiteral("field %1 shows '%2'").arg(id).arg(field->WindowText())));
        const int place = (id - CQuarnToolDlg::kFirstTimerField) % 4;  // ON date, ON time, OFF date, OFF time
        const bool isDate = place == 0 || place == 2;
        QCOMPARE(field->NormalFormat(), isDate ? QStringLiteral("yyyy/MM/dd") : QStringLiteral("HH:mm:ss"));
        QCOMPARE(field->calendarPopup(), isDate);
    }
    for (int id = CQuarnToolDlg::kFirstWeekdayBox; id < CQuarnToolDlg::kFirstWeekdayBox + 7 * kTimerCount; ++id)
        QVERIFY(!qobject_cast<QCheckBox*>(window_->Control(id))->isChecked());
    for (int n = 0; n < 8; ++n)
        QCOMPARE(ConditionBoxText(*window_, n), QString());
    QVERIFY(!window_->Model().modified);
    QVERIFY(!window_->windowIcon().isNull());

    // The model the window starts with is the reset one.
    StateMachineModel empty;
    ResetModel(empty);
    window_->TakeFields();
    QVERIFY(window_->Model() == empty);
}

void TestMainWindow::enterDoesNotCloseTheWindow()
{
    QTest::keyClick(window_, Qt::Key_Return);
    QVERIFY(window_->isVisible());

    // Not on a button with the focus either: it must not be pressed.
    auto* relay = static_cast<QPushButton*>(window_->Control(CQuarnToolDlg::kFirstRelayButton + 3));
    relay->setFocus();
    QTest::keyClick(relay, Qt::Key_Return);
    QTest::keyClick(relay, Qt::Key_Enter);
    QVERIFY(QApplication::activeModalWidget() == nullptr || QApplication::activeModalWidget() == window_);

    CDateTimeCtrlEx* field = window_->TimerField(2, 1);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(window_->isVisible());
    QVERIFY(!window_->Model().modified);
}

void TestMainWindow::controlsSitAtTheirPlacesAndStayOnResize_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QRect>("units");
    QTest::newRow("T0 ON date") << CQuarnToolDlg::kFirstTimerField << QRect(66, 36, 54, 15);
    QTest::newRow("T7 ON time") << CQuarnToolDlg::kFirstTimerField + 4 * 7 + 1 << QRect(126, 162, 60, 15);
    QTest::newRow("T3 OFF date") << CQuarnToolDlg::kFirstTimerField + 4 * 3 + 2 << QRect(204, 90, 54, 15);
    QTest::newRow("T7 OFF time") << CQuarnToolDlg::kFirstTimerField + 4 * 7 + 3 << QRect(264, 162, 60, 15);
    // "A" and "N" are centred on their row's fields (36 + 18n, 15 high).
    QTest::newRow("A of T0") << CQuarnToolDlg::kFirstAllDaysButton << QRect(474, 36, 18, 14);
    QTest::newRow("N of T7") << CQuarnToolDlg::kFirstNoDaysButton + 7 << QRect(492, 162, 20, 14);
    QTest::newRow("R0") << CQuarnToolDlg::kFirstRelayButton << QRect(24, 198, 50, 14);
    QTest::newRow("R7") << CQuarnToolDlg::kFirstRelayButton + 7 << QRect(444, 198, 50, 14);
    QTest::newRow("condition R0") << CQuarnToolDlg::kFirstConditionBox << QRect(24, 216, 48, 24);
    QTest::newRow("condition R7") << CQuarnToolDlg::kFirstConditionBox + 7 << QRect(444, 216, 48, 24);
}

void TestMainWindow::controlsSitAtTheirPlacesAndStayOnResize()
{
    QFETCH(int, id);
    QFETCH(QRect, units);
    const DialogUnits du(window_->font());
    QWidget* control = window_->Control(id);
    QVERIFY(control != nullptr);
    QRect expected = du.rect(units.x(), units.y(), units.width(), units.height());
    if (id >= CQuarnToolDlg::kFirstAllDaysButton && id < CQuarnToolDlg::kFirstNoDaysButton + 8) {
        const QRect field = du.rect(66, units.y(), 54, 15);
        expected.moveTop(field.top() + (field.height() - expected.height()) / 2);
    }
    QCOMPARE(control->geometry(), expected);
    const QPoint onWindow = control->mapTo(window_, QPoint(0, 0));

    for (const QSize size : {QSize(300, 200), QSize(1600, 1000)}) {
        window_->resize(size);
        QApplication::processEvents();
        QCOMPARE(control->mapTo(window_, QPoint(0, 0)), onWindow);
        QCOMPARE(control->size(), expected.size());
    }
}

void TestMainWindow::menusCarryTheirCommands()
{
    const QList<std::pair<int, QString>> items{
        {57600, "New"},
        {57601, "Open..."},
        {57603, "Save"},
        {32773, "Save As ...."},
        {32774, "Exit"},
        {32779, "Version..."},
        {32778, "Direct control..."},
        {32775, "Upload to QUARN..."},
        {16, "&About QuarnTool..."},
    };
    for (const auto& [id, text] : items) {
        QAction* action = window_->CommandAction(id);
        QVERIFY2(action != nullptr, qPrintable(QStringLiteral("no command %1").arg(id)));
        QCOMPARE(action->text(), text);
        QCOMPARE(action->data().toInt(), id);
    }
    // With no recent files the placeholder shows, disabled.
    window_->UpdateRecentFileMenu();
    QAction* placeholder = window_->CommandAction(57616);
    QCOMPARE(placeholder->text(), QStringLiteral("Recent File"));
    QVERIFY(!placeholder->isEnabled());
}

void TestMainWindow::changesSetModified_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("modified");
    QTest::newRow("key in a date field") << Change::DateKey << true;
    QTest::newRow("weekday click") << Change::WeekdayClick << true;
    QTest::newRow("relay button, dialog cancelled") << Change::RelayCancelled << true;
    QTest::newRow("relay button, dialog confirmed") << Change::RelayAccepted << true;
    QTest::newRow("A button") << Change::AllDays << false;
    QTest::newRow("N button") << Change::NoDays << false;
    QTest::newRow("Version changed") << Change::VersionChanged << true;
    QTest::newRow("Version confirmed unchanged") << Change::VersionUnchanged << false;
    QTest::newRow("Version cancelled after editing") << Change::VersionCancelled << false;
}

void TestMainWindow::changesSetModified()
{
    QFETCH(Change, change);
    QFETCH(bool, modified);
    window_->Model().version = u"office";

    const auto runVersion = [this](const QString& typed, bool accept) {
        WhenModalOpens<CVersionDlg>([typed, accept](CVersionDlg& dialog) {
            auto* field = FindControl<QLineEdit>(dialog, CVersionDlg::kVersionFieldId);
            field->setText(typed);
            if (accept)
                FindControl<QPushButton>(dialog, kOkId)->click();
            else
                dialog.reject();
        });
        window_->CommandAction(CQuarnToolDlg::kEditVersion)->trigger();
    };

    switch (change) {
    case Change::DateKey: {
        CDateTimeCtrlEx* field = window_->TimerField(0, 0);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Up);
        QVERIFY(!field->IsBlank());
        break;
    }
    case Change::WeekdayClick:
        QTest::mouseClick(Weekday(*window_, 5, 2), Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(Weekday(*window_, 5, 2)->isChecked());
        break;
    case Change::RelayCancelled:
        EditRelay(
            *window_, 2, [](CInputDlg& d) { Select(d, 0, "T4"); }, false);
        QCOMPARE(ConditionBoxText(*window_, 2), QString());
        break;
    case Change::RelayAccepted:
        EditRelay(*window_, 2, {}, true);
        QCOMPARE(ConditionBoxText(*window_, 2), QString());
        break;
    case Change::AllDays:
        static_cast<QPushButton*>(window_->Control(CQuarnToolDlg::kFirstAllDaysButton + 4))->click();
        break;
    case Change::NoDays:
        static_cast<QPushButton*>(window_->Control(CQuarnToolDlg::kFirstNoDaysButton + 4))->click();
        break;
    case Change::VersionChanged:
        runVersion("office 2", true);
        QCOMPARE(window_->Model().version, std::u16string(u"office 2"));
        break;
    case Change::VersionUnchanged:
        runVersion("office", true);
        break;
    case Change::VersionCancelled:
        runVersion("something else", false);
        QCOMPARE(window_->Model().version, std::u16string(u"office"));
        break;
    }
    QCOMPARE(window_->Model().modified, modified);

    // An unchanged version text leaves an earlier change reported.
    if (change == Change::VersionUnchanged) {
        window_->Model().modified = true;
        runVersion("office", true);
        QVERIFY(window_->Model().modified);
    }
}

void TestMainWindow::allAndNoDaysButtonsWorkOnTheirRowOnly()
{
    QTest::mouseClick(Weekday(*window_, 0, 0), Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mouseClick(Weekday(*window_, 0, 4), Qt::LeftButton, {}, QPoint(4, 4));
    window_->Model().modified = false;

    static_cast<QPushButton*>(window_->Control(CQuarnToolDlg::kFirstAllDaysButton + 3))->click();
    for (int d = 0; d < 7; ++d) {
        QVERIFY(Weekday(*window_, 3, d)->isChecked());
        QCOMPARE(Weekday(*window_, 0, d)->isChecked(), d == 0 || d == 4);
    }
    QCOMPARE(WeekdayMask(window_->Model(), 3), 127);
    QCOMPARE(WeekdayMask(window_->Model(), 0), 1 + 16);

    static_cast<QPushButton*>(window_->Control(CQuarnToolDlg::kFirstNoDaysButton + 3))->click();
    for (int d = 0; d < 7; ++d)
        QVERIFY(!Weekday(*window_, 3, d)->isChecked());
    QVERIFY(!window_->Model().modified);
}

void TestMainWindow::fieldsAndModelRoundTrip()
{
    StateMachineModel& model = window_->Model();
    model.timers[1].onDate = CalendarDate{2013, 2, 8};
    model.timers[1].onTime = TimeOfDay{10, 0, 0};
    model.timers[1].offDate = CalendarDate{2013, 2, 10};
    model.timers[1].offTime = TimeOfDay{18, 30, 0};
    model.timers[1].weekdays = {false, false, false, false, false, true, true};
    model.timers[7].offTime = TimeOfDay{22, 0, 5};
    model.relays[3] = u"(#T0&&#T1)||#R2";
    // Conditions from other tools can be long; none may be cut.
    for (int i = 0; i < 9000; ++i)
        model.relays[5] += u"#S1||";
    model.relays[5] += u"#S2";
    const StateMachineModel expected = model;
    window_->ShowModel();

    QCOMPARE(window_->TimerField(1, 0)->WindowText(), QStringLiteral("2013/02/08"));
    QCOMPARE(window_->TimerField(1, 1)->WindowText(), QStringLiteral("10:00:00"));
    QCOMPARE(window_->TimerField(1, 2)->WindowText(), QStringLiteral("2013/02/10"));
    QCOMPARE(window_->TimerField(1, 3)->WindowText(), QStringLiteral("18:30:00"));
    QVERIFY(window_->TimerField(7, 2)->IsBlank());
    QCOMPARE(window_->TimerField(7, 3)->WindowText(), QStringLiteral("22:00:05"));
    QCOMPARE(ConditionBoxText(*window_, 3), QStringLiteral("(#T0&&#T1)||#R2"));
    QVERIFY(!model.modified);

    window_->TakeFields();
    QVERIFY(window_->Model() == expected);

    // Delete blanks a field; the model then has no value there.
    CDateTimeCtrlEx* onTime = window_->TimerField(1, 1);
    onTime->setFocus();
    QTest::keyClick(onTime, Qt::Key_Delete);
    window_->TakeFields();
    QVERIFY(!model.timers[1].onTime.has_value());
    QVERIFY(model.modified);

    // Showing an empty document blanks every field again.
    ResetModel(model);
    window_->ShowModel();
    QVERIFY(window_->TimerField(1, 0)->IsBlank());
    QVERIFY(window_->TimerField(7, 3)->IsBlank());
    QVERIFY(!Weekday(*window_, 1, 6)->isChecked());
}

void TestMainWindow::conditionDialogOpensEmptyAsNeutral()
{
    QString caption;
    const QStringList shown = EditRelay(*window_, 3, {}, true, &caption);
    QCOMPARE(shown, (QStringList{"1", "1", "1", "1", "0", "0", "0", "0"}));
    QCOMPARE(caption, QStringLiteral("Boolean input for R 3"));
    QCOMPARE(window_->Model().relays[3], std::u16string());

    CInputDlg dialog;
    QCOMPARE(dialog.InputList(0)->count(), 22);
    QStringList entries;
    for (int i = 0; i < 22; ++i)
        entries << dialog.InputList(7)->itemText(i);
    QCOMPARE(entries, (QStringList{"0",  "1",  "T0", "T1", "T2", "T3", "T4", "T5", "T6", "T7", "R0",
                                   "R1", "R2", "R3", "R4", "R5", "R6", "R7", "S0", "S1", "S2", "S3"}));
    dialog.SetRelayLabel(QStringLiteral("R 5"));
    QCOMPARE(FindControl<QLabel>(dialog, CInputDlg::kRelayLabelId)->text(), QStringLiteral("R 5"));
}

void TestMainWindow::conditionDialogBuildsTheWorkedExample()
{
    EditRelay(
        *window_, 3,
        [](CInputDlg& d) {
            Select(d, 0, "T0");
            Select(d, 1, "T1");
            Select(d, 4, "R2");
        },
        true);
    QCOMPARE(window_->Model().relays[3], std::u16string(u"(#T0&&#T1)||#R2"));
    QCOMPARE(ConditionBoxText(*window_, 3), QStringLiteral("(#T0&&#T1)||#R2"));

    // Opening it again shows the same selections; Cancel after a change keeps the condition.
    const QStringList shown = EditRelay(
        *window_, 3, [](CInputDlg& d) { Select(d, 7, "S3"); }, false);
    QCOMPARE(shown, (QStringList{"T0", "T1", "1", "1", "R2", "0", "0", "0"}));
    QCOMPARE(window_->Model().relays[3], std::u16string(u"(#T0&&#T1)||#R2"));
}

void TestMainWindow::conditionDialogShowsWhatItCanOfForeignText()
{
    window_->Model().relays[6] = u"#X7||#T2";
    window_->ShowModel();
    MessageBoxScript boxes;
    MessageBoxAnswers::SetNextAnswer(MessageAnswer::Yes);
    const QStringList shown = EditRelay(*window_, 6, {}, true);
    QCOMPARE(boxes.Shown().size(), 1);
    QCOMPARE(shown, (QStringList{"1", "1", "1", "1", "0", "T2", "0", "0"}));
    QCOMPARE(ConditionBoxText(*window_, 6), QStringLiteral("#T2"));
}

void TestMainWindow::conditionTheGatesCannotShowIsKeptUnlessReplaced_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("ending");  // "Cancel", "No" or "Yes"
    const std::pair<const char*, const char*> conditions[] = {
        {"#T0&&#S1", "#T0"}, {"#S2&&!#T4", "#S2"}, {"!#S0", ""}, {"(#1)", ""}};
    for (const auto& [condition, shown] : conditions) {
        for (const char* ending : {"Cancel", "No", "Yes"})
            QTest::addRow("%s, %s", condition, ending) << condition << shown << ending;
    }
    // What the gates show exactly opens without a notice and OK asks nothing.
    QTest::newRow("exact, OK") << "(#T0&&#T1)||#R2"
                               << "(#T0&&#T1)||#R2"
                               << "Yes";
}

void TestMainWindow::conditionTheGatesCannotShowIsKeptUnlessReplaced()
{
    QFETCH(QString, condition);
    QFETCH(QString, shown);
    QFETCH(QString, ending);
    const bool exact = condition == shown;
    window_->Model().relays[4] = condition.toStdU16String();
    window_->ShowModel();
    MessageBoxScript boxes;
    MessageBoxAnswers::SetNextAnswer(ending == "Yes" ? MessageAnswer::Yes : MessageAnswer::No);

    bool noticeShown = false;
    QString noticeText;
    int circuitTop = -1;
    WhenModalOpens<CInputDlg>([&](CInputDlg& dialog) {
        QLabel* notice = dialog.Notice();
        noticeShown = notice != nullptr && notice->isVisible();
        if (noticeShown)
            noticeText = notice->text();
        circuitTop = dialog.InputList(0)->mapTo(&dialog, QPoint(0, 0)).y();
        if (noticeShown)
            QVERIFY2(notice->geometry().bottom() < circuitTop, "the notice is not above the circuit");
        if (ending == "Cancel")
            FindControl<QPushButton>(dialog, kCancelId)->click();
        else
            FindControl<QPushButton>(dialog, kOkId)->click();
    });
    static_cast<QPushButton*>(window_->Control(CQuarnToolDlg::kFirstRelayButton + 4))->click();

    QCOMPARE(noticeShown, !exact);
    if (!exact) {
        QVERIFY2(noticeText.contains(condition), qPrintable(noticeText));
        const QString expectedQuestion =
            shown.isEmpty()
                ? QStringLiteral("Replace the condition \"%1\" with no condition? The relay is then not used.")
                      .arg(condition)
                : QStringLiteral("Replace the condition \"%1\" with \"%2\"?").arg(condition, shown);
        QCOMPARE(boxes.Shown(), ending == "Cancel" ? QStringList() : QStringList{expectedQuestion});
    } else {
        QCOMPARE(boxes.Shown(), QStringList());
        QCOMPARE(circuitTop, DialogUnits(window_->font()).y(18));
    }
    const QString expected = ending == "Yes" ? shown : condition;
    QCOMPARE(QString::fromStdU16String(window_->Model().relays[4]), expected);
    QCOMPARE(ConditionBoxText(*window_, 4), expected);
    QVERIFY(window_->Model().modified);
}

void TestMainWindow::conditionListsDropDownToTheirHeight()
{
    CInputDlg dialog(window_);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QComboBox* list = dialog.InputList(5);
    list->showPopup();
    QWidget* popup = list->view()->window();
    QTRY_VERIFY(popup->isVisible());
    const int dropped = DialogUnits(dialog.font()).y(66);
    const int listTop = list->mapToGlobal(QPoint(0, 0)).y();
    QVERIFY2(popup->geometry().bottom() - listTop + 1 <= dropped,
             qPrintable(QStringLiteral("field and list are %1 pixels high, not %2")
                            .arg(popup->geometry().bottom() - listTop + 1)
                            .arg(dropped)));
    QVERIFY2(popup->geometry().top() >= list->mapToGlobal(QPoint(0, list->height() - 1)).y(),
             "the list does not drop down below its field");
    QVERIFY2(list->view()->verticalScrollBar()->isVisible(), "the list has no scroll bar");
    list->hidePopup();
}

void TestMainWindow::conditionBoxesAreReadOnly()
{
    auto* box = static_cast<ConditionBox*>(window_->Control(CQuarnToolDlg::kFirstConditionBox + 2));
    QVERIFY(box->isReadOnly());
    box->setFocus();
    QTest::keyClicks(box, "#T1");
    QCOMPARE(box->text(), QString());
    QVERIFY(!window_->Model().modified);
}

void TestMainWindow::conditionBoxesShowTheWholeText()
{
    const QString longCondition = QStringLiteral("(#T0&&#T1&&#S2&&#R4)||#R2||#S0||#T7");
    window_->Model().relays[3] = longCondition.toStdU16String();
    window_->ShowModel();
    auto* box = static_cast<ConditionBox*>(window_->Control(CQuarnToolDlg::kFirstConditionBox + 3));
    QCOMPARE(box->text(), longCondition);
    QCOMPARE(box->toolTip(), longCondition);
    // Wrapped into the box's width rather than cut at its edge.
    QApplication::processEvents();
    QVERIFY2(box->document()->documentLayout()->documentSize().width() <= box->viewport()->width(),
             "the condition runs past the box's right edge");
    QVERIFY(box->blockCount() == 1);
    QVERIFY2(box->document()->firstBlock().layout()->lineCount() > 1, "the long condition did not wrap");
    // Lines break after an operator, never inside "||" or "&&".
    const QTextLayout* lines = box->document()->firstBlock().layout();
    const QString shown = box->document()->firstBlock().text();
    for (int i = 0; i + 1 < lines->lineCount(); ++i) {
        const QTextLine line = lines->lineAt(i);
        QString text = shown.mid(line.textStart(), line.textLength());
        text.remove(QChar(0x200B));
        text.remove(QChar(0x2060));
        QVERIFY2(text.endsWith(QStringLiteral("||")) || text.endsWith(QStringLiteral("&&")),
                 qPrintable(QStringLiteral("line %1 is '%2'").arg(i).arg(text)));
    }
    // Keyboard focus never lands where it cannot be seen.
    QVERIFY2(!(box->focusPolicy() & Qt::TabFocus), "the condition box takes a Tab stop");

    window_->Model().relays[3].clear();
    window_->ShowModel();
    QCOMPARE(box->toolTip(), QString());
}

void TestMainWindow::blankFieldShownByAKeyIsPaintedWhole_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("key");
    for (const auto& [column, name] : {std::pair{0, "date"}, std::pair{1, "time"}}) {
        QTest::addRow("%s, Up arrow", name) << column << int(Qt::Key_Up);
        QTest::addRow("%s, Page Down", name) << column << int(Qt::Key_PageDown);
        QTest::addRow("%s, digit", name) << column << int(Qt::Key_1);
    }
}

void TestMainWindow::blankFieldShownByAKeyIsPaintedWhole()
{
    QFETCH(int, column);
    QFETCH(int, key);
    CDateTimeCtrlEx* field = window_->TimerField(2, column);
    QVERIFY(field->IsBlank());
    field->setFocus();
    QTest::qWait(20);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QTest::qWait(50);
    QVERIFY(!field->IsBlank());
    QVERIFY2(PaintedAsItDraws(*window_, *field), "part of the field still shows its blank text");
}

void TestMainWindow::tabMovesFromControlToControl()
{
    window_->activateWindow();
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    const auto focused = [this](int id) { return window_->Control(id)->hasFocus(); };

    window_->TimerField(0, 0)->setFocus();
    press(Qt::Key_Tab);
    QVERIFY2(focused(CQuarnToolDlg::kFirstTimerField + 1), "one Tab did not leave the ON date for the ON time");
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    QVERIFY2(focused(CQuarnToolDlg::kFirstWeekdayBox), "Tab from the OFF time did not reach the first weekday box");
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY2(focused(CQuarnToolDlg::kFirstTimerField + 3), "Shift+Tab did not go back to the OFF time");
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY2(focused(CQuarnToolDlg::kFirstTimerField + 2), "Shift+Tab did not go back to the OFF date");

    // The arrow keys still walk the sections of a field that shows a value.
    CDateTimeCtrlEx* date = window_->TimerField(0, 2);
    date->SetDisplayFormat(date->NormalFormat());
    date->setCurrentSectionIndex(0);
    for (int i = 0; i < 6 && date->currentSection() == QDateTimeEdit::YearSection; ++i)
        press(Qt::Key_Right);
    QVERIFY(focused(CQuarnToolDlg::kFirstTimerField + 2));
    QCOMPARE(date->currentSection(), QDateTimeEdit::MonthSection);
}

void TestMainWindow::walkingTheGridChangesNothing()
{
    window_->activateWindow();
    window_->TimerField(0, 0)->setFocus();
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    // On an X server Ctrl arrives as a key of its own before a shortcut.
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Control);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Control, Qt::ControlModifier);
    for (int i = 0; i < 3; ++i) {
        press(Qt::Key_Tab);
        press(Qt::Key_Return);
    }
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Right);
    press(Qt::Key_Up, Qt::ControlModifier);
    press(Qt::Key_Delete);

    QVERIFY2(!window_->Model().modified, "walking the grid marked the document changed");
    for (int column = 0; column < 4; ++column)
        QVERIFY2(window_->TimerField(0, column)->IsBlank(),
                 qPrintable(QStringLiteral("T0 field %1 shows a value").arg(column)));
}

void TestMainWindow::shortcutsRunTheMenuCommands_data()
{
    QTest::addColumn<Shortcut>("shortcut");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("New") << Shortcut::New << QKeySequence(QStringLiteral("Ctrl+N"));
    QTest::newRow("Open") << Shortcut::Open << QKeySequence(QStringLiteral("Ctrl+O"));
    QTest::newRow("Save") << Shortcut::Save << QKeySequence(QStringLiteral("Ctrl+S"));
    QTest::newRow("Save As") << Shortcut::SaveAs << QKeySequence(QStringLiteral("Ctrl+Shift+S"));
    QTest::newRow("Quit") << Shortcut::Quit << QKeySequence(QStringLiteral("Ctrl+Q"));
    QTest::newRow("About") << Shortcut::About << QKeySequence(Qt::Key_F1);
}

void TestMainWindow::shortcutsRunTheMenuCommands()
{
    QFETCH(Shortcut, shortcut);
    QFETCH(QKeySequence, keys);
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    window_->Control(CQuarnToolDlg::kFirstRelayButton + 3)->setFocus();
    window_->Model().modified = true;
    files_.saveAsked.clear();
    MessageBoxScript boxes;  // every question answered Cancel
    bool aboutOpened = false;
    if (shortcut == Shortcut::About) {
        WhenModalOpens<CAboutDlg>([&](CAboutDlg& dialog) {
            aboutOpened = true;
            dialog.accept();
        });
    }

    QTest::keySequence(window_, keys);
    QApplication::processEvents();

    switch (shortcut) {
    case Shortcut::New:
    case Shortcut::Open:
    case Shortcut::Quit:
        // The same question as the menu item asks; Cancel keeps everything.
        QCOMPARE(boxes.Shown(), QStringList{QStringLiteral("Contents changed; do you want to save before exit?")});
        QVERIFY(window_->isVisible());
        QVERIFY(window_->Model().modified);
        break;
    case Shortcut::Save:
    case Shortcut::SaveAs:
        QCOMPARE(files_.saveAsked.size(), 1);
        break;
    case Shortcut::About:
        QVERIFY(aboutOpened);
        break;
    }
}

void TestMainWindow::versionDialogKeepsTextAndOpensInItsField()
{
    CVersionDlg dialog;
    dialog.SetVersionText(QStringLiteral("a<b & c"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Version"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(QApplication::focusWidget(), FindControl<QLineEdit>(dialog, CVersionDlg::kVersionFieldId));
    QCOMPARE(FindControl<QLineEdit>(dialog, CVersionDlg::kVersionFieldId)->text(), QStringLiteral("a<b & c"));
    const QString longText(40000, QLatin1Char('v'));
    FindControl<QLineEdit>(dialog, CVersionDlg::kVersionFieldId)->setText(longText);
    dialog.accept();
    QCOMPARE(dialog.VersionText(), longText);
}

void TestMainWindow::aboutBoxOpensForSystemCommands_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("opens");
    QTest::newRow("16") << 16 << true;
    QTest::newRow("31") << 31 << true;
    QTest::newRow("32") << 32 << false;
    QTest::newRow("0") << 0 << false;
}

void TestMainWindow::aboutBoxOpensForSystemCommands()
{
    QFETCH(int, command);
    QFETCH(bool, opens);
    bool opened = false;
    QString title;
    WhenModalOpens<CAboutDlg>([&](CAboutDlg& dialog) {
        opened = true;
        title = dialog.windowTitle();
        dialog.accept();
    });
    window_->OnSysCommand(command);
    QApplication::processEvents();
    QCOMPARE(opened, opens);
    if (opens)
        QCOMPARE(title, QStringLiteral("About QuarnTool"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
