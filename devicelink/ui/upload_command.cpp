#include "devicelink/ui/upload_command.hpp"

#include "base/controller_facts.hpp"
#include "devicelink/outcome_explanation.hpp"
#include "devicelink/ui/window_exchange.hpp"
#include "devicelink/upload.hpp"
#include "document/reader.hpp"
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

// A file that switches no relay would replace the controller's program with
// one that does nothing; that is worth a question, whose default keeps the
// running program. A file that cannot be read is left to the upload, which
// reports it.
bool MaySend(QWidget* parent, const QString& path)
{
    const UploadContent content = ReadUploadContent(path.toStdU16String());
    if (content.error != 0 || !SwitchesNoRelay(content.bytes))
        return true;
    return AskQuestion(parent, NoRelayQuestion(path), MessageButtons::YesNo, MessageAnswer::No) == MessageAnswer::Yes;
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

QString NoRelayQuestion(const QString& path)
{
    return QStringLiteral("No relay is used in %1. Sending it replaces the controller's program with one that "
                          "switches nothing. Send it anyway?")
        .arg(path);
}

void RunUploadCommand(QWidget* parent, UploadDlgVariant variant, const QString& path)
{
    if (!MaySend(parent, path))
        return;
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
                   QString::fromStdU16String(ExplainUploadOutcome(outcome, options.exchange.port)));
}

}  // namespace quarn
