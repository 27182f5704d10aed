#include "platform/window_geometry.hpp"

#include "platform/settings_store.hpp"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStringList>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace quarn {

namespace {

QRect AvailableArea(const QWidget* window, const QRect& at)
{
    QScreen* screen = at.isValid() ? QGuiApplication::screenAt(at.center()) : nullptr;
    if (screen == nullptr)
        screen = window != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

}  // namespace

QRect ClampToArea(QRect rect, const QRect& area)
{
    if (!area.isValid())
        return rect;
    rect.setSize(rect.size().boundedTo(area.size()));
    rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() - rect.width() + 1));
    rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() - rect.height() + 1));
    return rect;
}

QRect StoredWindowGeometry(const QString& entry)
{
    const QStringList parts = SettingsStore::ReadString(kWindowSection, entry, QString()).split(u',');
    if (parts.size() != 4)
        return {};
    int numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return {};
    }
    const QRect rect(numbers[0], numbers[1], numbers[2], numbers[3]);
    return rect.width() > 0 && rect.height() > 0 ? rect : QRect();
}

void RestoreWindowGeometry(QWidget* window, const QString& entry)
{
    const QRect stored = StoredWindowGeometry(entry);
    if (!stored.isValid())
        return;
    QRect place = ClampToArea(stored, AvailableArea(window, stored));
    place.setSize(place.size().expandedTo(window->minimumSize()).boundedTo(window->maximumSize()));
    window->setGeometry(place);
}

void SaveWindowGeometry(const QWidget* window, const QString& entry)
{
    const QRect place = window->isMaximized() || window->isFullScreen() ? window->normalGeometry() : window->geometry();
    if (!place.isValid())
        return;
    SettingsStore::WriteString(
        kWindowSection, entry,
        QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height()));
}

QSize WithinScreen(const QWidget* window, QSize wanted)
{
    const QRect area = AvailableArea(window, QRect());
    if (!area.isValid())
        return wanted;
    // The window manager's frame is not known before the window shows; room
    // for a title bar and the borders keeps the frame on the screen too.
    const QStyle* style = window != nullptr ? window->style() : QApplication::style();
    const int border = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
    const QSize frame(border, border + style->pixelMetric(QStyle::PM_TitleBarHeight));
    const QSize room = area.size() - frame;
    // Where one side scrolls, its scroll bar takes room from the other.
    const int bar = style->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize size = wanted;
    if (wanted.width() > room.width())
        size.rheight() += bar;
    if (wanted.height() > room.height())
        size.rwidth() += bar;
    return size.boundedTo(room);
}

void ScrollControlsWithinScreen(QWidget* window, QSize designed)
{
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("controls"));
    // In the order they were made, which is their Tab order.
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow())
            child->setParent(content);
    }
    content->setFixedSize(designed);

    auto* scroll = new QScrollArea(window);
    scroll->setObjectName(QStringLiteral("controlsScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    window->resize(WithinScreen(window, designed));
}

void FixedSizeWithinScreen(QWidget* window, QSize designed)
{
    ScrollControlsWithinScreen(window, designed);
    window->setFixedSize(window->size());
}

}  // namespace quarn
