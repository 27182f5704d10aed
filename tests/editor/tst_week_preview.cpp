// Extra > "Week preview...": the document's week drawn, inputs held on, the
// tooltip under the mouse, a condition outside the grammar, and the saved
// picture.
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "editor/timeline_view.hpp"
#include "editor/week_preview_dlg.hpp"
#include "runtime/calendar.hpp"
#include "runtime/local_clock.hpp"
#include "tests/support/file_size_limit.hpp"
#include "tests/support/files.hpp"
#include "tests/support/office_model.hpp"
#include "tests/support/qt/window_test_support.hpp"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QFile>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolTip>

using namespace quarn;
using namespace quarn::test;
using runtime::Instant;
using runtime::WeekPreview;

namespace {

const QDate kMonday(2026, 12, 14);

Instant At(int day, int hour, int minute = 0)
{
    return runtime::InstantOf(runtime::DateTime{2026, 12, day, hour, minute, 0});
}

QStringList LaneLabels(const WeekPreview& preview)
{
    QStringList labels;
    for (const auto& lane : preview.picture.lanes)
        labels << QString::fromStdString(lane.label);
    return labels;
}

const runtime::PictureLane* Lane(const WeekPreview& preview, const std::string& label)
{
    for (const auto& lane : preview.picture.lanes) {
        if (lane.label == label)
            return &lane;
    }
    return nullptr;
}

// The tooltip at instant t, in the middle of the plot's height.
QString ToolTipAt(const CWeekPreviewDlg& dialog, Instant t)
{
    const auto& picture = dialog.Preview().picture;
    const QPoint point(static_cast<int>(picture.XOf(t)) + 1,
                       static_cast<int>((picture.plotTop + picture.plotBottom) / 2));
    return dialog.View()->ToolTipAt(point);
}

}  // namespace

class TestWeekPreview : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void sitsInTheExtraMenuAfterDirectControl();
    void drawsTheFieldsAsSaveTakesThem();
    void drawsTheWeekWithHeldInputs();
    void toolTipTellsTimeAndStates();
    void conditionErrorReplacesThePicture();
    void savesThePictureAsPngOrSvg();
    void aFailedSaveKeepsTheOldPicture_data();
    void aFailedSaveKeepsTheOldPicture();
    void enterInTheFirstDayAppliesIt_data();
    void enterInTheFirstDayAppliesIt();
    void listsTheFindingsAndExplainsAClickedLane();
    void switchesAnInputFromAClickedInstant();
    void clearInputsAndCopyTheOptions();
    void savedPictureNamesTheInputs();

private:
    QTemporaryDir dir_;
};

void TestWeekPreview::initTestCase()
{
    QVERIFY(dir_.isValid());
    UsePrivateSettings(dir_.path());
}

void TestWeekPreview::sitsInTheExtraMenuAfterDirectControl()
{
    RecentFileList recent;
    ScriptedFileDialogs files;
    CQuarnToolDlg window(recent, files);
    QAction* preview = window.CommandAction(CQuarnToolDlg::kWeekPreview);
    QVERIFY2(preview != nullptr, "no Week preview command");
    QCOMPARE(preview->text(), QStringLiteral("Week preview..."));
    QMenu* extra = nullptr;
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        if (menu->title() == QStringLiteral("Extra"))
            extra = menu;
    }
    QVERIFY(extra != nullptr);
    QStringList items;
    for (const QAction* action : extra->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(items, (QStringList{"Direct control...", "Week preview...", "-", "Upload to QUARN..."}));
}

void TestWeekPreview::drawsTheFieldsAsSaveTakesThem()
{
    RecentFileList recent;
    ScriptedFileDialogs files;
    CQuarnToolDlg window(recent, files);
    window.Model() = WorkingWeekModel();
    window.ShowModel();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Saturday ticked in the window only: the model learns of it when the
    // fields are taken.
    QTest::mouseClick(window.Control(CQuarnToolDlg::kFirstWeekdayBox + 5), Qt::LeftButton);

    QDate offered;
    int barsOfR3 = -1;
    WhenModalOpens<CWeekPreviewDlg>([&](CWeekPreviewDlg& dialog) {
        offered = dialog.FirstDayField()->date();
        dialog.FirstDayField()->setDate(kMonday);
        if (const auto* lane = Lane(dialog.Preview(), "R3"))
            barsOfR3 = static_cast<int>(lane->bars.size());
        dialog.accept();
    });
    window.CommandAction(CQuarnToolDlg::kWeekPreview)->trigger();

    QCOMPARE(offered, DefaultFirstDay(runtime::LocalNow()));
    QCOMPARE(offered.dayOfWeek(), 1);
    QVERIFY(offered <= QDate::currentDate() && QDate::currentDate() < offered.addDays(7));
    QCOMPARE(barsOfR3, 6);             // Monday to Saturday
    QVERIFY(window.Model().modified);  // by the tick, not by the preview
}

// The week's lanes and bars are tested in the runtime; here the boxes that
// hold an input on redraw the picture.
void TestWeekPreview::drawsTheWeekWithHeldInputs()
{
    ScriptedFileDialogs files;
    CWeekPreviewDlg dialog(WorkingWeekModel(), files);
    dialog.FirstDayField()->setDate(kMonday);
    QCOMPARE(dialog.Preview().timeline.from, At(14, 0));
    QCOMPARE(dialog.Preview().timeline.to, At(21, 0));
    QVERIFY(Lane(dialog.Preview(), "R5")->bars.empty());

    dialog.HoldInputBox(1)->setChecked(true);
    const auto* r5 = Lane(dialog.Preview(), "R5");
    QCOMPARE(r5->bars.size(), std::size_t{1});
    QCOMPARE(r5->bars.front().from, At(14, 0));
    QCOMPARE(r5->bars.front().to, At(21, 0));
    dialog.HoldInputBox(3)->setChecked(true);
    QCOMPARE(LaneLabels(dialog.Preview()), (QStringList{"T0", "S1", "S3", "R3", "R5"}));
}

void TestWeekPreview::toolTipTellsTimeAndStates()
{
    ScriptedFileDialogs files;
    CWeekPreviewDlg dialog(WorkingWeekModel(), files);
    dialog.FirstDayField()->setDate(kMonday);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    const QString morning = ToolTipAt(dialog, At(15, 12));
    QVERIFY2(morning.startsWith(QStringLiteral("Tue 2026-12-15 12:")), qPrintable(morning));
    QVERIFY2(morning.endsWith(QStringLiteral("\nT0 on  S1 off  R3 on  R5 off")), qPrintable(morning));
    const QString night = ToolTipAt(dialog, At(19, 23));
    QVERIFY2(night.startsWith(QStringLiteral("Sat 2026-12-19 23:")), qPrintable(night));
    QVERIFY2(night.endsWith(QStringLiteral("\nT0 off  S1 off  R3 off  R5 off")), qPrintable(night));
    QCOMPARE(dialog.View()->ToolTipAt(QPoint(2, 2)), QString());  // above the lane labels
    // Over a relay's name its condition; over a timer's nothing.
    const auto& lanes = dialog.Preview().picture.lanes;
    const auto nameAt = [&lanes](const std::string& label) {
        for (const auto& lane : lanes) {
            if (lane.label == label)
                return QPoint(4, static_cast<int>(lane.top + lane.height / 2));
        }
        return QPoint(-1, -1);
    };
    QCOMPARE(dialog.View()->ToolTipAt(nameAt("R3")), QStringLiteral("R3: #T0"));
    QCOMPARE(dialog.View()->ToolTipAt(nameAt("T0")), QString());

    // The same text as a real tooltip.
    TimelineView* view = dialog.View();
    const auto& picture = dialog.Preview().picture;
    const QPoint point(static_cast<int>(picture.XOf(At(15, 12))) + 1,
                       static_cast<int>((picture.plotTop + picture.plotBottom) / 2));
    QHelpEvent help(QEvent::ToolTip, point, view->mapToGlobal(point));
    QApplication::sendEvent(view, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), morning);
    QToolTip::hideText();
}

void TestWeekPreview::conditionErrorReplacesThePicture()
{
    StateMachineModel model = WorkingWeekModel();
    model.relays[2] = u"#T0&&";
    ScriptedFileDialogs files;
    CWeekPreviewDlg dialog(model, files);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QLabel* error = dialog.ErrorLabel();
    QVERIFY(error != nullptr);
    QVERIFY2(error->isVisible(), "the condition error is not shown");
    QVERIFY2(error->text().startsWith(QStringLiteral("R2: condition \"#T0&&\"")), qPrintable(error->text()));
    QVERIFY2(error->text().contains(QStringLiteral("character 6")), qPrintable(error->text()));
    QVERIFY2(!dialog.View()->isVisible(), "the picture is still shown");
    QVERIFY(!dialog.SavePictureButton()->isEnabled());
    QVERIFY(!dialog.SavePicture());
    QVERIFY(files.asked.empty());
}

void TestWeekPreview::savesThePictureAsPngOrSvg()
{
    ScriptedFileDialogs files;
    CWeekPreviewDlg dialog(WorkingWeekModel(), files);
    dialog.FirstDayField()->setDate(kMonday);
    const QString svg = dir_.filePath(QStringLiteral("week.svg"));
    const QString png = dir_.filePath(QStringLiteral("week.png"));
    files.answers = {svg, png};

    QPushButton* save = dialog.SavePictureButton();
    QCOMPARE(save->text(), QStringLiteral("Save picture..."));
    save->click();
    QCOMPARE(files.asked.size(), std::size_t{1});
    QVERIFY(files.asked[0].save);
    QVERIFY2(files.asked[0].nameFilters.contains(QStringLiteral("*.png")) &&
                 files.asked[0].nameFilters.contains(QStringLiteral("*.svg")),
             qPrintable(files.asked[0].nameFilters));
    QVERIFY2(files.asked[0].initialPath.endsWith(QStringLiteral("week-2026-12-14.png")),
             qPrintable(files.asked[0].initialPath));
    QFile svgFile(svg);
    QVERIFY(svgFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = svgFile.readAll();
    QVERIFY(bytes.startsWith("<?xml"));
    QVERIFY(bytes.contains("<svg"));
    QVERIFY(bytes.contains(">R3<"));

    save->click();
    const QImage image(png);
    QVERIFY2(!image.isNull(), "no PNG written");
    QCOMPARE(image.width(), static_cast<int>(std::ceil(dialog.Preview().picture.width)));
    // Some pixel of R3's first bar has the relays' colour.
    const auto* r3 = Lane(dialog.Preview(), "R3");
    const QPoint inBar(static_cast<int>((r3->bars[0].left + r3->bars[0].right) / 2),
                       static_cast<int>(r3->barTop + r3->barHeight / 2));
    QCOMPARE(image.pixelColor(inBar), QColor(0xe0, 0x7b, 0x24));

    // Cancelled: nothing asked beyond the question, nothing written.
    QVERIFY(!dialog.SavePicture());
}

void TestWeekPreview::aFailedSaveKeepsTheOldPicture_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("SVG") << QStringLiteral("full-disk.svg");
    QTest::newRow("PNG") << QStringLiteral("full-disk.png");
}

// A disk that fills up part way through the picture: the file keeps the
// earlier picture's bytes, and the user is told.
void TestWeekPreview::aFailedSaveKeepsTheOldPicture()
{
    QFETCH(QString, name);
    const QString path = dir_.filePath(name);
    const std::string earlier = "an earlier picture\n";
    QVERIFY(WriteBytes(path.toStdString(), earlier));
    ScriptedFileDialogs files;
    CWeekPreviewDlg dialog(WorkingWeekModel(), files);
    dialog.FirstDayField()->setDate(kMonday);
    files.answers = {path};

    const std::optional<bool> failedAndSaid = RunWithFileSizeLimit(1000, [&] {
        MessageBoxScript boxes;
        const bool saved = dialog.SavePicture();
        return !saved && boxes.Shown() == QStringList{QStringLiteral("Cannot write the picture to %1").arg(path)};
    });
    QVERIFY2(failedAndSaid.has_value(), "the full disk ended the process");
    QVERIFY2(*failedAndSaid, "the save did not fail with a message");
    QCOMPARE(ReadBytes(path.toStdString()), earlier);
}

void TestWeekPreview::enterInTheFirstDayAppliesIt_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter);
}

void TestWeekPreview::enterInTheFirstDayAppliesIt()
{
    QFETCH(int, key);
    ScriptedFileDialogs files;
    CWeekPreviewDlg dialog(WorkingWeekModel(), files);
    dialog.FirstDayField()->setDate(kMonday);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    dialog.FirstDayField()->setFocus();
    // Typed over the year's section: 2027/12/14.
    dialog.FirstDayField()->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClicks(dialog.FirstDayField(), "2027");
    QTest::keyClick(dialog.FirstDayField(), Qt::Key(key));
    QVERIFY2(dialog.isVisible(), "Enter in the first-day field closed the preview");
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.FirstDayField()->date(), QDate(2027, 12, 14));
    QCOMPARE(dialog.Preview().timeline.from, runtime::InstantOf(runtime::DateTime{2027, 12, 14, 0, 0, 0}));
    // Enter elsewhere still closes it.
    dialog.HoldInputBox(0)->setFocus();
    QTest::keyClick(dialog.HoldInputBox(0), Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
}

// The findings of check for the shown week under the picture, and a click on
// a relay's lane explains it at that instant (on a timer's lane: its window).
void TestWeekPreview::listsTheFindingsAndExplainsAClickedLane()
{
    StateMachineModel model = WorkingWeekModel();
    model.relays[0] = u"#S0||#R0";  // a latch: lost in a power cut
    ScriptedFileDialogs files;
    CWeekPreviewDlg dialog(model, files);
    dialog.FirstDayField()->setDate(kMonday);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QStringList findings;
    for (int i = 0; i < dialog.FindingsList()->count(); ++i)
        findings << dialog.FindingsList()->item(i)->text();
    QVERIFY2(
        findings.contains(QStringLiteral("warning  power-loss  R0  R0 is on at Mon 2026-12-14 00:00:01 with S0 off, "
                                         "S1 off, but a restart then leaves it off: it holds itself through #R0")),
        qPrintable(findings.join(QLatin1Char('\n'))));
    // S0 held on for the week: R0 is then on from the start and nothing is lost.
    dialog.HoldInputBox(0)->setChecked(true);
    findings.clear();
    for (int i = 0; i < dialog.FindingsList()->count(); ++i)
        findings << dialog.FindingsList()->item(i)->text();
    QVERIFY2(!findings.join(QLatin1Char('\n')).contains(QStringLiteral("power-loss")),
             qPrintable(findings.join(QLatin1Char('\n'))));

    const auto& picture = dialog.Preview().picture;
    const auto click = [&](const std::string& label, Instant t) {
        const auto* lane = Lane(dialog.Preview(), label);
        QVERIFY2(lane != nullptr, label.c_str());
        const QPoint point(static_cast<int>(picture.XOf(t)) + 1, static_cast<int>(lane->top + lane->height / 2));
        QTest::mouseClick(dialog.View(), Qt::LeftButton, {}, point);
    };
    click("R3", At(15, 8));
    QString text = dialog.ExplanationPanel()->text();
    QVERIFY2(text.startsWith(QStringLiteral("Tue 2026-12-15 08:")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\nR3 on since Tue 2026-12-15 07:30:00, when T0 changed\n"
                                          "switches off when !(#T0), which does not hold now\n")),
             qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("\nnext change: Tue 2026-12-15 22:00:00, when T0 changes")),
             qPrintable(text));

    click("T0", At(16, 12));
    QCOMPARE(dialog.ExplanationPanel()->text(), QStringLiteral("T0: daily 07:30:00-22:00:00 Mon-Fri"));
}

// The point of lane `label` at instant t in the view.
QPoint PointOf(const CWeekPreviewDlg& dialog, const std::string& label, Instant t)
{
    const auto* lane = Lane(dialog.Preview(), label);
    if (lane == nullptr)
        return {-1, -1};
    // The nearest pixel: within half a unit (about five minutes) of t.
    return {static_cast<int>(std::lround(dialog.Preview().picture.XOf(t))),
            static_cast<int>(lane->top + lane->height / 2)};
}

// A click on an input's lane switches the input from there on (rounded to
// the quarter hour the week's scale gives), draws the week again at once and
// shows the options; a second click at the same place takes it back.
void TestWeekPreview::switchesAnInputFromAClickedInstant()
{
    ScriptedFileDialogs files;
    CWeekPreviewDlg dialog(WorkingWeekModel(), files);
    dialog.FirstDayField()->setDate(kMonday);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.InputOptionsLine()->isReadOnly());
    QCOMPARE(dialog.InputOptionsLine()->text(), QString());

    QTest::mouseClick(dialog.View(), Qt::LeftButton, {}, PointOf(dialog, "S1", At(15, 7, 58)));
    QTest::mouseClick(dialog.View(), Qt::LeftButton, {}, PointOf(dialog, "S1", At(15, 17)));
    const auto* r5 = Lane(dialog.Preview(), "R5");
    QCOMPARE(r5->bars.size(), std::size_t{1});
    QCOMPARE(r5->bars.front().from, At(15, 8));
    QCOMPARE(r5->bars.front().to, At(15, 17));
    QCOMPARE(dialog.InputOptionsLine()->text(),
             QStringLiteral("--input S1=1@2026-12-15T08:00:00 --input S1=0@2026-12-15T17:00:00"));
    QVERIFY(!dialog.HoldInputBox(1)->isChecked());

    // At the first instant: how S1 starts, shown by its box.
    QTest::mouseClick(
        dialog.View(), Qt::LeftButton, {},
        QPoint(static_cast<int>(dialog.Preview().picture.plotLeft), PointOf(dialog, "S1", At(14, 0)).y()));
    QVERIFY(dialog.HoldInputBox(1)->isChecked());
    QCOMPARE(dialog.InputOptionsLine()->text(),
             QStringLiteral("--input S1=1 --input S1=0@2026-12-15T08:00:00 --input S1=1@2026-12-15T17:00:00"));
    // The box turns the whole lane over, as a click at the start does.
    dialog.HoldInputBox(1)->setChecked(false);
    QCOMPARE(dialog.InputOptionsLine()->text(),
             QStringLiteral("--input S1=1@2026-12-15T08:00:00 --input S1=0@2026-12-15T17:00:00"));

    QTest::mouseClick(dialog.View(), Qt::LeftButton, {}, PointOf(dialog, "S1", At(15, 17)));
    QCOMPARE(dialog.InputOptionsLine()->text(), QStringLiteral("--input S1=1@2026-12-15T08:00:00"));
    // A relay's lane still explains.
    QTest::mouseClick(dialog.View(), Qt::LeftButton, {}, PointOf(dialog, "R5", At(16, 12)));
    QVERIFY2(dialog.ExplanationPanel()->text().contains(QStringLiteral("R5 on since Tue 2026-12-15 08:00:00")),
             qPrintable(dialog.ExplanationPanel()->text()));

    // The next week keeps the switches on the same weekdays and times.
    dialog.FirstDayField()->setDate(kMonday.addDays(7));
    QCOMPARE(dialog.InputOptionsLine()->text(), QStringLiteral("--input S1=1@2026-12-22T08:00:00"));
}

void TestWeekPreview::clearInputsAndCopyTheOptions()
{
    ScriptedFileDialogs files;
    CWeekPreviewDlg dialog(WorkingWeekModel(), files);
    dialog.FirstDayField()->setDate(kMonday);
    dialog.HoldInputBox(3)->setChecked(true);
    dialog.ToggleInput(1, At(16, 9));
    const QString options = QStringLiteral("--input S1=1@2026-12-16T09:00:00 --input S3=1");
    QCOMPARE(dialog.InputOptionsLine()->text(), options);

    QCOMPARE(dialog.CopyInputsButton()->text(), QStringLiteral("Copy"));
    QGuiApplication::clipboard()->clear();
    dialog.CopyInputsButton()->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), options);

    QPushButton* clear = dialog.ClearInputsButton();
    QCOMPARE(clear->text(), QStringLiteral("Clear inputs"));
    clear->click();
    QCOMPARE(dialog.InputOptionsLine()->text(), QString());
    QVERIFY(!dialog.HoldInputBox(3)->isChecked());
    QCOMPARE(LaneLabels(dialog.Preview()), (QStringList{"T0", "S1", "R3", "R5"}));
    QVERIFY(Lane(dialog.Preview(), "R5")->bars.empty());
    QCOMPARE(dialog.Preview().picture.notes, std::vector<std::string>{"Inputs: all off"});
}

// What the picture assumed is written under it, in SVG and PNG alike.
void TestWeekPreview::savedPictureNamesTheInputs()
{
    ScriptedFileDialogs files;
    CWeekPreviewDlg dialog(WorkingWeekModel(), files);
    dialog.FirstDayField()->setDate(kMonday);
    dialog.ToggleInput(1, At(15, 8));
    dialog.ToggleInput(1, At(15, 17));
    const QString svg = dir_.filePath(QStringLiteral("inputs.svg"));
    const QString png = dir_.filePath(QStringLiteral("inputs.png"));
    files.answers = {svg, png};
    QVERIFY(dialog.SavePicture());
    QVERIFY2(ReadBytes(svg.toStdString()).find(">Inputs: S1 on Tue 08:00-17:00; S0, S2, S3 off</text>") !=
                 std::string::npos,
             "the SVG does not name the inputs");

    QVERIFY(dialog.SavePicture());
    const QImage image(png);
    QVERIFY(!image.isNull());
    const auto& picture = dialog.Preview().picture;
    QCOMPARE(image.height(), static_cast<int>(std::ceil(picture.height)));
    // Dark text pixels in the line's band under the plot.
    int dark = 0;
    for (int y = static_cast<int>(picture.notesTop) - 9; y <= static_cast<int>(picture.notesTop) + 2; ++y) {
        for (int x = 8; x < 300; ++x)
            dark += image.pixelColor(x, y).lightness() < 128 ? 1 : 0;
    }
    QVERIFY2(dark > 20, "no text under the plot of the PNG");
}

QTEST_MAIN(TestWeekPreview)
#include "tst_week_preview.moc"
