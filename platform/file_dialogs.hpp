#pragma once

#include <QString>

class QWidget;

namespace quarn {

// What one open or save question asks for.
struct FileDialogRequest {
    bool save = false;           // save-as dialog; otherwise open-file
    QString initialPath;         // its folder is shown, its name filled in
    QString nameFilters;         // Qt notation: "xml files (*.xml);;All Files (*)"
    QString defaultSuffix;       // added to a name typed without one; no dot
    bool fileMustExist = true;   // open: the chosen file must exist, not just its folder
    bool confirmReplace = true;  // save: ask before replacing an existing file
    // Show each filter without its patterns: "xmi files (*.xmi) (*.xmi *.uml)"
    // shows "xmi files (*.xmi)" and lists .xmi and .uml files.
    bool hideFilterPatterns = false;
};

// The open and save questions for files. Commands ask through this interface
// so that tests can answer in place of the user.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // Asks as request says and returns the chosen full path, or an empty
    // string when the user cancels. By default the state-machine questions
    // below answer it, so an implementation need only provide those two.
    virtual QString AskPath(QWidget* parent, const FileDialogRequest& request);

    // Both start at initialPath (its folder, its name filled in) and return
    // the chosen full path, or an empty string when the user cancels.
    virtual QString AskOpenPath(QWidget* parent, const QString& initialPath) = 0;
    virtual QString AskSavePath(QWidget* parent, const QString& initialPath) = 0;
};

// The desktop's file dialogs: filter "xml files" and "All Files", default
// extension "xml"; the open dialog wants an existing file, the save dialog
// an existing folder and asks before replacing a file.
class DesktopFileDialogs final : public FileDialogs {
public:
    QString AskPath(QWidget* parent, const FileDialogRequest& request) override;
    QString AskOpenPath(QWidget* parent, const QString& initialPath) override;
    QString AskSavePath(QWidget* parent, const QString& initialPath) override;
};

// The name filters both dialogs offer, in Qt's notation.
QString StateMachineFileFilters();

// The state-machine question: open (existing file) or save (asks before
// replacing), filters as above, default suffix "xml".
FileDialogRequest StateMachineFileRequest(bool save, const QString& initialPath);

}  // namespace quarn
