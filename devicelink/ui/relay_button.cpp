#include "devicelink/ui/relay_button.hpp"

#include <QPainter>

namespace quarn {

namespace {
const QString kUnknownTip = QStringLiteral("State unknown: the controller did not confirm the last switch");
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
    // Shown released while unknown, so that a click presses it: on.
    setChecked(state == Qt::Checked);
    SetIndeterminate(state == Qt::PartiallyChecked);
}

void CRelayButton::nextCheckState()
{
    SetIndeterminate(false);
    QPushButton::nextCheckState();
}

void CRelayButton::SetIndeterminate(bool on)
{
    if (indeterminate_ == on)
        return;
    indeterminate_ = on;
    setToolTip(on ? kUnknownTip : QString());
    update();
}

void CRelayButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    if (!indeterminate_)
        return;
    QPainter painter(this);
    QColor hatch = palette().color(QPalette::Highlight);
    hatch.setAlpha(160);
    painter.fillRect(rect().adjusted(2, 2, -2, -2), QBrush(hatch, Qt::BDiagPattern));
}

}  // namespace quarn
