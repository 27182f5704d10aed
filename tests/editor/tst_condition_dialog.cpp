// The condition dialog's circuit as the user reads it: which gate takes part
// in the condition, drawn in the palette's colours; and the questions that
// replace or discard something, which Enter answers with what keeps it.
#include "document/ui/input_dlg.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "tests/support/qt/window_test_support.hpp"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

using namespace quarn;
using namespace quarn::test;

namespace {

// The parts of the AND gate [0] and the OR gate [1] that the dialog greys
// when the gate is not used: its box, its wires in and out.
QList<QWidget*> GateParts(const CInputDlg& dialog, int gate)
{
    QList<QWidget*> parts{dialog.findChild<QWidget*>(QStringLiteral("gate%1").arg(gate))};
    const QList<int> wires = gate == 0 ? QList<int>{0, 1, 2, 3, 8, 10, 12} : QList<int>{4, 5, 6, 7, 9, 11, 13};
    for (int wire : wires)
        parts << dialog.findChild<QWidget*>(QStringLiteral("wire%1").arg(wire));
    return parts;
}

// "used" or "unused" when every part agrees, "mixed" otherwise.
QString GateLook(const CInputDlg& dialog, int gate)
{
    int enabled = 0;
    const QList<QWidget*> parts = GateParts(dialog, gate);
    for (QWidget* part : parts) {
        if (part == nullptr)
            return QStringLiteral("missing part");
        enabled += part->isEnabled() ? 1 : 0;
    }
    const auto* mark =
        dialog.findChild<QLabel*>(gate == 0 ? QStringLiteral("andGateUnused") : QStringLiteral("orGateUnused"));
    if (mark == nullptr)
        return QStringLiteral("no mark");
    if (enabled == parts.size() && mark->isHidden())
        return QStringLiteral("used");
    if (enabled == 0 && !mark->isHidden())
        return QStringLiteral("unused");
    return QStringLiteral("mixed");
}

// The colour in the middle of a part's left edge, as it draws itself.
QColor InkOf(QWidget* part)
{
    const QImage image = part->grab().toImage();
    return image.pixelColor(0, image.height() / 2);
}

}  // namespace

class TestConditionDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void gatesShowWhetherTheyTakePart_data();
    void gatesShowWhetherTheyTakePart();
    void circuitFollowsThePalette();
    void enterTwiceKeepsAConditionTheGatesCannotShow();
    void saveQuestionDefaultsToSaving();

private:
    QTemporaryDir settingsDir_;
};

void TestConditionDialog::initTestCase()
{
    QVERIFY(settingsDir_.isValid());
    UsePrivateSettings(settingsDir_.path());
}

void TestConditionDialog::gatesShowWhetherTheyTakePart_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("andGate");
    QTest::addColumn<QString>("orGate");

    // Four "1" into the AND gate would read as "always on": it is not used.
    QTest::newRow("only the OR gate") << "#R2||#S1"
                                      << "unused"
                                      << "used";
    QTest::newRow("only the AND gate") << "(#T0&&#T1)"
                                       << "used"
                                       << "unused";
    QTest::newRow("both") << "(#T0&&#T1)||#R2"
                          << "used"
                          << "used";
    QTest::newRow("no condition") << ""
                                  << "unused"
                                  << "unused";
}

void TestConditionDialog::gatesShowWhetherTheyTakePart()
{
    QFETCH(QString, condition);
    QFETCH(QString, andGate);
    QFETCH(QString, orGate);

    CInputDlg dialog;
    dialog.SetConditionText(condition);
    QCOMPARE(GateLook(dialog, 0), andGate);
    QCOMPARE(GateLook(dialog, 1), orGate);

    // The look follows the lists as the user picks.
    dialog.InputList(2)->setCurrentIndex(dialog.InputList(2)->findText(QStringLiteral("S3")));
    QCOMPARE(GateLook(dialog, 0), QStringLiteral("used"));
    dialog.InputList(2)->setCurrentIndex(dialog.InputList(2)->findText(QStringLiteral("1")));
    QCOMPARE(GateLook(dialog, 0), andGate);
}

void TestConditionDialog::circuitFollowsThePalette()
{
    // A dark theme: light text on a dark window.
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    CInputDlg dialog;
    dialog.setPalette(dark);
    dialog.SetConditionText(QStringLiteral("#R2"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    // The OR gate is used: drawn in the text colour. The AND gate is not:
    // drawn greyed, as disabled text is.
    for (QWidget* part : GateParts(dialog, 1))
        QCOMPARE(InkOf(part), QColor(0xf0, 0xf0, 0xf0));
    for (QWidget* part : GateParts(dialog, 0))
        QCOMPARE(InkOf(part), QColor(0x80, 0x80, 0x80));
    QCOMPARE(InkOf(dialog.findChild<QWidget*>(QStringLiteral("gate2"))), QColor(0xf0, 0xf0, 0xf0));
    QCOMPARE(InkOf(dialog.findChild<QWidget*>(QStringLiteral("wire14"))), QColor(0xf0, 0xf0, 0xf0));
}

void TestConditionDialog::enterTwiceKeepsAConditionTheGatesCannotShow()
{
    // Real boxes, answered with the keyboard: Enter in the dialog (OK),
    // then Enter in the question. The condition stays.
    RecentFileList recent;
    ScriptedFileDialogs files;
    CQuarnToolDlg window(recent, files);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.Model().relays[2] = u"!#S0";
    window.ShowModel();

    bool questionSeen = false;
    WhenModalOpens<CInputDlg>([&questionSeen](CInputDlg& dialog) {
        QTimer::singleShot(0, [&questionSeen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            questionSeen = true;
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::keyClick(&dialog, Qt::Key_Return);
        if (dialog.isVisible())
            dialog.reject();
    });
    static_cast<QPushButton*>(window.Control(CQuarnToolDlg::kFirstRelayButton + 2))->click();
    QVERIFY2(questionSeen, "no question was asked");
    QCOMPARE(QString::fromStdU16String(window.Model().relays[2]), QStringLiteral("!#S0"));
}

void TestConditionDialog::saveQuestionDefaultsToSaving()
{
    RecentFileList recent;
    ScriptedFileDialogs files;
    CQuarnToolDlg window(recent, files);
    window.Model().modified = true;
    MessageBoxScript boxes;
    MessageBoxAnswers::SetNextAnswer(MessageAnswer::Cancel);
    window.CommandAction(CQuarnToolDlg::kFileNew)->trigger();
    QCOMPARE(boxes.Asked().size(), std::size_t{1});
    QCOMPARE(boxes.Asked().front().buttons, MessageButtons::YesNoCancel);
    QVERIFY2(boxes.Asked().front().defaultAnswer == MessageAnswer::Yes, "Enter would discard the changes");
    QVERIFY(window.Model().modified);
}

QTEST_MAIN(TestConditionDialog)
#include "tst_condition_dialog.moc"
