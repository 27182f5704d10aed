#pragma once
// The worked example behind the fixture office.xml, short ways to write
// dates and times, and readable failure messages for the model.

#include "document/model.hpp"

#include <ostream>

namespace quarn::test {

// Timers T0 and T1 and relay R3, version "office": the model behind the
// fixture office.xml.
StateMachineModel OfficeModel();

// The Week preview's working week: T0 07:30-22:00 Monday to Friday; R3
// follows T0, R5 follows input S1.
StateMachineModel WorkingWeekModel();

CalendarDate Date(int year, int month, int day);
TimeOfDay Time(int hour, int minute, int second);

}  // namespace quarn::test

namespace quarn {

void PrintTo(const CalendarDate& date, std::ostream* out);
void PrintTo(const TimeOfDay& time, std::ostream* out);
void PrintTo(const StateMachineModel& model, std::ostream* out);

}  // namespace quarn
