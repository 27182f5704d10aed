// What a screen reader hears: every control of every window has a name of
// its own, read through Qt's accessibility interface, and the fields of the
// editor's grid say which timer and which value they hold.
#include "tests/editor/every_window.hpp"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QSet>
#include <QTemporaryDir>

using namespace quarn;
using namespace quarn::test;

namespace {

QString AccessibleName(QWidget* control)
{
    // On Unix desktops Qt reports a drop-down list's selected entry as its
    // name (its label travels as a relation); the name it was given is what
    // the other desktops read.
    if (qobject_cast<QComboBox*>(control) != nullptr)
        return control->accessibleName();
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

}  // namespace

class TestAccessibleNames : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void everyControlHasANameOfItsOwn_data();
    void everyControlHasANameOfItsOwn();
    void gridControlsNameTheirTimerAndValue_data();
    void gridControlsNameTheirTimerAndValue();
    void rowLabelsLeadToTheirRow();

private:
    QTemporaryDir settingsDir_;
    RecentFileList recent_;
    ScriptedFileDialogs files_;
};

void TestAccessibleNames::initTestCase()
{
    QVERIFY(settingsDir_.isValid());
    UsePrivateSettings(settingsDir_.path());
}

void TestAccessibleNames::cleanup()
{
    SetWindowExchangePortForTesting(0);
}

void TestAccessibleNames::everyControlHasANameOfItsOwn_data()
{
    QTest::addColumn<int>("index");
    int index = 0;
    for (const WindowCase& window : EveryWindow(recent_, files_))
        QTest::newRow(window.name) << index++;
}

void TestAccessibleNames::everyControlHasANameOfItsOwn()
{
    QFETCH(int, index);
    const WindowCase windowCase = EveryWindow(recent_, files_)[index];
    std::unique_ptr<QWidget> window = windowCase.make();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    std::vector<int> ids = windowCase.tabOrder;
    if (qobject_cast<CQuarnToolDlg*>(window.get()) != nullptr) {
        for (int n = 0; n < 8; ++n)
            ids.push_back(CQuarnToolDlg::kFirstConditionBox + n);
    }
    QSet<QString> names;
    for (int id : ids) {
        QWidget* control = FindControl(*window, id);
        QVERIFY2(control != nullptr, qPrintable(QStringLiteral("no control %1").arg(id)));
        const QString name = AccessibleName(control);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(QStringLiteral("control %1 has no name").arg(id)));
        QVERIFY2(!names.contains(name),
                 qPrintable(QStringLiteral("control %1 is named \"%2\" as another").arg(id).arg(name)));
        names.insert(name);
    }
}

void TestAccessibleNames::gridControlsNameTheirTimerAndValue_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");
    QTest::newRow("T0 ON date") << 1000 << QStringLiteral("Timer T0 ON date");
    QTest::newRow("T3 ON time") << 1013 << QStringLiteral("Timer T3 ON time");
    QTest::newRow("T3 OFF date") << 1014 << QStringLiteral("Timer T3 OFF date");
    QTest::newRow("T3 OFF time") << 1015 << QStringLiteral("Timer T3 OFF time");
    QTest::newRow("T7 OFF time") << 1031 << QStringLiteral("Timer T7 OFF time");
    QTest::newRow("T3 Monday") << 1121 << QStringLiteral("Timer T3 Monday");
    QTest::newRow("T7 Sunday") << 1155 << QStringLiteral("Timer T7 Sunday");
    QTest::newRow("A of T2") << 1241 << QStringLiteral("Timer T2 all days");
    QTest::newRow("N of T2") << 1249 << QStringLiteral("Timer T2 no days");
    QTest::newRow("relay R5") << 1205 << QStringLiteral("Edit condition of relay R5");
    QTest::newRow("condition R5") << 1223 << QStringLiteral("Condition of relay R5");
}

void TestAccessibleNames::gridControlsNameTheirTimerAndValue()
{
    QFETCH(int, id);
    QFETCH(QString, name);
    CQuarnToolDlg window(recent_, files_);
    QCOMPARE(AccessibleName(window.Control(id)), name);
}

void TestAccessibleNames::rowLabelsLeadToTheirRow()
{
    CQuarnToolDlg window(recent_, files_);
    for (int n = 0; n < 8; ++n) {
        const QString text = QStringLiteral("Timer T%1").arg(n);
        QLabel* label = nullptr;
        for (QLabel* candidate : window.findChildren<QLabel*>())
            label = candidate->text() == text ? candidate : label;
        QVERIFY2(label != nullptr, qPrintable(text));
        QCOMPARE(label->buddy(), window.Control(CQuarnToolDlg::kFirstTimerField + 4 * n));
    }
}

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessible_names.moc"
