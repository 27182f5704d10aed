#include "devicelink/ui/relay_button.hpp"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace quarn {

namespace {
const QString kUnknownTip = QStringLiteral("State unknown: the controller has not confirmed it");
}

CRelayButton::CRelayButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setCheckable(true);
}

Qt::CheckState CRelayButton::CheckState() const
{
    if (indeterminate_)
        return Qt::PartiallyChecked;
    return isChecked() ? Qt::Checked : Qt::Unchecked;
}

void CRelayButton::SetCheckState(Qt::CheckState state)
{
    // Shown released while unknown.
    setChecked(state == Qt::Checked);
    SetIndeterminate(state == Qt::PartiallyChecked);
}

void CRelayButton::nextCheckState()
{
    // A relay lights only when the controller says it is on.
}

void CRelayButton::SetIndeterminate(bool on)
{
    if (indeterminate_ == on)
        return;
    indeterminate_ = on;
    setToolTip(on ? kUnknownTip : QString());
    update();
}

void CRelayButton::paintEvent(QPaintEvent* /*event*/)
{
    // On, off and unknown differ in more than colour: a lit, filled lamp and
    // bold text on a dark face for on, an empty lamp on the plain face for
    // off, a question mark on a hatched face for unknown.
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString label = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    const QRect face = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);

    const bool on = CheckState() == Qt::Checked;
    QColor ink = palette().color(QPalette::ButtonText);
    if (on) {
        painter.fillRect(face, QColor(0x1b, 0x5e, 0x20));
        ink = Qt::white;
    } else if (indeterminate_) {
        painter.fillRect(face, QBrush(QColor(0x70, 0x70, 0x70), Qt::BDiagPattern));
    }

    QFont font = painter.font();
    font.setBold(on);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int lamp = std::max(6, metrics.height() * 6 / 10);
    const int gap = 3;
    const int width = lamp + gap + metrics.horizontalAdvance(label);
    const int left = face.left() + std::max(0, (face.width() - width) / 2);
    const QRect lampRect(left, face.center().y() - lamp / 2, lamp, lamp);

    painter.setRenderHint(QPainter::Antialiasing);
    if (indeterminate_) {
        QFont mark = font;
        mark.setBold(true);
        painter.setFont(mark);
        painter.setPen(ink);
        painter.drawText(lampRect.adjusted(-2, -4, 2, 4), Qt::AlignCenter, QStringLiteral("?"));
        painter.setFont(font);
    } else {
        painter.setPen(QPen(ink, 1.5));
        painter.setBrush(on ? QBrush(QColor(0xff, 0xeb, 0x3b)) : Qt::NoBrush);
        painter.drawEllipse(lampRect);
    }
    painter.setPen(ink);
    painter.drawText(QRect(lampRect.right() + gap, face.top(), face.right() - lampRect.right() - gap, face.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, label);
}

}  // namespace quarn
