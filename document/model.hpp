#pragma once
// The editor's document in memory: eight timers, eight relay conditions, the
// version text, the current file path and the unsaved-changes flag.

#include "base/controller_facts.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace quarn {

inline constexpr int kWeekdayCount = 7;

// A calendar date as the user entered it; year written with four digits.
struct CalendarDate {
    std::uint16_t year = 2000;
    std::uint8_t month = 1;  // 1-12
    std::uint8_t day = 1;    // 1-31

    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// A time of day on the 24-hour clock.
struct TimeOfDay {
    std::uint8_t hour = 0;    // 0-23
    std::uint8_t minute = 0;  // 0-59
    std::uint8_t second = 0;  // 0-59

    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// One timer. Each of the four fields is blank (no value) or set on its own.
// A timer is in use when its offTime is set; its other blank fields then
// count as zero in the file.
struct TimerEntry {
    std::optional<CalendarDate> onDate;
    std::optional<TimeOfDay> onTime;
    std::optional<CalendarDate> offDate;
    std::optional<TimeOfDay> offTime;
    std::array<bool, kWeekdayCount> weekdays{};  // Monday first

    friend bool operator==(const TimerEntry&, const TimerEntry&) = default;
};

// The condition text of one relay output, such as "(#T0&&#T1)||#R2". Empty
// means the relay is not used. The model never checks the text's syntax.
using RelayCondition = std::u16string;

struct StateMachineModel {
    std::array<TimerEntry, kTimerCount> timers{};      // element n is timer Tn
    std::array<RelayCondition, kRelayCount> relays{};  // element n is relay Rn
    std::u16string version;
    std::u16string path;  // full path of the current file; empty before one is chosen
    bool modified = false;

    friend bool operator==(const StateMachineModel&, const StateMachineModel&) = default;
};

// Blanks every timer field and weekday, empties every condition and the
// version, clears modified. The path stays as it is.
void ResetModel(StateMachineModel& model);

// The weekdays of timer n as a mask: bit 0 Monday ... bit 6 Sunday.
// An index outside 0-7 gives 0.
int WeekdayMask(const StateMachineModel& model, int n);

// Sets weekday d of timer n to bit d of mask, for d = 0 ... 6; higher bits
// are ignored. An index outside 0-7 changes nothing.
void SetWeekdayMask(StateMachineModel& model, int n, int mask);

}  // namespace quarn
