#include "editor/condition_box.hpp"

#include <QScrollBar>

namespace quarn {

ConditionBox::ConditionBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTabChangesFocus(true);
    // A condition has no spaces to break at, so it wraps between any two
    // characters.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The tooltip holds what does not fit; a scroll bar would take a third
    // of the narrow box.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(1);
}

void ConditionBox::setText(const QString& text)
{
    if (text != toPlainText())
        setPlainText(text);
    setToolTip(text);
    verticalScrollBar()->setValue(0);
}

}  // namespace quarn
