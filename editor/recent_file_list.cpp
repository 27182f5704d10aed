#include "editor/recent_file_list.hpp"

#include "platform/settings_store.hpp"

#include <QDir>
#include <QFileInfo>

namespace quarn {

namespace {

QString EntryName(int index)
{
    return QStringLiteral("File%1").arg(index + 1);
}

}  // namespace

bool SamePath(const QString& a, const QString& b)
{
#ifdef _WIN32
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    // Names that differ only in letter case are different files here.
    return a == b;
#endif
}

void RecentFileList::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString full = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    Remove(full);
    paths_.prepend(full);
    while (paths_.size() > kCapacity)
        paths_.removeLast();
}

void RecentFileList::Remove(const QString& path)
{
    for (qsizetype i = 0; i < paths_.size();) {
        if (SamePath(paths_.at(i), path))
            paths_.removeAt(i);
        else
            ++i;
    }
}

void RecentFileList::Load()
{
    paths_.clear();
    for (int i = 0; i < kCapacity; ++i) {
        const QString path = SettingsStore::ReadString(kSection, EntryName(i), QString());
        if (!path.isEmpty())
            paths_.append(path);
    }
}

void RecentFileList::Save() const
{
    SettingsStore::RemoveSection(kSection);
    for (int i = 0; i < Size(); ++i)
        SettingsStore::WriteString(kSection, EntryName(i), paths_.at(i));
}

QString RecentFileList::MenuText(int index, const QString& currentDirectory) const
{
    QString name = DisplayNameForPath(paths_.at(index), currentDirectory);
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

QString DisplayNameForPath(const QString& path, const QString& currentDirectory, int maxLength)
{
    const QFileInfo info(path);
    if (!currentDirectory.isEmpty() &&
        SamePath(QDir::cleanPath(info.absolutePath()), QDir::cleanPath(currentDirectory)))
        return info.fileName();
    return AbbreviatePath(QDir::toNativeSeparators(path), maxLength);
}

QString AbbreviatePath(const QString& path, int maxLength)
{
    if (path.size() <= maxLength)
        return path;

    const QChar separator = QDir::separator();
    const qsizetype lastSeparator = path.lastIndexOf(separator);
    if (lastSeparator < 0)
        return path;
    const QString fileName = path.mid(lastSeparator + 1);

    // The root: "C:\", "\\server\share\" or "/".
    qsizetype rootEnd = 0;
    if (path.startsWith(QStringLiteral("\\\\"))) {
        const qsizetype server = path.indexOf(separator, 2);
        const qsizetype share = server < 0 ? -1 : path.indexOf(separator, server + 1);
        rootEnd = share < 0 ? 0 : share + 1;
    } else if (path.size() >= 3 && path.at(1) == QLatin1Char(':') && path.at(2) == separator) {
        rootEnd = 3;
    } else if (path.startsWith(separator)) {
        rootEnd = 1;
    }
    const QString root = path.left(rootEnd);
    const QString ellipsis = QStringLiteral("...");

    // Drop directories after the root, one by one, until the rest fits.
    QString tail = path.mid(rootEnd, lastSeparator - rootEnd + 1);  // "a/b/c/"
    for (qsizetype next = tail.indexOf(separator); next >= 0; next = tail.indexOf(separator)) {
        tail = tail.mid(next + 1);
        const QString candidate = root + ellipsis + separator + tail + fileName;
        if (candidate.size() <= maxLength)
            return candidate;
    }
    return fileName;
}

}  // namespace quarn
