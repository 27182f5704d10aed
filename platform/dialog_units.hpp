#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace quarn {

// Converts dialog units into pixels for one font: a horizontal unit is a
// quarter of the font's average character width, a vertical unit an eighth
// of its character height. Windows are laid out in these units so that they
// keep their proportions with any desktop font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseWidth, int baseHeight);

    int baseWidth() const { return baseWidth_; }
    int baseHeight() const { return baseHeight_; }

    int x(int units) const;
    int y(int units) const;
    QPoint point(int x, int y) const;
    QSize size(int width, int height) const;
    QRect rect(int x, int y, int width, int height) const;

private:
    int baseWidth_;
    int baseHeight_;
};

}  // namespace quarn
