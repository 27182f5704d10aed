#include "editor/quarn_tool_dlg.hpp"

#include "base/controller_facts.hpp"
#include "editor/condition_box.hpp"
#include "editor/date_time_ctrl_ex.hpp"
#include "editor/editor_texts.hpp"
#include "editor/menu_keys.hpp"
#include "editor/model_fields.hpp"
#include "editor/recent_file_list.hpp"
#include "editor/window_events.hpp"
#include "platform/control_name.hpp"
#include "platform/dialog_units.hpp"
#include "platform/window_geometry.hpp"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <utility>

namespace quarn {

namespace {

constexpr int kDays = 7;
constexpr int kWidthUnits = 525;
constexpr int kHeightUnits = 261;

// Column of each timer field: x, width in dialog units, date or time.
struct FieldColumn {
    int x;
    int width;
    bool isDate;
};
constexpr std::array<FieldColumn, 4> kFieldColumns{{
    {66, 54, true},    // ON date
    {126, 60, false},  // ON time
    {204, 54, true},   // OFF date
    {264, 60, false},  // OFF time
}};

QLabel* AddText(QWidget* parent, const DialogUnits& du, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->adjustSize();
    label->move(du.point(x, y));
    return label;
}

}  // namespace

CQuarnToolDlg::CQuarnToolDlg(RecentFileList& recentFiles, FileDialogs& fileDialogs, QWidget* parent)
    : QDialog(parent), recentFiles_(recentFiles), fileDialogs_(fileDialogs)
{
    setObjectName(QStringLiteral("CQuarnToolDlg"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    setAcceptDrops(true);  // a file dropped anywhere on the window opens
    setWindowTitle(texts::ProgramName());
    ResetModel(model_);

    BuildControls();
    NameControls();
    ShowModel();
    BuildMenus();
    AddCommandKeys();
    // Large enough for every control, unless the screen is smaller.
    const QSize whole(content_->width(), content_->height() + menuBar_->sizeHint().height());
    setMinimumSize(WithinScreen(this, whole));
    resize(WithinScreen(this, whole));

    // Every date and time field starts blank, in its normal format.
    for (int n = 0; n < kTimerCount; ++n) {
        for (int column = 0; column < 4; ++column) {
            CDateTimeCtrlEx* field = TimerField(n, column);
            field->SetNormalFormat(kFieldColumns[column].isDate ? texts::DateFormat() : texts::TimeFormat());
            field->SetDisplayFormat(field->NormalFormat());
            field->SetDisplayFormat(CDateTimeCtrlEx::kBlankFormat);
        }
    }

    setWindowIcon(QIcon(QStringLiteral(":/quarntool/quarntool.svg")));
    recentFileOpener_ = [this](const QString& path) {
        OpenDocumentFileEvent open(path);
        QCoreApplication::sendEvent(this, &open);
        return open.result;
    };
}

CQuarnToolDlg::~CQuarnToolDlg() = default;

void CQuarnToolDlg::BuildControls()
{
    content_ = new QWidget(this);
    content_->setObjectName(QStringLiteral("grid"));
    const DialogUnits du(font());

    AddText(content_, du, QStringLiteral("ON"), 66, 6);
    AddText(content_, du, QStringLiteral("OFF"), 204, 6);
    AddText(content_, du, QStringLiteral("Date"), 66, 24);
    AddText(content_, du, QStringLiteral("Time"), 132, 24);
    AddText(content_, du, QStringLiteral("Date"), 204, 24);
    AddText(content_, du, QStringLiteral("Time"), 264, 24);
    AddText(content_, du, QStringLiteral("Day of week"), 342, 6);
    static const std::array<const char*, kDays> dayNames{"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};
    for (int d = 0; d < kDays; ++d)
        AddText(content_, du, QString::fromLatin1(dayNames[d]), 342 + 18 * d, 24);

    for (int n = 0; n < kTimerCount; ++n) {
        const int rowY = 36 + 18 * n;
        QLabel* rowLabel = AddText(content_, du, QStringLiteral("Timer T%1").arg(n), 24, rowY);

        for (int column = 0; column < 4; ++column) {
            const int id = kFirstTimerField + 4 * n + column;
            auto* field = new CDateTimeCtrlEx(content_);
            field->setObjectName(ControlName(id));
            field->setGeometry(du.rect(kFieldColumns[column].x, rowY, kFieldColumns[column].width, 15));
            field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (kFieldColumns[column].isDate) {
                field->setCalendarPopup(true);
                field->setDateRange(texts::FirstDate(), texts::LastDate());
            }
            // Until a value is set, a field holds the moment the window opened.
            field->SetValue(QDateTime::currentDateTime());
            controls_[id] = field;
        }
        rowLabel->setBuddy(TimerField(n, 0));

        for (int d = 0; d < kDays; ++d) {
            const int id = kFirstWeekdayBox + kDays * n + d;
            auto* box = new QCheckBox(content_);
            box->setObjectName(ControlName(id));
            const QRect cell = du.rect(342 + 18 * d, rowY + 2, 8, 10);
            box->setGeometry(QRect(cell.topLeft(), cell.size().expandedTo(box->sizeHint())));
            connect(box, &QCheckBox::clicked, this, [this, id] { OnWeekdayBox(id); });
            controls_[id] = box;
        }

        const auto addButton = [&](int id, const QString& text, QRect geometry, auto handler) {
            auto* button = new QPushButton(text, content_);
            button->setObjectName(ControlName(id));
            button->setAutoDefault(false);
            button->setGeometry(geometry);
            connect(button, &QPushButton::clicked, this, [this, id, handler] { (this->*handler)(id); });
            controls_[id] = button;
        };
        // "A" and "N" sit level with their row: centred on its fields.
        const QRect rowField = du.rect(66, rowY, 54, 15);
        const auto onRow = [&rowField](QRect button) {
            button.moveTop(rowField.top() + (rowField.height() - button.height()) / 2);
            return button;
        };
        addButton(kFirstAllDaysButton + n, QStringLiteral("A"), onRow(du.rect(474, rowY, 18, 14)),
                  &CQuarnToolDlg::OnAllDaysButton);
        addButton(kFirstNoDaysButton + n, QStringLiteral("N"), onRow(du.rect(492, rowY, 20, 14)),
                  &CQuarnToolDlg::OnNoDaysButton);
    }

    for (int n = 0; n < kRelayCount; ++n) {
        const int buttonId = kFirstRelayButton + n;
        auto* button = new QPushButton(QStringLiteral("R%1").arg(n), content_);
        button->setObjectName(ControlName(buttonId));
        button->setAutoDefault(false);
        button->setGeometry(du.rect(24 + 60 * n, 198, 50, 14));
        connect(button, &QPushButton::clicked, this, [this, buttonId] { OnRelayButton(buttonId); });
        controls_[buttonId] = button;

        const int boxId = kFirstConditionBox + n;
        auto* box = new ConditionBox(content_);
        box->setObjectName(ControlName(boxId));
        box->setGeometry(du.rect(24 + 60 * n, 216, 48, 24));
        controls_[boxId] = box;
    }

    content_->setMinimumSize(du.size(kWidthUnits, kHeightUnits));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    content_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    content_->resize(du.size(kWidthUnits, kHeightUnits));
    layout->addWidget(ScrollingGrid(), 1);
}

// The grid keeps its size and its place at the top left, as its controls
// keep theirs; where the window is smaller, as on a small screen or at a
// large scale factor, it scrolls.
QScrollArea* CQuarnToolDlg::ScrollingGrid()
{
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("gridScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(false);
    scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidget(content_);
    return scroll;
}

// Names that say what each control of the grid is for, as a screen reader
// reads them: the grid's headings stand apart from the controls under them.
void CQuarnToolDlg::NameControls()
{
    static const std::array<const char*, 4> columns{"ON date", "ON time", "OFF date", "OFF time"};
    static const std::array<const char*, kDays> days{"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                     "Friday", "Saturday", "Sunday"};
    for (int n = 0; n < kTimerCount; ++n) {
        const QString timer = QStringLiteral("Timer T%1 ").arg(n);
        for (int column = 0; column < 4; ++column)
            TimerField(n, column)->setAccessibleName(timer + QLatin1String(columns[column]));
        for (int d = 0; d < kDays; ++d)
            Control(kFirstWeekdayBox + kDays * n + d)->setAccessibleName(timer + QLatin1String(days[d]));
        Control(kFirstAllDaysButton + n)->setAccessibleName(timer + QStringLiteral("all days"));
        Control(kFirstNoDaysButton + n)->setAccessibleName(timer + QStringLiteral("no days"));
    }
    for (int n = 0; n < kRelayCount; ++n) {
        Control(kFirstRelayButton + n)->setAccessibleName(QStringLiteral("Edit condition of relay R%1").arg(n));
        Control(kFirstConditionBox + n)->setAccessibleName(QStringLiteral("Condition of relay R%1").arg(n));
    }
}

void CQuarnToolDlg::BuildMenus()
{
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("menuBar"));
    layout()->setMenuBar(menuBar_);

    fileMenu_ = menuBar_->addMenu(QStringLiteral("File"));
    // The desktop's usual keys; a key runs the same command as its item.
    AddCommand(fileMenu_, QStringLiteral("New"), kFileNew)->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    AddCommand(fileMenu_, QStringLiteral("Open..."), kFileOpen)->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    AddCommand(fileMenu_, QStringLiteral("Save"), kFileSave)->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    AddCommand(fileMenu_, QStringLiteral("Save As ...."), kFileSaveAs)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, QStringLiteral("Print..."), kFilePrint)->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    AddCommand(fileMenu_, QStringLiteral("Export PDF..."), kFileExportPdf);
    fileMenu_->addSeparator();
    for (int i = 0; i < RecentFileList::kCapacity; ++i) {
        QAction* action = fileMenu_->addAction(QString());
        action->setObjectName(QStringLiteral("command%1").arg(RecentFileList::kFirstCommandId + i));
        action->setData(RecentFileList::kFirstCommandId + i);
        connect(action, &QAction::triggered, this, [this, i] { OnRecentFile(i); });
        recentActions_[i] = action;
    }
    commands_[kFileRecent] = recentActions_[0];
    recentSeparator_ = fileMenu_->addSeparator();
    AddCommand(fileMenu_, QStringLiteral("Exit"), kFileExit)->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    connect(fileMenu_, &QMenu::aboutToShow, this, &CQuarnToolDlg::UpdateRecentFileMenu);
    UpdateRecentFileMenu();

    QMenu* edit = menuBar_->addMenu(QStringLiteral("Edit"));
    AddHistoryCommands(edit);
    AddCommand(edit, QStringLiteral("Version..."), kEditVersion);

    QMenu* extra = menuBar_->addMenu(QStringLiteral("Extra"));
    AddCommand(extra, QStringLiteral("Direct control..."), kDirectControl);
    AddCommand(extra, QStringLiteral("Week preview..."), kWeekPreview);
    extra->addSeparator();
    AddCommand(extra, QStringLiteral("Upload to QUARN..."), kUpload);

    // This desktop gives a window no system menu of its own to extend, so
    // the About item gets a menu of its own at the end of the bar.
    const QString about = texts::AboutMenuItem();
    if (!about.isEmpty()) {
        QMenu* help = menuBar_->addMenu(QStringLiteral("Help"));
        QAction* action = help->addAction(about);
        action->setObjectName(QStringLiteral("command%1").arg(kAboutBox));
        action->setData(static_cast<int>(kAboutBox));
        action->setShortcut(QKeySequence(Qt::Key_F1));
        connect(action, &QAction::triggered, this, [this] { OnSysCommand(kAboutBox); });
        commands_[kAboutBox] = action;
    }
}

// Keys for the Extra menu's commands, chosen clear of the File menu's, the
// edit keys and the line-editing keys a date field takes for itself (Ctrl+K,
// Ctrl+U); and Alt with a letter for each menu.
void CQuarnToolDlg::AddCommandKeys()
{
    const std::pair<int, const char*> keys[] = {
        {kDirectControl, "Ctrl+D"},
        {kWeekPreview, "Ctrl+R"},
        {kUpload, "Ctrl+L"},
    };
    for (const auto& [id, key] : keys) {
        if (QAction* action = CommandAction(id))
            action->setShortcut(QKeySequence(QString::fromLatin1(key)));
    }
    AddMenuKeys(this, menuBar_);
}

QAction* CQuarnToolDlg::AddCommand(QMenu* menu, const QString& text, int id)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    commands_[id] = action;
    return action;
}

void CQuarnToolDlg::RunCommand(int id)
{
    switch (id) {
    case kFileNew:
        OnFileNew();
        break;
    case kFileOpen:
        OnFileOpen();
        break;
    case kFileSave:
        OnFileSave();
        break;
    case kFileSaveAs:
        OnFileSaveAs();
        break;
    case kFilePrint:
        OnFilePrint();
        break;
    case kFileExportPdf:
        OnFileExportPdf();
        break;
    case kFileExit:
        OnFileExit();
        break;
    case kEditUndo:
        OnEditUndo();
        break;
    case kEditRedo:
        OnEditRedo();
        break;
    case kEditVersion:
        OnEditVersion();
        break;
    case kDirectControl:
        OnDirectControl();
        break;
    case kUpload:
        OnUpload();
        break;
    case kWeekPreview:
        OnWeekPreview();
        break;
    default:
        break;
    }
}

QWidget* CQuarnToolDlg::Control(int id) const
{
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

CDateTimeCtrlEx* CQuarnToolDlg::TimerField(int timer, int column) const
{
    return static_cast<CDateTimeCtrlEx*>(Control(kFirstTimerField + 4 * timer + column));
}

QAction* CQuarnToolDlg::CommandAction(int id) const
{
    const auto it = commands_.find(id);
    return it == commands_.end() ? nullptr : it->second;
}

void CQuarnToolDlg::SetRecentFileOpener(std::function<long long(const QString&)> opener)
{
    recentFileOpener_ = std::move(opener);
}

void CQuarnToolDlg::TakeFields()
{
    TakeFieldsInto(model_);
}

StateMachineModel CQuarnToolDlg::DocumentInFields() const
{
    StateMachineModel document = model_;
    TakeFieldsInto(document);
    return document;
}

void CQuarnToolDlg::TakeFieldsInto(StateMachineModel& model) const
{
    for (int n = 0; n < kTimerCount; ++n) {
        TimerEntry& timer = model.timers[n];
        const auto text = [this, n](int column) -> CDateTimeCtrlEx* { return TimerField(n, column); };
        timer.onDate = DateOfField(*text(0));
        timer.onTime = TimeOfField(*text(1));
        timer.offDate = DateOfField(*text(2));
        timer.offTime = TimeOfField(*text(3));
        for (int d = 0; d < kDays; ++d)
            timer.weekdays[d] = static_cast<QCheckBox*>(Control(kFirstWeekdayBox + kDays * n + d))->isChecked();
    }
    for (int n = 0; n < kRelayCount; ++n)
        model.relays[n] = static_cast<ConditionBox*>(Control(kFirstConditionBox + n))->text().toStdU16String();
}

void CQuarnToolDlg::ShowModel()
{
    for (int n = 0; n < kTimerCount; ++n) {
        const TimerEntry& timer = model_.timers[n];
        ShowDateInField(*TimerField(n, 0), timer.onDate);
        ShowTimeInField(*TimerField(n, 1), timer.onTime);
        ShowDateInField(*TimerField(n, 2), timer.offDate);
        ShowTimeInField(*TimerField(n, 3), timer.offTime);
        for (int d = 0; d < kDays; ++d)
            static_cast<QCheckBox*>(Control(kFirstWeekdayBox + kDays * n + d))->setChecked(timer.weekdays[d]);
    }
    for (int n = 0; n < kRelayCount; ++n) {
        static_cast<ConditionBox*>(Control(kFirstConditionBox + n))
            ->setText(QString::fromStdU16String(model_.relays[n]));
    }
}

void CQuarnToolDlg::OnWeekdayBox(int /*id*/)
{
    // The box has toggled itself; the model learns of it at the next TakeFields.
    model_.modified = true;
    RecordChange();
}

void CQuarnToolDlg::OnAllDaysButton(int id)
{
    const int n = id - kFirstAllDaysButton;
    if (n < 0 || n >= kTimerCount)
        return;
    TakeFields();
    SetWeekdayMask(model_, n, 255);
    ShowModel();
    RecordChange();
}

void CQuarnToolDlg::OnNoDaysButton(int id)
{
    const int n = id - kFirstNoDaysButton;
    if (n < 0 || n >= kTimerCount)
        return;
    TakeFields();
    SetWeekdayMask(model_, n, 0);
    ShowModel();
    RecordChange();
}

void CQuarnToolDlg::OnSysCommand(int id)
{
    if ((id & 0xFFF0) == kAboutBox)
        OnAboutBox();
}

void CQuarnToolDlg::accept()
{
}

void CQuarnToolDlg::reject()
{
    OnFileExit();
}

bool CQuarnToolDlg::event(QEvent* event)
{
    if (event->type() == kTimerFieldChangedEvent) {
        if (!applyingHistory_) {
            model_.modified = true;
            RecordChange();
        }
        event->accept();
        return true;
    }
    if (event->type() == kOpenDocumentFileEvent) {
        auto* open = static_cast<OpenDocumentFileEvent*>(event);
        open->result = OnOpenDocumentFile(open->path());
        return true;
    }
    return QDialog::event(event);
}

void CQuarnToolDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    case Qt::Key_Escape:
        event->accept();
        reject();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

}  // namespace quarn
