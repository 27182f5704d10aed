#pragma once

#include "document/model.hpp"
#include "editor/week_preview.hpp"

#include <QDialog>

#include <array>

class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace quarn {

class FileDialogs;
class TimelineView;

// The Week preview: what the document does over seven days from a chosen
// first day, drawn as the svg picture, with inputs S0-S3 held on for the
// whole period as the user ticks them. A condition outside the grammar is
// shown in place of the picture. "Save picture..." writes PNG or SVG.
class CWeekPreviewDlg : public QDialog {
    Q_OBJECT

public:
    // model is copied: the preview shows the document as it was when the
    // dialog opened. fileDialogs must outlive the dialog.
    CWeekPreviewDlg(const StateMachineModel& model, FileDialogs& fileDialogs, QWidget* parent = nullptr);
    ~CWeekPreviewDlg() override;

    const WeekPreview& Preview() const { return preview_; }
    QDateEdit* FirstDayField() const { return firstDay_; }
    QCheckBox* HoldInputBox(int n) const { return holdInputs_[n]; }
    TimelineView* View() const { return view_; }
    QLabel* ErrorLabel() const { return error_; }
    QPushButton* SavePictureButton() const { return save_; }

    // Runs the program again for the first day and inputs shown.
    void Refresh();
    // Asks for a file and writes the picture into it; SVG for a name ending
    // in ".svg", PNG otherwise. True when a file was written.
    bool SavePicture();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    StateMachineModel model_;
    FileDialogs& fileDialogs_;
    WeekPreview preview_;
    QDateEdit* firstDay_ = nullptr;
    std::array<QCheckBox*, 4> holdInputs_{};
    QStackedWidget* pages_ = nullptr;
    TimelineView* view_ = nullptr;
    QLabel* error_ = nullptr;
    QLabel* warnings_ = nullptr;
    QPushButton* save_ = nullptr;
};

// The first day the preview offers: Monday of the week that holds now.
QDate DefaultFirstDay(runtime::Instant now);

}  // namespace quarn
