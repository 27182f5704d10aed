#include "simulator/sim_clock.hpp"

#include "runtime/local_clock.hpp"

#include <algorithm>
#include <cmath>

namespace quarn::sim {

SimClock::SimClock(std::optional<runtime::Instant> start, double speed)
    : start_(start), speed_(speed), origin_(std::chrono::steady_clock::now())
{
}

SimClock SimClock::Local(double speed)
{
    return speed == 1 ? SimClock(std::nullopt, 1) : SimClock(runtime::LocalNow(), speed);
}

SimClock SimClock::StartingAt(runtime::Instant start, double speed)
{
    return SimClock(start, speed);
}

runtime::Instant SimClock::Now() const
{
    if (!start_)
        return runtime::LocalNow();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - origin_;
    // The clock stops at the last instant a four-digit year can show.
    const double ahead = std::floor(elapsed.count() * speed_);
    const double left = static_cast<double>(runtime::kLastInstant - std::min(*start_, runtime::kLastInstant));
    return *start_ + static_cast<runtime::Instant>(std::clamp(ahead, 0.0, left));
}

std::optional<SimClock> ClockFromText(std::string_view text, double speed)
{
    if (text == "now")
        return SimClock::Local(speed);
    if (const std::optional<runtime::Instant> start = runtime::ParseInstant(text))
        return SimClock::StartingAt(*start, speed);
    return std::nullopt;
}

}  // namespace quarn::sim
