#include "editor/date_time_ctrl_ex.hpp"

#include "editor/window_events.hpp"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <utility>

namespace quarn {

CDateTimeCtrlEx::CDateTimeCtrlEx(QWidget* parent) : QDateTimeEdit(parent)
{
    installEventFilter(this);
    lineEdit()->installEventFilter(this);
    setContextMenuPolicy(Qt::PreventContextMenu);
    lineEdit()->setContextMenuPolicy(Qt::PreventContextMenu);
    connect(this, &QDateTimeEdit::dateTimeChanged, this,
            &CDateTimeCtrlEx::OnValueChangedByUser);
}

bool CDateTimeCtrlEx::SetDisplayFormat(const QString& format)
{
    if (format == currentFormat_)
        return false;
    const bool wasBlank = IsBlank();
    currentFormat_ = format;
    const bool wasQuiet = std::exchange(quiet_, true);
    if (format != kBlankFormat)
        QDateTimeEdit::setDisplayFormat(format);
    Redraw();
    quiet_ = wasQuiet;
    if (wasBlank) {
        // A key that shows the field goes on to the text line, which then
        // repaints only the few characters it has changed itself; the rest
        // of the new text would stay unpainted until something else covers
        // the field. Once the key is handled, the whole line is repainted.
        QMetaObject::invokeMethod(
            this, [this] { RepaintWhole(); }, Qt::QueuedConnection);
    }
    return true;
}

QString CDateTimeCtrlEx::WindowText() const
{
    return lineEdit()->text();
}

void CDateTimeCtrlEx::SetValue(const QDateTime& value)
{
    const bool wasQuiet = std::exchange(quiet_, true);
    setDateTime(value);
    quiet_ = wasQuiet;
}

void CDateTimeCtrlEx::OnDeleteCommand()
{
    SetDisplayFormat(kBlankFormat);
    auto* line = qobject_cast<QLineEdit*>(lastTarget_.data());
    SetTextQuietly(line != nullptr ? line : lineEdit(), QString());
    Notify();
}

QString CDateTimeCtrlEx::textFromDateTime(const QDateTime& value) const
{
    if (IsBlank())
        return kBlankFormat;
    return QDateTimeEdit::textFromDateTime(value);
}

bool CDateTimeCtrlEx::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != this && watched != lineEdit())
        return QDateTimeEdit::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::KeyPress: {
        lastTarget_ = watched;
        SetDisplayFormat(normalFormat_);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
            return false;
        if (key == Qt::Key_Delete) {
            // The value stays; only the field goes blank.
            SetDisplayFormat(kBlankFormat);
            Notify();
            return true;
        }
        Notify();
        const auto modifiers = static_cast<QKeyEvent*>(event)->modifiers();
        if ((key == Qt::Key_Tab || key == Qt::Key_Backtab)
            && !(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
            // Tab leaves the field for the window's next control (Shift+Tab
            // the previous one) instead of walking the field's sections; the
            // arrow keys still move between year, month and day.
            const bool forward = key == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier);
            QWidget::focusNextPrevChild(forward);
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        lastTarget_ = watched;
        const auto button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::LeftButton) {
            if (SetDisplayFormat(normalFormat_))
                Notify();
        } else if (button == Qt::RightButton) {
            ShowContextMenu(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return true;
        }
        return false;
    }
    case QEvent::ContextMenu:
        // The field's own menu replaces the text line's standard one.
        lastTarget_ = watched;
        return true;
    default:
        lastTarget_ = watched;
        return false;
    }
}

void CDateTimeCtrlEx::OnValueChangedByUser()
{
    if (quiet_)
        return;
    SetDisplayFormat(normalFormat_);
    Notify();
}

void CDateTimeCtrlEx::ShowContextMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    QAction* remove = menu.addAction(QStringLiteral("Delete"));
    remove->setData(kDeleteCommandId);
    remove->setObjectName(QStringLiteral("deleteCommand"));
    connect(remove, &QAction::triggered, this, &CDateTimeCtrlEx::OnDeleteCommand);
    const QSize size = menu.sizeHint();
    menu.exec(globalPos - QPoint(size.width() / 2, 0));
}

void CDateTimeCtrlEx::Notify()
{
    QEvent changed(kTimerFieldChangedEvent);
    if (QWidget* target = window(); target != nullptr && target != this)
        QCoreApplication::sendEvent(target, &changed);
}

void CDateTimeCtrlEx::Redraw()
{
    // Re-applying the format makes the picker render its text again, which
    // goes through textFromDateTime and so honours the blank state.
    if (IsBlank())
        SetTextQuietly(lineEdit(), kBlankFormat);
    else
        QDateTimeEdit::setDisplayFormat(displayFormat());
}

void CDateTimeCtrlEx::RepaintWhole()
{
    // The text line places its text by where it drew it last time, so the
    // first paint after the blank text still scrolls the new text as far as
    // the blank one was; a second paint puts it in place.
    lineEdit()->repaint();
    lineEdit()->update();
}

void CDateTimeCtrlEx::focusInEvent(QFocusEvent* event)
{
    // The picker would select its first section in the text, which a blank
    // field does not show.
    if (IsBlank())
        QAbstractSpinBox::focusInEvent(event);
    else
        QDateTimeEdit::focusInEvent(event);
}

bool CDateTimeCtrlEx::event(QEvent* event)
{
    // Enter and Escape show a blank field but are no change of their own:
    // the picker re-reports its unchanged value for them, so keep quiet.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            const bool wasQuiet = std::exchange(quiet_, true);
            const bool handled = QDateTimeEdit::event(event);
            quiet_ = wasQuiet;
            return handled;
        }
    }
    return QDateTimeEdit::event(event);
}

void CDateTimeCtrlEx::SetTextQuietly(QLineEdit* line, const QString& text)
{
    // The picker must not try to read a value out of the blank text.
    const QSignalBlocker blocker(line);
    line->setText(text);
}

}  // namespace quarn
