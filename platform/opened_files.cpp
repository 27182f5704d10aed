#include "platform/opened_files.hpp"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace quarn {

QString FullFilePath(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

QString FileArgument(const QStringList& arguments)
{
    return arguments.size() < 2 ? QString() : FullFilePath(arguments.at(1));
}

QString DraggedLocalFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return {};
    return FullFilePath(urls.constFirst().toLocalFile());
}

}  // namespace quarn
