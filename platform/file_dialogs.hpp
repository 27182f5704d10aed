#pragma once

#include <QString>

class QWidget;

namespace quarn {

// The open and save questions for state-machine files. Commands ask through
// this interface so that tests can answer in place of the user.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;

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
    QString AskOpenPath(QWidget* parent, const QString& initialPath) override;
    QString AskSavePath(QWidget* parent, const QString& initialPath) override;
};

// The name filters both dialogs offer, in Qt's notation.
QString StateMachineFileFilters();

}  // namespace quarn
