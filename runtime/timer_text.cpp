#include "runtime/timer_text.hpp"

#include "runtime/timer_window.hpp"

namespace quarn::runtime {

namespace {

int MaskOf(const TimerEntry& entry)
{
    int mask = 0;
    for (int d = 0; d < kWeekdayCount; ++d)
        mask |= entry.weekdays[static_cast<std::size_t>(d)] ? 1 << d : 0;
    return mask;
}

// "07:30:00" for seconds of a day; "2026-12-24 00:00:00" for an instant.
std::string TimeText(Instant seconds)
{
    return FormatIso(seconds).substr(11);
}

std::string DateTimeText(Instant t)
{
    return FormatDisplay(t).substr(4);
}

}  // namespace

std::string WeekdaysText(int mask)
{
    mask &= 0x7f;
    if (mask == 0x7f)
        return "every day";
    if (mask == 0)
        return "no day";
    std::string text;
    for (int d = 0; d < 7;) {
        if ((mask >> d & 1) == 0) {
            ++d;
            continue;
        }
        int last = d;
        while (last + 1 < 7 && (mask >> (last + 1) & 1) != 0)
            ++last;
        const auto add = [&text](int day) { text += (text.empty() ? "" : ", ") + std::string(WeekdayName(day)); };
        if (last - d >= 2) {
            add(d);
            text += "-" + std::string(WeekdayName(last));
        } else {
            for (int day = d; day <= last; ++day)
                add(day);
        }
        d = last + 1;
    }
    return text;
}

std::string TimerWindowText(const TimerEntry& entry)
{
    if (!entry.offTime)
        return "not in use (its OFF time is blank)";
    const int mask = MaskOf(entry);
    if (mask == 0)
        return "never on: no weekday is ticked";
    const TimerWindow window = TimerWindow::FromEntry(entry);
    if (window.kind() == TimerWindow::Kind::Dated)
        return "dated " + DateTimeText(window.start()) + " - " + DateTimeText(window.end()) + ", " + WeekdaysText(mask);
    if (window.kind() == TimerWindow::Kind::Never)
        return "never on: its ON time equals its OFF time";
    const bool overnight = window.start() > window.end();
    return std::string(overnight ? "overnight " : "daily ") + TimeText(window.start()) + "-" + TimeText(window.end()) +
           " " + WeekdaysText(mask);
}

std::optional<std::string> IdleReason(const TimerEntry& entry, Instant from, Instant to)
{
    if (!entry.offTime || from >= to)
        return std::nullopt;
    const TimerWindow window = TimerWindow::FromEntry(entry);
    if (window.IsOn(from))
        return std::nullopt;
    if (const auto edge = window.NextEdge(from); edge && *edge < to)
        return std::nullopt;
    const int mask = MaskOf(entry);
    if (mask == 0)
        return "no weekday is ticked";
    if (window.kind() == TimerWindow::Kind::Never)
        return "its ON time equals its OFF time";
    if (window.kind() == TimerWindow::Kind::Dated) {
        const std::string dates = DateTimeText(window.start()) + " - " + DateTimeText(window.end());
        if (window.end() <= window.start())
            return "it is dated " + dates + ", which ends before it starts";
        if (window.end() <= from || window.start() >= to)
            return "it is dated " + dates + ", outside the period";
        return "it is dated " + dates + " on " + WeekdaysText(mask) + ", and no such day falls in both";
    }
    return "it is on only on " + WeekdaysText(mask) + ", and no such day falls in the period";
}

}  // namespace quarn::runtime
