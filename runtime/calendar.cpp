#include "runtime/calendar.hpp"

#include "base/civil_date.hpp"

#include <array>

namespace quarn::runtime {

namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

const std::int64_t kDays2000 = DaysFromCivil(2000, 1, 1);

// Exactly `count` decimal digits from text at position.
std::optional<int> Digits(std::string_view text, std::size_t position, std::size_t count)
{
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[position + i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::int64_t DayNumber(Instant t)
{
    return FloorDiv(t, kSecondsPerDay);
}

Instant StartOfDay(Instant t)
{
    return DayNumber(t) * kSecondsPerDay;
}

int TimeOfDaySeconds(Instant t)
{
    return static_cast<int>(t - StartOfDay(t));
}

int Weekday(Instant t)
{
    return WeekdayOfDays(DayNumber(t) + kDays2000);
}

Instant StartOfWeek(Instant t)
{
    return StartOfDay(t) - Weekday(t) * kSecondsPerDay;
}

DateTime FieldsOf(Instant t)
{
    DateTime fields;
    const CivilDate date = CivilFromDays(DayNumber(t) + kDays2000);
    fields.year = static_cast<int>(date.year);
    fields.month = date.month;
    fields.day = date.day;
    const int seconds = TimeOfDaySeconds(t);
    fields.hour = seconds / 3600;
    fields.minute = seconds / 60 % 60;
    fields.second = seconds % 60;
    return fields;
}

Instant InstantOf(const DateTime& fields)
{
    const std::int64_t days = DaysFromCivil(fields.year, fields.month, fields.day) - kDays2000;
    return days * kSecondsPerDay + fields.hour * 3600 + fields.minute * 60 + fields.second;
}

std::string_view WeekdayName(int weekday)
{
    static constexpr std::array<std::string_view, 7> kNames{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return weekday >= 0 && weekday < 7 ? kNames[static_cast<std::size_t>(weekday)] : std::string_view{};
}

namespace {

// Fixed-width decimal fields without printf: timelines format thousands of
// instants.
void Put(char*& out, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out += width;
}

// "YYYY-MM-DD" + separator + "HH:MM:SS" into out; years outside 0-9999 are
// written with their digits modulo 10000.
std::string Formatted(Instant t, char separator, bool withTime)
{
    const DateTime f = FieldsOf(t);
    char text[19];
    char* out = text;
    const int year = f.year % 10000;
    Put(out, year < 0 ? year + 10000 : year, 4);
    *out++ = '-';
    Put(out, f.month, 2);
    *out++ = '-';
    Put(out, f.day, 2);
    if (withTime) {
        *out++ = separator;
        Put(out, f.hour, 2);
        *out++ = ':';
        Put(out, f.minute, 2);
        *out++ = ':';
        Put(out, f.second, 2);
    }
    return std::string(text, out);
}

}  // namespace

std::string FormatDate(Instant t)
{
    return Formatted(t, ' ', false);
}

std::string FormatIso(Instant t)
{
    return Formatted(t, 'T', true);
}

std::string FormatDisplay(Instant t)
{
    return std::string(WeekdayName(Weekday(t))) + " " + Formatted(t, ' ', true);
}

std::optional<Instant> ParseInstant(std::string_view text)
{
    if (text.size() != 10 && text.size() != 19)
        return std::nullopt;
    if (text[4] != '-' || text[7] != '-')
        return std::nullopt;
    DateTime fields;
    const auto year = Digits(text, 0, 4);
    const auto month = Digits(text, 5, 2);
    const auto day = Digits(text, 8, 2);
    if (!year || !month || !day || *year < 1 || !IsCivilDate(*year, *month, *day))
        return std::nullopt;
    fields.year = *year;
    fields.month = *month;
    fields.day = *day;
    if (text.size() == 19) {
        if (text[10] != 'T' || text[13] != ':' || text[16] != ':')
            return std::nullopt;
        const auto hour = Digits(text, 11, 2);
        const auto minute = Digits(text, 14, 2);
        const auto second = Digits(text, 17, 2);
        if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59)
            return std::nullopt;
        fields.hour = *hour;
        fields.minute = *minute;
        fields.second = *second;
    }
    return InstantOf(fields);
}

}  // namespace quarn::runtime
