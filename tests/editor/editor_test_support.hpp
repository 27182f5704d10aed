#pragma once
// Helpers shared by the editor's window tests: answers for the file and
// message dialogs, a hand for modal dialogs, and a private settings store.

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

namespace quarn::test {

// Answers the open and save questions from queues; an empty queue answers
// "cancelled". Records the initial path each question was asked with.
class ScriptedFileDialogs final : public FileDialogs {
public:
    QStringList openAnswers;
    QStringList saveAnswers;
    QStringList openAsked;
    QStringList saveAsked;

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

// Records every message box and answers it from a queue; with the queue
// empty an OK box gets OK and a question gets Cancel.
class MessageBoxScript {
public:
    MessageBoxScript()
    {
        SetMessageBoxHook([this](const QString& text, MessageButtons buttons, QMessageBox::Icon) {
            shown << text;
            if (!answers.empty()) {
                const MessageAnswer answer = answers.front();
                answers.pop_front();
                return answer;
            }
            return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
        });
    }
    ~MessageBoxScript() { SetMessageBoxHook({}); }
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    QStringList shown;
    std::deque<MessageAnswer> answers;
};

// Runs act on the next modal dialog once it is open. The caller then opens
// the dialog; act must close it.
template <typename Dialog>
void WhenModalOpens(std::function<void(Dialog&)> act)
{
    QTimer::singleShot(0, [act] {
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
