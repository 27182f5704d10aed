#include "cli/model_json.hpp"

#include "base/civil_date.hpp"
#include "base/utf8.hpp"

#include <cstdio>
#include <optional>

namespace quarn::cli {

namespace {

using nlohmann::json;

std::string Utf8(const std::u16string& text)
{
    return EncodeUtf8(text);
}

nlohmann::ordered_json DateValue(const std::optional<CalendarDate>& date)
{
    return date ? nlohmann::ordered_json(DateText(*date)) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json TimeValue(const std::optional<TimeOfDay>& time)
{
    return time ? nlohmann::ordered_json(TimeText(*time)) : nlohmann::ordered_json(nullptr);
}

// Reads "dd" parts separated by one character; false when the text does
// not have exactly that shape.
bool ReadNumbers(const std::string& text, char separator, const int* widths, int count, int* values)
{
    std::size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != separator)
                return false;
            ++pos;
        }
        int value = 0;
        for (int w = 0; w < widths[i]; ++w, ++pos) {
            if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
                return false;
            value = value * 10 + (text[pos] - '0');
        }
        values[i] = value;
    }
    return pos == text.size();
}

// Each reader returns an empty text or what is wrong with the value.
std::string ReadDate(const json& value, std::optional<CalendarDate>& date)
{
    if (value.is_null()) {
        date.reset();
        return {};
    }
    static const int widths[] = {4, 2, 2};
    int parts[3] = {};
    if (!value.is_string() || !ReadNumbers(value.get<std::string>(), '/', widths, 3, parts))
        return "expected a date written yyyy/MM/dd, or null";
    if (parts[0] < 1 || !IsCivilDate(parts[0], parts[1], parts[2]))
        return "\"" + value.get<std::string>() + "\" is not a date of the calendar";
    date = CalendarDate{static_cast<std::uint16_t>(parts[0]), static_cast<std::uint8_t>(parts[1]),
                        static_cast<std::uint8_t>(parts[2])};
    return {};
}

std::string ReadTime(const json& value, std::optional<TimeOfDay>& time)
{
    if (value.is_null()) {
        time.reset();
        return {};
    }
    static const int widths[] = {2, 2, 2};
    int parts[3] = {};
    if (!value.is_string() || !ReadNumbers(value.get<std::string>(), ':', widths, 3, parts))
        return "expected a time written HH:mm:ss, or null";
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return "\"" + value.get<std::string>() + "\" is not a time of day";
    time = TimeOfDay{static_cast<std::uint8_t>(parts[0]), static_cast<std::uint8_t>(parts[1]),
                     static_cast<std::uint8_t>(parts[2])};
    return {};
}

std::string ReadText(const json& value, std::u16string& text)
{
    if (!value.is_string())
        return "expected a string";
    text = DecodeUtf8(value.get<std::string>());
    return {};
}

std::string UnknownKey(const json& object, std::initializer_list<const char*> known)
{
    for (const auto& item : object.items()) {
        bool found = false;
        for (const char* key : known)
            found = found || item.key() == key;
        if (!found)
            return item.key();
    }
    return {};
}

std::string ReadTimer(const json& value, const std::string& where, StateMachineModel& model, int n)
{
    if (!value.is_object())
        return where + ": expected an object";
    if (const std::string key = UnknownKey(value, {"onDate", "onTime", "offDate", "offTime", "weekdays"}); !key.empty())
        return where + "." + key + ": unknown field";

    TimerEntry& timer = model.timers[n];
    struct DateField {
        const char* key;
        std::optional<CalendarDate>* field;
    };
    for (const DateField& field : {DateField{"onDate", &timer.onDate}, DateField{"offDate", &timer.offDate}}) {
        if (!value.contains(field.key))
            continue;
        if (std::string error = ReadDate(value.at(field.key), *field.field); !error.empty())
            return where + "." + field.key + ": " + error;
    }
    struct TimeField {
        const char* key;
        std::optional<TimeOfDay>* field;
    };
    for (const TimeField& field : {TimeField{"onTime", &timer.onTime}, TimeField{"offTime", &timer.offTime}}) {
        if (!value.contains(field.key))
            continue;
        if (std::string error = ReadTime(value.at(field.key), *field.field); !error.empty())
            return where + "." + field.key + ": " + error;
    }
    if (value.contains("weekdays")) {
        const json& mask = value.at("weekdays");
        if (!mask.is_number_integer() || mask.get<std::int64_t>() < 0 || mask.get<std::int64_t>() > 127)
            return where + ".weekdays: expected a whole number 0-127 (bit 0 Monday ... bit 6 Sunday)";
        SetWeekdayMask(model, n, mask.get<int>());
    }
    return {};
}

std::string ReadModel(const json& input, StateMachineModel& model)
{
    if (!input.is_object())
        return "the document: expected an object with \"version\", \"timers\" and \"relays\"";
    if (const std::string key = UnknownKey(input, {"version", "timers", "relays"}); !key.empty())
        return key + ": unknown field";

    if (input.contains("version")) {
        if (std::string error = ReadText(input.at("version"), model.version); !error.empty())
            return "version: " + error;
    }
    if (input.contains("timers")) {
        const json& timers = input.at("timers");
        if (!timers.is_array() || timers.size() != kTimerCount)
            return "timers: expected an array of 8 timer objects";
        for (int n = 0; n < kTimerCount; ++n) {
            if (std::string error = ReadTimer(timers[n], "timers[" + std::to_string(n) + "]", model, n); !error.empty())
                return error;
        }
    }
    if (input.contains("relays")) {
        const json& relays = input.at("relays");
        if (!relays.is_array() || relays.size() != kRelayCount)
            return "relays: expected an array of 8 condition texts";
        for (int n = 0; n < kRelayCount; ++n) {
            if (std::string error = ReadText(relays[n], model.relays[n]); !error.empty())
                return "relays[" + std::to_string(n) + "]: " + error;
        }
    }
    return {};
}

}  // namespace

std::string DateText(const CalendarDate& date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", int{date.year}, int{date.month}, int{date.day});
    return text;
}

std::string TimeText(const TimeOfDay& time)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", int{time.hour}, int{time.minute}, int{time.second});
    return text;
}

nlohmann::ordered_json ModelToJson(const StateMachineModel& model)
{
    using ordered = nlohmann::ordered_json;
    ordered timers = ordered::array();
    for (int n = 0; n < kTimerCount; ++n) {
        const TimerEntry& timer = model.timers[n];
        timers.push_back(ordered{
            {"onDate", DateValue(timer.onDate)},
            {"onTime", TimeValue(timer.onTime)},
            {"offDate", DateValue(timer.offDate)},
            {"offTime", TimeValue(timer.offTime)},
            {"weekdays", WeekdayMask(model, n)},
        });
    }
    ordered relays = ordered::array();
    for (const RelayCondition& condition : model.relays)
        relays.push_back(Utf8(condition));
    return ordered{{"version", Utf8(model.version)}, {"timers", timers}, {"relays", relays}};
}

std::optional<std::string> ModelFromJson(const nlohmann::json& json, StateMachineModel& model)
{
    StateMachineModel filled = model;
    ResetModel(filled);
    std::string error = ReadModel(json, filled);
    if (!error.empty())
        return error;
    model = std::move(filled);
    return std::nullopt;
}

}  // namespace quarn::cli
