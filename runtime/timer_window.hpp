#pragma once
// When a timer is on. A timer in use (its OFF time set) has a start S and an
// end E as the file encodes them. It is dated when both decode to years
// after 2000: then it is on from S up to E on the ticked weekdays. Otherwise
// it is daily with the times of day s and e: on from s up to e on ticked days,
// overnight from s to midnight on a ticked day and on to e the next morning
// when s > e, and never when s = e.

#include "document/model.hpp"
#include "runtime/calendar.hpp"

#include <cstdint>
#include <optional>

namespace quarn::runtime {

class TimerWindow {
public:
    enum class Kind : std::uint8_t { Never, Daily, Dated };

    // Never on.
    TimerWindow() = default;

    // From the encoded start and end and the weekday mask (bit 0 Monday).
    static TimerWindow FromValues(std::uint32_t start, std::uint32_t end, int weekdays);
    // From the editor's fields, encoded as the writer encodes them; a timer
    // whose OFF time is blank is not in use and never on.
    static TimerWindow FromEntry(const TimerEntry& entry);

    Kind kind() const { return kind_; }
    // The ticked weekdays (bit 0 Monday); dated: S and E as instants; daily:
    // the times of day s and e in seconds. Never: what the values gave.
    int weekdays() const { return weekdays_; }
    Instant start() const { return start_; }
    Instant end() const { return end_; }

    // Whether the timer is on during the second that begins at t.
    bool IsOn(Instant t) const;

    // The first instant after t at which IsOn changes, or nothing when it
    // never changes again. Computed from the window, not by stepping.
    std::optional<Instant> NextEdge(Instant t) const;

private:
    bool Ticked(Instant t) const { return (weekdays_ >> Weekday(t) & 1) != 0; }

    Kind kind_ = Kind::Never;
    std::uint8_t weekdays_ = 0;
    Instant start_ = 0;  // dated: S and E as instants; daily: s and e
    Instant end_ = 0;
};

}  // namespace quarn::runtime
