#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

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

// Everything one box shows.
struct MessageBoxRequest {
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QString details;      // under "Show Details...", when not empty
    QString informative;  // a line under the text that explains it, when not empty
    // The answer Enter gives. A question that replaces or discards something
    // names the answer that keeps it; without one the box picks its own.
    std::optional<MessageAnswer> defaultAnswer;
};

// Shows a modal box over parent and returns the button the user chose.
// Escape and the close box answer Cancel where there is one, otherwise OK or No.
// informative, when not empty, is a line under the text that explains it.
MessageAnswer ShowMessageBox(QWidget* parent, const QString& text,
                             MessageButtons buttons = MessageButtons::Ok,
                             const QString& informative = {});
MessageAnswer ShowMessageBox(QWidget* parent, const MessageBoxRequest& request);

// A question with buttons whose default button (the answer Enter gives) is
// keeps: the answer that keeps what the question would replace or discard.
MessageAnswer AskQuestion(QWidget* parent, const QString& text, MessageButtons buttons, MessageAnswer keeps);

// The box that ShowMessageBox runs, built but not shown. It is at least as
// wide as its title bar needs, so the window manager never cuts the
// program's name.
std::unique_ptr<QMessageBox> CreateMessageBox(QWidget* parent, const MessageBoxRequest& request);

// The narrowest box whose title bar shows title whole, for the application's
// font: the title and room for the window's icon and buttons.
int MessageBoxMinimumWidth(const QString& title);

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

// Sees the whole request, informative text included; while set it answers
// every box in place of both hooks above.
using MessageBoxRequestHook = std::function<MessageAnswer(const MessageBoxRequest& request)>;
void SetMessageBoxRequestHook(MessageBoxRequestHook hook);

}  // namespace quarn
