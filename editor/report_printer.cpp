#include "editor/report_printer.hpp"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>

namespace quarn {

namespace {

// QTextDocument::print keeps 2 cm on each side of the page's paint area.
constexpr double kPrintMarginInches = 2 / 2.54;
constexpr double kScreenDpi = 96;
// The largest picture drawn, in pixels per side; a week at 300 dpi fits.
constexpr double kMaxImageSide = 4000;

// The SVG without its <title> elements: tooltips in a browser, but Qt's
// renderer draws a title inside a <text> as more text.
QByteArray WithoutTitles(const std::string& svg)
{
    std::string out;
    out.reserve(svg.size());
    std::size_t at = 0;
    for (;;) {
        const std::size_t open = svg.find("<title>", at);
        const std::size_t close = open == std::string::npos ? open : svg.find("</title>", open);
        if (close == std::string::npos) {
            out.append(svg, at, std::string::npos);
            break;
        }
        out.append(svg, at, open - at);
        at = close + 8;
    }
    return QByteArray::fromStdString(out);
}

QImage DrawPicture(const runtime::ReportPicture& picture, double pixelsPerPixel)
{
    const double scale = std::min(
        {pixelsPerPixel, kMaxImageSide / std::max(picture.width, 1.0), kMaxImageSide / std::max(picture.height, 1.0)});
    const QSize size(std::max(1, static_cast<int>(picture.width * scale)),
                     std::max(1, static_cast<int>(picture.height * scale)));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QSvgRenderer renderer(WithoutTitles(picture.svg));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

double TextWidthPixels(const QPagedPaintDevice& device)
{
    const double inches = device.pageLayout().paintRect(QPageLayout::Inch).width() - 2 * kPrintMarginInches;
    // A little less than the full width, so rounding never pushes a picture
    // past the margin.
    return std::max(1.0, inches * kScreenDpi - 4);
}

}  // namespace

void LayOutReport(QTextDocument& document, const runtime::Report& report, double textWidthPixels, double pixelsPerPixel)
{
    runtime::ReportHtmlOptions options;
    options.pictures = runtime::ReportPictureForm::ImageReferences;
    options.maxPictureWidth = textWidthPixels;
    for (const runtime::ReportPicture& picture : runtime::ReportPictures(report)) {
        document.addResource(QTextDocument::ImageResource, QUrl(QString::fromStdString(picture.name)),
                             DrawPicture(picture, pixelsPerPixel));
    }
    document.setHtml(QString::fromStdString(runtime::WriteReportHtml(report, options)));
}

void PrintReport(const runtime::Report& report, QPagedPaintDevice& device)
{
    QTextDocument document;
    const double pixelsPerPixel = std::max(1.0, device.logicalDpiX() / kScreenDpi);
    LayOutReport(document, report, TextWidthPixels(device), pixelsPerPixel);
    document.print(&device);
}

QString WriteReportPdf(const runtime::Report& report, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        // No page margins of its own: the printed document keeps 2 cm.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                         QPageLayout::Millimeter));
        writer.setTitle(QStringLiteral("QUARN program"));
        writer.setCreator(QStringLiteral("QuarnTool"));
        PrintReport(report, writer);
    }
    if (file.error() != QFileDevice::NoError) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

}  // namespace quarn
