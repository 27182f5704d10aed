#pragma once

#include "document/model.hpp"

#include <optional>

namespace quarn {

class CDateTimeCtrlEx;

// A field whose text is shorter than two characters counts as blank.
std::optional<CalendarDate> DateOfField(const CDateTimeCtrlEx& field);
std::optional<TimeOfDay> TimeOfField(const CDateTimeCtrlEx& field);

// Puts a value into a field and shows it, or blanks the field for no value.
void ShowDateInField(CDateTimeCtrlEx& field, const std::optional<CalendarDate>& date);
void ShowTimeInField(CDateTimeCtrlEx& field, const std::optional<TimeOfDay>& time);

}  // namespace quarn
