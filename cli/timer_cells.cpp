#include "cli/timer_cells.hpp"

#include "cli/model_json.hpp"

namespace quarn::cli {

namespace {

constexpr const char* kWeekdayNames[] = {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};

}  // namespace

std::string DateCell(const std::optional<CalendarDate>& date)
{
    return date ? DateText(*date) : std::string("-");
}

std::string TimeCell(const std::optional<TimeOfDay>& time)
{
    return time ? TimeText(*time) : std::string("-");
}

std::string WeekdaysCell(const TimerEntry& timer)
{
    std::string text;
    for (int d = 0; d < kWeekdayCount; ++d)
        text += std::string(d > 0 ? " " : "") + (timer.weekdays[static_cast<std::size_t>(d)] ? kWeekdayNames[d] : "--");
    return text;
}

}  // namespace quarn::cli
