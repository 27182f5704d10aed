#include "document/ui/input_list_box.hpp"

#include <QAbstractItemView>

#include <algorithm>

namespace quarn {

InputListBox::InputListBox(int droppedHeight, QWidget* parent) : QComboBox(parent), droppedHeight_(droppedHeight)
{
    // Without this the style places the popup over the current entry and
    // ignores every height limit.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void InputListBox::showPopup()
{
    QComboBox::showPopup();
    QWidget* popup = view()->window();
    if (popup == nullptr || popup == window())
        return;
    const int listHeight = std::max(droppedHeight_ - height(), view()->sizeHintForRow(0));
    if (popup->height() > listHeight) {
        QRect geometry = popup->geometry();
        // Dropped up above the field when the screen had no room below it.
        if (geometry.top() < mapToGlobal(QPoint(0, 0)).y())
            geometry.setTop(geometry.bottom() - listHeight + 1);
        else
            geometry.setHeight(listHeight);
        popup->setGeometry(geometry);
        view()->scrollTo(view()->currentIndex(), QAbstractItemView::PositionAtCenter);
    }
}

}  // namespace quarn
