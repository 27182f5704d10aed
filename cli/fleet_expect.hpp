#pragma once
// What a controller's relays should show now by the program it last took,
// and how that compares with what they show (quarnctl status --expect).

#include "base/controller_facts.hpp"
#include "runtime/calendar.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarn::cli {

enum class Predicted { Off, On, DependsOnInputs };

struct RelayPrediction {
    Predicted state = Predicted::Off;
    runtime::Instant since = 0;  // when the relay last took that state (On/Off)
};

struct Prediction {
    bool ok = false;
    std::string error;  // why there is none: the program cannot be read or run
    std::array<RelayPrediction, kRelayCount> relays{};
};

// Runs the program (a state-machine file's bytes) from the Monday 00:00:00 of
// now's week to now with every input off; a relay whose condition reads an
// input S0-S3, directly or through other relays, depends on the inputs and
// is not predicted.
Prediction PredictRelays(std::string_view programBytes, runtime::Instant now);

// "as programmed", or "differs: R3 on, program says off since Mon 07:30:00"
// (every differing relay, "; " between them).
struct Verdict {
    bool asProgrammed = true;
    std::string text;
};
Verdict Compare(const Prediction& prediction, std::uint8_t relayMask);

// "Mon 07:30:00"
std::string WeekTimeText(runtime::Instant t);

}  // namespace quarn::cli
