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

// While it lives no message box is shown: each is answered through
// MessageBoxAnswers (queue answers with MessageBoxAnswers::SetNextAnswer;
// without one an OK box gets OK, a question what Escape gives) and recorded.
// The record starts empty with the scope.
class MessageBoxScript {
public:
    MessageBoxScript()
    {
        MessageBoxAnswers::Reset();
        MessageBoxAnswers::AnswerEveryBox(true);
    }
    ~MessageBoxScript() { MessageBoxAnswers::Reset(); }
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    // Everything the boxes asked, in order.
    const std::vector<AskedMessageBox>& Asked() const { return MessageBoxAnswers::Asked(); }
    // The texts of the boxes, in order.
    QStringList Shown() const
    {
        QStringList texts;
        for (const AskedMessageBox& box : Asked())
            texts << box.text;
        return texts;
    }
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
