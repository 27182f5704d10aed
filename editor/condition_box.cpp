#include "editor/condition_box.hpp"

#include <QMimeData>
#include <QScrollBar>

namespace quarn {

namespace {
// Marks put into the shown text: a break opportunity, and a joiner that
// forbids one (a "|" alone allows a break after it).
constexpr QChar kBreakHere(0x200B);
constexpr QChar kNoBreak(0x2060);

QString WithoutMarks(QString text)
{
    text.remove(kBreakHere);
    text.remove(kNoBreak);
    return text;
}
}  // namespace

QString WithBreaksAfterOperators(const QString& text)
{
    QString shown;
    shown.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        shown += c;
        const bool last = i + 1 == text.size();
        const bool pairStart = !last && (c == u'&' || c == u'|') && text.at(i + 1) == c;
        if (pairStart) {
            shown += kNoBreak;
            shown += text.at(++i);
            if (i + 1 < text.size())
                shown += kBreakHere;
        } else if (!last) {
            // Anywhere else only where nothing better fits (see the wrap mode).
            shown += kNoBreak;
        }
    }
    return shown;
}

ConditionBox::ConditionBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTabChangesFocus(true);
    setFocusPolicy(Qt::NoFocus);
    // A condition has no spaces; the shown text carries break opportunities
    // after its operators, and a part too long for a line still breaks.
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
    if (text != text_) {
        text_ = text;
        setPlainText(WithBreaksAfterOperators(text));
    }
    setToolTip(text);
    verticalScrollBar()->setValue(0);
}

QMimeData* ConditionBox::createMimeDataFromSelection() const
{
    // Copied without the marks that steer the line breaks.
    auto* copied = new QMimeData;
    copied->setText(WithoutMarks(textCursor().selectedText()));
    return copied;
}

}  // namespace quarn
