#include "platform/socket_startup.hpp"

#include "platform/message_box.hpp"

namespace quarn {

bool StartSocketLayerOrReport(const std::function<bool()>& start, QWidget* parent)
{
    if (!start || start())
        return true;
    ShowMessageBox(parent, QString::fromLatin1(kSocketStartupFailedText), MessageButtons::Ok);
    return false;
}

}  // namespace quarn
