#include "editor/about_dlg.hpp"

#include "editor/editor_texts.hpp"
#include "platform/control_name.hpp"
#include "platform/dialog_units.hpp"
#include "platform/window_geometry.hpp"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace quarn {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("About QuarnTool"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    const DialogUnits du(font());

    const QRect iconRect = du.rect(14, 14, 20, 20);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("programIcon"));
    icon->setGeometry(iconRect);
    icon->setPixmap(
        QIcon(QStringLiteral(":/quarntool/quarntool.svg")).pixmap(qMin(iconRect.width(), iconRect.height())));

    const auto addLine = [&](const QString& text, QRect rect) {
        auto* label = new QLabel(text, this);
        label->setGeometry(rect.united(QRect(rect.topLeft(), label->sizeHint())));
    };
    addLine(texts::AboutVersionLine(), du.rect(42, 14, 114, 8));
    addLine(texts::AboutSecondLine(), du.rect(42, 26, 156, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(ControlName(kOkId));
    ok->setGeometry(du.rect(168, 54, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);

    // Fixed in size as laid out; on a screen with less room, as at a high
    // scale factor, the controls scroll inside it.
    FixedSizeWithinScreen(this, du.size(231, 81));
}

}  // namespace quarn
