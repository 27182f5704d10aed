#pragma once
// Timer values in the state-machine file: seconds since 2000-01-01 00:00:00
// as an unsigned 32-bit number. A value below 86400 is a bare time of day.

#include "document/model.hpp"

#include <cstdint>
#include <optional>

namespace quarn {

// A blank date or time counts as zero. Dates the value cannot carry are
// clamped to the range it can: a date before 2000-01-01 is written as
// 2000-01-01 (date part 0, so the value is a bare time of day) and a date
// after 2099-12-31 as 2099-12-31. A month outside 1-12 or day outside 1-31 is
// clamped into that range first.
std::uint32_t EncodeTimerValue(const std::optional<CalendarDate>& date, const std::optional<TimeOfDay>& time);

struct DecodedTimerValue {
    CalendarDate date;  // year 0 for values from 3155760000 (the year 2100) on
    TimeOfDay time;
};

DecodedTimerValue DecodeTimerValue(std::uint32_t value);

}  // namespace quarn
