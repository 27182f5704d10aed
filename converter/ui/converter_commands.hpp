#pragma once
// The converter window's two commands, apart from the window so that each
// can be called and tested on its own.

#include "converter/transform.hpp"

#include <QMessageBox>
#include <QString>

class QWidget;

namespace quarn {

// What the user is told about a transformation: nothing when nothing was
// done; "File transformed successfully" with the information icon and,
// as details, one line for each part of the model that could not be
// mapped; or the failure text with the warning icon and, as details, why a
// file could not be loaded.
struct TransformMessage {
    bool show = false;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString details;
};
TransformMessage MessageForOutcome(const TransformOutcome& outcome);

// Transforms source into destination (source + ".xml" when empty) with the
// stylesheet beside the program and shows the outcome over parent.
void RunTransformCommand(QWidget* parent, const QString& source, const QString& destination);

// Uploads the file at destination to the controller, after asking for its
// address and password; an empty destination is reported and nothing else
// happens.
void RunConverterUploadCommand(QWidget* parent, const QString& destination);

}  // namespace quarn
