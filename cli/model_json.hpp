#pragma once
// The document as JSON, the same form in both directions:
//   {"version": "office",
//    "timers": [8 x {"onDate": "2013/02/08" | null, "onTime": "10:00:00" | null,
//                    "offDate": ..., "offTime": ..., "weekdays": 96}],
//    "relays": [8 condition texts, "" when unused]}
// Timer n is Tn, relays[n] is Rn; weekdays is the mask with bit 0 Monday.

#include "document/model.hpp"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace quarn::cli {

// Keys in the order shown above.
nlohmann::ordered_json ModelToJson(const StateMachineModel& model);

// Fills the document part of model (timers, relays, version) from json.
// Missing keys mean blank fields, no weekday, empty texts. Returns nothing
// on success, otherwise a message that names the offending field (such as
// "timers[2].onDate: ..."); model is then unchanged.
std::optional<std::string> ModelFromJson(const nlohmann::json& json, StateMachineModel& model);

// "2013/02/08" and "10:00:00".
std::string DateText(const CalendarDate& date);
std::string TimeText(const TimeOfDay& time);

}  // namespace quarn::cli
