#include "runtime/picture.hpp"

#include "base/utf8.hpp"

#include <algorithm>
#include <cmath>

namespace quarn::runtime {

namespace {

constexpr double kLabelWidth = 48;
constexpr double kPlotWidth = 980;
constexpr double kRightMargin = 16;
constexpr double kHeaderHeight = 50;  // weekday, date, hour marks
constexpr double kLaneHeight = 24;
constexpr double kBarHeight = 14;
constexpr double kBottomMargin = 12;
constexpr double kMinLabelSpacing = 76;  // room for "2026-12-14"
constexpr double kMinLineSpacing = 4;
constexpr double kMinMarkSpacing = 16;       // hour ticks
constexpr double kMinMarkLabelSpacing = 26;  // room for "18"
constexpr double kWarningLineHeight = 14;
constexpr std::size_t kShownWarnings = 5;

}  // namespace

PictureTexts PictureTextsOf(const StateMachineModel& model)
{
    PictureTexts texts;
    texts.title = EncodeUtf8(model.version);
    for (int n = 0; n < kRelayCount; ++n)
        texts.conditions[static_cast<std::size_t>(n)] = EncodeUtf8(model.relays[static_cast<std::size_t>(n)]);
    return texts;
}

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

PictureLayout LayOutTimeline(const Timeline& timeline, const SignalState& lanes, const PictureTexts& texts)
{
    PictureLayout layout;
    layout.title = texts.title.empty() ? FormatIso(timeline.from) + " - " + FormatIso(timeline.to) : texts.title;
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
    const double dayWidth =
        dayCount > 0 ? kPlotWidth * static_cast<double>(kSecondsPerDay) / static_cast<double>(layout.to - layout.from)
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

    // Hour marks between the day lines: the smallest step of 1, 2, 3, 4, 6
    // or 12 hours whose marks have room for a label; failing that the
    // smallest whose ticks stay apart; none when even 12 hours are too close
    // (periods of more than about four weeks).
    if (layout.to > layout.from) {
        const double hourWidth = kPlotWidth * 3600.0 / static_cast<double>(layout.to - layout.from);
        static constexpr int kSteps[] = {1, 2, 3, 4, 6, 12};
        int hours = 0;
        bool labelled = false;
        for (const double spacing : {kMinMarkLabelSpacing, kMinMarkSpacing}) {
            for (const int step : kSteps) {
                if (step * hourWidth >= spacing) {
                    hours = step;
                    break;
                }
            }
            if (hours != 0) {
                labelled = spacing == kMinMarkLabelSpacing;
                break;
            }
        }
        if (hours != 0) {
            const Instant step = hours * Instant{3600};
            Instant mark = StartOfDay(layout.from);
            while (mark <= layout.from)
                mark += step;
            for (; mark < layout.to; mark += step) {
                const int hour = TimeOfDaySeconds(mark) / 3600;
                if (hour == 0)
                    continue;  // the day line
                std::string label;
                if (labelled)
                    label = std::string(1, static_cast<char>('0' + hour / 10)) + static_cast<char>('0' + hour % 10);
                layout.marks.push_back({layout.XOf(mark), std::move(label)});
            }
        }
    }

    double top = layout.plotTop;
    for (const Signal signal : AllSignals()) {
        if (!IsOn(lanes, signal))
            continue;
        PictureLane lane;
        lane.signal = signal;
        lane.label = SignalName(signal);
        if (signal.kind == SignalKind::Relay && !texts.conditions[static_cast<std::size_t>(signal.index)].empty())
            lane.title = lane.label + ": " + texts.conditions[static_cast<std::size_t>(signal.index)];
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
        if (on) {
            close(layout.to);
            if (!lane.bars.empty())
                lane.bars.back().runsOn = true;
        }
        layout.lanes.push_back(std::move(lane));
        top += kLaneHeight;
    }
    layout.plotBottom = top;

    for (const Warning& warning : timeline.warnings) {
        if (layout.warnings.size() == kShownWarnings)
            break;
        layout.warnings.push_back("warning: " + warning.text);
    }
    const std::size_t more = timeline.warnings.size() - layout.warnings.size() + timeline.warningsLeftOut;
    if (more > 0)
        layout.warnings.push_back("and " + std::to_string(more) + " more warnings");
    layout.notes = texts.notes;
    layout.notesTop = top + kWarningLineHeight + 2;
    layout.warningsTop = layout.notesTop + static_cast<double>(layout.notes.size()) * kWarningLineHeight;
    layout.height =
        top + kBottomMargin + static_cast<double>(layout.notes.size() + layout.warnings.size()) * kWarningLineHeight;
    return layout;
}

}  // namespace quarn::runtime
