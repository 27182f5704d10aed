#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace quarn {

// The read-only box under a relay button that shows the relay's condition.
// A condition longer than the box wraps onto the box's next lines, after an
// operator ("&&", "||") where it can, and the whole text is the box's
// tooltip, so nothing of it is hidden. It takes no keyboard focus: there is
// nothing to type into it.
class ConditionBox : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit ConditionBox(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

protected:
    QMimeData* createMimeDataFromSelection() const override;

private:
    QString text_;
};

// text as the box shows it: a break allowed after each "&&" and "||" and
// nowhere inside them.
QString WithBreaksAfterOperators(const QString& text);

}  // namespace quarn
