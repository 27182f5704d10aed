#pragma once

#include <QComboBox>

namespace quarn {

// One of the condition dialog's input lists. Dropped down, the list and its
// field together are as high as the dialog template says, and a list longer
// than that scrolls; the desktop style would otherwise open a column of all
// its entries, far below the dialog.
class InputListBox : public QComboBox {
    Q_OBJECT

public:
    // droppedHeight: field and dropped list together, in pixels.
    InputListBox(int droppedHeight, QWidget* parent = nullptr);

    int DroppedHeight() const { return droppedHeight_; }

    void showPopup() override;

private:
    int droppedHeight_;
};

}  // namespace quarn
