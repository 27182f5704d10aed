#pragma once

#include "base/controller_facts.hpp"

#include <QDialog>
#include <QEvent>
#include <QString>

#include <array>
#include <cstdint>
#include <string_view>

class QLineEdit;

namespace quarn {

class CRelayButton;

// Posted by the direct-control window to itself with the relay mask of a
// reply; it sets all eight relay buttons once the current handler is done.
inline constexpr QEvent::Type kRelayStatesEvent = static_cast<QEvent::Type>(1426);

class RelayStatesEvent : public QEvent {
public:
    explicit RelayStatesEvent(std::int32_t mask) : QEvent(kRelayStatesEvent), mask_(mask) {}
    std::int32_t mask() const { return mask_; }

private:
    std::int32_t mask_;
};

// Switches the controller's relays one by one. The window shows at once with
// every relay "unknown" and then asks the controller for the relay states;
// only a reported relay mask turns a button on or off. A click asks for the
// other state (on, from unknown) and changes nothing by itself: the buttons
// follow the states the controller reports back, and a switch it did not
// confirm leaves its button unknown. Clicks and keys made while an exchange
// waits are dropped.
//
// The address comes from "direct"/"url" when the window is created and goes
// back there when it is destroyed: "Exit" takes the field's text, Escape and
// the close box keep the address of the last switch (or the loaded one).
// Controls are named "control<id>": 1227 address, 1229..1236 R0..R7, 1 Exit.
class CDirectDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kResource = 134;
    static constexpr int kUrlId = 1227;
    static constexpr int kFirstRelayId = 1229;
    static constexpr int kExitId = 1;

    explicit CDirectDlg(QWidget* parent = nullptr);
    ~CDirectDlg() override;

    QString m_url;

    QLineEdit* UrlField() const { return url_; }
    CRelayButton* RelayButton(int relay) const { return relays_[relay]; }

    void setVisible(bool visible) override;

public slots:
    void accept() override;

signals:
    // An exchange with the controller has ended (its relay mask, if any, is
    // posted and not yet applied).
    void exchangeEnded();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnInitDialog();
    void AskRelayStates();
    void OnRelayButton(int id);
    void OnRelayStates(std::int32_t mask);
    // One GET of query; posts the relay mask when the reply has one. True
    // when it did.
    bool SendControlRequest(std::string_view query);

    QLineEdit* url_ = nullptr;
    std::array<CRelayButton*, kRelayCount> relays_{};
    bool initialised_ = false;
    bool statesAsked_ = false;
};

}  // namespace quarn
