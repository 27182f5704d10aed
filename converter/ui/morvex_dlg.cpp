#include "converter/ui/morvex_dlg.hpp"

#include "converter/transform.hpp"
#include "converter/ui/converter_commands.hpp"
#include "converter/ui/morvex_texts.hpp"
#include "platform/control_name.hpp"
#include "platform/dialog_units.hpp"
#include "platform/file_dialogs.hpp"
#include "platform/window_geometry.hpp"

#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace quarn {

namespace {

QLineEdit* AddField(QWidget* parent, const DialogUnits& du, int id, int x, int y)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(ControlName(id));
    field->setGeometry(du.rect(x, y, 192, 12));
    return field;
}

// A label in its place; one that wraps breaks its words inside the given
// width, one that does not grows to the right rather than cut its text when
// the desktop font is wider than the one the layout was measured with.
QLabel* AddLabel(QWidget* parent, const DialogUnits& du, const QString& text, int x, int y, int width, int height,
                 bool wraps)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(wraps);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QRect place = du.rect(x, y, width, height);
    if (!wraps)
        place.setWidth(std::max(place.width(), label->sizeHint().width()));
    label->setGeometry(place);
    return label;
}

QPushButton* AddButton(QWidget* parent, const DialogUnits& du, int id, const QString& text, int x, int y, int width,
                       int height)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(ControlName(id));
    button->setGeometry(du.rect(x, y, width, height));
    return button;
}

// The source question: any name in an existing folder will do.
FileDialogRequest SourceQuestion(const QString& path)
{
    FileDialogRequest request;
    request.initialPath = path;
    request.nameFilters = morvex_texts::SourceFilters();
    request.hideFilterPatterns = true;
    request.defaultSuffix = QStringLiteral("xmi");
    request.fileMustExist = false;
    return request;
}

// The destination question: an existing file is replaced without asking.
FileDialogRequest DestinationQuestion(const QString& path)
{
    FileDialogRequest request;
    request.save = true;
    request.initialPath = path;
    request.nameFilters = morvex_texts::DestinationFilters();
    request.defaultSuffix = QStringLiteral("xml");
    request.confirmReplace = false;
    return request;
}

}  // namespace

CMorvexDlg::CMorvexDlg(FileDialogs& fileDialogs, QWidget* parent) : QDialog(parent), fileDialogs_(fileDialogs)
{
    setObjectName(QStringLiteral("CMorvexDlg"));
    // Title bar and sizing border only: no system menu, close, minimise or
    // maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(morvex_texts::WindowTitle());
    setWindowIcon(QIcon(QStringLiteral(":/morvex/morvex.svg")));

    // Controls in tab order; none is in a layout, so resizing moves nothing.
    const DialogUnits du(font());
    sourceField_ = AddField(this, du, kSourceField, 96, 18);
    QPushButton* browseSource = AddButton(this, du, kSourceBrowse, morvex_texts::BrowseButton(), 288, 18, 50, 14);
    QPushButton* transform = AddButton(this, du, kTransform, morvex_texts::TransformButton(), 96, 42, 132, 18);
    destinationField_ = AddField(this, du, kDestinationField, 96, 78);
    QPushButton* browseDestination =
        AddButton(this, du, kDestinationBrowse, morvex_texts::BrowseButton(), 288, 78, 50, 14);
    QPushButton* upload = AddButton(this, du, kUpload, morvex_texts::UploadButton(), 96, 102, 132, 18);
    QPushButton* exit = AddButton(this, du, kExit, morvex_texts::ExitButton(), 288, 108, 50, 14);
    exit->setDefault(true);
    AddLabel(this, du, morvex_texts::SourceLabel(), 6, 18, 48, 8, false)->setBuddy(sourceField_);
    AddLabel(this, du, morvex_texts::DestinationLabel(), 6, 78, 78, 24, true)->setBuddy(destinationField_);
    // The two "Browse..." buttons, told apart for a screen reader.
    browseSource->setAccessibleName(QStringLiteral("Browse for the source XMI file"));
    browseDestination->setAccessibleName(QStringLiteral("Browse for the destination XML file"));

    QWidget* order[] = {sourceField_, browseSource, transform, destinationField_, browseDestination, upload, exit};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(sourceField_, &QLineEdit::textChanged, this, &CMorvexDlg::OnSourceChanged);
    connect(browseSource, &QPushButton::clicked, this, &CMorvexDlg::OnBrowseSource);
    connect(browseDestination, &QPushButton::clicked, this, &CMorvexDlg::OnBrowseDestination);
    connect(transform, &QPushButton::clicked, this, &CMorvexDlg::OnTransform);
    connect(upload, &QPushButton::clicked, this, &CMorvexDlg::OnUpload);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    // Enter in either field ends the program, as Exit does.
    connect(sourceField_, &QLineEdit::returnPressed, this, &QDialog::accept);
    connect(destinationField_, &QLineEdit::returnPressed, this, &QDialog::accept);

    ScrollControlsWithinScreen(this, du.size(kWidth, kHeight));
    sourceField_->setFocus();
}

void CMorvexDlg::TakeFields()
{
    source_ = sourceField_->text();
    destination_ = destinationField_->text();
}

void CMorvexDlg::ShowPaths()
{
    if (sourceField_->text() != source_)
        sourceField_->setText(source_);
    if (destinationField_->text() != destination_)
        destinationField_->setText(destination_);
}

void CMorvexDlg::FillSourceField(const QString& path)
{
    sourceField_->setText(path);
}

void CMorvexDlg::OnSourceChanged()
{
    TakeFields();
    destination_ = QString::fromStdU16String(DeriveDestination(source_.toStdU16String()));
    ShowPaths();
}

void CMorvexDlg::OnBrowseSource()
{
    TakeFields();
    const QString chosen = fileDialogs_.AskPath(this, SourceQuestion(source_));
    if (chosen.isEmpty())
        return;
    source_ = chosen;
    destination_ = QString::fromStdU16String(DeriveDestination(source_.toStdU16String()));
    ShowPaths();
}

void CMorvexDlg::OnBrowseDestination()
{
    TakeFields();
    const QString chosen = fileDialogs_.AskPath(this, DestinationQuestion(destination_));
    if (chosen.isEmpty())
        return;
    destination_ = chosen;
    ShowPaths();
}

void CMorvexDlg::OnTransform()
{
    TakeFields();
    RunTransformCommand(this, source_, destination_);
}

void CMorvexDlg::OnUpload()
{
    TakeFields();
    RunConverterUploadCommand(this, destination_);
}

void CMorvexDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

}  // namespace quarn
