#pragma once

#include <QEvent>
#include <QString>

namespace quarn {

// Private events of the editor window, numbered as the window messages the
// program has always used.
inline constexpr QEvent::Type kOpenDocumentFileEvent = static_cast<QEvent::Type>(1424);
inline constexpr QEvent::Type kTimerFieldChangedEvent = static_cast<QEvent::Type>(1425);

// Sent by the recent-file list to the main window: open path. The window
// answers with result: non-zero when the file was opened or the user
// cancelled, zero when opening failed.
class OpenDocumentFileEvent : public QEvent {
public:
    explicit OpenDocumentFileEvent(QString path) : QEvent(kOpenDocumentFileEvent), path_(std::move(path)) {}

    const QString& path() const { return path_; }
    long long result = 0;

private:
    QString path_;
};

}  // namespace quarn
