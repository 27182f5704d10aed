#pragma once

#include "document/model.hpp"

#include <functional>

class QWidget;

namespace quarn {

// What the relay buttons R0..R7 do: takes the window's fields into the
// model, marks the document changed and lets the user edit relay's
// condition in the condition dialog. After OK the new condition replaces the
// old one and the window shows the model again. Returns true after OK;
// a relay outside 0..7 does nothing.
bool EditRelayCondition(QWidget* parent, StateMachineModel& model, int relay, const std::function<void()>& takeFields,
                        const std::function<void()>& showModel);

}  // namespace quarn
