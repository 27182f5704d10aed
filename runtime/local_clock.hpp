#pragma once
// The machine's wall clock as the controller's clock: local time, read as
// naive fields, so a day with a daylight-saving change still has 86400
// seconds on this scale.

#include "runtime/calendar.hpp"

namespace quarn::runtime {

Instant LocalNow();

}  // namespace quarn::runtime
