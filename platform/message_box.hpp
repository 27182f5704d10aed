#pragma once

#include <QMessageBox>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

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
MessageAnswer ShowMessageBox(QWidget* parent, const QString& text, MessageButtons buttons = MessageButtons::Ok,
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
MessageAnswer ShowMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon, const QString& details = {});

// What one box asked: everything it shows, its title included.
struct AskedMessageBox : MessageBoxRequest {
    QString title;
};

// The tests' seam: the boxes are answered here instead of by the user. A
// box with an answer queued returns it without showing itself; while every
// box is answered (AnswerEveryBox(true)), a box without one returns what
// Escape gives (OK, No or Cancel) and is not shown either. Each box answered
// here is recorded in Asked(). Everything here is static: one queue for the
// program, as there is one user.
class MessageBoxAnswers {
public:
    MessageBoxAnswers() = delete;

    // Queues the answer of the next box not yet answered.
    static void SetNextAnswer(MessageAnswer answer);
    // On: no box is shown any more; off: only queued answers keep a box
    // from showing.
    static void AnswerEveryBox(bool on);
    // The boxes answered here, in the order they were asked.
    static const std::vector<AskedMessageBox>& Asked();
    // Real boxes again: the queue and the record are emptied.
    static void Reset();
};

}  // namespace quarn
