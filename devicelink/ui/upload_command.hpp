#pragma once

#include "devicelink/ui/upload_dlg.hpp"

#include <QString>

class QWidget;

namespace quarn {

// The settings the upload dialog starts from, with their defaults.
QString StoredUploadUrl();
QString StoredUploadPassword();

// The question asked before sending a file in which no relay is used.
QString NoRelayQuestion(const QString& path);

// The part of an upload command both programs share, once the program knows
// which file to send: asks before sending a file in which no relay is used
// (No, the default, ends it), asks for address and password in the variant's
// dialog, uploads path, stores address and password whatever the outcome
// and shows the controller's answer (even an empty one). Cancel ends it
// with nothing sent and nothing stored. Settings go to the program's own
// store.
void RunUploadCommand(QWidget* parent, UploadDlgVariant variant, const QString& path);

}  // namespace quarn
