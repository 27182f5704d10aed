#include "editor/model_fields.hpp"

#include "editor/date_time_ctrl_ex.hpp"

namespace quarn {

namespace {

bool ReadsAsBlank(const CDateTimeCtrlEx& field)
{
    return field.WindowText().size() < 2;
}

}  // namespace

std::optional<CalendarDate> DateOfField(const CDateTimeCtrlEx& field)
{
    if (ReadsAsBlank(field))
        return std::nullopt;
    const QDate date = field.date();
    CalendarDate result{};
    result.year = static_cast<decltype(result.year)>(date.year());
    result.month = static_cast<decltype(result.month)>(date.month());
    result.day = static_cast<decltype(result.day)>(date.day());
    return result;
}

std::optional<TimeOfDay> TimeOfField(const CDateTimeCtrlEx& field)
{
    if (ReadsAsBlank(field))
        return std::nullopt;
    const QTime time = field.time();
    TimeOfDay result{};
    result.hour = static_cast<decltype(result.hour)>(time.hour());
    result.minute = static_cast<decltype(result.minute)>(time.minute());
    result.second = static_cast<decltype(result.second)>(time.second());
    return result;
}

void ShowDateInField(CDateTimeCtrlEx& field, const std::optional<CalendarDate>& date)
{
    if (!date) {
        field.SetDisplayFormat(CDateTimeCtrlEx::kBlankFormat);
        return;
    }
    field.SetValue(QDateTime(QDate(date->year, date->month, date->day), field.time()));
    field.SetDisplayFormat(field.NormalFormat());
}

void ShowTimeInField(CDateTimeCtrlEx& field, const std::optional<TimeOfDay>& time)
{
    if (!time) {
        field.SetDisplayFormat(CDateTimeCtrlEx::kBlankFormat);
        return;
    }
    field.SetValue(QDateTime(field.date(), QTime(time->hour, time->minute, time->second)));
    field.SetDisplayFormat(field.NormalFormat());
}

}  // namespace quarn
