#include "platform/message_box.hpp"

#include "platform/settings_store.hpp"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPushButton>
#include <QSpacerItem>

#include <deque>

namespace quarn {

namespace {

QString& TitleStorage()
{
    static QString title;
    return title;
}

struct AnswerState {
    std::deque<MessageAnswer> next;
    bool everyBox = false;
    std::vector<AskedMessageBox> asked;
};

AnswerState& TestAnswers()
{
    static AnswerState state;
    return state;
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

QMessageBox::StandardButton ButtonOf(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Ok:
        return QMessageBox::Ok;
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::Cancel:
        break;
    }
    return QMessageBox::Cancel;
}

MessageAnswer EscapeAnswerOf(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
        break;
    }
    return MessageAnswer::Cancel;
}

QMessageBox::StandardButton EscapeButtonOf(MessageButtons buttons)
{
    return ButtonOf(EscapeAnswerOf(buttons));
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

// True with answer set when the tests answer the box (it is then recorded),
// false when it is to be shown.
bool AnsweredForTests(const AskedMessageBox& asked, MessageAnswer& answer)
{
    AnswerState& state = TestAnswers();
    if (!state.next.empty()) {
        answer = state.next.front();
        state.next.pop_front();
    } else if (state.everyBox) {
        answer = EscapeAnswerOf(asked.buttons);
    } else {
        return false;
    }
    state.asked.push_back(asked);
    return true;
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
    return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? QMessageBox::Question
                                                                                      : QMessageBox::Warning;
}

int MessageBoxMinimumWidth(const QString& title)
{
    // Title bars use a bold face of about the application's size; the
    // window's icon and its buttons take a few line heights beside it.
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + 6 * metrics.height();
}

std::unique_ptr<QMessageBox> CreateMessageBox(QWidget* parent, const MessageBoxRequest& request)
{
    const QString title = MessageBoxTitle();
    auto box = std::make_unique<QMessageBox>(request.icon, title, request.text, ButtonsOf(request.buttons), parent);
    box->setEscapeButton(EscapeButtonOf(request.buttons));
    if (request.defaultAnswer) {
        if (QAbstractButton* button = box->button(ButtonOf(*request.defaultAnswer)))
            box->setDefaultButton(qobject_cast<QPushButton*>(button));
    }
    if (!request.details.isEmpty())
        box->setDetailedText(request.details);
    if (!request.informative.isEmpty())
        box->setInformativeText(request.informative);
    // The box sizes itself to its text; a short text ("Error: 0", or none)
    // would leave the title bar too narrow for the program's name.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(MessageBoxMinimumWidth(title), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

MessageAnswer ShowMessageBox(QWidget* parent, const MessageBoxRequest& request)
{
    MessageAnswer answer = MessageAnswer::Cancel;
    if (AnsweredForTests(AskedMessageBox{request, MessageBoxTitle()}, answer))
        return answer;
    const std::unique_ptr<QMessageBox> box = CreateMessageBox(parent, request);
    return AnswerOf(box->exec());
}

MessageAnswer ShowMessageBox(QWidget* parent, const QString& text, MessageButtons buttons, const QString& informative)
{
    return ShowMessageBox(parent, MessageBoxRequest{text, buttons, MessageBoxIcon(buttons), {}, informative, {}});
}

MessageAnswer AskQuestion(QWidget* parent, const QString& text, MessageButtons buttons, MessageAnswer keeps)
{
    MessageBoxRequest request{text, buttons, MessageBoxIcon(buttons), {}, {}, keeps};
    return ShowMessageBox(parent, request);
}

MessageAnswer ShowMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon, const QString& details)
{
    return ShowMessageBox(parent, MessageBoxRequest{text, MessageButtons::Ok, icon, details, {}, {}});
}

void MessageBoxAnswers::SetNextAnswer(MessageAnswer answer)
{
    TestAnswers().next.push_back(answer);
}

void MessageBoxAnswers::AnswerEveryBox(bool on)
{
    TestAnswers().everyBox = on;
}

const std::vector<AskedMessageBox>& MessageBoxAnswers::Asked()
{
    return TestAnswers().asked;
}

void MessageBoxAnswers::Reset()
{
    TestAnswers() = AnswerState{};
}

}  // namespace quarn
