#include "simulator/sim_clock.hpp"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace quarn::sim {

runtime::Instant LocalTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm fields{};
#ifdef _WIN32
    localtime_s(&fields, &now);
#else
    localtime_r(&now, &fields);
#endif
    runtime::DateTime local;
    local.year = fields.tm_year + 1900;
    local.month = fields.tm_mon + 1;
    local.day = fields.tm_mday;
    local.hour = fields.tm_hour;
    local.minute = fields.tm_min;
    // A leap second counts as the second before it.
    local.second = fields.tm_sec > 59 ? 59 : fields.tm_sec;
    return runtime::InstantOf(local);
}

SimClock::SimClock(std::optional<runtime::Instant> start, double speed)
    : start_(start), speed_(speed), origin_(std::chrono::steady_clock::now())
{
}

SimClock SimClock::Local(double speed)
{
    return speed == 1 ? SimClock(std::nullopt, 1) : SimClock(LocalTimeNow(), speed);
}

SimClock SimClock::StartingAt(runtime::Instant start, double speed)
{
    return SimClock(start, speed);
}

runtime::Instant SimClock::Now() const
{
    if (!start_)
        return LocalTimeNow();
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
