#include "runtime/timer_window.hpp"

#include "document/timer_value.hpp"

#include <algorithm>
#include <array>

namespace quarn::runtime {

TimerWindow TimerWindow::FromValues(std::uint32_t start, std::uint32_t end, int weekdays)
{
    TimerWindow window;
    window.weekdays_ = static_cast<std::uint8_t>(weekdays & 0x7f);
    // The reader restores the dates exactly when both years are after 2000
    // (year 0 stands for values from 2100 on, which have no date).
    const DecodedTimerValue s = DecodeTimerValue(start);
    const DecodedTimerValue e = DecodeTimerValue(end);
    if (s.date.year > 2000 && e.date.year > 2000) {
        window.kind_ = Kind::Dated;
        window.start_ = start;
        window.end_ = end;
    } else {
        window.kind_ = Kind::Daily;
        window.start_ = start % kSecondsPerDay;
        window.end_ = end % kSecondsPerDay;
        if (window.start_ == window.end_)
            window.kind_ = Kind::Never;
    }
    if (window.weekdays_ == 0)
        window.kind_ = Kind::Never;
    return window;
}

TimerWindow TimerWindow::FromEntry(const TimerEntry& entry)
{
    if (!entry.offTime)
        return {};
    int mask = 0;
    for (int d = 0; d < kWeekdayCount; ++d)
        mask |= entry.weekdays[static_cast<std::size_t>(d)] ? 1 << d : 0;
    return FromValues(EncodeTimerValue(entry.onDate, entry.onTime), EncodeTimerValue(entry.offDate, entry.offTime),
                      mask);
}

bool TimerWindow::IsOn(Instant t) const
{
    switch (kind_) {
    case Kind::Never:
        return false;
    case Kind::Dated:
        return start_ <= t && t < end_ && Ticked(t);
    case Kind::Daily:
        break;
    }
    const Instant time = TimeOfDaySeconds(t);
    if (start_ < end_)
        return Ticked(t) && start_ <= time && time < end_;
    return (time >= start_ && Ticked(t)) || (time < end_ && Ticked(t - kSecondsPerDay));
}

std::optional<Instant> TimerWindow::NextEdge(Instant t) const
{
    if (kind_ == Kind::Never)
        return std::nullopt;
    // Within a week every change falls on a midnight or on one of the two
    // window times, and the pattern repeats weekly: the candidates of the
    // next eight days hold the next change if there is one.
    Instant from = t;
    if (kind_ == Kind::Dated) {
        if (t >= end_)
            return std::nullopt;
        from = std::max(t, start_ - 1);
    }
    std::array<Instant, 3 * 9 + 2> candidates{};
    std::size_t count = 0;
    const Instant day = StartOfDay(from);
    for (int d = 0; d <= 8; ++d) {
        const Instant midnight = day + d * kSecondsPerDay;
        candidates[count++] = midnight;
        if (kind_ == Kind::Daily) {
            candidates[count++] = midnight + start_;
            candidates[count++] = midnight + end_;
        }
    }
    if (kind_ == Kind::Dated) {
        candidates[count++] = start_;
        candidates[count++] = end_;
    }
    std::sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(count));
    const bool now = IsOn(t);
    for (std::size_t i = 0; i < count; ++i) {
        const Instant u = candidates[i];
        if (u > t && IsOn(u) != now)
            return u;
    }
    return std::nullopt;
}

}  // namespace quarn::runtime
