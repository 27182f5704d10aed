#include "editor/timeline_view.hpp"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace quarn {

namespace {

// The svg picture's colours.
QColor BarColour(runtime::SignalKind kind)
{
    switch (kind) {
    case runtime::SignalKind::Timer:
        return QColor(0x3b, 0x7d, 0xd8);
    case runtime::SignalKind::Input:
        return QColor(0x3a, 0x9d, 0x5d);
    case runtime::SignalKind::Relay:
        break;
    }
    return QColor(0xe0, 0x7b, 0x24);
}

QString Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

}  // namespace

void PaintPicture(QPainter& painter, const runtime::PictureLayout& layout)
{
    painter.save();
    painter.fillRect(QRectF(0, 0, layout.width, layout.height), Qt::white);
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);

    for (std::size_t i = 0; i < layout.lanes.size(); ++i) {
        const runtime::PictureLane& lane = layout.lanes[i];
        if (i % 2 == 1)
            painter.fillRect(QRectF(layout.plotLeft, lane.top, layout.plotRight - layout.plotLeft, lane.height),
                             QColor(0xf2, 0xf2, 0xf2));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(8, lane.top + lane.height / 2 + 4), Text(lane.label));
    }

    for (const runtime::PictureDay& day : layout.days) {
        painter.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 1));
        painter.drawLine(QPointF(day.x, day.labelled ? 4 : layout.plotTop), QPointF(day.x, layout.plotBottom));
        if (day.labelled) {
            painter.setPen(Qt::black);
            painter.drawText(QPointF(day.x + 4, layout.weekdayBaseline), Text(day.weekday));
            painter.setPen(QColor(0x55, 0x55, 0x55));
            painter.drawText(QPointF(day.x + 4, layout.dateBaseline), Text(day.date));
        }
    }

    QFont small = font;
    small.setPixelSize(8);
    for (const runtime::PictureMark& mark : layout.marks) {
        painter.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 1));
        painter.drawLine(QPointF(mark.x, layout.plotTop - 3), QPointF(mark.x, layout.plotTop));
        if (!mark.label.empty()) {
            painter.setFont(small);
            painter.setPen(QColor(0x88, 0x88, 0x88));
            painter.drawText(QRectF(mark.x - 12, layout.plotTop - 14, 24, 10), Qt::AlignCenter, Text(mark.label));
            painter.setFont(font);
        }
    }

    for (const runtime::PictureLane& lane : layout.lanes) {
        for (const runtime::PictureBar& bar : lane.bars) {
            const double width = std::max(bar.right - bar.left, runtime::kMinBarWidth);
            painter.fillRect(QRectF(bar.left, lane.barTop, width, lane.barHeight), BarColour(lane.signal.kind));
        }
    }
    painter.setPen(QColor(0x33, 0x33, 0x33));
    for (std::size_t i = 0; i < layout.notes.size(); ++i)
        painter.drawText(QPointF(8, layout.notesTop + 14 * static_cast<double>(i)), Text(layout.notes[i]));
    painter.setPen(QColor(0xaa, 0x44, 0x00));
    for (std::size_t i = 0; i < layout.warnings.size(); ++i)
        painter.drawText(QPointF(8, layout.warningsTop + 14 * static_cast<double>(i)), Text(layout.warnings[i]));
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.drawRect(QRectF(layout.plotLeft, layout.plotTop, layout.plotRight - layout.plotLeft,
                            layout.plotBottom - layout.plotTop));
    painter.restore();
}

TimelineView::TimelineView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("timeline"));
    setMouseTracking(true);
}

void TimelineView::SetPreview(const runtime::WeekPreview* preview)
{
    preview_ = preview;
    if (preview_ != nullptr)
        setFixedSize(sizeHint());
    updateGeometry();
    update();
}

QSize TimelineView::sizeHint() const
{
    if (preview_ == nullptr)
        return {0, 0};
    return {static_cast<int>(std::ceil(preview_->picture.width)),
            static_cast<int>(std::ceil(preview_->picture.height))};
}

QString TimelineView::ToolTipAt(QPoint point) const
{
    if (preview_ == nullptr || preview_->error)
        return {};
    const runtime::PictureLayout& layout = preview_->picture;
    if (point.x() < layout.plotLeft) {
        // Over a lane's name: a relay's condition, as the svg picture has it.
        const auto lane = layout.LaneAt(point.y());
        return lane ? Text(layout.lanes[*lane].title) : QString();
    }
    if (point.x() >= layout.plotRight || point.y() < layout.plotTop || point.y() >= layout.plotBottom)
        return {};
    return Text(DescribeMoment(*preview_, layout.InstantAt(point.x())));
}

std::optional<std::pair<std::size_t, runtime::Instant>> TimelineView::LaneAndInstantAt(QPoint point) const
{
    if (preview_ == nullptr || preview_->error)
        return std::nullopt;
    const runtime::PictureLayout& layout = preview_->picture;
    if (point.x() < layout.plotLeft || point.x() >= layout.plotRight)
        return std::nullopt;
    const auto lane = layout.LaneAt(point.y());
    if (!lane)
        return std::nullopt;
    return std::make_pair(*lane, layout.InstantAt(point.x()));
}

void TimelineView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (const auto hit = LaneAndInstantAt(event->pos())) {
            emit LaneClicked(hit->first, hit->second);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

bool TimelineView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = ToolTipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

void TimelineView::paintEvent(QPaintEvent* /*event*/)
{
    if (preview_ == nullptr)
        return;
    QPainter painter(this);
    PaintPicture(painter, preview_->picture);
}

}  // namespace quarn
