#pragma once
// The simulated controller's clock: the machine's local wall-clock time, or
// a chosen start that runs at a chosen speed, on the runtime's scale
// (seconds since 2000-01-01 00:00:00, naive local time).

#include <chrono>
#include <optional>
#include <string_view>

#include "runtime/calendar.hpp"

namespace quarn::sim {

class SimClock {
public:
    // The machine's local time now, running at speed times real time from
    // here on (speed 1: always the machine's local time).
    static SimClock Local(double speed = 1);
    // start, running at speed times real time from the moment of the call.
    static SimClock StartingAt(runtime::Instant start, double speed = 1);

    runtime::Instant Now() const;
    double Speed() const { return speed_; }

private:
    SimClock(std::optional<runtime::Instant> start, double speed);

    std::optional<runtime::Instant> start_;  // nothing: the machine's local time
    double speed_ = 1;
    std::chrono::steady_clock::time_point origin_;
};

// "--clock" values: "now" or "YYYY-MM-DDTHH:MM:SS" (or "YYYY-MM-DD").
std::optional<SimClock> ClockFromText(std::string_view text, double speed);

}  // namespace quarn::sim
