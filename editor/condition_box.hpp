#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace quarn {

// The read-only box under a relay button that shows the relay's condition.
// A condition longer than the box wraps onto the box's next lines, and the
// whole text is the box's tooltip, so nothing of it is hidden.
class ConditionBox : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit ConditionBox(QWidget* parent = nullptr);

    QString text() const { return toPlainText(); }
    void setText(const QString& text);
};

}  // namespace quarn
