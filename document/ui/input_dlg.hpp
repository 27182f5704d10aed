#pragma once

#include <QDialog>
#include <QString>

#include "document/condition_text.hpp"

#include <array>
#include <string>
#include <vector>

class QComboBox;
class QLabel;

namespace quarn {

// Draws a relay's condition as a fixed circuit, four inputs into an AND
// gate and four into an OR gate, both joined by a second OR gate, and lets
// the user pick each of the eight inputs from a list. A gate none of whose
// inputs takes part in the condition is greyed and marked "not used"; the
// circuit is drawn in the palette's colours.
class CInputDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kInputs = 8;
    static constexpr int kFirstInputListId = 1201;  // 1201..1204 AND, 1205..1208 OR
    static constexpr int kRelayLabelId = 1209;

    explicit CInputDlg(QWidget* parent = nullptr);

    // Selects the inputs the condition text stands for. A condition the
    // gates cannot show exactly is named in a notice above the circuit, and
    // OK then asks before it is replaced; No keeps it, as Cancel does.
    void SetConditionText(const QString& condition);
    bool ShowsConditionExactly() const { return showsExactly_; }
    // The relay's name, such as "R 3"; also completes the caption.
    void SetRelayLabel(const QString& label);

    // After OK: the text of each list's selected entry, AND inputs first;
    // empty where nothing is selected.
    const std::array<QString, kInputs>& Selections() const { return selections_; }

    QComboBox* InputList(int index) const { return lists_[index]; }
    QLabel* Notice() const { return notice_; }

    // The condition the current selections stand for.
    std::u16string ShownCondition() const;
    GateSelections ShownSelections() const;

public slots:
    void accept() override;

private:
    void LayOut();
    // Greys the gates that take no part in the shown condition.
    void ShowGatesInUse();

    std::array<QComboBox*, kInputs> lists_{};
    QWidget* circuit_ = nullptr;
    QLabel* notice_ = nullptr;
    QString condition_;
    bool showsExactly_ = true;
    std::array<QString, kInputs> selections_;
    QLabel* relayLabel_ = nullptr;
    // The parts of the AND gate [0] and the OR gate [1], and their marks.
    std::array<std::vector<QWidget*>, 2> gateParts_;
    std::array<QLabel*, 2> unusedLabels_{};
};

}  // namespace quarn
