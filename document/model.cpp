#include "document/model.hpp"

namespace quarn {

namespace {

bool IsTimerIndex(int n)
{
    return n >= 0 && n < kTimerCount;
}

}  // namespace

void ResetModel(StateMachineModel& model)
{
    model.timers.fill(TimerEntry{});
    model.relays.fill(RelayCondition{});
    model.version.clear();
    model.modified = false;
}

int WeekdayMask(const StateMachineModel& model, int n)
{
    if (!IsTimerIndex(n))
        return 0;
    int mask = 0;
    for (int d = 0; d < kWeekdayCount; ++d) {
        if (model.timers[n].weekdays[d])
            mask |= 1 << d;
    }
    return mask;
}

void SetWeekdayMask(StateMachineModel& model, int n, int mask)
{
    if (!IsTimerIndex(n))
        return;
    for (int d = 0; d < kWeekdayCount; ++d)
        model.timers[n].weekdays[d] = (mask & (1 << d)) != 0;
}

}  // namespace quarn
