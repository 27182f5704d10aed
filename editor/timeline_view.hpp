#pragma once

#include "runtime/week_preview.hpp"

#include <QString>

#include <QWidget>
#include <optional>
#include <utility>

class QPainter;

namespace quarn {

// Draws a week preview's picture at its own size, as the svg picture looks,
// and tells the time and the signals' states under the mouse as a tooltip.
class TimelineView : public QWidget {
    Q_OBJECT

public:
    explicit TimelineView(QWidget* parent = nullptr);

    void SetPreview(const runtime::WeekPreview* preview);

    // The tooltip for a point of the view: the time and states in the plot,
    // a relay's condition over its name; empty elsewhere.
    QString ToolTipAt(QPoint point) const;

    // The lane and instant under a point of the plot, if any.
    std::optional<std::pair<std::size_t, runtime::Instant>> LaneAndInstantAt(QPoint point) const;

signals:
    // A click (left button) on a lane of the plot.
    void LaneClicked(std::size_t lane, qint64 at);

public:
    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    const runtime::WeekPreview* preview_ = nullptr;
};

// Paints layout with its top left corner at the painter's origin.
void PaintPicture(QPainter& painter, const runtime::PictureLayout& layout);

}  // namespace quarn
