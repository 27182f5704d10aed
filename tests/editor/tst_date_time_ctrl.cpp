#include "editor/date_time_ctrl_ex.hpp"
#include "editor/window_events.hpp"

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace quarn;

// The test class holds the host, so it has a name outside this file too: a
// class named outside a file must not hold a type of its anonymous namespace.
namespace date_time_ctrl_test {

// Stands in for the editor window: counts the change notices of its fields
// and the keys that reach it.
class Host : public QWidget {
public:
    int notices = 0;
    QList<int> keys;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == kTimerFieldChangedEvent) {
            ++notices;
            return true;
        }
        return QWidget::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override { keys << event->key(); }
};

}  // namespace date_time_ctrl_test

namespace {

enum class Action {
    DeleteKey,
    ContextDelete,
    ArrowKey,
    UpKey,
    TabKey,
    BacktabKey,
    EnterKey,
    EscapeKey,
    ControlKey,
    ControlCombination,
    AltDown,
    FunctionKey,
    LeftClick,
    PickerChange,
    OwnerBlanks,
    OwnerShows,
};

const QDate kValue(2013, 2, 8);
const QString kValueText = QStringLiteral("2013/02/08");

void ChooseDeleteFromContextMenu(CDateTimeCtrlEx& field)
{
    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY2(menu != nullptr, "the context menu did not open");
        QCOMPARE(menu->actions().size(), 1);
        QAction* item = menu->actions().constFirst();
        QCOMPARE(item->text(), QStringLiteral("Delete"));
        QCOMPARE(item->data().toInt(), CDateTimeCtrlEx::kDeleteCommandId);
        menu->setActiveAction(item);
        QTest::keyClick(menu, Qt::Key_Return);
        answered = true;
    });
    QTest::mouseClick(field.TextLine(), Qt::RightButton);
    QVERIFY(answered);
}

// Types text as an X server delivers it: the Shift that a ":" needs arrives
// as a key of its own first.
void TypeKeys(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c == u':') {
            QTest::keyPress(widget, Qt::Key_Shift);
            QTest::keyClick(widget, c.toLatin1(), Qt::ShiftModifier);
            QTest::keyRelease(widget, Qt::Key_Shift, Qt::ShiftModifier);
        } else {
            QTest::keyClick(widget, c.toLatin1());
        }
    }
}

CDateTimeCtrlEx* AddField(QWidget* host, const QString& format, const QDateTime& value, bool blank)
{
    auto* field = new CDateTimeCtrlEx(host);
    field->setGeometry(10, 50, 160, 30);
    field->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    field->setCalendarPopup(format.contains(u'y'));
    field->SetNormalFormat(format);
    field->SetValue(value);
    field->SetDisplayFormat(blank ? CDateTimeCtrlEx::kBlankFormat : format);
    field->show();
    field->setFocus();
    return field;
}

QPoint CalendarButton(const CDateTimeCtrlEx& field)
{
    return QPoint(field.width() - 6, field.height() / 2);
}

QTableView* OpenCalendar(CDateTimeCtrlEx& field)
{
    QTest::mouseClick(&field, Qt::LeftButton, {}, CalendarButton(field));
    QCalendarWidget* calendar = field.calendarWidget();
    if (calendar == nullptr || !calendar->isVisible())
        return nullptr;
    return calendar->findChild<QTableView*>();
}

}  // namespace

class TestDateTimeCtrl : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void transitions_data();
    void transitions();
    void applyingTheCurrentFormatChangesNothing();
    void ownerSetsValueWithoutNotice();
    void clickingBlankFieldBringsBackItsValue();
    void typedValueArrivesWhole_data();
    void typedValueArrivesWhole();
    void calendarClosedWithoutPickKeepsField_data();
    void calendarClosedWithoutPickKeepsField();
    void dateTakenFromCalendarShowsField();

private:
    date_time_ctrl_test::Host* host_ = nullptr;
    CDateTimeCtrlEx* field_ = nullptr;
};

void TestDateTimeCtrl::init()
{
    host_ = new date_time_ctrl_test::Host;
    field_ = new CDateTimeCtrlEx(host_);
    field_->setGeometry(10, 10, 160, 30);
    field_->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    field_->SetNormalFormat(QStringLiteral("yyyy/MM/dd"));
    field_->SetValue(QDateTime(kValue, QTime(0, 0)));
    field_->SetDisplayFormat(field_->NormalFormat());
    host_->show();
    QVERIFY(QTest::qWaitForWindowExposed(host_));
    field_->setFocus();
}

void TestDateTimeCtrl::cleanup()
{
    delete host_;
    host_ = nullptr;
}

void TestDateTimeCtrl::transitions_data()
{
    QTest::addColumn<bool>("startBlank");
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("endBlank");
    QTest::addColumn<bool>("notified");
    QTest::addColumn<QDate>("value");

    const QDate next = kValue.addDays(1);
    const QDate yearOn = kValue.addYears(1);
    QTest::newRow("shown, Delete key") << false << Action::DeleteKey << true << true << kValue;
    QTest::newRow("shown, context Delete") << false << Action::ContextDelete << true << true << kValue;
    QTest::newRow("shown, arrow key") << false << Action::ArrowKey << false << false << kValue;
    QTest::newRow("shown, Up key") << false << Action::UpKey << false << true << yearOn;
    QTest::newRow("shown, Tab") << false << Action::TabKey << false << false << kValue;
    QTest::newRow("shown, Enter") << false << Action::EnterKey << false << false << kValue;
    QTest::newRow("shown, Escape") << false << Action::EscapeKey << false << false << kValue;
    QTest::newRow("shown, click") << false << Action::LeftClick << false << false << kValue;
    QTest::newRow("shown, picker change") << false << Action::PickerChange << false << true << next;
    QTest::newRow("shown, owner blanks") << false << Action::OwnerBlanks << true << false << kValue;

    // Only what edits shows a blank field; moving on and commands leave it.
    QTest::newRow("blank, Delete key") << true << Action::DeleteKey << true << false << kValue;
    QTest::newRow("blank, context Delete") << true << Action::ContextDelete << true << false << kValue;
    QTest::newRow("blank, arrow key") << true << Action::ArrowKey << true << false << kValue;
    QTest::newRow("blank, Up key") << true << Action::UpKey << false << true << yearOn;
    QTest::newRow("blank, Tab") << true << Action::TabKey << true << false << kValue;
    QTest::newRow("blank, Shift+Tab") << true << Action::BacktabKey << true << false << kValue;
    QTest::newRow("blank, Enter") << true << Action::EnterKey << true << false << kValue;
    QTest::newRow("blank, Escape") << true << Action::EscapeKey << true << false << kValue;
    QTest::newRow("blank, Ctrl alone") << true << Action::ControlKey << true << false << kValue;
    QTest::newRow("blank, Ctrl+Up") << true << Action::ControlCombination << true << false << kValue;
    QTest::newRow("blank, Alt+Down") << true << Action::AltDown << true << false << kValue;
    QTest::newRow("blank, F5") << true << Action::FunctionKey << true << false << kValue;
    QTest::newRow("blank, click") << true << Action::LeftClick << false << true << kValue;
    QTest::newRow("blank, picker change") << true << Action::PickerChange << false << true << next;
    QTest::newRow("blank, owner shows") << true << Action::OwnerShows << false << false << kValue;
}

void TestDateTimeCtrl::transitions()
{
    QFETCH(bool, startBlank);
    QFETCH(Action, action);
    QFETCH(bool, endBlank);
    QFETCH(bool, notified);
    QFETCH(QDate, value);

    // A second control to move on to.
    auto* next = new QLineEdit(host_);
    next->setGeometry(10, 50, 160, 30);
    next->show();

    if (startBlank)
        QVERIFY(field_->SetDisplayFormat(CDateTimeCtrlEx::kBlankFormat));
    QCOMPARE(field_->IsBlank(), startBlank);
    QCOMPARE(field_->WindowText().size() < 2, startBlank);

    switch (action) {
    case Action::DeleteKey:
        QTest::keyClick(field_, Qt::Key_Delete);
        break;
    case Action::ContextDelete:
        ChooseDeleteFromContextMenu(*field_);
        break;
    case Action::ArrowKey:
        QTest::keyClick(field_, Qt::Key_Right);
        break;
    case Action::UpKey:
        field_->setSelectedSection(QDateTimeEdit::YearSection);
        QTest::keyClick(field_, Qt::Key_Up);
        break;
    case Action::TabKey:
        QTest::keyClick(field_, Qt::Key_Tab);
        QVERIFY2(next->hasFocus(), "Tab did not move on");
        break;
    case Action::BacktabKey:
        QTest::keyClick(field_, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY2(!field_->hasFocus(), "Shift+Tab did not move on");
        break;
    case Action::EnterKey:
        QTest::keyClick(field_, Qt::Key_Return);
        QCOMPARE(host_->keys, QList<int>{Qt::Key_Return});
        break;
    case Action::EscapeKey:
        QTest::keyClick(field_, Qt::Key_Escape);
        QCOMPARE(host_->keys, QList<int>{Qt::Key_Escape});
        break;
    case Action::ControlKey:
        // On an X server the modifier arrives as a key of its own.
        QTest::keyPress(field_, Qt::Key_Control);
        QTest::keyRelease(field_, Qt::Key_Control, Qt::ControlModifier);
        break;
    case Action::ControlCombination:
        QTest::keyClick(field_, Qt::Key_Up, Qt::ControlModifier);
        break;
    case Action::AltDown:
        QTest::keyClick(field_, Qt::Key_Down, Qt::AltModifier);
        break;
    case Action::FunctionKey:
        QTest::keyClick(field_, Qt::Key_F5);
        break;
    case Action::LeftClick:
        QTest::mouseClick(field_->TextLine(), Qt::LeftButton);
        break;
    case Action::PickerChange:
        field_->setDate(kValue.addDays(1));
        break;
    case Action::OwnerBlanks:
        field_->SetDisplayFormat(CDateTimeCtrlEx::kBlankFormat);
        break;
    case Action::OwnerShows:
        field_->SetDisplayFormat(field_->NormalFormat());
        break;
    }

    QCOMPARE(field_->IsBlank(), endBlank);
    QCOMPARE(host_->notices > 0, notified);
    if (endBlank)
        QVERIFY2(field_->WindowText().size() < 2, qPrintable(field_->WindowText()));
    else
        QCOMPARE(field_->WindowText(), value.toString(QStringLiteral("yyyy/MM/dd")));
    // Blanking never changes the value the field holds.
    QCOMPARE(field_->date(), value);
}

void TestDateTimeCtrl::applyingTheCurrentFormatChangesNothing()
{
    QCOMPARE(field_->CurrentFormat(), QStringLiteral("yyyy/MM/dd"));
    QVERIFY(!field_->SetDisplayFormat(QStringLiteral("yyyy/MM/dd")));
    QVERIFY(field_->SetDisplayFormat(CDateTimeCtrlEx::kBlankFormat));
    QVERIFY(!field_->SetDisplayFormat(CDateTimeCtrlEx::kBlankFormat));
    QCOMPARE(field_->CurrentFormat(), CDateTimeCtrlEx::kBlankFormat);
    // The comparison is exact: another spelling is another format.
    QVERIFY(field_->SetDisplayFormat(QStringLiteral("yyyy/MM/dd")));
    QVERIFY(field_->SetDisplayFormat(QStringLiteral("yyyy/MM/DD")));
    QCOMPARE(host_->notices, 0);
}

void TestDateTimeCtrl::ownerSetsValueWithoutNotice()
{
    field_->SetDisplayFormat(CDateTimeCtrlEx::kBlankFormat);
    field_->SetValue(QDateTime(QDate(2020, 5, 17), QTime(0, 0)));
    QVERIFY(field_->IsBlank());
    QVERIFY(field_->WindowText().size() < 2);
    field_->SetDisplayFormat(field_->NormalFormat());
    QCOMPARE(field_->WindowText(), QStringLiteral("2020/05/17"));

    // The file cannot hold dates outside 2000..2099, so the field keeps to them.
    field_->setDate(QDate(1999, 12, 31));
    QCOMPARE(field_->date(), QDate(2000, 1, 1));
    field_->setDate(QDate(2100, 1, 1));
    QCOMPARE(field_->date(), QDate(2099, 12, 31));
    QCOMPARE(host_->notices, 2);
}

void TestDateTimeCtrl::clickingBlankFieldBringsBackItsValue()
{
    // A time field, as in the editor's grid.
    auto* time = new CDateTimeCtrlEx(host_);
    time->setGeometry(10, 50, 160, 30);
    time->SetNormalFormat(QStringLiteral("HH:mm:ss"));
    time->SetValue(QDateTime(QDate(2000, 1, 1), QTime(22, 0, 0)));
    time->SetDisplayFormat(time->NormalFormat());
    time->show();
    QCOMPARE(time->WindowText(), QStringLiteral("22:00:00"));

    QTest::keyClick(time, Qt::Key_Delete);
    QVERIFY(time->IsBlank());
    QTest::mouseClick(time->TextLine(), Qt::LeftButton);
    QCOMPARE(time->WindowText(), QStringLiteral("22:00:00"));
    QCOMPARE(time->time(), QTime(22, 0, 0));
    QCOMPARE(host_->notices, 2);
}

void TestDateTimeCtrl::typedValueArrivesWhole_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("blank");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    // The key that shows a blank field is its first digit; a separator after
    // a section that moved on by itself does not skip the next section.
    QTest::newRow("blank date") << "yyyy/MM/dd" << true << "2027/03/05"
                                << "2027/03/05";
    QTest::newRow("blank time") << "HH:mm:ss" << true << "07:30:00"
                                << "07:30:00";
    QTest::newRow("blank time, one-digit hour") << "HH:mm:ss" << true << "7:30:00"
                                                << "07:30:00";
    QTest::newRow("blank date, digits only") << "yyyy/MM/dd" << true << "20270305"
                                             << "2027/03/05";
    QTest::newRow("filled time") << "HH:mm:ss" << false << "06:05:07"
                                 << "06:05:07";
    QTest::newRow("filled date") << "yyyy/MM/dd" << false << "2031/11/30"
                                 << "2031/11/30";
}

void TestDateTimeCtrl::typedValueArrivesWhole()
{
    QFETCH(QString, format);
    QFETCH(bool, blank);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    CDateTimeCtrlEx* field = AddField(host_, format, QDateTime(QDate(2026, 12, 11), QTime(14, 57, 33)), blank);
    if (!blank)
        field->setSelectedSection(field->sectionAt(0));  // as focus by Tab leaves it
    TypeKeys(field, typed);

    QVERIFY(!field->IsBlank());
    QCOMPARE(field->WindowText(), expected);
    QCOMPARE(field->dateTime().toString(format), expected);
    QVERIFY(host_->notices > 0);
}

void TestDateTimeCtrl::calendarClosedWithoutPickKeepsField_data()
{
    QTest::addColumn<bool>("blank");
    QTest::addColumn<bool>("browse");

    QTest::newRow("blank, Escape") << true << false;
    QTest::newRow("blank, browsed, Escape") << true << true;
    QTest::newRow("shown, browsed, Escape") << false << true;
}

void TestDateTimeCtrl::calendarClosedWithoutPickKeepsField()
{
    QFETCH(bool, blank);
    QFETCH(bool, browse);

    const QDateTime held(QDate(2026, 12, 11), QTime(0, 0));
    CDateTimeCtrlEx* field = AddField(host_, QStringLiteral("yyyy/MM/dd"), held, blank);
    QTableView* days = OpenCalendar(*field);
    QVERIFY2(days != nullptr, "the calendar did not open");
    QCOMPARE(field->IsBlank(), blank);  // opening it shows nothing yet
    if (browse) {
        QTest::keyClick(days, Qt::Key_Right);
        QTest::keyClick(days, Qt::Key_Down);
    }
    QTest::keyClick(days, Qt::Key_Escape);
    QTRY_VERIFY(!field->calendarWidget()->isVisible());
    QTest::qWait(20);

    QCOMPARE(field->IsBlank(), blank);
    QCOMPARE(field->dateTime(), held);
    QCOMPARE(host_->notices, 0);
}

void TestDateTimeCtrl::dateTakenFromCalendarShowsField()
{
    const QDateTime held(QDate(2026, 12, 11), QTime(0, 0));
    CDateTimeCtrlEx* field = AddField(host_, QStringLiteral("yyyy/MM/dd"), held, true);
    QTableView* days = OpenCalendar(*field);
    QVERIFY2(days != nullptr, "the calendar did not open");
    QTest::keyClick(days, Qt::Key_Right);
    QTest::keyClick(days, Qt::Key_Return);

    QTRY_VERIFY(!field->IsBlank());
    QCOMPARE(field->WindowText(), QStringLiteral("2026/12/12"));
    QCOMPARE(host_->notices, 1);

    // The held date, taken again from a blank field, shows it too.
    field->SetDisplayFormat(CDateTimeCtrlEx::kBlankFormat);
    days = OpenCalendar(*field);
    QVERIFY2(days != nullptr, "the calendar did not open again");
    QTest::keyClick(days, Qt::Key_Return);
    QTRY_VERIFY(!field->IsBlank());
    QCOMPARE(field->WindowText(), QStringLiteral("2026/12/12"));
    QCOMPARE(host_->notices, 2);
}

QTEST_MAIN(TestDateTimeCtrl)
#include "tst_date_time_ctrl.moc"
