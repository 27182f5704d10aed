#pragma once
// Ends a start-up measurement at the first paint of a window.

#include <QEvent>
#include <QObject>

#include <functional>

namespace quarn::bench {

// Calls finish once, queued, after the watched widget received its first
// paint event.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(std::function<void()> finish) : finish_(std::move(finish)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> finish_;
    bool seen_ = false;
};

}  // namespace quarn::bench
