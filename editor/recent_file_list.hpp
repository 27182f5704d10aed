#pragma once

#include <QString>
#include <QStringList>

namespace quarn {

// The most recently used state-machine files, newest first, kept in the
// settings store under "Recent File List" as "File1" (newest) to "File4".
class RecentFileList {
public:
    static constexpr int kCapacity = 4;
    static constexpr int kFirstCommandId = 57616;  // the placeholder item's command
    static constexpr int kDisplayLength = 30;
    static inline const QString kSection = QStringLiteral("Recent File List");

    // Puts path (made absolute) at the top. A path that is in the list
    // already moves to the top; when the list is full the oldest one goes.
    void Add(const QString& path);
    // Removes path wherever it stands; later entries move up.
    void Remove(const QString& path);

    const QStringList& Paths() const { return paths_; }
    int Size() const { return static_cast<int>(paths_.size()); }
    bool IsEmpty() const { return paths_.isEmpty(); }

    void Load();
    void Save() const;

    // The File menu text of entry index (0 = newest): "&1 " and the display
    // name with every "&" doubled.
    QString MenuText(int index, const QString& currentDirectory) const;

private:
    QStringList paths_;
};

// The name a menu shows for a file: the file name alone when the file lies in
// currentDirectory, otherwise the full path shortened to at most maxLength
// characters by leaving out directories after the root.
QString DisplayNameForPath(const QString& path, const QString& currentDirectory,
                           int maxLength = RecentFileList::kDisplayLength);

// Shortens a path to at most maxLength characters: the root, "...", the last
// directories that still fit and the file name; the file name alone when even
// that is too long.
QString AbbreviatePath(const QString& path, int maxLength);

// Whether two full paths name the same file on this platform.
bool SamePath(const QString& a, const QString& b);

}  // namespace quarn
