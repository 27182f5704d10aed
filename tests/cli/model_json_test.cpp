#include "cli/model_json.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace quarn::cli {
namespace {

using nlohmann::json;

StateMachineModel SampleModel()
{
    StateMachineModel model;
    model.version = u"B\u00fcro";
    model.timers[1].onDate = CalendarDate{2013, 2, 8};
    model.timers[1].onTime = TimeOfDay{10, 0, 0};
    model.timers[1].offTime = TimeOfDay{18, 30, 5};
    SetWeekdayMask(model, 1, 96);
    model.relays[3] = u"(#T0&&#T1)||#R2";
    return model;
}

TEST(ModelJson, ModelToJsonWritesEveryFieldInSchemaOrder)
{
    const std::string text = ModelToJson(SampleModel()).dump();
    const std::string blank = R"({"onDate":null,"onTime":null,"offDate":null,"offTime":null,"weekdays":0})";
    EXPECT_EQ(text,
              "{\"version\":\"B\xC3\xBCro\",\"timers\":["
              R"({"onDate":null,"onTime":null,"offDate":null,"offTime":null,"weekdays":0},)"
              R"({"onDate":"2013/02/08","onTime":"10:00:00","offDate":null,"offTime":"18:30:05","weekdays":96},)" +
                  blank + "," + blank + "," + blank + "," + blank + "," + blank + "," + blank +
                  R"(],"relays":["","","","(#T0&&#T1)||#R2","","","",""]})")
        << text;
}

TEST(ModelJson, JsonRoundTripsAndMissingKeysMeanBlank)
{
    StateMachineModel model;
    model.path = u"/kept";
    ASSERT_EQ(ModelFromJson(json::parse(ModelToJson(SampleModel()).dump()), model), std::nullopt);
    StateMachineModel expected = SampleModel();
    expected.path = u"/kept";
    EXPECT_EQ(model, expected);

    json sparse = json::object();
    sparse["timers"] = json::array();
    for (int n = 0; n < 8; ++n)
        sparse["timers"].push_back(json::object());
    sparse["timers"][6] = json{{"offTime", "23:59:59"}, {"weekdays", 127}};
    ASSERT_EQ(ModelFromJson(sparse, model), std::nullopt);
    expected = StateMachineModel{};
    expected.path = u"/kept";
    expected.timers[6].offTime = TimeOfDay{23, 59, 59};
    SetWeekdayMask(expected, 6, 127);
    EXPECT_EQ(model, expected);

    ASSERT_EQ(ModelFromJson(json::object(), model), std::nullopt);
    expected = StateMachineModel{};
    expected.path = u"/kept";
    EXPECT_EQ(model, expected);
}

TEST(ModelJson, InputThatDoesNotFitNamesTheField)
{
    const json valid = json::parse(ModelToJson(SampleModel()).dump());
    struct Case {
        std::function<void(json&)> change;
        std::string error;
    };
    const Case cases[] = {
        {[](json& j) { j = json::array(); }, "the document: expected an object"},
        {[](json& j) { j["timer"] = 1; }, "timer: unknown field"},
        {[](json& j) { j["version"] = 3; }, "version: expected a string"},
        {[](json& j) { j["timers"].erase(7); }, "timers: expected an array of 8 timer objects"},
        {[](json& j) { j["timers"][4] = 1; }, "timers[4]: expected an object"},
        {[](json& j) { j["timers"][1]["ondate"] = nullptr; }, "timers[1].ondate: unknown field"},
        {[](json& j) { j["timers"][2]["onDate"] = "2013-02-08"; },
         "timers[2].onDate: expected a date written yyyy/MM/dd"},
        {[](json& j) { j["timers"][2]["offDate"] = "2013/2/8"; },
         "timers[2].offDate: expected a date written yyyy/MM/dd"},
        {[](json& j) { j["timers"][2]["offDate"] = "2013/02/29"; }, "timers[2].offDate: \"2013/02/29\" is not a date"},
        {[](json& j) { j["timers"][2]["offDate"] = "2012/13/01"; }, "timers[2].offDate: \"2012/13/01\" is not a date"},
        {[](json& j) { j["timers"][0]["offTime"] = "24:00:00"; }, "timers[0].offTime: \"24:00:00\" is not a time"},
        {[](json& j) { j["timers"][0]["onTime"] = "10:00"; }, "timers[0].onTime: expected a time written HH:mm:ss"},
        {[](json& j) { j["timers"][0]["onTime"] = 36000; }, "timers[0].onTime: expected a time written HH:mm:ss"},
        {[](json& j) { j["timers"][3]["weekdays"] = 128; }, "timers[3].weekdays: expected a whole number 0-127"},
        {[](json& j) { j["timers"][3]["weekdays"] = "31"; }, "timers[3].weekdays: expected a whole number 0-127"},
        {[](json& j) { j["timers"][3]["weekdays"] = 1.5; }, "timers[3].weekdays: expected a whole number 0-127"},
        {[](json& j) { j["relays"] = "#T0"; }, "relays: expected an array of 8 condition texts"},
        {[](json& j) { j["relays"][5] = nullptr; }, "relays[5]: expected a string"},
    };
    for (const Case& c : cases) {
        json input = valid;
        c.change(input);
        StateMachineModel model = SampleModel();
        const std::optional<std::string> error = ModelFromJson(input, model);
        ASSERT_TRUE(error.has_value()) << input.dump();
        EXPECT_EQ(error->substr(0, c.error.size()), c.error) << input.dump();
        EXPECT_EQ(model, SampleModel()) << "a rejected input leaves the model as it was";
    }
}

}  // namespace
}  // namespace quarn::cli
