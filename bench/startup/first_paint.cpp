#include "bench/startup/first_paint.hpp"

#include <QMetaObject>

namespace quarn::bench {

bool FirstPaint::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && !seen_) {
        seen_ = true;
        QMetaObject::invokeMethod(
            this, [this] { finish_(); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quarn::bench
