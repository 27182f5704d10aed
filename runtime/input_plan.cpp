#include "runtime/input_plan.hpp"

#include <algorithm>
#include <iterator>

namespace quarn::runtime {

namespace {

bool ValidInput(int input)
{
    return input >= 0 && input < kInputCount;
}

std::size_t Slot(int input)
{
    return static_cast<std::size_t>(input);
}

std::string TwoDigits(int value)
{
    return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

// "08:00", or "08:00:30" where the seconds are not whole minutes.
std::string ClockText(Instant t)
{
    const int seconds = TimeOfDaySeconds(t);
    std::string text = TwoDigits(seconds / 3600) + ":" + TwoDigits(seconds / 60 % 60);
    if (seconds % 60 != 0)
        text += ":" + TwoDigits(seconds % 60);
    return text;
}

// "Mon 08:00" within a week, where each weekday comes once; with the date
// ("Mon 2026-12-14 08:00") in a longer period.
std::string MomentText(Instant t, bool withDate)
{
    std::string text(WeekdayName(Weekday(t)));
    if (withDate)
        text += " " + FormatDate(t);
    return text + " " + ClockText(t);
}

// One on-period [on, off) of an input, in words.
std::string OnPeriodText(const InputPlan& plan, Instant on, Instant off, bool withDate)
{
    const bool fromStart = on <= plan.From();
    const bool toEnd = off >= plan.To();
    if (fromStart && toEnd)
        return "throughout";
    if (fromStart)
        return "until " + MomentText(off, withDate);
    if (toEnd)
        return "from " + MomentText(on, withDate);
    const bool sameDay = StartOfDay(on) == StartOfDay(off);
    return MomentText(on, withDate) + "-" + (sameDay ? ClockText(off) : MomentText(off, withDate));
}

}  // namespace

InputPlan::InputPlan(Instant from, Instant to) : from_(from), to_(std::max(from, to))
{
}

void InputPlan::MoveTo(Instant from)
{
    const Instant shift = from - from_;
    for (auto& switches : switches_) {
        for (Instant& t : switches)
            t += shift;
    }
    from_ = from;
    to_ += shift;
}

bool InputPlan::StartsOn(int input) const
{
    return ValidInput(input) && startsOn_[Slot(input)];
}

void InputPlan::SetStartsOn(int input, bool on)
{
    if (ValidInput(input))
        startsOn_[Slot(input)] = on;
}

void InputPlan::Toggle(int input, Instant t)
{
    if (!ValidInput(input) || t >= to_)
        return;
    if (t <= from_) {
        startsOn_[Slot(input)] = !startsOn_[Slot(input)];
        return;
    }
    std::vector<Instant>& switches = switches_[Slot(input)];
    const auto at = std::lower_bound(switches.begin(), switches.end(), t);
    if (at != switches.end() && *at == t)
        switches.erase(at);
    else
        switches.insert(at, t);
}

void InputPlan::Clear()
{
    startsOn_ = {};
    for (auto& switches : switches_)
        switches.clear();
}

bool InputPlan::IsOn(int input, Instant t) const
{
    if (!ValidInput(input))
        return false;
    const std::vector<Instant>& switches = switches_[Slot(input)];
    const auto turns = std::upper_bound(switches.begin(), switches.end(), t) - switches.begin();
    return startsOn_[Slot(input)] != (turns % 2 == 1);
}

const std::vector<Instant>& InputPlan::Switches(int input) const
{
    static const std::vector<Instant> none;
    return ValidInput(input) ? switches_[Slot(input)] : none;
}

std::uint8_t InputPlan::EverOn() const
{
    std::uint8_t bits = 0;
    for (int n = 0; n < kInputCount; ++n) {
        if (startsOn_[Slot(n)] || !switches_[Slot(n)].empty())
            bits = static_cast<std::uint8_t>(bits | (1u << n));
    }
    return bits;
}

std::uint8_t InputPlan::OnThroughout() const
{
    std::uint8_t bits = 0;
    for (int n = 0; n < kInputCount; ++n) {
        if (startsOn_[Slot(n)] && switches_[Slot(n)].empty())
            bits = static_cast<std::uint8_t>(bits | (1u << n));
    }
    return bits;
}

InputSchedule InputPlan::Schedule() const
{
    InputSchedule schedule;
    for (int n = 0; n < kInputCount; ++n) {
        bool on = startsOn_[Slot(n)];
        if (on)
            schedule.push_back(InputChange{n, true, std::nullopt});
        for (const Instant t : switches_[Slot(n)]) {
            on = !on;
            schedule.push_back(InputChange{n, on, t});
        }
    }
    return schedule;
}

Instant RoundClickInstant(const PictureLayout& layout, Instant t)
{
    if (layout.to <= layout.from)
        return layout.from;
    const double secondsPerUnit = layout.plotRight > layout.plotLeft ? static_cast<double>(layout.to - layout.from) /
                                                                           (layout.plotRight - layout.plotLeft)
                                                                     : static_cast<double>(layout.to - layout.from);
    static constexpr Instant kSteps[] = {60, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
    Instant step = kSteps[std::size(kSteps) - 1];
    for (const Instant candidate : kSteps) {
        if (static_cast<double>(candidate) >= secondsPerUnit) {
            step = candidate;
            break;
        }
    }
    const Instant midnight = StartOfDay(t);
    Instant rounded = midnight + (TimeOfDaySeconds(t) + step / 2) / step * step;
    if (rounded >= layout.to)
        rounded -= step;
    return std::clamp(rounded, layout.from, layout.to - 1);
}

std::optional<InputChange> ParseInputOption(std::string_view text)
{
    if (text.size() < 4 || text[0] != 'S' || text[1] < '0' || text[1] >= '0' + kInputCount || text[2] != '=' ||
        (text[3] != '0' && text[3] != '1'))
        return std::nullopt;
    InputChange change;
    change.input = text[1] - '0';
    change.on = text[3] == '1';
    if (text.size() == 4)
        return change;
    if (text[4] != '@')
        return std::nullopt;
    change.at = ParseInstant(text.substr(5));
    if (!change.at)
        return std::nullopt;
    return change;
}

std::string InputOptionText(const InputChange& change)
{
    std::string text = "S" + std::to_string(change.input) + (change.on ? "=1" : "=0");
    if (change.at)
        text += "@" + FormatIso(*change.at);
    return text;
}

std::string InputOptionsText(const InputSchedule& schedule)
{
    std::string text;
    for (const InputChange& change : schedule) {
        if (!text.empty())
            text += ' ';
        text += "--input " + InputOptionText(change);
    }
    return text;
}

std::vector<std::string> InputsCaption(const InputPlan& plan, std::size_t lineLength)
{
    const bool withDate = plan.To() - plan.From() > kSecondsPerWeek;
    // The parts, each ending in the separator that may break the line after it.
    std::vector<std::string> parts;
    std::string off;
    for (int n = 0; n < kInputCount; ++n) {
        const std::string name = "S" + std::to_string(n);
        if (!(plan.EverOn() & (1u << n))) {
            off += (off.empty() ? "" : ", ") + name;
            continue;
        }
        std::vector<std::string> periods;
        bool on = plan.StartsOn(n);
        Instant since = plan.From();
        for (const Instant t : plan.Switches(n)) {
            if (on)
                periods.push_back(OnPeriodText(plan, since, t, withDate));
            on = !on;
            since = t;
        }
        if (on)
            periods.push_back(OnPeriodText(plan, since, plan.To(), withDate));
        for (std::size_t i = 0; i < periods.size(); ++i)
            parts.push_back((i == 0 ? name + " on " : std::string()) + periods[i] +
                            (i + 1 < periods.size() ? "," : ";"));
    }
    if (parts.empty())
        return {"Inputs: all off"};
    if (!off.empty())
        parts.push_back(off + " off;");
    parts.back().pop_back();  // no separator after the last part

    std::vector<std::string> lines{"Inputs:"};
    for (const std::string& part : parts) {
        if (lines.back().size() + 1 + part.size() > lineLength && lines.back().size() > 0 && lines.back() != "Inputs:")
            lines.emplace_back();
        if (!lines.back().empty())
            lines.back() += ' ';
        lines.back() += part;
    }
    return lines;
}

}  // namespace quarn::runtime
