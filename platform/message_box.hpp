#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace quarn {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Title of every message box: the program's name.
void SetMessageBoxTitle(const QString& title);
QString MessageBoxTitle();

// The icon a box shows: the question icon for Yes/No boxes, the warning icon
// for OK and OK/Cancel boxes.
QMessageBox::Icon MessageBoxIcon(MessageButtons buttons);

// Shows a modal box over parent and returns the button the user chose.
// Escape and the close box answer Cancel where there is one, otherwise OK or No.
MessageAnswer ShowMessageBox(QWidget* parent, const QString& text,
                             MessageButtons buttons = MessageButtons::Ok);

// An OK box with the given icon; details, when not empty, are offered
// under the box's "Show Details..." button.
MessageAnswer ShowMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                             const QString& details = {});

// Tests answer message boxes through this hook instead of showing them; an
// empty hook restores the real boxes.
using MessageBoxHook =
    std::function<MessageAnswer(const QString& text, MessageButtons buttons,
                                QMessageBox::Icon icon)>;
void SetMessageBoxHook(MessageBoxHook hook);

// The same with the box's details as well; while set it answers every box
// in place of the hook above.
using DetailedMessageBoxHook =
    std::function<MessageAnswer(const QString& text, MessageButtons buttons,
                                QMessageBox::Icon icon, const QString& details)>;
void SetDetailedMessageBoxHook(DetailedMessageBoxHook hook);

}  // namespace quarn
