#include "devicelink/ui/upload_dlg.hpp"

#include "platform/control_name.hpp"
#include "platform/dialog_units.hpp"
#include "platform/message_box.hpp"
#include "platform/window_geometry.hpp"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

namespace quarn {

namespace {

struct Layout {
    const char* title;
    const char* urlLabel;
    int urlId;
    int passwordId;
    int urlLabelWidth;
};

constexpr Layout kEditorLayout{"Upload file to the QUARN", "URL:", CUploadDlg::kEditorUrlId,
                               CUploadDlg::kEditorPasswordId, 32};
constexpr Layout kConverterLayout{"Upload state machine file to QUARN LAN", "QUARN URL:", CUploadDlg::kConverterUrlId,
                                  CUploadDlg::kConverterPasswordId, 32};

const Layout& LayoutOf(UploadDlgVariant variant)
{
    return variant == UploadDlgVariant::Editor ? kEditorLayout : kConverterLayout;
}

// Refuses typing that would make the text longer than limit, but keeps a
// longer text put there by the program, and lets the user shorten it.
class TypingLimit final : public QValidator {
public:
    TypingLimit(QLineEdit* field, int limit) : QValidator(field), limit_(limit), length_(field->text().size())
    {
        // The field already holds the new text while it is being validated,
        // so remember the length of the last text it kept.
        connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { length_ = text.size(); });
    }

    State validate(QString& input, int& /*pos*/) const override
    {
        if (input.size() > limit_ && input.size() > length_)
            return Invalid;
        return Acceptable;
    }

private:
    int limit_;
    qsizetype length_;
};

// Puts text into a field that takes at most limit characters typed. The
// field checks its text while it changes, so the limit is put on afresh
// after the text is in: a longer text stays whole.
void SetLimitedText(QLineEdit* field, const QString& text, int limit)
{
    delete field->validator();
    field->setValidator(nullptr);
    field->setText(text);
    field->setValidator(new TypingLimit(field, limit));
}

QLabel* AddLabel(QWidget* parent, const DialogUnits& du, const QString& text, int x, int y, int width, int height)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(du.rect(x, y, width, height));
    label->adjustSize();
    return label;
}

}  // namespace

QString TooManyCharactersText(int limit)
{
    return QStringLiteral("Enter no more than %1 characters.").arg(limit);
}

CUploadDlg::CUploadDlg(UploadDlgVariant variant, QWidget* parent) : QDialog(parent), variant_(variant)
{
    const Layout& layout = LayoutOf(variant);
    setObjectName(QStringLiteral("CUploadDlg"));
    setWindowTitle(QString::fromLatin1(layout.title));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const DialogUnits du(font());

    // Fields first, so that Tab runs address, password, OK, Cancel.
    url_ = new QLineEdit(this);
    url_->setObjectName(ControlName(layout.urlId));
    url_->setGeometry(du.rect(66, 12, 132, 14));

    password_ = new QLineEdit(this);
    password_->setObjectName(ControlName(layout.passwordId));
    password_->setEchoMode(QLineEdit::Password);
    password_->setGeometry(du.rect(66, 42, 48, 14));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(ControlName(kOkId));
    ok->setDefault(true);
    ok->setGeometry(du.rect(222, 12, 50, 14));
    connect(ok, &QPushButton::clicked, this, &CUploadDlg::accept);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(ControlName(kCancelId));
    cancel->setGeometry(du.rect(222, 42, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &CUploadDlg::reject);

    AddLabel(this, du, QString::fromLatin1(layout.urlLabel), 12, 12, layout.urlLabelWidth, 8)->setBuddy(url_);
    AddLabel(this, du, QStringLiteral("Password:"), 12, 42, 34, 8)->setBuddy(password_);

    // Fixed in size as laid out; on a screen with less room, as at a high
    // scale factor, the controls scroll inside it.
    FixedSizeWithinScreen(this, du.size(292, 84));
}

int CUploadDlg::UrlId() const
{
    return LayoutOf(variant_).urlId;
}

int CUploadDlg::PasswordId() const
{
    return LayoutOf(variant_).passwordId;
}

void CUploadDlg::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        if (variant_ == UploadDlgVariant::Editor)
            SetLimitedText(url_, m_url, kEditorUrlLimit);
        else
            url_->setText(m_url);
        password_->setText(m_password);
        url_->setFocus();
        url_->selectAll();
    }
    QDialog::setVisible(visible);
}

void CUploadDlg::accept()
{
    if (variant_ == UploadDlgVariant::Editor && url_->text().size() > kEditorUrlLimit) {
        ShowMessageBox(this, TooManyCharactersText(kEditorUrlLimit), MessageButtons::Ok);
        url_->setFocus();
        url_->selectAll();
        return;
    }
    m_url = url_->text();
    m_password = password_->text();
    QDialog::accept();
}

}  // namespace quarn
