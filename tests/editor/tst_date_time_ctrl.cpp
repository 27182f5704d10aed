#include "editor/date_time_ctrl_ex.hpp"
#include "editor/window_events.hpp"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace quarn;

namespace {

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

enum class Action {
    DeleteKey,
    ContextDelete,
    ArrowKey,
    TabKey,
    EnterKey,
    EscapeKey,
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

private:
    Host* host_ = nullptr;
    CDateTimeCtrlEx* field_ = nullptr;
};

void TestDateTimeCtrl::init()
{
    host_ = new Host;
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
    QTest::addColumn<int>("notices");

    QTest::newRow("shown, Delete key") << false << Action::DeleteKey << true << 1;
    QTest::newRow("shown, context Delete") << false << Action::ContextDelete << true << 1;
    QTest::newRow("shown, arrow key") << false << Action::ArrowKey << false << 1;
    QTest::newRow("shown, Enter") << false << Action::EnterKey << false << 0;
    QTest::newRow("shown, Escape") << false << Action::EscapeKey << false << 0;
    QTest::newRow("shown, click") << false << Action::LeftClick << false << 0;
    QTest::newRow("shown, picker change") << false << Action::PickerChange << false << 1;
    QTest::newRow("shown, owner blanks") << false << Action::OwnerBlanks << true << 0;

    QTest::newRow("blank, Delete key") << true << Action::DeleteKey << true << 1;
    QTest::newRow("blank, context Delete") << true << Action::ContextDelete << true << 1;
    QTest::newRow("blank, arrow key") << true << Action::ArrowKey << false << 1;
    QTest::newRow("blank, Tab") << true << Action::TabKey << false << 1;
    QTest::newRow("blank, Enter") << true << Action::EnterKey << false << 0;
    QTest::newRow("blank, Escape") << true << Action::EscapeKey << false << 0;
    QTest::newRow("blank, click") << true << Action::LeftClick << false << 1;
    QTest::newRow("blank, picker change") << true << Action::PickerChange << false << 1;
    QTest::newRow("blank, owner shows") << true << Action::OwnerShows << false << 0;
}

void TestDateTimeCtrl::transitions()
{
    QFETCH(bool, startBlank);
    QFETCH(Action, action);
    QFETCH(bool, endBlank);
    QFETCH(int, notices);

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
    case Action::TabKey:
        QTest::keyClick(field_, Qt::Key_Tab);
        break;
    case Action::EnterKey:
        QTest::keyClick(field_, Qt::Key_Return);
        QCOMPARE(host_->keys, QList<int>{Qt::Key_Return});
        break;
    case Action::EscapeKey:
        QTest::keyClick(field_, Qt::Key_Escape);
        QCOMPARE(host_->keys, QList<int>{Qt::Key_Escape});
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
    QCOMPARE(host_->notices, notices);
    if (endBlank) {
        QVERIFY2(field_->WindowText().size() < 2, qPrintable(field_->WindowText()));
    } else {
        const QDate expected = action == Action::PickerChange ? kValue.addDays(1) : kValue;
        QCOMPARE(field_->WindowText(), expected.toString(QStringLiteral("yyyy/MM/dd")));
    }
    // Blanking never changes the value the field holds.
    if (action != Action::PickerChange)
        QCOMPARE(field_->date(), kValue);
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

QTEST_MAIN(TestDateTimeCtrl)
#include "tst_date_time_ctrl.moc"
