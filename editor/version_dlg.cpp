#include "editor/version_dlg.hpp"

#include "platform/control_name.hpp"
#include "platform/dialog_units.hpp"
#include "platform/window_geometry.hpp"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace quarn {

CVersionDlg::CVersionDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CVersionDlg"));
    setWindowTitle(QStringLiteral("Version"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    const DialogUnits du(font());

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(ControlName(kOkId));
    ok->setGeometry(du.rect(270, 24, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CVersionDlg::accept);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(ControlName(kCancelId));
    cancel->setGeometry(du.rect(270, 48, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &CVersionDlg::reject);

    auto* label = new QLabel(QStringLiteral("Version:"), this);
    label->setGeometry(du.rect(12, 24, 27, 8).united(QRect(du.point(12, 24), label->sizeHint())));

    field_ = new QLineEdit(this);
    field_->setObjectName(ControlName(kVersionFieldId));
    field_->setGeometry(du.rect(54, 24, 192, 14));
    field_->setMaxLength(std::numeric_limits<int>::max());
    label->setBuddy(field_);

    // The dialog is there to edit the text: it opens with the focus in the
    // field, which comes first in the tab order.
    setTabOrder(field_, ok);
    setTabOrder(ok, cancel);

    // Fixed in size as laid out; on a screen with less room, as at a high
    // scale factor, the controls scroll inside it.
    FixedSizeWithinScreen(this, du.size(339, 81));
    field_->setFocus();
}

void CVersionDlg::SetVersionText(const QString& text)
{
    version_ = text;
    field_->setText(text);
    field_->setCursorPosition(0);
}

void CVersionDlg::accept()
{
    version_ = field_->text();
    QDialog::accept();
}

}  // namespace quarn
