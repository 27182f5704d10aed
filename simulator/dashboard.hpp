#pragma once
// quarnsim's own pages, which the programs never use: the dashboard at "/"
// (one HTML page without external resources that shows the clock, relays,
// timers and inputs, switches relays and toggles inputs, and refreshes
// itself) and the same state as data at "/state.json".

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/calendar.hpp"
#include "runtime/signals.hpp"

namespace quarn::sim {

struct DashboardState {
    runtime::Instant now = 0;
    double speed = 1;
    std::string program;  // "2 timers (T0, T1), 1 relay (R3)"; empty: no program runs
    runtime::SignalState signals;
    runtime::SignalState uses;  // the signals the program works with
    std::vector<std::string> warnings;
    // Per relay, why it is as it is (empty for relays the program does not use).
    std::array<std::vector<std::string>, kRelayCount> why{};
};

// {"clock": "2026-12-14T06:00:00", "weekday": "Mon", "speed": 60,
//  "program": "..." or null, "mask": 8, "signals": {"T0": false, ... "S0" ...
//  "R7": false}, "uses": ["T0", "R3"], "warnings": ["..."],
//  "why": {"R3": ["R3 on since ..., when T0 changed", "switches off when ..."]}}
std::string StateJson(const DashboardState& state);

// The dashboard page: it reads state.json and sends its actions to
// switch.json and input.json as POST requests with token in X-Quarn-Token.
std::string DashboardHtml(std::string_view token);

}  // namespace quarn::sim
