// A timer's fields as quarnctl prints them: dates and times as the editor
// shows them, "-" for a blank field, weekdays as "Mo Tu -- ...".
#pragma once

#include "document/model.hpp"

#include <optional>
#include <string>

namespace quarn::cli {

std::string DateCell(const std::optional<CalendarDate>& date);
std::string TimeCell(const std::optional<TimeOfDay>& time);
std::string WeekdaysCell(const TimerEntry& timer);

}  // namespace quarn::cli
