#include "platform/blocked_painting.hpp"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <thread>

namespace quarn {

namespace {

// A whole repaint costs a few milliseconds; four a second keep the screen
// right without keeping the processor busy.
constexpr std::chrono::milliseconds kWholeRepaintEvery{250};
constexpr std::chrono::milliseconds kSleepSlice{50};

std::chrono::steady_clock::time_point lastWholeRepaint;

}  // namespace

void PaintWindowsWhileBlocked()
{
    if (QApplication::instance() == nullptr)
        return;
    // Paint requests only: QWidget::update() queues one for its window.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    const auto now = std::chrono::steady_clock::now();
    if (now - lastWholeRepaint < kWholeRepaintEvery)
        return;
    lastWholeRepaint = now;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !window->isMinimized())
            window->repaint();
    }
}

void SleepPaintingWindows(std::chrono::milliseconds duration)
{
    const auto end = std::chrono::steady_clock::now() + duration;
    PaintWindowsWhileBlocked();
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(end - now, kSleepSlice));
        PaintWindowsWhileBlocked();
    }
}

}  // namespace quarn
