#pragma once

#include <QPushButton>

namespace quarn {

// A push button that stays down while its relay is on. Besides on and off
// it has a third state for "not known": the controller has not confirmed the
// relay's state. That state is drawn hatched, with a tooltip saying why. A
// click does not change the state: only its owner sets it, from what the
// controller reports.
class CRelayButton : public QPushButton {
    Q_OBJECT

public:
    explicit CRelayButton(const QString& text, QWidget* parent = nullptr);

    Qt::CheckState CheckState() const;
    void SetCheckState(Qt::CheckState state);

protected:
    void nextCheckState() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SetIndeterminate(bool on);

    bool indeterminate_ = false;
};

}  // namespace quarn
