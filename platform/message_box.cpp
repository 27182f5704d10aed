#include "platform/message_box.hpp"

#include "platform/settings_store.hpp"

#include <utility>

namespace quarn {

namespace {

QString& TitleStorage()
{
    static QString title;
    return title;
}

MessageBoxHook& HookStorage()
{
    static MessageBoxHook hook;
    return hook;
}

DetailedMessageBoxHook& DetailedHookStorage()
{
    static DetailedMessageBoxHook hook;
    return hook;
}

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton EscapeButtonOf(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::YesNo:
        return QMessageBox::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
        break;
    }
    return QMessageBox::Cancel;
}

MessageAnswer AnswerOf(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Cancel;
    }
}

}  // namespace

void SetMessageBoxTitle(const QString& title)
{
    TitleStorage() = title;
}

QString MessageBoxTitle()
{
    return TitleStorage().isEmpty() ? SettingsStore::ProgramName() : TitleStorage();
}

QMessageBox::Icon MessageBoxIcon(MessageButtons buttons)
{
    return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
               ? QMessageBox::Question
               : QMessageBox::Warning;
}

namespace {

MessageAnswer ShowBox(QWidget* parent, const QString& text, MessageButtons buttons,
                      QMessageBox::Icon icon, const QString& details)
{
    if (DetailedHookStorage())
        return DetailedHookStorage()(text, buttons, icon, details);
    if (HookStorage())
        return HookStorage()(text, buttons, icon);

    QMessageBox box(icon, MessageBoxTitle(), text, ButtonsOf(buttons), parent);
    box.setEscapeButton(EscapeButtonOf(buttons));
    if (!details.isEmpty())
        box.setDetailedText(details);
    return AnswerOf(box.exec());
}

}  // namespace

MessageAnswer ShowMessageBox(QWidget* parent, const QString& text, MessageButtons buttons)
{
    return ShowBox(parent, text, buttons, MessageBoxIcon(buttons), {});
}

MessageAnswer ShowMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                             const QString& details)
{
    return ShowBox(parent, text, MessageButtons::Ok, icon, details);
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    HookStorage() = std::move(hook);
}

void SetDetailedMessageBoxHook(DetailedMessageBoxHook hook)
{
    DetailedHookStorage() = std::move(hook);
}

}  // namespace quarn
