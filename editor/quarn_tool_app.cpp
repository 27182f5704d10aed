#include "editor/quarn_tool_app.hpp"

#include "editor/editor_texts.hpp"
#include "editor/quarn_tool_dlg.hpp"
#include "editor/window_events.hpp"
#include "platform/message_box.hpp"
#include "platform/settings_store.hpp"
#include "platform/socket_startup.hpp"
#include "platform/window_geometry.hpp"

#include <QApplication>
#include <QIcon>

namespace quarn {

CQuarnToolApp::CQuarnToolApp(std::function<bool()> startSockets) : startSockets_(std::move(startSockets))
{
}

CQuarnToolApp::~CQuarnToolApp() = default;

bool CQuarnToolApp::InitInstance()
{
    SetMessageBoxTitle(texts::ProgramName());
    if (!StartSocketLayerOrReport(startSockets_))
        return false;

    SettingsStore::SetCompanyKey(texts::ProgramName());
    recentFiles_.Load();

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quarntool/quarntool.svg")));
    mainWindow_ = std::make_unique<CQuarnToolDlg>(recentFiles_, fileDialogs_);
    mainWindow_->SetRecentFileOpener([this](const QString& path) { return OpenRecentFile(path); });
    RestoreWindowGeometry(mainWindow_.get(), kMainWindowPlacement);
    return true;
}

int CQuarnToolApp::RunMainWindow()
{
    if (!mainWindow_)
        return 0;
    if (!startFile_.isEmpty()) {
        // Once the window is up, so that a message about the file has its
        // window to stand on.
        QMetaObject::invokeMethod(
            mainWindow_.get(), [window = mainWindow_.get(), path = startFile_] { window->OpenFile(path); },
            Qt::QueuedConnection);
    }
    const int result = mainWindow_->exec();
    SaveWindowGeometry(mainWindow_.get(), kMainWindowPlacement);
    return result;
}

void CQuarnToolApp::ExitInstance()
{
    mainWindow_.reset();
    SettingsStore::SetCompanyKey(texts::ProgramName());
    recentFiles_.Save();
}

int CQuarnToolApp::Run()
{
    if (!InitInstance())
        return 1;
    RunMainWindow();
    ExitInstance();
    return 0;
}

long long CQuarnToolApp::OpenRecentFile(const QString& path)
{
    if (!mainWindow_)
        return 0;
    OpenDocumentFileEvent open(path);
    QCoreApplication::sendEvent(mainWindow_.get(), &open);
    return open.result;
}

}  // namespace quarn
