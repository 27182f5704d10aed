#include "platform/file_dialogs.hpp"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace quarn {

namespace {

QString RunDialog(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::HideNameFilterDetails, request.hideFilterPatterns);
    dialog.setNameFilters(request.nameFilters.split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmReplace);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    if (!request.initialPath.isEmpty()) {
        const QFileInfo info(request.initialPath);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath());
}

}  // namespace

QString StateMachineFileFilters()
{
#ifdef _WIN32
    return QStringLiteral("xml files (*.xml);;All Files (*.*)");
#else
    // "*.*" would hide files without a dot on this platform.
    return QStringLiteral("xml files (*.xml);;All Files (*)");
#endif
}

FileDialogRequest StateMachineFileRequest(bool save, const QString& initialPath)
{
    FileDialogRequest request;
    request.save = save;
    request.initialPath = initialPath;
    request.nameFilters = StateMachineFileFilters();
    request.defaultSuffix = QStringLiteral("xml");
    return request;
}

QString FileDialogs::AskPath(QWidget* parent, const FileDialogRequest& request)
{
    return request.save ? AskSavePath(parent, request.initialPath) : AskOpenPath(parent, request.initialPath);
}

QString DesktopFileDialogs::AskPath(QWidget* parent, const FileDialogRequest& request)
{
    return RunDialog(parent, request);
}

QString DesktopFileDialogs::AskOpenPath(QWidget* parent, const QString& initialPath)
{
    return RunDialog(parent, StateMachineFileRequest(false, initialPath));
}

QString DesktopFileDialogs::AskSavePath(QWidget* parent, const QString& initialPath)
{
    return RunDialog(parent, StateMachineFileRequest(true, initialPath));
}

}  // namespace quarn
