#include "converter/ui/morvex_app.hpp"

#include "converter/ui/morvex_dlg.hpp"
#include "converter/ui/morvex_texts.hpp"
#include "platform/message_box.hpp"
#include "platform/settings_store.hpp"
#include "platform/socket_startup.hpp"
#include "platform/window_geometry.hpp"

#include <QApplication>
#include <QIcon>

namespace quarn {

CMorvexApp::CMorvexApp(std::function<bool()> startSockets) : startSockets_(std::move(startSockets))
{
}

CMorvexApp::~CMorvexApp() = default;

bool CMorvexApp::InitInstance()
{
    // Every box is titled with the executable's name, the failure to start
    // the sockets included.
    SetMessageBoxTitle(SettingsStore::ProgramName());
    if (!StartSocketLayerOrReport(startSockets_))
        return false;

    SettingsStore::SetCompanyKey(morvex_texts::CompanyKey());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/morvex/morvex.svg")));
    mainWindow_ = std::make_unique<CMorvexDlg>(fileDialogs_);
    RestoreWindowGeometry(mainWindow_.get(), kWindowPlacement);
    if (!startFile_.isEmpty())
        mainWindow_->FillSourceField(startFile_);
    return true;
}

int CMorvexApp::RunMainWindow()
{
    if (!mainWindow_)
        return 0;
    const int result = mainWindow_->exec();
    SaveWindowGeometry(mainWindow_.get(), kWindowPlacement);
    return result;
}

int CMorvexApp::Run()
{
    if (!InitInstance())
        return 1;
    RunMainWindow();
    mainWindow_.reset();
    return 0;
}

}  // namespace quarn
