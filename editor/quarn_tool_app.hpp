#pragma once

#include "editor/recent_file_list.hpp"
#include "platform/file_dialogs.hpp"

#include <QString>

#include <functional>
#include <memory>

namespace quarn {

class CQuarnToolDlg;

// The editor program: prepares the platform services, names the settings
// store, loads the recent-file list, runs the main window until it closes
// and writes the recent-file list back.
class CQuarnToolApp {
public:
    // startSockets starts the socket layer and returns false when it
    // cannot; empty means there is nothing to start.
    explicit CQuarnToolApp(std::function<bool()> startSockets = {});
    ~CQuarnToolApp();
    // The main window's entry in the settings' window placement section.
    static inline const QString kMainWindowPlacement = QStringLiteral("Main window");

    CQuarnToolApp(const CQuarnToolApp&) = delete;
    CQuarnToolApp& operator=(const CQuarnToolApp&) = delete;

    // A file to open once the main window shows, as Open opens it (a full
    // path, or empty for none): the one named on the command line.
    void SetStartFile(const QString& path) { startFile_ = path; }

    // Runs the program; returns its exit code.
    int Run();

    // The steps of Run: InitInstance stops at a socket layer that will not
    // start (false) and otherwise creates the main window; RunMainWindow
    // shows it modally, opening the start file as soon as it shows;
    // ExitInstance writes the recent-file list back.
    bool InitInstance();
    int RunMainWindow();
    void ExitInstance();

    // Opens path in the main window through its open-document event and
    // returns the window's answer: zero when the file could not be opened.
    long long OpenRecentFile(const QString& path);

    RecentFileList& RecentFiles() { return recentFiles_; }
    CQuarnToolDlg* MainWindow() { return mainWindow_.get(); }

private:
    std::function<bool()> startSockets_;
    RecentFileList recentFiles_;
    DesktopFileDialogs fileDialogs_;
    std::unique_ptr<CQuarnToolDlg> mainWindow_;
    QString startFile_;
};

}  // namespace quarn
