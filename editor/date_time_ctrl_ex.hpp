#pragma once

#include <QDateTime>
#include <QDateTimeEdit>
#include <QPointer>
#include <QString>

class QLineEdit;

namespace quarn {

// A date or time field that can also be blank. A blank field shows nothing
// but keeps its value, so that showing it again brings that value back. The
// user blanks a field with the Delete key or with "Delete" from its context
// menu. Keys that edit (digits, the stepping keys), the spin buttons, the
// wheel, a date picked in the calendar and a click into the text show a blank
// field; keys that move on or run a command leave it as it is. F4 and
// Alt+Down open a date field's calendar as a click on its button does. The field's
// window hears of it with a TimerFieldChanged event whenever the value or the
// blank state differs from what it last heard or set.
class CDateTimeCtrlEx : public QDateTimeEdit {
    Q_OBJECT

public:
    static constexpr int kDeleteCommandId = 133;
    static inline const QString kBlankFormat = QStringLiteral(" ");

    explicit CDateTimeCtrlEx(QWidget* parent = nullptr);

    // Applies a display format. Returns false and changes nothing when the
    // format is the current one already. The format " " blanks the field.
    // The owner's own change: the window is not told of it.
    bool SetDisplayFormat(const QString& format);
    const QString& CurrentFormat() const { return currentFormat_; }

    // The format in which the field shows its value; set by the owner.
    void SetNormalFormat(const QString& format) { normalFormat_ = format; }
    const QString& NormalFormat() const { return normalFormat_; }

    bool IsBlank() const { return currentFormat_ == kBlankFormat; }

    // What the field shows; shorter than two characters while blank.
    QString WindowText() const;

    // Sets the value the field holds without reporting a change; a blank
    // field stays blank.
    void SetValue(const QDateTime& value);

    // The "Delete" command of the context menu.
    void OnDeleteCommand();

    // The widget that received the last event seen by the field's filter:
    // the field itself or its text line.
    QObject* LastTarget() const { return lastTarget_; }

    // The line that shows the text; a click on it does not step the value.
    QLineEdit* TextLine() const { return lineEdit(); }

protected:
    QString textFromDateTime(const QDateTime& value) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool ApplyFormat(const QString& format);
    bool FilterKey(QKeyEvent* event);
    bool FilterMousePress(QObject* watched, QMouseEvent* event);
    void ShowForTyping();
    void OnValueChangedByUser();
    void ReportIfChanged();
    void TakeAsReported();
    void WatchCalendar();
    void OpenCalendar();
    void OnCalendarShown();
    void OnCalendarHidden();
    void ShowContextMenu(const QPoint& globalPos);
    void Notify();
    void Redraw();
    void RepaintWhole();
    static void SetTextQuietly(QLineEdit* line, const QString& text);

    QString currentFormat_;
    QPointer<QObject> lastTarget_;
    QString normalFormat_;
    bool quiet_ = false;

    // What the window was last told of, or what the owner set.
    bool reportedBlank_ = false;
    QDateTime reportedValue_;

    // The last digit filled its section and moved on to the next one, so a
    // separator typed now is the one already passed.
    bool movedOnByItself_ = false;

    // The drop-down calendar: while it is open the value it shows is only
    // looked at; picking a date takes it, closing it otherwise puts the field
    // back as it was.
    QPointer<QWidget> calendar_;
    bool calendarOpen_ = false;
    bool calendarPicked_ = false;
    QDateTime valueBeforeCalendar_;
};

}  // namespace quarn
