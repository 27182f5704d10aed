#include "runtime/picture.hpp"

#include <algorithm>
#include <cmath>

namespace quarn::runtime {

namespace {

constexpr double kLabelWidth = 48;
constexpr double kPlotWidth = 980;
constexpr double kRightMargin = 16;
constexpr double kHeaderHeight = 40;
constexpr double kLaneHeight = 24;
constexpr double kBarHeight = 14;
constexpr double kBottomMargin = 12;
constexpr double kMinLabelSpacing = 76;  // room for "2026-12-14"
constexpr double kMinLineSpacing = 4;

}  // namespace

double PictureLayout::XOf(Instant t) const
{
    if (to <= from)
        return plotLeft;
    const double share = static_cast<double>(t - from) / static_cast<double>(to - from);
    return plotLeft + share * (plotRight - plotLeft);
}

Instant PictureLayout::InstantAt(double x) const
{
    if (to <= from || plotRight <= plotLeft)
        return from;
    const double share = (x - plotLeft) / (plotRight - plotLeft);
    const double t = std::floor(static_cast<double>(from) + share * static_cast<double>(to - from));
    if (!(t >= static_cast<double>(from)))
        return from;
    if (t >= static_cast<double>(to - 1))
        return to - 1;
    return static_cast<Instant>(t);
}

std::optional<std::size_t> PictureLayout::LaneAt(double y) const
{
    for (std::size_t i = 0; i < lanes.size(); ++i) {
        if (y >= lanes[i].top && y < lanes[i].top + lanes[i].height)
            return i;
    }
    return std::nullopt;
}

PictureLayout LayOutTimeline(const Timeline& timeline, const SignalState& lanes)
{
    PictureLayout layout;
    layout.from = timeline.from;
    layout.to = std::max(timeline.to, timeline.from);
    layout.plotLeft = kLabelWidth;
    layout.plotRight = kLabelWidth + kPlotWidth;
    layout.plotTop = kHeaderHeight;
    layout.weekdayBaseline = 16;
    layout.dateBaseline = 32;
    layout.width = layout.plotRight + kRightMargin;

    // Day lines: every day while they stay apart, otherwise every k-th;
    // labels likewise where they fit.
    const std::int64_t dayCount = (layout.to - layout.from + kSecondsPerDay - 1) / kSecondsPerDay;
    const double dayWidth = dayCount > 0 ? kPlotWidth * static_cast<double>(kSecondsPerDay) /
                                               static_cast<double>(layout.to - layout.from)
                                         : kPlotWidth;
    const auto every = [dayWidth](double spacing) {
        return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(spacing / dayWidth)));
    };
    const std::int64_t lineStep = every(kMinLineSpacing);
    const std::int64_t labelStep = std::max(lineStep, every(kMinLabelSpacing));
    Instant midnight = StartOfDay(layout.from);
    if (midnight < layout.from)
        midnight += kSecondsPerDay;
    for (std::int64_t k = 0; midnight < layout.to; midnight += kSecondsPerDay, ++k) {
        if (k % lineStep != 0)
            continue;
        PictureDay day;
        day.x = layout.XOf(midnight);
        day.labelled = k % labelStep == 0 && day.x + kMinLabelSpacing - 8 <= layout.width;
        day.weekday = std::string(WeekdayName(Weekday(midnight)));
        day.date = FormatDate(midnight);
        layout.days.push_back(std::move(day));
    }

    double top = layout.plotTop;
    for (const Signal signal : AllSignals()) {
        if (!IsOn(lanes, signal))
            continue;
        PictureLane lane;
        lane.signal = signal;
        lane.label = SignalName(signal);
        lane.top = top;
        lane.height = kLaneHeight;
        lane.barHeight = kBarHeight;
        lane.barTop = top + (kLaneHeight - kBarHeight) / 2;
        bool on = IsOn(timeline.initial, signal);
        Instant onSince = layout.from;
        const auto close = [&](Instant end) {
            if (end > onSince)
                lane.bars.push_back({layout.XOf(onSince), layout.XOf(end), onSince, end});
            on = false;
        };
        for (const TimelineChange& change : timeline.changes) {
            if (change.at >= layout.to)
                break;
            const bool now = IsOn(change.state, signal);
            if (now && !on) {
                on = true;
                onSince = change.at;
            } else if (!now && on) {
                close(change.at);
            }
        }
        if (on)
            close(layout.to);
        layout.lanes.push_back(std::move(lane));
        top += kLaneHeight;
    }
    layout.plotBottom = top;
    layout.height = top + kBottomMargin;
    return layout;
}

}  // namespace quarn::runtime
