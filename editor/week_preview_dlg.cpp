#include "editor/week_preview_dlg.hpp"

#include "document/file_access.hpp"
#include "editor/editor_texts.hpp"
#include "editor/timeline_view.hpp"
#include "platform/file_dialogs.hpp"
#include "platform/message_box.hpp"
#include "runtime/calendar.hpp"
#include "runtime/local_clock.hpp"

#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cmath>

namespace quarn {

namespace {

runtime::Instant InstantOfDate(const QDate& date)
{
    return runtime::InstantOf(runtime::DateTime{date.year(), date.month(), date.day(), 0, 0, 0});
}

// The picture as a PNG file's bytes; empty when the image cannot be encoded.
std::string PngBytes(const runtime::PictureLayout& layout)
{
    QImage image(static_cast<int>(std::ceil(layout.width)), static_cast<int>(std::ceil(layout.height)),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        PaintPicture(painter, layout);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return {};
    return bytes.toStdString();
}

const QString kExplanationHint = QStringLiteral(
    "Click a relay's lane to see why it is on or off, an input's lane to switch the input from there on.");

}  // namespace

QDate DefaultFirstDay(runtime::Instant now)
{
    const runtime::DateTime monday = runtime::FieldsOf(runtime::StartOfWeek(now));
    return {monday.year, monday.month, monday.day};
}

CWeekPreviewDlg::CWeekPreviewDlg(const StateMachineModel& model, FileDialogs& fileDialogs, QWidget* parent)
    : QDialog(parent), model_(model), fileDialogs_(fileDialogs)
{
    using runtime::kSecondsPerWeek;
    setObjectName(QStringLiteral("CWeekPreviewDlg"));
    setWindowTitle(QStringLiteral("Week preview"));

    auto* controls = new QHBoxLayout;
    auto* firstDayLabel = new QLabel(QStringLiteral("First day:"), this);
    firstDay_ = new QDateEdit(DefaultFirstDay(runtime::LocalNow()), this);
    firstDay_->setObjectName(QStringLiteral("firstDay"));
    firstDay_->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    firstDay_->setCalendarPopup(true);
    firstDay_->setDateRange(texts::FirstDate(), texts::LastDate());
    firstDayLabel->setBuddy(firstDay_);
    // Enter in the field applies the typed date; it does not close the preview.
    firstDay_->installEventFilter(this);
    controls->addWidget(firstDayLabel);
    controls->addWidget(firstDay_);
    controls->addSpacing(16);
    const runtime::Instant from = InstantOfDate(firstDay_->date());
    inputs_ = runtime::InputPlan(from, from + kSecondsPerWeek);
    for (int n = 0; n < kInputCount; ++n) {
        auto* box = new QCheckBox(QStringLiteral("S%1 on").arg(n), this);
        box->setObjectName(QStringLiteral("holdS%1").arg(n));
        box->setToolTip(
            QStringLiteral("Input S%1 closed from the start; a click on its lane switches it later").arg(n));
        controls->addWidget(box);
        holdInputs_[n] = box;
        connect(box, &QCheckBox::toggled, this, [this, n](bool on) {
            inputs_.SetStartsOn(n, on);
            Refresh();
        });
    }
    clearInputs_ = new QPushButton(QStringLiteral("Clear inputs"), this);
    clearInputs_->setObjectName(QStringLiteral("clearInputs"));
    clearInputs_->setAutoDefault(false);
    controls->addWidget(clearInputs_);
    controls->addStretch(1);
    connect(clearInputs_, &QPushButton::clicked, this, &CWeekPreviewDlg::ClearInputs);
    connect(firstDay_, &QDateEdit::dateChanged, this, &CWeekPreviewDlg::Refresh);

    // The inputs as options of quarnctl simulate, to select and copy.
    auto* optionsRow = new QHBoxLayout;
    auto* optionsLabel = new QLabel(QStringLiteral("quarnctl simulate:"), this);
    inputOptions_ = new QLineEdit(this);
    inputOptions_->setObjectName(QStringLiteral("inputOptions"));
    inputOptions_->setReadOnly(true);
    inputOptions_->setPlaceholderText(QStringLiteral("every input off: no --input options"));
    optionsLabel->setBuddy(inputOptions_);
    copyInputs_ = new QPushButton(QStringLiteral("Copy"), this);
    copyInputs_->setObjectName(QStringLiteral("copyInputs"));
    copyInputs_->setAutoDefault(false);
    optionsRow->addWidget(optionsLabel);
    optionsRow->addWidget(inputOptions_, 1);
    optionsRow->addWidget(copyInputs_);
    connect(copyInputs_, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(inputOptions_->text()); });

    view_ = new TimelineView;
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(view_);
    scroll->setWidgetResizable(false);
    scroll->setFrameShape(QFrame::NoFrame);
    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("conditionError"));
    error_->setTextFormat(Qt::PlainText);
    error_->setWordWrap(true);
    error_->setAlignment(Qt::AlignCenter);
    error_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pages_ = new QStackedWidget(this);
    pages_->addWidget(scroll);
    pages_->addWidget(error_);

    explanation_ = new QLabel(kExplanationHint, this);
    explanation_->setObjectName(QStringLiteral("explanation"));
    explanation_->setTextFormat(Qt::PlainText);
    explanation_->setWordWrap(true);
    explanation_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    explanation_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    explanation_->setMinimumWidth(260);
    connect(view_, &TimelineView::LaneClicked, this, &CWeekPreviewDlg::ClickLane);

    findings_ = new QListWidget(this);
    findings_->setObjectName(QStringLiteral("findings"));
    findings_->setMaximumHeight(120);

    warnings_ = new QLabel(this);
    warnings_->setObjectName(QStringLiteral("warnings"));
    warnings_->setTextFormat(Qt::PlainText);
    warnings_->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    save_ = new QPushButton(QStringLiteral("Save picture..."), this);
    save_->setObjectName(QStringLiteral("savePicture"));
    save_->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setDefault(true);
    buttons->addWidget(save_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    connect(save_, &QPushButton::clicked, this, &CWeekPreviewDlg::SavePicture);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(optionsRow);
    auto* middle = new QHBoxLayout;
    middle->addWidget(pages_, 1);
    middle->addWidget(explanation_);
    layout->addLayout(middle, 1);
    layout->addWidget(warnings_);
    layout->addWidget(findings_);
    layout->addLayout(buttons);

    Refresh();
    // Room for the whole week's picture and a scroll bar's worth.
    resize(view_->sizeHint().width() + 40 + 280, std::max(view_->sizeHint().height(), 200) + 270);
}

CWeekPreviewDlg::~CWeekPreviewDlg() = default;

bool CWeekPreviewDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == firstDay_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Takes the text as typed (or fixes it up, as leaving the field
            // would); a changed date redraws the week.
            firstDay_->interpretText();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CWeekPreviewDlg::Refresh()
{
    inputs_.MoveTo(InstantOfDate(firstDay_->date()));
    preview_ = runtime::BuildWeekPreview(model_, inputs_);
    view_->SetPreview(&preview_);
    // A click at the first instant changes how an input starts.
    for (int n = 0; n < kInputCount; ++n) {
        const QSignalBlocker quiet(holdInputs_[n]);
        holdInputs_[n]->setChecked(inputs_.StartsOn(n));
    }
    inputOptions_->setText(QString::fromStdString(runtime::InputOptionsText(preview_.inputs)));

    if (preview_.error) {
        error_->setText(QString::fromStdString(preview_.error->Message()));
        pages_->setCurrentWidget(error_);
    } else {
        pages_->setCurrentIndex(0);
    }
    save_->setEnabled(!preview_.error);

    QStringList warnings;
    for (const runtime::Warning& warning : preview_.timeline.warnings)
        warnings << QString::fromStdString(warning.text);
    if (preview_.timeline.warningsLeftOut > 0)
        warnings << QStringLiteral("and %1 more").arg(preview_.timeline.warningsLeftOut);
    if (warnings.size() > 5)
        warnings = warnings.mid(0, 5) << QStringLiteral("and %1 more").arg(warnings.size() - 5);
    warnings_->setText(warnings.join(QLatin1Char('\n')));
    warnings_->setVisible(!warnings.isEmpty());

    findings_->clear();
    for (const std::string& line : runtime::FindingLines(preview_))
        findings_->addItem(QString::fromStdString(line));
    findings_->setVisible(findings_->count() > 0);
    explanation_->setText(kExplanationHint);
}

void CWeekPreviewDlg::ClickLane(std::size_t lane, qint64 at)
{
    if (!preview_.error && lane < preview_.picture.lanes.size()) {
        const runtime::Signal signal = preview_.picture.lanes[lane].signal;
        if (signal.kind == runtime::SignalKind::Input) {
            ToggleInput(signal.index, at);
            return;
        }
    }
    ExplainLane(lane, at);
}

void CWeekPreviewDlg::ToggleInput(int n, qint64 at)
{
    inputs_.Toggle(n, runtime::RoundClickInstant(preview_.picture, at));
    Refresh();
}

void CWeekPreviewDlg::ClearInputs()
{
    inputs_.Clear();
    Refresh();
}

void CWeekPreviewDlg::ExplainLane(std::size_t lane, qint64 at)
{
    const std::string text = runtime::ExplainLaneAt(preview_, lane, at);
    if (!text.empty())
        explanation_->setText(QString::fromStdString(text));
}

bool CWeekPreviewDlg::SavePicture()
{
    if (preview_.error)
        return false;
    FileDialogRequest request;
    request.save = true;
    const QString firstDay = firstDay_->date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString documentPath = QString::fromStdU16String(model_.path);
    const QString folder =
        documentPath.isEmpty() ? QString() : QFileInfo(documentPath).absolutePath() + QLatin1Char('/');
    request.initialPath = folder + QStringLiteral("week-%1.png").arg(firstDay);
    request.nameFilters = QStringLiteral("PNG image (*.png);;SVG image (*.svg)");
    request.defaultSuffix = QStringLiteral("png");
    request.fileMustExist = false;
    request.confirmReplace = true;
    const QString path = fileDialogs_.AskPath(this, request);
    if (path.isEmpty())
        return false;

    // Through a temporary file that replaces the old one only once it is
    // complete: a full disk leaves an earlier picture as it was.
    const bool svg = path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
    const std::string bytes = svg ? runtime::WriteSvg(preview_.picture) : PngBytes(preview_.picture);
    const bool written = !bytes.empty() && ReplaceFileContents(path.toStdU16String(), bytes) == 0;
    if (!written)
        ShowMessageBox(this, QStringLiteral("Cannot write the picture to %1").arg(path), MessageButtons::Ok);
    return written;
}

}  // namespace quarn
