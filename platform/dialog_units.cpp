#include "platform/dialog_units.hpp"

#include <QFontMetrics>

namespace quarn {

namespace {

// value * numerator / denominator, rounded half away from zero.
int Scale(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseWidth_ = (letters / 26 + 1) / 2;
    baseHeight_ = metrics.height();
    if (baseWidth_ < 1)
        baseWidth_ = 1;
    if (baseHeight_ < 1)
        baseHeight_ = 1;
}

DialogUnits::DialogUnits(int baseWidth, int baseHeight) : baseWidth_(baseWidth), baseHeight_(baseHeight)
{
}

int DialogUnits::x(int units) const
{
    return Scale(units, baseWidth_, 4);
}

int DialogUnits::y(int units) const
{
    return Scale(units, baseHeight_, 8);
}

QPoint DialogUnits::point(int px, int py) const
{
    return {x(px), y(py)};
}

QSize DialogUnits::size(int width, int height) const
{
    return {x(width), y(height)};
}

QRect DialogUnits::rect(int px, int py, int width, int height) const
{
    return {x(px), y(py), x(width), y(height)};
}

}  // namespace quarn
