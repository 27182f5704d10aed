#include "document/ui/input_dlg.hpp"

#include "document/condition_circuit.hpp"
#include "document/condition_text.hpp"
#include "document/ui/input_list_box.hpp"
#include "platform/control_name.hpp"
#include "platform/dialog_units.hpp"
#include "platform/message_box.hpp"
#include "platform/window_geometry.hpp"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace quarn {

namespace {

const QString kTitle = QStringLiteral("Boolean input for");
constexpr int kWidthUnits = 309;
constexpr int kHeightUnits = 213;
// Height of a list's field and its dropped-down list together.
constexpr int kDroppedHeightUnits = 66;

QLabel* AddText(QWidget* parent, const DialogUnits& du, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->adjustSize();
    label->move(du.point(x, y));
    return label;
}

// A wire: a line one unit thick in the palette's text colour, greyed with
// the rest of an unused gate.
class Wire : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::WindowText));
    }
};

// Gate outlines and wires are drawn in the palette's text colour, so they
// stay visible on a dark theme.
QFrame* AddCircuitFrame(QWidget* parent, const DialogUnits& du, const CircuitBox& box, bool filled)
{
    QFrame* frame = filled ? new Wire(parent) : new QFrame(parent);
    if (!filled) {
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        frame->setLineWidth(1);
    }
    frame->setGeometry(du.rect(box.x, box.y, box.width, box.height));
    return frame;
}

}  // namespace

CInputDlg::CInputDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CInputDlg"));
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const DialogUnits du(font());
    // The circuit sits in a panel of its own, so that the notice about a
    // condition it cannot show can open a band above it.
    circuit_ = new QWidget(this);
    circuit_->setObjectName(QStringLiteral("circuit"));
    circuit_->setGeometry(QRect(QPoint(0, 0), du.size(kWidthUnits, kHeightUnits)));
    QWidget* const panel = circuit_;

    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("conditionNotice"));
    notice_->setTextFormat(Qt::PlainText);
    notice_->setWordWrap(true);
    notice_->hide();

    QStringList entries;
    for (const auto& entry : ConditionInputList())
        entries.append(QString::fromStdU16String(std::u16string(entry)));

    for (int i = 0; i < kInputs; ++i) {
        auto* list = new InputListBox(du.y(kDroppedHeightUnits), panel);
        list->setObjectName(ControlName(kFirstInputListId + i));
        // The gate each list feeds and its number, as the circuit shows them.
        list->setAccessibleName(i < kInputs / 2 ? QStringLiteral("AND input %1").arg(i + 1)
                                                : QStringLiteral("OR input %1").arg(i + 1));
        list->addItems(entries);
        const QRect cell = du.rect(kCircuitInputX, kCircuitInputY[static_cast<std::size_t>(i)], kCircuitInputWidth,
                                   kCircuitInputHeight);
        list->setGeometry(cell.x(), cell.y(), cell.width(), std::max(cell.height(), list->sizeHint().height()));
        lists_[i] = list;
        connect(list, &QComboBox::currentIndexChanged, this, &CInputDlg::ShowGatesInUse);
    }

    // Each part of the circuit belongs to the AND gate, the OR gate or the
    // output gate, and is greyed with its gate when that gate is not used.
    for (int i = 0; i < static_cast<int>(kCircuitGates.size()); ++i) {
        QFrame* frame = AddCircuitFrame(panel, du, kCircuitGates[static_cast<std::size_t>(i)], false);
        frame->setObjectName(QStringLiteral("gate%1").arg(i));
        if (i < 2)
            gateParts_[i].push_back(frame);
    }
    for (int i = 0; i < static_cast<int>(kCircuitWires.size()); ++i) {
        const auto wire = static_cast<std::size_t>(i);
        QFrame* frame = AddCircuitFrame(panel, du, kCircuitWires[wire], true);
        frame->setObjectName(QStringLiteral("wire%1").arg(i));
        if (kCircuitWireParts[wire] == CircuitPart::AndGate)
            gateParts_[0].push_back(frame);
        else if (kCircuitWireParts[wire] == CircuitPart::OrGate)
            gateParts_[1].push_back(frame);
    }
    const auto addText = [panel, &du](const QString& text, CircuitPoint at) {
        return AddText(panel, du, text, at.x, at.y);
    };
    gateParts_[0].push_back(addText(QStringLiteral("&&"), kCircuitAndLabel));
    gateParts_[1].push_back(addText(QStringLiteral(">=1"), kCircuitOrLabel));
    addText(QStringLiteral(">=1"), kCircuitOutputLabel);
    for (int g = 0; g < 2; ++g) {
        QLabel* unused = addText(QStringLiteral("not used"), g == 0 ? kCircuitAndUnused : kCircuitOrUnused);
        unused->setObjectName(g == 0 ? QStringLiteral("andGateUnused") : QStringLiteral("orGateUnused"));
        unused->setEnabled(false);
        unusedLabels_[g] = unused;
    }
    addText(QStringLiteral("Output"), kCircuitOutputText);

    relayLabel_ = new QLabel(QStringLiteral("R"), panel);
    relayLabel_->setObjectName(ControlName(kRelayLabelId));
    relayLabel_->setTextFormat(Qt::PlainText);
    relayLabel_->setGeometry(du.rect(kCircuitRelayLabel.x, kCircuitRelayLabel.y, 18, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), panel);
    ok->setObjectName(ControlName(kOkId));
    ok->setGeometry(du.rect(198, 186, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CInputDlg::accept);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), panel);
    cancel->setObjectName(ControlName(kCancelId));
    cancel->setGeometry(du.rect(252, 186, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &CInputDlg::reject);

    ScrollControlsWithinScreen(this, du.size(kWidthUnits, kHeightUnits));
    SetConditionText(QString());
}

void CInputDlg::LayOut()
{
    const DialogUnits du(font());
    const QSize circuitSize = du.size(kWidthUnits, kHeightUnits);
    int band = 0;
    if (!notice_->isHidden()) {
        const int margin = du.x(6);
        const int width = circuitSize.width() - 2 * margin;
        const int height = notice_->heightForWidth(width);
        notice_->setGeometry(margin, du.y(6), width, height);
        band = du.y(6) + height;
    }
    circuit_->move(0, band);
    // The controls scroll inside the dialog where the screen has less room
    // than they take (a high scale factor); the dialog is never larger.
    const QSize whole(circuitSize.width(), circuitSize.height() + band);
    circuit_->parentWidget()->setFixedSize(whole);
    setFixedSize(WithinScreen(this, whole));
}

void CInputDlg::SetConditionText(const QString& condition)
{
    condition_ = condition;
    const GateSelections selections = ParseConditionText(condition.toStdU16String());
    for (int i = 0; i < kInputs; ++i)
        lists_[i]->setCurrentIndex(static_cast<int>(selections[i]));
    showsExactly_ = GatesShowExactly(condition.toStdU16String());
    ShowGatesInUse();
    if (showsExactly_) {
        notice_->hide();
    } else {
        notice_->setText(QStringLiteral("The gates below cannot show this condition exactly:\n%1\n"
                                        "OK replaces it with the condition they show.")
                             .arg(condition));
        notice_->setToolTip(condition);
        notice_->show();
    }
    LayOut();
}

GateSelections CInputDlg::ShownSelections() const
{
    GateSelections selections{};
    for (int i = 0; i < kInputs; ++i)
        selections[i] = lists_[i] != nullptr ? lists_[i]->currentIndex() : -1;
    return selections;
}

std::u16string CInputDlg::ShownCondition() const
{
    return BuildConditionText(ShownSelections());
}

void CInputDlg::ShowGatesInUse()
{
    const GateSelections selections = ShownSelections();
    const std::array<bool, 2> used{AndGateUsed(selections), OrGateUsed(selections)};
    for (int g = 0; g < 2; ++g) {
        for (QWidget* part : gateParts_[g])
            part->setEnabled(used[g]);
        if (unusedLabels_[g] != nullptr)
            unusedLabels_[g]->setVisible(!used[g]);
    }
}

void CInputDlg::SetRelayLabel(const QString& label)
{
    relayLabel_->setText(label);
    relayLabel_->adjustSize();
    setWindowTitle(kTitle + QLatin1Char(' ') + label);
}

void CInputDlg::accept()
{
    if (!showsExactly_) {
        const QString shown = QString::fromStdU16String(ShownCondition());
        const QString question =
            shown.isEmpty()
                ? QStringLiteral("Replace the condition \"%1\" with no condition? The relay is then not used.")
                      .arg(condition_)
                : QStringLiteral("Replace the condition \"%1\" with \"%2\"?").arg(condition_, shown);
        // Enter keeps the condition: only a deliberate Yes replaces it.
        if (AskQuestion(this, question, MessageButtons::YesNo, MessageAnswer::No) != MessageAnswer::Yes) {
            reject();
            return;
        }
    }
    for (int i = 0; i < kInputs; ++i)
        selections_[i] = lists_[i]->currentText();
    QDialog::accept();
}

}  // namespace quarn
