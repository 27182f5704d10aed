#include "base/civil_date.hpp"

#include <chrono>

namespace quarn {

// H. Hinnant's algorithms, over eras of 400 years (146,097 days) so that any
// 64-bit year counts alike.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day)
{
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(std::int64_t days)
{
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    date.year = yoe + era * 400 + (date.month <= 2 ? 1 : 0);
    return date;
}

bool IsCivilDate(int year, int month, int day)
{
    namespace chrono = std::chrono;
    // The checks before the conversion keep values the chrono types would
    // cut to their widths from passing.
    if (year < static_cast<int>(chrono::year::min()) || year > static_cast<int>(chrono::year::max()) || month < 1 ||
        month > 12 || day < 1 || day > 31)
        return false;
    return chrono::year_month_day{chrono::year{year}, chrono::month{static_cast<unsigned>(month)},
                                  chrono::day{static_cast<unsigned>(day)}}
        .ok();
}

int WeekdayOfDays(std::int64_t days)
{
    const std::chrono::weekday weekday{std::chrono::sys_days{std::chrono::days{days}}};
    return static_cast<int>(weekday.iso_encoding()) - 1;
}

}  // namespace quarn
