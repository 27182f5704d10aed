#include "document/model.hpp"

#include "tests/support/files.hpp"
#include "tests/support/office_model.hpp"

#include <gtest/gtest.h>

namespace quarn {
namespace {

TEST(Model, ResetBlanksEverythingButThePath)
{
    StateMachineModel model = test::OfficeModel();
    model.path = u"/tmp/office.xml";
    model.modified = true;

    ResetModel(model);

    StateMachineModel expected;
    expected.path = u"/tmp/office.xml";
    EXPECT_EQ(model, expected);
    EXPECT_FALSE(model.timers[1].onDate.has_value());
    EXPECT_FALSE(model.timers[0].offTime.has_value());
}

TEST(Model, WeekdayMaskMapsBitsToDaysMondayFirst)
{
    struct Case {
        int mask;
        std::array<bool, 7> days;  // Monday ... Sunday
        int readBack;
    };
    const Case cases[] = {
        {31, {true, true, true, true, true, false, false}, 31},
        {96, {false, false, false, false, false, true, true}, 96},
        {255, {true, true, true, true, true, true, true}, 127},
        {0, {}, 0},
        {0x180 | 4, {false, false, true, false, false, false, false}, 4},
    };
    for (const Case& c : cases) {
        StateMachineModel model;
        SetWeekdayMask(model, 5, c.mask);
        EXPECT_EQ(model.timers[5].weekdays, c.days) << "mask " << c.mask;
        EXPECT_EQ(WeekdayMask(model, 5), c.readBack) << "mask " << c.mask;
        EXPECT_EQ(WeekdayMask(model, 4), 0) << "other timers stay untouched";
    }
}

TEST(Model, WeekdayMaskIgnoresTimerIndexesOutOfRange)
{
    StateMachineModel model;
    SetWeekdayMask(model, 8, 127);
    SetWeekdayMask(model, -1, 127);
    EXPECT_EQ(model, StateMachineModel{});
    EXPECT_EQ(WeekdayMask(model, 8), 0);
}

}  // namespace
}  // namespace quarn
