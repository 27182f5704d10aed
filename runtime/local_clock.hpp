#pragma once
// The machine's wall clock as the controller's clock: local time, read as
// naive fields, so a day with a daylight-saving change still has 86400
// seconds on this scale. The one reader of the machine's local time: quarnctl,
// quarnsim's clock and the editor's week preview all ask here.

#include "runtime/calendar.hpp"

namespace quarn::runtime {

Instant LocalNow();

}  // namespace quarn::runtime
