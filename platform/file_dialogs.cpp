#include "platform/file_dialogs.hpp"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace quarn {

namespace {

QString RunDialog(QWidget* parent, const QString& initialPath, bool save)
{
    QFileDialog dialog(parent);
    dialog.setNameFilters(StateMachineFileFilters().split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(QStringLiteral("xml"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (!initialPath.isEmpty()) {
        const QFileInfo info(initialPath);
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

QString DesktopFileDialogs::AskOpenPath(QWidget* parent, const QString& initialPath)
{
    return RunDialog(parent, initialPath, false);
}

QString DesktopFileDialogs::AskSavePath(QWidget* parent, const QString& initialPath)
{
    return RunDialog(parent, initialPath, true);
}

}  // namespace quarn
