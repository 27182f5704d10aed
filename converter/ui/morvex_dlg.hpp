#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace quarn {

class FileDialogs;

// The converter's only window: a source XMI path, a destination XML path,
// and buttons to browse for either, transform, upload and exit. Every change
// of the source field sets the destination to the source followed by ".xml".
//
// Controls are named "control<id>": source field 1000, its "Browse..." 1001,
// destination field 1002, its "Browse..." 1003, "Transform XMI to XML" 1004,
// "Upload XML to QUARN..." 1005, "Exit" 1.
class CMorvexDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSourceField = 1000;
    static constexpr int kSourceBrowse = 1001;
    static constexpr int kDestinationField = 1002;
    static constexpr int kDestinationBrowse = 1003;
    static constexpr int kTransform = 1004;
    static constexpr int kUpload = 1005;
    static constexpr int kExit = 1;
    // Size in dialog units.
    static constexpr int kWidth = 375;
    static constexpr int kHeight = 146;

    explicit CMorvexDlg(FileDialogs& fileDialogs, QWidget* parent = nullptr);

    // The stored paths, as last taken from or shown in the fields.
    const QString& SourcePath() const { return source_; }
    const QString& DestinationPath() const { return destination_; }

    // Reads both fields into the stored paths.
    void TakeFields();
    // Writes both stored paths into the fields; a field that already shows
    // its path is left alone.
    void ShowPaths();

    // Puts path into the source field as if typed there: the destination
    // follows. The file named on the command line comes in this way.
    void FillSourceField(const QString& path);

    void OnSourceChanged();
    void OnBrowseSource();
    void OnBrowseDestination();
    void OnTransform();
    void OnUpload();

protected:
    // The window has no close box; a window manager that draws one anyway
    // gets no answer from it. Exit, Enter and Escape end the program.
    void closeEvent(QCloseEvent* event) override;

private:
    FileDialogs& fileDialogs_;
    QString source_;
    QString destination_;
    QLineEdit* sourceField_ = nullptr;
    QLineEdit* destinationField_ = nullptr;
};

}  // namespace quarn
