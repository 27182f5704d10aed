#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace quarn {

// Where each top-level window was, kept in the settings store's section
// kWindowSection, one entry per window, as "x,y,width,height".
inline const QString kWindowSection = QStringLiteral("Window Placement");

// rect moved, and shrunk where it is larger, so that it lies within area.
QRect ClampToArea(QRect rect, const QRect& area);

// The place stored under entry, or an empty rect when there is none or it
// cannot be read.
QRect StoredWindowGeometry(const QString& entry);

// Puts window where it was last, kept on the screen it was on (or the
// primary screen, when that screen is gone); leaves it as it is when nothing
// usable is stored. Call before the window is shown.
void RestoreWindowGeometry(QWidget* window, const QString& entry);

// Stores where window is now (its place before it was maximised).
void SaveWindowGeometry(const QWidget* window, const QString& entry);

// wanted, made no larger than the screen window is on leaves free, with room
// for the window's frame: a window whose controls do not fit that screen
// scrolls instead of running off it.
QSize WithinScreen(const QWidget* window, QSize wanted);

// Moves the controls of window, laid out at fixed places over designed,
// into a scroll area that fills the window, and sizes the window to fit the
// screen: where the screen is smaller than designed, the controls scroll.
// Call once the controls are made and before the window shows.
void ScrollControlsWithinScreen(QWidget* window, QSize designed);

// The same for a dialog of fixed size: it is exactly designed where the
// screen has room, and no larger than the screen where it has not. Focus
// set before is lost with the move: set it after.
void FixedSizeWithinScreen(QWidget* window, QSize designed);

}  // namespace quarn
