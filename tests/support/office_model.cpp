#include "tests/support/office_model.hpp"

namespace quarn::test {

StateMachineModel WorkingWeekModel()
{
    StateMachineModel model;
    ResetModel(model);
    model.timers[0].onTime = TimeOfDay{7, 30, 0};
    model.timers[0].offTime = TimeOfDay{22, 0, 0};
    SetWeekdayMask(model, 0, 31);
    model.relays[3] = u"#T0";
    model.relays[5] = u"#S1";
    return model;
}

CalendarDate Date(int year, int month, int day)
{
    return CalendarDate{static_cast<std::uint16_t>(year), static_cast<std::uint8_t>(month),
                        static_cast<std::uint8_t>(day)};
}

TimeOfDay Time(int hour, int minute, int second)
{
    return TimeOfDay{static_cast<std::uint8_t>(hour), static_cast<std::uint8_t>(minute),
                     static_cast<std::uint8_t>(second)};
}

StateMachineModel OfficeModel()
{
    StateMachineModel model;
    model.version = u"office";
    model.timers[0].onTime = Time(7, 30, 0);
    model.timers[0].offTime = Time(22, 0, 0);
    SetWeekdayMask(model, 0, 31);
    model.timers[1].onDate = Date(2013, 2, 8);
    model.timers[1].onTime = Time(10, 0, 0);
    model.timers[1].offDate = Date(2013, 2, 10);
    model.timers[1].offTime = Time(18, 30, 0);
    SetWeekdayMask(model, 1, 96);
    model.relays[3] = u"(#T0&&#T1)||#R2";
    return model;
}

}  // namespace quarn::test

namespace quarn {

// Readable failure messages for the model's parts.
void PrintTo(const CalendarDate& date, std::ostream* out)
{
    *out << int(date.year) << '/' << int(date.month) << '/' << int(date.day);
}

void PrintTo(const TimeOfDay& time, std::ostream* out)
{
    *out << int(time.hour) << ':' << int(time.minute) << ':' << int(time.second);
}

namespace {

void PrintText(const std::u16string& text, std::ostream* out)
{
    *out << '"';
    for (const char16_t c : text) {
        if (c >= 0x20 && c < 0x7F)
            *out << static_cast<char>(c);
        else
            *out << "\\u" << std::hex << int(c) << std::dec;
    }
    *out << '"';
}

template <typename T>
void PrintField(const std::optional<T>& field, std::ostream* out)
{
    if (field)
        PrintTo(*field, out);
    else
        *out << "blank";
}

}  // namespace

void PrintTo(const StateMachineModel& model, std::ostream* out)
{
    *out << "\n  version ";
    PrintText(model.version, out);
    *out << " path ";
    PrintText(model.path, out);
    *out << (model.modified ? " modified" : "");
    for (int n = 0; n < kTimerCount; ++n) {
        const TimerEntry& timer = model.timers[n];
        *out << "\n  T" << n << ' ';
        PrintField(timer.onDate, out);
        *out << ' ';
        PrintField(timer.onTime, out);
        *out << " - ";
        PrintField(timer.offDate, out);
        *out << ' ';
        PrintField(timer.offTime, out);
        *out << " days " << WeekdayMask(model, n);
    }
    for (int n = 0; n < kRelayCount; ++n) {
        *out << "\n  R" << n << ' ';
        PrintText(model.relays[n], out);
    }
}

}  // namespace quarn
