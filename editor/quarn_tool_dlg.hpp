#pragma once

#include "document/edit_history.hpp"
#include "document/model.hpp"
#include "runtime/report.hpp"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <map>

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPrinter;
class QPushButton;
class QScrollArea;

namespace quarn {

class CDateTimeCtrlEx;
class CWeekPreviewDlg;
class FileDialogs;
class RecentFileList;

// The editor's main window: a grid of eight timers with their date and time
// fields and weekday boxes, a row of eight relay buttons with the condition
// each relay is switched on, and the menu bar. It owns the document for the
// whole run of the program.
class CQuarnToolDlg : public QDialog {
    Q_OBJECT

public:
    // Command ids of the menus and system menu.
    enum Command {
        kFileNew = 57600,
        kFileOpen = 57601,
        kFileSave = 57603,
        kFileSaveAs = 32773,
        kFilePrint = 57607,
        kFileExportPdf = 32785,
        kFileRecent = 57616,
        kFileExit = 32774,
        kEditUndo = 57643,
        kEditRedo = 57646,
        kEditVersion = 32779,
        kDirectControl = 32778,
        kWeekPreview = 32780,
        kUpload = 32775,
        kAboutBox = 16,
    };
    // Control ids.
    static constexpr int kFirstTimerField = 1000;     // 1000 + 4n + 0..3
    static constexpr int kFirstWeekdayBox = 1100;     // 1100 + 7n + d
    static constexpr int kFirstRelayButton = 1200;    // 1200 + n
    static constexpr int kFirstConditionBox = 1218;   // 1218 + n
    static constexpr int kFirstAllDaysButton = 1239;  // 1239 + n
    static constexpr int kFirstNoDaysButton = 1247;   // 1247 + n

    // recentFiles and fileDialogs must outlive the window.
    CQuarnToolDlg(RecentFileList& recentFiles, FileDialogs& fileDialogs, QWidget* parent = nullptr);
    ~CQuarnToolDlg() override;

    StateMachineModel& Model() { return model_; }
    const StateMachineModel& Model() const { return model_; }

    // Moves the contents of every field into the model, and back.
    void TakeFields();
    void ShowModel();
    // The fields taken into a copy of the model; the model stays as it is.
    StateMachineModel DocumentInFields() const;

    // The control with the given id, or null.
    QWidget* Control(int id) const;
    CDateTimeCtrlEx* TimerField(int timer, int column) const;
    // The menu action with the given command id, or null.
    QAction* CommandAction(int id) const;

    // How a recent-file entry is opened; by default the window sends itself
    // the open-document event. The application replaces it with its own.
    void SetRecentFileOpener(std::function<long long(const QString&)> opener);

    // File commands.
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnFileExit();
    void OnRecentFile(int index);
    long long OnOpenDocumentFile(const QString& path);
    // What Open does once the file is chosen: reads path into the window,
    // or says it cannot. Asks nothing. True when the file was read.
    bool OpenFile(const QString& path);
    // A file dropped on the window: asks about unsaved changes as Open
    // does, then opens it.
    void OnDroppedFile(const QString& path);

    // Title: "QuarnTool", and ": " and the path while the document has a file.
    void UpdateTitle();

    // Writes the document to its file, asking for a path first when it has
    // none. True when the file was written.
    bool SaveCurrent();

    // Asks text when the document has unsaved changes. Returns false when
    // the command that asked must stop: on Cancel, and on Yes when the
    // document did not end up in a file.
    bool AskToSave(const QString& text);

    // Undo and Redo: step back or forward through the changes since the
    // document was opened, and show the document as it was then.
    void OnEditUndo();
    void OnEditRedo();

    // Other commands.
    void OnEditVersion();
    void OnSysCommand(int id);
    void OnAboutBox();
    void OnRelayButton(int id);
    void OnAllDaysButton(int id);
    void OnNoDaysButton(int id);
    void OnWeekdayBox(int id);
    // The device commands.
    void OnUpload();
    void OnDirectControl();
    // What the document does over a week, drawn.
    void OnWeekPreview();
    // The document on paper (the page of quarnctl report), for the week of
    // the open Week preview, else this week. True when it was printed or
    // written.
    bool OnFilePrint();
    bool OnFileExportPdf();
    runtime::Report CurrentReport();
    runtime::Instant ReportWeekStart() const;
    // How Print asks for the printer; by default the print dialog. True: print.
    void SetPrintAsker(std::function<bool(QPrinter&)> asker);

    // Filled by the File menu each time it opens.
    void UpdateRecentFileMenu();

public slots:
    // Enter does nothing; the window does not close on its own.
    void accept() override;
    // Escape, the close box and the system menu's Close behave as Exit.
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    QScrollArea* ScrollingGrid();
    void NameControls();
    void BuildMenus();
    void AddCommandKeys();
    void RunCommand(int id);
    QAction* AddCommand(QMenu* menu, const QString& text, int id);
    int ReadDocument();
    bool WriteDocument();
    void TakeFieldsInto(StateMachineModel& model) const;
    void AddHistoryCommands(QMenu* menu);
    // After a change in the window: the document as the fields show it
    // becomes a step of the history.
    void RecordChange();
    void UpdateHistoryCommands();

    StateMachineModel model_;
    RecentFileList& recentFiles_;
    FileDialogs& fileDialogs_;
    std::function<long long(const QString&)> recentFileOpener_;
    std::function<bool(QPrinter&)> printAsker_;
    const CWeekPreviewDlg* openPreview_ = nullptr;  // while the Week preview runs

    QMenuBar* menuBar_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QWidget* content_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    std::map<int, QWidget*> controls_;
    std::map<int, QAction*> commands_;
    std::array<QAction*, 4> recentActions_{};
    bool closing_ = false;
    EditHistory history_;
    // Set while Undo or Redo shows a state: showing it is no change.
    bool applyingHistory_ = false;
};

}  // namespace quarn
