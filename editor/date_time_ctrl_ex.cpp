#include "editor/date_time_ctrl_ex.hpp"

#include "editor/field_keys.hpp"
#include "editor/window_events.hpp"

#include <QAction>
#include <QCalendarWidget>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>

#include <utility>

namespace quarn {

CDateTimeCtrlEx::CDateTimeCtrlEx(QWidget* parent) : QDateTimeEdit(parent)
{
    installEventFilter(this);
    lineEdit()->installEventFilter(this);
    setContextMenuPolicy(Qt::PreventContextMenu);
    lineEdit()->setContextMenuPolicy(Qt::PreventContextMenu);
    connect(this, &QDateTimeEdit::dateTimeChanged, this, &CDateTimeCtrlEx::OnValueChangedByUser);
    TakeAsReported();
}

bool CDateTimeCtrlEx::SetDisplayFormat(const QString& format)
{
    const bool applied = ApplyFormat(format);
    TakeAsReported();
    return applied;
}

bool CDateTimeCtrlEx::ApplyFormat(const QString& format)
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
    TakeAsReported();
}

void CDateTimeCtrlEx::OnDeleteCommand()
{
    ApplyFormat(kBlankFormat);
    auto* line = qobject_cast<QLineEdit*>(lastTarget_.data());
    SetTextQuietly(line != nullptr ? line : lineEdit(), QString());
    ReportIfChanged();
}

QString CDateTimeCtrlEx::textFromDateTime(const QDateTime& value) const
{
    if (IsBlank())
        return kBlankFormat;
    return QDateTimeEdit::textFromDateTime(value);
}

bool CDateTimeCtrlEx::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == calendar_ && calendar_ != nullptr) {
        if (event->type() == QEvent::Show)
            OnCalendarShown();
        else if (event->type() == QEvent::Hide)
            OnCalendarHidden();
        return false;
    }
    if (watched != this && watched != lineEdit())
        return QDateTimeEdit::eventFilter(watched, event);

    lastTarget_ = watched;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // The text line would claim Undo and Redo for its own text; left
        // unclaimed, they reach the window's commands.
        if (const auto* key = static_cast<QKeyEvent*>(event); IsDocumentHistoryKey(key->key(), key->modifiers())) {
            event->ignore();
            return true;
        }
        return false;
    case QEvent::KeyPress:
        if (const auto* key = static_cast<QKeyEvent*>(event); IsDocumentHistoryKey(key->key(), key->modifiers()))
            return true;  // nothing to undo or redo: the field's text stays
        return FilterKey(static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return FilterMousePress(watched, static_cast<QMouseEvent*>(event));
    case QEvent::ContextMenu:
        // The field's own menu replaces the text line's standard one.
        return true;
    default:
        return false;
    }
}

bool CDateTimeCtrlEx::FilterKey(QKeyEvent* event)
{
    WatchCalendar();
    const FieldKey role = ClassifyFieldKey(event->key(), event->modifiers(), event->text());
    if (role == FieldKey::Modifier)
        return false;  // the Shift of a ":" comes before the ":"
    const bool movedOn = std::exchange(movedOnByItself_, false);
    switch (role) {
    case FieldKey::MovesFocus:
        // Tab leaves the field for the window's next control (Shift+Tab the
        // previous one) instead of walking the field's sections; the arrow
        // keys still move between year, month and day.
        QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        return true;
    case FieldKey::Blanks:
        // The value stays; only the field goes blank.
        ApplyFormat(kBlankFormat);
        ReportIfChanged();
        return true;
    case FieldKey::Types:
    case FieldKey::Steps:
        if (IsBlank()) {
            ShowForTyping();
            ReportIfChanged();
        }
        return false;
    case FieldKey::Modifier:
        return false;
    case FieldKey::OpensCalendar:
        if (calendarPopup()) {
            OpenCalendar();
            return true;
        }
        // A time field has no calendar: the key is a command like the rest.
        return IsBlank();
    case FieldKey::Command: {
        // Enter and Escape go on to the window. The picker would step a
        // value for Alt+Down or Ctrl+Up, which a blank field does not show.
        const int key = event->key();
        const bool toWindow = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
        return IsBlank() && !toWindow;
    }
    case FieldKey::Other:
        // A blank field has no text to move in or to take a separator; a
        // separator right after a section that moved on by itself is the
        // one already passed.
        return IsBlank() || (movedOn && IsSeparatorText(event->text()));
    }
    return false;
}

bool CDateTimeCtrlEx::FilterMousePress(QObject* watched, QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        ShowContextMenu(event->globalPosition().toPoint());
        return true;
    }
    if (event->button() != Qt::LeftButton)
        return false;
    WatchCalendar();
    // A press on the calendar's drop-down button only opens the calendar:
    // what is picked there decides. A press into the text, or on the spin
    // buttons that step the value, shows the field.
    const bool onCalendarButton =
        calendarPopup() && watched == this && !lineEdit()->geometry().contains(event->position().toPoint());
    if (!onCalendarButton && ApplyFormat(normalFormat_))
        ReportIfChanged();
    return false;
}

void CDateTimeCtrlEx::keyPressEvent(QKeyEvent* event)
{
    const int section = currentSectionIndex();
    QDateTimeEdit::keyPressEvent(event);
    if (ClassifyFieldKey(event->key(), event->modifiers(), event->text()) == FieldKey::Types &&
        currentSectionIndex() > section)
        movedOnByItself_ = true;
}

void CDateTimeCtrlEx::ShowForTyping()
{
    ApplyFormat(normalFormat_);
    // The key that showed the field goes into its first section, in place
    // of what that section held.
    setCurrentSectionIndex(0);
    setSelectedSection(currentSection());
}

void CDateTimeCtrlEx::OnValueChangedByUser()
{
    if (quiet_ || calendarOpen_)
        return;
    // The picker reports its value again for Enter and when focus leaves; a
    // blank field whose value did not change stays blank.
    if (IsBlank() && dateTime() == reportedValue_)
        return;
    ApplyFormat(normalFormat_);
    ReportIfChanged();
}

void CDateTimeCtrlEx::ReportIfChanged()
{
    if (IsBlank() == reportedBlank_ && dateTime() == reportedValue_)
        return;
    TakeAsReported();
    Notify();
}

void CDateTimeCtrlEx::TakeAsReported()
{
    reportedBlank_ = IsBlank();
    reportedValue_ = dateTime();
}

void CDateTimeCtrlEx::WatchCalendar()
{
    if (!calendarPopup() || calendar_ != nullptr)
        return;
    QCalendarWidget* calendar = calendarWidget();
    if (calendar == nullptr)
        return;
    calendar_ = calendar->window();
    calendar_->installEventFilter(this);
    connect(calendar, &QCalendarWidget::clicked, this, [this] { calendarPicked_ = true; });
    connect(calendar, &QCalendarWidget::activated, this, [this] { calendarPicked_ = true; });
}

void CDateTimeCtrlEx::OpenCalendar()
{
    // The picker opens its calendar only for a press on its drop-down
    // button, so the key presses that button. As for a click there, what is
    // picked decides whether a blank field shows.
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QRect button = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
    if (!button.isValid())
        return;
    const QPointF at = QRectF(button).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(this, &press);
}

void CDateTimeCtrlEx::OnCalendarShown()
{
    calendarOpen_ = true;
    calendarPicked_ = false;
    valueBeforeCalendar_ = dateTime();
}

void CDateTimeCtrlEx::OnCalendarHidden()
{
    // The calendar hides before it reports the date that was picked, so
    // look once that has happened.
    QTimer::singleShot(0, this, [this] {
        calendarOpen_ = false;
        if (calendarPicked_) {
            ApplyFormat(normalFormat_);
            ReportIfChanged();
        } else if (dateTime() != valueBeforeCalendar_) {
            const bool wasQuiet = std::exchange(quiet_, true);
            setDateTime(valueBeforeCalendar_);
            quiet_ = wasQuiet;
        }
    });
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

void CDateTimeCtrlEx::SetTextQuietly(QLineEdit* line, const QString& text)
{
    // The picker must not try to read a value out of the blank text.
    const QSignalBlocker blocker(line);
    line->setText(text);
}

}  // namespace quarn
