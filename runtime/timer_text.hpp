#pragma once
// A timer's window in words, and why a timer in use is never on in a period.

#include "document/model.hpp"
#include "runtime/calendar.hpp"

#include <optional>
#include <string>

namespace quarn::runtime {

// "daily 07:30:00-22:00:00 Mon-Fri", "overnight 22:00:00-05:00:00 every day",
// "dated 2026-12-24 00:00:00 - 2027-01-02 00:00:00, every day"; a timer that
// is never on says why: "not in use (its OFF time is blank)", "never on: no
// weekday is ticked", "never on: its ON time equals its OFF time".
std::string TimerWindowText(const TimerEntry& entry);

// "Mon-Fri", "Sat, Sun", "Mon, Wed, Fri", "every day", "no day".
std::string WeekdaysText(int mask);

// Why a timer in use is never on in [from, to): "no weekday is ticked", "its
// ON time equals its OFF time", "it is dated 2013-02-08 10:00:00 -
// 2013-02-10 18:30:00, outside the period", ... Nothing when it is on at some
// instant of the period, or not in use.
std::optional<std::string> IdleReason(const TimerEntry& entry, Instant from, Instant to);

}  // namespace quarn::runtime
