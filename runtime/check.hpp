#pragma once
// What can go wrong with a program over a period whatever its free inputs do:
// findings that every check reports, and properties the user asks about
// (`never COND`, `always COND`), each over every reachable state of the
// Exploration, with an input schedule that shows a failure.

#include "runtime/calendar.hpp"
#include "runtime/condition.hpp"
#include "runtime/exploration.hpp"
#include "runtime/program.hpp"
#include "runtime/signals.hpp"
#include "runtime/timeline.hpp"

#include <optional>
#include <string>
#include <vector>

namespace quarn::runtime {

enum class Severity : std::uint8_t { Error, Warning, Note };

// "error", "warning", "note".
std::string_view SeverityName(Severity severity);

struct Finding {
    std::string code;  // "condition-error", "never-on", "never-off", "no-settle", "power-loss",
                       // "unset-timer", "missing-relay", "idle-timer", "unused-timer"
    Severity severity = Severity::Warning;
    Signal subject;             // a timer for the timer codes, otherwise a relay
    std::string message;        // one sentence
    std::optional<Instant> at;  // the instant of the state it is about, if any
    InputSchedule inputs;       // what reaches that state
};

struct Property {
    bool always = false;  // always COND; otherwise never COND
    std::string text;     // the condition as given, UTF-8
    Condition condition;
};

struct PropertyOutcome {
    std::string property;  // "never " or "always " + the condition as given
    bool holds = true;
    std::optional<Instant> at;  // where it fails
    InputSchedule inputs;       // what reaches that state
};

struct CheckRequest {
    Instant from = 0;
    Instant to = 0;
    std::uint8_t pinned = 0;  // bit n: input n is pinned to bit n of pinnedValues
    std::uint8_t pinnedValues = 0;
    std::vector<Property> properties;
};

struct CheckReport {
    std::vector<Finding> findings;  // ordered by severity, subject (T0-T7, R0-R7), code
    std::vector<PropertyOutcome> properties;
    // Set when the conditions are outside the grammar (the findings say where;
    // nothing else was checked) or when the exploration gave up (the text).
    bool conditionErrors = false;
    std::string failure;
};

// Every relay condition outside the grammar, one finding per relay (the off
// state's condition before the on state's), in relay order.
std::vector<Finding> ConditionErrorFindings(const ProgramText& text);

CheckReport CheckProgram(const ProgramText& text, const CheckRequest& request);

// Orders findings by severity, then subject (timers before relays), then code.
void SortFindings(std::vector<Finding>& findings);

}  // namespace quarn::runtime
