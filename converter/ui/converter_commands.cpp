#include "converter/ui/converter_commands.hpp"

#include "converter/ui/morvex_texts.hpp"
#include "devicelink/ui/upload_command.hpp"
#include "platform/message_box.hpp"

#include <QStringList>

namespace quarn {

namespace {

QString Text(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

}  // namespace

TransformMessage MessageForOutcome(const TransformOutcome& outcome)
{
    TransformMessage message;
    switch (outcome.status) {
    case TransformStatus::NothingDone:
        return message;
    case TransformStatus::Success: {
        QStringList notes;
        for (const std::u16string& note : outcome.notes)
            notes << Text(note);
        // Nothing to switch is worth a warning; the details then begin
        // with the note that says so.
        message.icon = outcome.NoRelayFound() ? QMessageBox::Warning : QMessageBox::Information;
        message.details = notes.join(QLatin1Char('\n'));
        break;
    }
    case TransformStatus::Failure:
        message.icon = MessageBoxIcon(MessageButtons::Ok);
        // The text stays the same for every failed load; why it failed is
        // the engine's to say, under the details.
        message.details = Text(outcome.reason);
        break;
    }
    message.show = true;
    message.text = Text(TransformOutcomeText(outcome));
    return message;
}

void RunTransformCommand(QWidget* parent, const QString& source, const QString& destination)
{
    const TransformMessage message =
        MessageForOutcome(TransformXmiToXml(source.toStdU16String(), destination.toStdU16String()));
    if (message.show)
        ShowMessageBox(parent, message.text, message.icon, message.details);
}

void RunConverterUploadCommand(QWidget* parent, const QString& destination)
{
    if (destination.isEmpty()) {
        ShowMessageBox(parent, morvex_texts::EmptyUploadName(), MessageButtons::Ok);
        return;
    }
    RunUploadCommand(parent, UploadDlgVariant::Converter, destination);
}

}  // namespace quarn
