#pragma once

#include "base/controller_facts.hpp"
#include "document/model.hpp"
#include "runtime/input_plan.hpp"
#include "runtime/week_preview.hpp"

#include <QDialog>

#include <array>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace quarn {

class FileDialogs;
class TimelineView;

// The Week preview: what the document does over seven days from a chosen
// first day, drawn as the svg picture. Inputs S0-S3 start on as the user
// ticks them, and a click on an input's lane switches that input from the
// clicked instant on; "Clear inputs" sets them all off again, and a
// read-only line shows them as the `--input` options of `quarnctl simulate`
// (with a Copy button). A condition outside the grammar is shown in place
// of the picture. "Save picture..." writes PNG or SVG, which name the inputs
// assumed under the plot. Under the picture the findings of `quarnctl check`
// for the week (inputs on throughout pinned on, the others free); a click on
// a relay's lane explains the relay at that instant, on a timer's lane shows
// its window, in a panel beside the picture.
class CWeekPreviewDlg : public QDialog {
    Q_OBJECT

public:
    // model is copied: the preview shows the document as it was when the
    // dialog opened. fileDialogs must outlive the dialog.
    CWeekPreviewDlg(const StateMachineModel& model, FileDialogs& fileDialogs, QWidget* parent = nullptr);
    ~CWeekPreviewDlg() override;

    const runtime::WeekPreview& Preview() const { return preview_; }
    QDateEdit* FirstDayField() const { return firstDay_; }
    QCheckBox* HoldInputBox(int n) const { return holdInputs_[n]; }
    TimelineView* View() const { return view_; }
    QLabel* ErrorLabel() const { return error_; }
    // The check's findings for the shown week, and the panel that explains a
    // clicked relay (or a timer's window).
    QListWidget* FindingsList() const { return findings_; }
    QLabel* ExplanationPanel() const { return explanation_; }
    // What a click on lane `lane` at `at` does: switches an input, or
    // explains a relay or timer.
    void ClickLane(std::size_t lane, qint64 at);
    // Shows the explanation of lane `lane` at `at`, if it has one.
    void ExplainLane(std::size_t lane, qint64 at);
    QPushButton* SavePictureButton() const { return save_; }

    // The inputs assumed, as the user set them.
    const runtime::InputPlan& Inputs() const { return inputs_; }
    QPushButton* ClearInputsButton() const { return clearInputs_; }
    // The inputs as `quarnctl simulate` options, and the button that copies them.
    QLineEdit* InputOptionsLine() const { return inputOptions_; }
    QPushButton* CopyInputsButton() const { return copyInputs_; }
    // Switches input n from the instant of a click at `at` on (rounded as
    // the picture's scale allows) and draws the week again.
    void ToggleInput(int n, qint64 at);
    // Every input off for the whole week.
    void ClearInputs();

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
    runtime::WeekPreview preview_;
    QDateEdit* firstDay_ = nullptr;
    std::array<QCheckBox*, kInputCount> holdInputs_{};
    runtime::InputPlan inputs_;
    QPushButton* clearInputs_ = nullptr;
    QLineEdit* inputOptions_ = nullptr;
    QPushButton* copyInputs_ = nullptr;
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
