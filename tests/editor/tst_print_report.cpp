// File > "Print..." and "Export PDF...": the report on paper. The PDFs are
// rendered with poppler's pdftoppm and read back with pdftotext, so a page
// that comes out blank, or without the document's texts, fails.
#include "editor/quarn_tool_dlg.hpp"
#include "editor/recent_file_list.hpp"
#include "editor/week_preview_dlg.hpp"
#include "runtime/calendar.hpp"
#include "runtime/local_clock.hpp"
#include "tests/support/qt/window_test_support.hpp"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

using namespace quarn;
using namespace quarn::test;

namespace {

// T0 07:30-22:00 Monday to Friday; R3 on T0 and R2 (which the file lacks:
// a finding); R5 on input S1. The version text carries markup.
StateMachineModel Office()
{
    StateMachineModel model;
    ResetModel(model);
    model.version = u"Hall <b>&amp; \"north\"";
    model.timers[0].onTime = TimeOfDay{7, 30, 0};
    model.timers[0].offTime = TimeOfDay{22, 0, 0};
    SetWeekdayMask(model, 0, 31);
    model.timers[1].onDate = CalendarDate{2027, 1, 4};
    model.timers[1].onTime = TimeOfDay{22, 0, 0};
    model.timers[1].offDate = CalendarDate{2027, 1, 8};
    model.timers[1].offTime = TimeOfDay{23, 0, 0};
    SetWeekdayMask(model, 1, 31);
    model.relays[3] = u"(#T0&&#R2)";
    model.relays[5] = u"#S1";
    return model;
}

QString Tool(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

QString Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<failed: %1>").arg(QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Renders every page of pdf at a low resolution; for each page, the share
// of its pixels that are not white.
QList<double> InkPerPage(const QString& pdf, const QString& folder)
{
    const QString prefix = folder + QStringLiteral("/page");
    Run(Tool(QStringLiteral("pdftoppm")),
        {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"), pdf, prefix});
    QList<double> ink;
    QStringList pages = QDir(folder).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
    for (const QString& name : pages) {
        const QImage image(folder + QLatin1Char('/') + name);
        qint64 dark = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 200 ? 1 : 0;
        }
        ink << static_cast<double>(dark) / std::max<qint64>(1, qint64{image.width()} * image.height());
        QFile::remove(folder + QLatin1Char('/') + name);
    }
    return ink;
}

}  // namespace

class TestPrintReport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sitsInTheFileMenuWithItsShortcut();
    void exportedPdfHoldsTheDocumentOnPagesThatAreNotBlank();
    void printWritesThePageThroughThePrinterChosen();
    void exportThatCannotWriteSaysSoAndLeavesNoFile();
    void theWeekIsThePreviewsWhileItIsOpenElseThisWeek();

private:
    QTemporaryDir dir_;
};

void TestPrintReport::initTestCase()
{
    QVERIFY(dir_.isValid());
    UsePrivateSettings(dir_.path());
    QVERIFY2(!Tool(QStringLiteral("pdftoppm")).isEmpty() && !Tool(QStringLiteral("pdftotext")).isEmpty(),
             "pdftoppm and pdftotext (poppler-utils, scripts/install-deps.sh) are needed to read the PDFs");
}

void TestPrintReport::sitsInTheFileMenuWithItsShortcut()
{
    RecentFileList recent;
    ScriptedFileDialogs files;
    CQuarnToolDlg window(recent, files);
    QAction* print = window.CommandAction(CQuarnToolDlg::kFilePrint);
    QAction* pdf = window.CommandAction(CQuarnToolDlg::kFileExportPdf);
    QVERIFY2(print != nullptr && pdf != nullptr, "no Print or Export PDF command");
    QCOMPARE(print->text(), QStringLiteral("Print..."));
    QCOMPARE(print->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(pdf->text(), QStringLiteral("Export PDF..."));
    // Both in the File menu, after the Save commands.
    QMenu* file = nullptr;
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        if (menu->title() == QStringLiteral("File"))
            file = menu;
    }
    QVERIFY(file != nullptr);
    const QList<QAction*> items = file->actions();
    QVERIFY(items.indexOf(print) > items.indexOf(window.CommandAction(CQuarnToolDlg::kFileSaveAs)));
    QCOMPARE(items.indexOf(pdf), items.indexOf(print) + 1);
}

void TestPrintReport::exportedPdfHoldsTheDocumentOnPagesThatAreNotBlank()
{
    RecentFileList recent;
    ScriptedFileDialogs files;
    CQuarnToolDlg window(recent, files);
    window.Model() = Office();
    window.Model().path = (dir_.path() + QStringLiteral("/plant.xml")).toStdU16String();
    window.ShowModel();
    const QString pdf = dir_.path() + QStringLiteral("/plant.pdf");
    files.answers << pdf;
    MessageBoxScript boxes;

    window.CommandAction(CQuarnToolDlg::kFileExportPdf)->trigger();

    QVERIFY2(boxes.Shown().isEmpty(), qPrintable(boxes.Shown().join(QLatin1Char('\n'))));
    QCOMPARE(files.asked.size(), std::size_t{1});
    QCOMPARE(files.asked[0].initialPath, pdf);  // beside the document, under its name
    QCOMPARE(files.asked[0].defaultSuffix, QStringLiteral("pdf"));
    QVERIFY(files.asked[0].save);
    QVERIFY(QFile::exists(pdf));
    QVERIFY(!window.Model().modified);  // printing changes nothing

    const QList<double> ink = InkPerPage(pdf, dir_.path());
    QVERIFY2(!ink.isEmpty(), "pdftoppm rendered no page");
    for (int page = 0; page < ink.size(); ++page)
        QVERIFY2(ink[page] > 0.002,
                 qPrintable(QStringLiteral("page %1 is blank (%2 ink)").arg(page + 1).arg(ink[page])));

    // The texts of the page, and the pictures (the circuits' and the week's
    // own texts are drawn, not typeset, so they are not in the text layer).
    const QString text = Run(Tool(QStringLiteral("pdftotext")), {pdf, QStringLiteral("-")});
    for (const QString& expected :
         {QStringLiteral("Hall <b>&amp; \"north\""), QStringLiteral("Timer T7"), QStringLiteral("07:30:00"),
          QStringLiteral("2027/01/04"), QStringLiteral("23:00:00"), QStringLiteral("(#T0&&#R2)"), QStringLiteral("#S1"),
          QStringLiteral("missing-relay"), QStringLiteral("plant.xml")}) {
        QVERIFY2(text.contains(expected), qPrintable(QStringLiteral("no \"%1\" in:\n%2").arg(expected, text)));
    }
}

void TestPrintReport::printWritesThePageThroughThePrinterChosen()
{
    RecentFileList recent;
    ScriptedFileDialogs files;
    CQuarnToolDlg window(recent, files);
    window.Model() = Office();
    window.ShowModel();
    const QString pdf = dir_.path() + QStringLiteral("/printed.pdf");
    int asked = 0;
    // The print dialog's answer: a PDF printer.
    window.SetPrintAsker([&](QPrinter& printer) {
        ++asked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    QVERIFY(window.OnFilePrint());
    QCOMPARE(asked, 1);
    const QList<double> ink = InkPerPage(pdf, dir_.path());
    QVERIFY(!ink.isEmpty());
    for (const double share : ink)
        QVERIFY(share > 0.002);
    QVERIFY(Run(Tool(QStringLiteral("pdftotext")), {pdf, QStringLiteral("-")}).contains(QStringLiteral("Timer T0")));

    // Cancel in the print dialog prints nothing.
    QFile::remove(pdf);
    window.SetPrintAsker([](QPrinter&) { return false; });
    QVERIFY(!window.OnFilePrint());
    QVERIFY(!QFile::exists(pdf));
}

void TestPrintReport::exportThatCannotWriteSaysSoAndLeavesNoFile()
{
    RecentFileList recent;
    ScriptedFileDialogs files;
    CQuarnToolDlg window(recent, files);
    window.Model() = Office();
    MessageBoxScript boxes;

    // A folder that does not exist: the message names the file, nothing is made.
    const QString missing = dir_.path() + QStringLiteral("/no-folder/report.pdf");
    files.answers << missing;
    QVERIFY(!window.OnFileExportPdf());
    QCOMPARE(boxes.Shown().size(), 1);
    QVERIFY2(boxes.Shown()[0].startsWith(QStringLiteral("Cannot write the PDF to ") + missing),
             qPrintable(boxes.Shown()[0]));
    QVERIFY(!QFile::exists(missing));

    // A cancelled save dialog writes nothing and says nothing.
    QVERIFY(!window.OnFileExportPdf());
    QCOMPARE(boxes.Shown().size(), 1);

    // An existing file is replaced whole, and no temporary file stays beside it.
    const QString existing = dir_.path() + QStringLiteral("/existing.pdf");
    {
        QFile old(existing);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    files.answers << existing;
    QVERIFY(window.OnFileExportPdf());
    QFile replaced(existing);
    QVERIFY(replaced.open(QIODevice::ReadOnly));
    QVERIFY(replaced.readAll().startsWith("%PDF-"));
    const QStringList left = QDir(dir_.path()).entryList({QStringLiteral("existing*")}, QDir::Files | QDir::Hidden);
    QCOMPARE(left, QStringList{QStringLiteral("existing.pdf")});
}

void TestPrintReport::theWeekIsThePreviewsWhileItIsOpenElseThisWeek()
{
    RecentFileList recent;
    ScriptedFileDialogs files;
    CQuarnToolDlg window(recent, files);
    window.Model() = Office();
    window.ShowModel();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.ReportWeekStart(), runtime::StartOfWeek(runtime::LocalNow()));

    runtime::Instant during = 0;
    bool actionsInPreview = false;
    WhenModalOpens<CWeekPreviewDlg>([&](CWeekPreviewDlg& dialog) {
        dialog.FirstDayField()->setDate(QDate(2027, 1, 4));
        during = window.CurrentReport().from;
        actionsInPreview = dialog.actions().contains(window.CommandAction(CQuarnToolDlg::kFilePrint)) &&
                           dialog.actions().contains(window.CommandAction(CQuarnToolDlg::kFileExportPdf));
        dialog.accept();
    });
    window.CommandAction(CQuarnToolDlg::kWeekPreview)->trigger();
    QCOMPARE(during, runtime::InstantOf(runtime::DateTime{2027, 1, 4, 0, 0, 0}));
    QVERIFY2(actionsInPreview, "Print and Export PDF are not reachable from the Week preview");
    // Closed again: this week.
    QCOMPARE(window.CurrentReport().from, runtime::StartOfWeek(runtime::LocalNow()));
}

QTEST_MAIN(TestPrintReport)
#include "tst_print_report.moc"
