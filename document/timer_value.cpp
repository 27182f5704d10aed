#include "document/timer_value.hpp"

#include "base/civil_date.hpp"
#include "base/controller_facts.hpp"

#include <algorithm>
#include <tuple>

namespace quarn {

namespace {

constexpr std::uint32_t kSecondsPerDay = 86400;
constexpr std::uint32_t kDaysPerBlock = 4 * 365 + 1;  // four years, the first a leap year
constexpr int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

std::uint32_t DatePart(const CalendarDate& date)
{
    CalendarDate d{date.year, std::clamp<std::uint8_t>(date.month, 1, 12), std::clamp<std::uint8_t>(date.day, 1, 31)};
    const auto key = [](const CalendarDate& c) { return std::tie(c.year, c.month, c.day); };
    const auto dateOf = [](const FileDateLimit& limit) {
        return CalendarDate{static_cast<std::uint16_t>(limit.year), static_cast<std::uint8_t>(limit.month),
                            static_cast<std::uint8_t>(limit.day)};
    };
    constexpr CalendarDate first = dateOf(kFirstFileDate);
    constexpr CalendarDate last = dateOf(kLastFileDate);
    if (key(d) < key(first))
        return 0;
    if (key(d) > key(last))
        d = last;
    const std::int64_t days = DaysFromCivil(d.year, d.month, d.day) - DaysFromCivil(first.year, first.month, first.day);
    return static_cast<std::uint32_t>(days) * kSecondsPerDay;
}

}  // namespace

std::uint32_t EncodeTimerValue(const std::optional<CalendarDate>& date, const std::optional<TimeOfDay>& time)
{
    std::uint32_t value = date ? DatePart(*date) : 0;
    if (time)
        value += time->hour * 3600u + time->minute * 60u + time->second;
    return value;
}

DecodedTimerValue DecodeTimerValue(std::uint32_t value)
{
    DecodedTimerValue result;
    result.time.hour = static_cast<std::uint8_t>((value / 3600) % 24);
    result.time.minute = static_cast<std::uint8_t>((value / 60) % 60);
    result.time.second = static_cast<std::uint8_t>(value % 60);

    const std::uint32_t days = value / kSecondsPerDay;
    std::uint32_t d = days % kDaysPerBlock;
    const bool leapDay = d == 59;
    if (d >= 59)
        --d;
    const std::uint32_t y = d / 365 + 4 * (value / (kDaysPerBlock * kSecondsPerDay));
    const int dayOfYear = static_cast<int>(d % 365);
    int month = 12;
    while (kDaysBefore[month - 1] > dayOfYear)
        --month;
    const int day = dayOfYear - kDaysBefore[month - 1] + 1 + (leapDay ? 1 : 0);

    // Years from 2100 on have no date in this encoding.
    result.date.year = y <= 99 ? static_cast<std::uint16_t>(2000 + y) : std::uint16_t{0};
    result.date.month = static_cast<std::uint8_t>(month);
    result.date.day = static_cast<std::uint8_t>(day);
    return result;
}

}  // namespace quarn
