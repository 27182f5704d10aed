#pragma once
// The report page (runtime/report.hpp) on a printer or into a PDF. The page
// is the one quarnctl report writes, laid out by QTextDocument; QTextDocument
// draws no inline SVG, so the page names its pictures as images and each
// picture (a relay's circuit, the week) is drawn from its SVG with
// QSvgRenderer at the device's resolution.

#include "runtime/report.hpp"

#include <QString>

class QPagedPaintDevice;
class QTextDocument;

namespace quarn {

// Fills document with the report laid out for a text width of
// textWidthPixels (at 96 pixels to the inch), its pictures drawn at
// pixelsPerPixel times their size.
void LayOutReport(QTextDocument& document, const runtime::Report& report, double textWidthPixels,
                  double pixelsPerPixel);

// Prints the report on device with the device's own page size and margins.
void PrintReport(const runtime::Report& report, QPagedPaintDevice& device);

// Writes the report as a PDF (A4) into path. The file appears only once it
// is complete: a failure leaves an existing file as it was and no partial
// one. Returns an empty text, or why the file could not be written.
QString WriteReportPdf(const runtime::Report& report, const QString& path);

}  // namespace quarn
