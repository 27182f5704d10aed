#pragma once
// The inputs S0-S3 over a period as the editor's Week preview lets the user
// set them: each input starts on or off and turns over at chosen instants.
// From it come the schedule Simulate takes, the `--input` options that make
// `quarnctl simulate` run the same inputs, and the line the picture carries.

#include "runtime/calendar.hpp"
#include "runtime/picture.hpp"
#include "runtime/signals.hpp"
#include "runtime/timeline.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarn::runtime {

class InputPlan {
public:
    // Every input off throughout [from, to).
    explicit InputPlan(Instant from = 0, Instant to = 0);

    Instant From() const { return from_; }
    Instant To() const { return to_; }

    // Moves the period to start at `from`, keeping its length; the switches
    // move with it, so that "Mon 08:00" of one week becomes "Mon 08:00" of the
    // next.
    void MoveTo(Instant from);

    bool StartsOn(int input) const;
    void SetStartsOn(int input, bool on);

    // Turns input over from t on: its state at every instant from t to the
    // end of the period is the opposite of what it was. t at or before the
    // period's start turns over the state it starts with; t at or after its
    // end changes nothing. A second turn at the same instant undoes the first.
    void Toggle(int input, Instant t);

    // Every input off throughout.
    void Clear();

    bool IsOn(int input, Instant t) const;
    // The instants inside the period at which input turns over, ascending.
    const std::vector<Instant>& Switches(int input) const;
    // Bit n: input n is on at some instant of the period.
    std::uint8_t EverOn() const;
    // Bit n: input n is on for the whole period.
    std::uint8_t OnThroughout() const;

    // For Simulate and `quarnctl simulate`: per input in turn, "on from the
    // start" when it starts on, then an entry for each switch with the state
    // it switches to.
    InputSchedule Schedule() const;

private:
    Instant from_ = 0;
    Instant to_ = 0;
    std::array<bool, kInputCount> startsOn_{};
    std::array<std::vector<Instant>, kInputCount> switches_{};
};

// The instant a click at t on a picture's lane stands for: t rounded to the
// nearest whole 1, 5, 10, 15 or 30 minutes, or 1, 2, 3, 6, 12 or 24 hours,
// taking the shortest step that is at least one unit of the picture wide,
// counted from midnight, so that a click gives a round time and a second
// click at the same place the same instant. Kept inside [from, to).
Instant RoundClickInstant(const PictureLayout& layout, Instant t);

// "S0=1", "S3=0@2026-12-14T08:00:00" (the date alone means midnight), as
// `quarnctl simulate --input` takes them.
std::optional<InputChange> ParseInputOption(std::string_view text);

// The option text of one schedule entry: "S0=1", "S3=0@2026-12-14T08:00:00".
std::string InputOptionText(const InputChange& change);

// The whole schedule as options: "--input S0=1 --input S1=1@2026-12-14T08:00:00";
// empty for an empty schedule.
std::string InputOptionsText(const InputSchedule& schedule);

// What the plan assumes, in words, for the picture: "Inputs: S0 on Mon
// 08:00-17:00, from Fri 08:00; S1 on throughout; S2, S3 off" ("Inputs: all
// off" for none), broken after a "," or ";" into lines of at most
// lineLength characters where it is longer.
std::vector<std::string> InputsCaption(const InputPlan& plan, std::size_t lineLength = 150);

}  // namespace quarn::runtime
