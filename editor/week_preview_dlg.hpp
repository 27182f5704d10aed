#pragma once

#include "base/controller_facts.hpp"
#include "document/model.hpp"
#include "editor/week_preview.hpp"

#include <QDialog>

#include <array>

class QCheckBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace quarn {

class FileDialogs;
class TimelineView;

// The Week preview: what the document does over seven days from a chosen
// first day, drawn as the svg picture, with inputs S0-S3 held on for the
// whole period as the user ticks them. A condition outside the grammar is
// shown in place of the picture. "Save picture..." writes PNG or SVG. Under
// the picture the findings of `quarnctl check` for the week (held inputs
// pinned on, the others free); a click on a relay's lane explains the relay
// at that instant, on a timer's lane shows its window, in a panel beside the
// picture. Input lanes take no clicks.
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
    // The check's findings for the shown week, and the panel that explains a
    // clicked relay (or a timer's window).
    QListWidget* FindingsList() const { return findings_; }
    QLabel* ExplanationPanel() const { return explanation_; }
    // What a click on lane `lane` at `at` does: shows its explanation.
    void ExplainLane(std::size_t lane, qint64 at);
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
    std::array<QCheckBox*, kInputCount> holdInputs_{};
    QStackedWidget* pages_ = nullptr;
    TimelineView* view_ = nullptr;
    QLabel* error_ = nullptr;
    QLabel* warnings_ = nullptr;
    QListWidget* findings_ = nullptr;
    QLabel* explanation_ = nullptr;
    QPushButton* save_ = nullptr;
};

// The first day the preview offers: Monday of the week that holds now.
QDate DefaultFirstDay(runtime::Instant now);

}  // namespace quarn
