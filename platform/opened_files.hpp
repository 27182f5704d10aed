#pragma once
// Files the desktop hands to a program: a path on its command line, or a
// file dropped on its window.

#include <QString>
#include <QStringList>

class QMimeData;

namespace quarn {

// path as a full path in the system's form, as the file dialogs give it;
// empty for an empty path.
QString FullFilePath(const QString& path);

// The file named on a command line (arguments as QCoreApplication::arguments
// gives them, the program first): the first argument after the program, as a
// full path; empty when there is none.
QString FileArgument(const QStringList& arguments);

// The file a drag carries, as a full path: only a drag of exactly one local
// file counts; several files, a web address or plain text give empty.
QString DraggedLocalFile(const QMimeData* data);

}  // namespace quarn
