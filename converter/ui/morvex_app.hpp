#pragma once

#include "platform/file_dialogs.hpp"

#include <QString>

#include <functional>
#include <memory>

namespace quarn {

class CMorvexDlg;

// The converter program: starts the socket layer, opens its settings store
// and runs the converter window until it closes.
class CMorvexApp {
public:
    // startSockets starts the socket layer and returns false when it cannot;
    // empty means there is nothing to start.
    explicit CMorvexApp(std::function<bool()> startSockets = {});
    ~CMorvexApp();
    // The window's entry in the settings' window placement section.
    static inline const QString kWindowPlacement = QStringLiteral("Converter window");

    CMorvexApp(const CMorvexApp&) = delete;
    CMorvexApp& operator=(const CMorvexApp&) = delete;

    // A file for the source field (a full path, or empty for none): the
    // one named on the command line. InitInstance puts it there.
    void SetStartFile(const QString& path) { startFile_ = path; }

    // Runs the program; returns its exit code.
    int Run();

    // The steps of Run: InitInstance stops at a socket layer that will not
    // start (false, after telling the user) and otherwise creates the
    // window; RunMainWindow shows it modally until it closes.
    bool InitInstance();
    int RunMainWindow();

    CMorvexDlg* MainWindow() { return mainWindow_.get(); }

private:
    std::function<bool()> startSockets_;
    DesktopFileDialogs fileDialogs_;
    std::unique_ptr<CMorvexDlg> mainWindow_;
    QString startFile_;
};

}  // namespace quarn
