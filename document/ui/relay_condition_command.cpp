#include "document/ui/relay_condition_command.hpp"

#include "document/condition_text.hpp"
#include "document/ui/input_dlg.hpp"

#include <QString>

namespace quarn {

namespace {

// The list position of an entry's text, or -1 when it is no entry.
int IndexOfInput(const QString& text)
{
    int index = 0;
    for (const auto& entry : ConditionInputList()) {
        if (text == QString::fromStdU16String(std::u16string(entry)))
            return index;
        ++index;
    }
    return -1;
}

}  // namespace

bool EditRelayCondition(QWidget* parent, StateMachineModel& model, int relay, const std::function<void()>& takeFields,
                        const std::function<void()>& showModel)
{
    if (relay < 0 || relay >= static_cast<int>(model.relays.size()))
        return false;
    if (takeFields)
        takeFields();
    // Pressing the button counts as a change, whatever the dialog's outcome.
    model.modified = true;

    CInputDlg dialog(parent);
    dialog.SetConditionText(QString::fromStdU16String(model.relays[relay]));
    dialog.SetRelayLabel(QStringLiteral("R %1").arg(relay));
    if (dialog.exec() != QDialog::Accepted)
        return false;

    GateSelections selections{};
    for (int i = 0; i < CInputDlg::kInputs; ++i)
        selections[i] = IndexOfInput(dialog.Selections()[i]);
    model.relays[relay] = BuildConditionText(selections);
    if (showModel)
        showModel();
    return true;
}

}  // namespace quarn
