#include "devicelink/ui/direct_dlg.hpp"

#include "base/controller_facts.hpp"
#include "devicelink/direct_control.hpp"
#include "devicelink/ui/relay_button.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "platform/control_name.hpp"
#include "platform/dialog_units.hpp"
#include "platform/settings_store.hpp"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace quarn {

namespace {

const QString kDirectSection = QStringLiteral("direct");
const QString kDirectUrlEntry = QStringLiteral("url");

constexpr int kRelayX = 7;
constexpr int kRelayStep = 28;

}  // namespace

CDirectDlg::CDirectDlg(QWidget* parent) : QDialog(parent)
{
    m_url = SettingsStore::ReadString(
        kDirectSection, kDirectUrlEntry,
        QString::fromUtf16(kDefaultControllerHost.data(), static_cast<qsizetype>(kDefaultControllerHost.size())));

    setObjectName(QStringLiteral("CDirectDlg"));
    setWindowTitle(QStringLiteral("QuarnTool: Direct control"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const DialogUnits du(font());
    setFixedSize(du.size(238, 78));

    auto* label = new QLabel(QStringLiteral("QUARN url:"), this);
    label->setTextFormat(Qt::PlainText);
    label->move(du.point(kRelayX, 10));
    label->adjustSize();

    url_ = new QLineEdit(this);
    url_->setObjectName(ControlName(kUrlId));
    url_->setGeometry(du.rect(50, 8, 120, 14));
    label->setBuddy(url_);

    for (int i = 0; i < kRelayCount; ++i) {
        auto* button = new CRelayButton(QStringLiteral("R%1").arg(i), this);
        button->setObjectName(ControlName(kFirstRelayId + i));
        button->setAccessibleName(QStringLiteral("Switch relay R%1").arg(i));
        // Enter on a focused relay switches it, as Space does; elsewhere
        // Enter is Exit's.
        button->setAutoDefault(true);
        button->setGeometry(du.rect(kRelayX + kRelayStep * i, 32, 24, 16));
        connect(button, &QPushButton::clicked, this, [this, i] { OnRelayButton(kFirstRelayId + i); });
        relays_[i] = button;
    }

    auto* exitButton = new QPushButton(QStringLiteral("Exit"), this);
    exitButton->setObjectName(ControlName(kExitId));
    exitButton->setDefault(true);
    exitButton->setGeometry(du.rect(177, 58, 54, 14));
    connect(exitButton, &QPushButton::clicked, this, &CDirectDlg::accept);
}

CDirectDlg::~CDirectDlg()
{
    SettingsStore::WriteString(kDirectSection, kDirectUrlEntry, m_url);
}

void CDirectDlg::setVisible(bool visible)
{
    if (visible && !initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void CDirectDlg::OnInitDialog()
{
    url_->setText(m_url);
    // Nothing is known of the relays until the controller reports them.
    for (CRelayButton* button : relays_)
        button->SetCheckState(Qt::PartiallyChecked);
}

void CDirectDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    // The window is on the screen, with its relays unknown, before the
    // first exchange blocks it; that exchange starts once this paint is done.
    if (!statesAsked_) {
        statesAsked_ = true;
        QTimer::singleShot(0, this, &CDirectDlg::AskRelayStates);
    }
}

void CDirectDlg::AskRelayStates()
{
    if (isVisible())
        SendControlRequest(kControlPage);
}

bool CDirectDlg::SendControlRequest(std::string_view query)
{
    const ControlResult result = quarn::SendControlRequest(m_url.toStdU16String(), query, WindowExchangeOptions());
    if (result.mask)
        QCoreApplication::postEvent(this, new RelayStatesEvent(*result.mask));
    emit exchangeEnded();
    return result.mask.has_value();
}

void CDirectDlg::OnRelayButton(int id)
{
    const int relay = id - kFirstRelayId;
    if (relay < 0 || relay >= kRelayCount)
        return;
    // A changed address takes effect with this switch.
    m_url = url_->text();
    CRelayButton* button = relays_[relay];
    // The button still shows the state last reported; the click asks for the
    // other one, and for on when the state is unknown.
    const bool on = button->CheckState() != Qt::Checked;
    // Only a reported relay mask says what the controller did; without one
    // (an error, an unreadable reply, no connection) the relay's state is
    // not known.
    if (!SendControlRequest(RelayQuery(relay, on)))
        button->SetCheckState(Qt::PartiallyChecked);
}

void CDirectDlg::OnRelayStates(std::int32_t mask)
{
    for (int i = 0; i < kRelayCount; ++i)
        relays_[i]->SetCheckState(RelayOn(mask, i) ? Qt::Checked : Qt::Unchecked);
}

void CDirectDlg::accept()
{
    m_url = url_->text();
    QDialog::accept();
}

bool CDirectDlg::event(QEvent* event)
{
    if (event->type() == kRelayStatesEvent) {
        OnRelayStates(static_cast<RelayStatesEvent*>(event)->mask());
        event->accept();
        return true;
    }
    return QDialog::event(event);
}

}  // namespace quarn
