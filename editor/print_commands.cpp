// File > "Print..." and "Export PDF...": the document on paper, the page
// quarnctl report writes.
#include "editor/quarn_tool_dlg.hpp"

#include "editor/report_printer.hpp"
#include "editor/week_preview_dlg.hpp"
#include "platform/file_dialogs.hpp"
#include "platform/message_box.hpp"
#include "runtime/calendar.hpp"
#include "runtime/local_clock.hpp"
#include "runtime/program.hpp"

#include <QDateEdit>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

namespace quarn {

runtime::Instant CQuarnToolDlg::ReportWeekStart() const
{
    // The week the Week preview shows while it is open, else this week.
    if (openPreview_ != nullptr) {
        const QDate day = openPreview_->FirstDayField()->date();
        return runtime::InstantOf(runtime::DateTime{day.year(), day.month(), day.day(), 0, 0, 0});
    }
    return runtime::StartOfWeek(runtime::LocalNow());
}

runtime::Report CQuarnToolDlg::CurrentReport()
{
    // The fields as Save would take them; printing changes nothing.
    TakeFields();
    const runtime::Instant from = ReportWeekStart();
    runtime::Report report = runtime::BuildReport(model_, runtime::ProgramTextFromModel(model_), model_.path, from,
                                                  from + runtime::kSecondsPerWeek, runtime::LocalNow());
    report.madeBy = "QuarnTool";
    return report;
}

void CQuarnToolDlg::SetPrintAsker(std::function<bool(QPrinter&)> asker)
{
    printAsker_ = std::move(asker);
}

bool CQuarnToolDlg::OnFilePrint()
{
    const runtime::Report report = CurrentReport();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("QUARN program"));
    const bool chosen = printAsker_ ? printAsker_(printer) : [this, &printer] {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    }();
    if (!chosen)
        return false;
    PrintReport(report, printer);
    if (printer.printerState() == QPrinter::Error) {
        ShowMessageBox(this, QStringLiteral("The report could not be printed"), MessageButtons::Ok);
        return false;
    }
    return true;
}

bool CQuarnToolDlg::OnFileExportPdf()
{
    const runtime::Report report = CurrentReport();
    FileDialogRequest request;
    request.save = true;
    const QString documentPath = QString::fromStdU16String(model_.path);
    request.initialPath = documentPath.isEmpty()
                              ? QStringLiteral("report.pdf")
                              : QFileInfo(documentPath).absolutePath() + QLatin1Char('/') +
                                    QFileInfo(documentPath).completeBaseName() + QStringLiteral(".pdf");
    request.nameFilters = QStringLiteral("PDF files (*.pdf)");
    request.defaultSuffix = QStringLiteral("pdf");
    request.fileMustExist = false;
    request.confirmReplace = true;
    const QString path = fileDialogs_.AskPath(this, request);
    if (path.isEmpty())
        return false;
    if (const QString why = WriteReportPdf(report, path); !why.isEmpty()) {
        ShowMessageBox(this, QStringLiteral("Cannot write the PDF to %1: %2").arg(path, why), MessageButtons::Ok);
        return false;
    }
    return true;
}

}  // namespace quarn
