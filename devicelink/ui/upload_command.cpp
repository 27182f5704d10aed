#include "devicelink/ui/upload_command.hpp"

#include "devicelink/controller_host.hpp"
#include "devicelink/outcome_explanation.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "devicelink/upload.hpp"
#include "platform/message_box.hpp"
#include "platform/settings_store.hpp"

namespace quarn {

namespace {

const QString kUploadSection = QStringLiteral("upload");
const QString kUploadUrlEntry = QStringLiteral("url");
const QString kUploadPasswordEntry = QStringLiteral("pwd");

QString Text(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString StoredUploadUrl()
{
    return SettingsStore::ReadString(kUploadSection, kUploadUrlEntry, Text(kDefaultControllerHost));
}

QString StoredUploadPassword()
{
    return SettingsStore::ReadString(kUploadSection, kUploadPasswordEntry, Text(kDefaultUploadPassword));
}

void RunUploadCommand(QWidget* parent, UploadDlgVariant variant, const QString& path)
{
    CUploadDlg dialog(variant, parent);
    dialog.m_url = StoredUploadUrl();
    dialog.m_password = StoredUploadPassword();
    if (dialog.exec() != QDialog::Accepted)
        return;

    UploadOptions options;
    options.exchange = WindowExchangeOptions();
    if (variant == UploadDlgVariant::Editor) {
        options.variant = UploadVariant::Editor;
        options.showMessage = [parent](const std::u16string& text) {
            ShowMessageBox(parent, QString::fromStdU16String(text), MessageButtons::Ok);
        };
    } else {
        options.variant = UploadVariant::Converter;
    }
    const UploadOutcome outcome = UploadStateMachine(dialog.m_url.toStdU16String(), path.toStdU16String(),
                                                     dialog.m_password.toStdU16String(), options);

    SettingsStore::WriteString(kUploadSection, kUploadUrlEntry, dialog.m_url);
    SettingsStore::WriteString(kUploadSection, kUploadPasswordEntry, dialog.m_password);
    // The text stays as it is; a bare number gets a line that explains it.
    ShowMessageBox(parent, QString::fromStdU16String(outcome.text), MessageButtons::Ok,
                   QString::fromStdU16String(
                       ExplainUploadOutcome(outcome, options.exchange.port)));
}

}  // namespace quarn
