#pragma once
// Helpers shared by the window tests of the editor, the converter and the
// device link: answers for the file and message dialogs, a hand for modal
// dialogs, and a private settings store.

#include "platform/blocked_input.hpp"
#include "platform/control_name.hpp"
#include "platform/file_dialogs.hpp"
#include "platform/message_box.hpp"
#include "platform/settings_store.hpp"

#include <QApplication>
#include <QDialog>
#include <QSettings>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

namespace quarn::test {

// The control with command or control id (the windows' own constants, or
// kOkId and kCancelId) among window's children, by the name every window
// gives it; nullptr when there is none of type T.
template <class T = QWidget>
T* FindControl(const QObject& window, int id)
{
    return window.findChild<T*>(ControlName(id));
}

// Answers the file questions in place of the user and records them. A
// question asked with a full request (AskPath) is kept in asked and answered
// from answers; once that queue is empty it goes on, like every open or save
// question, to the queue of its kind. An empty queue answers "cancelled".
class ScriptedFileDialogs final : public FileDialogs {
public:
    QStringList answers;
    std::vector<FileDialogRequest> asked;
    QStringList openAnswers;
    QStringList saveAnswers;
    QStringList openAsked;
    QStringList saveAsked;

    QString AskPath(QWidget* parent, const FileDialogRequest& request) override
    {
        asked.push_back(request);
        if (!answers.isEmpty())
            return answers.takeFirst();
        return FileDialogs::AskPath(parent, request);
    }
    QString AskOpenPath(QWidget*, const QString& initialPath) override
    {
        openAsked << initialPath;
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString AskSavePath(QWidget*, const QString& initialPath) override
    {
        saveAsked << initialPath;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
};

// One shown message box with everything it showed.
struct ShownBox {
    QString text;
    MessageButtons buttons;
    QMessageBox::Icon icon;
    QString details;
};

// Records every message box (its text in shown, all of it in boxes) and
// answers it from a queue; with the queue empty an OK box gets OK and a
// question gets Cancel.
class MessageBoxScript {
public:
    MessageBoxScript()
    {
        SetDetailedMessageBoxHook([this](const QString& text, MessageButtons buttons, QMessageBox::Icon icon,
                                         const QString& details) {
            shown << text;
            boxes.push_back({text, buttons, icon, details});
            if (!answers.empty()) {
                const MessageAnswer answer = answers.front();
                answers.pop_front();
                return answer;
            }
            return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
        });
    }
    ~MessageBoxScript() { SetDetailedMessageBoxHook({}); }
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    QStringList shown;
    std::vector<ShownBox> boxes;
    std::deque<MessageAnswer> answers;
};

// After an exchange from a window, the keys and clicks that queued up while
// it blocked are dropped until the event loop has come round; a test that
// clicks or types next lets it come round first, as any user's hand does.
inline void LetQueuedInputPass()
{
    QTRY_VERIFY(!InputIsDropped());
}

// Runs act on the next modal dialog once it is open. The caller then opens
// the dialog; act must close it.
template <typename Dialog>
void WhenModalOpens(std::function<void(Dialog&)> act)
{
    QTimer::singleShot(0, [act] {
        LetQueuedInputPass();
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QWARN("the expected dialog did not open");
            if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                other->reject();
            return;
        }
        act(*dialog);
    });
}

// Points the settings store at dir for the rest of the test program.
inline void UsePrivateSettings(const QString& dir)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir);
    SettingsStore::SetCompanyKey(QStringLiteral("QuarnTool"));
}

}  // namespace quarn::test
