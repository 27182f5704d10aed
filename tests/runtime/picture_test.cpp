// The picture of a timeline: lanes, day lines, bars, and the SVG over it.
#include "runtime/picture.hpp"

#include "runtime_test_support.hpp"
#include "tests/support/office_model.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace quarn::runtime {
namespace {

using test::At;
using test::Daily;
using test::FromConditions;

using test::kMonday;

Program Office()
{
    return test::Compile(ProgramTextFromModel(quarn::test::OfficeModel()));
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(Picture, AWeekHasALaneForEverySignalTheProgramUsesAndADayLineForEachDay)
{
    const Program program = Office();
    const Timeline timeline = Simulate(program, kMonday, kMonday + kSecondsPerWeek);
    const PictureLayout layout = LayOutTimeline(timeline, program.uses);

    std::vector<std::string> labels;
    for (const PictureLane& lane : layout.lanes)
        labels.push_back(lane.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"T0", "T1", "R2", "R3"}));

    ASSERT_EQ(layout.days.size(), 7u);
    const char* names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    // The plot runs from x = 48 (after the 48 px lane labels) over 980 px, so
    // a week gives each day 980 / 7 = 140 px: midnights at 48 + 140 d.
    const double dayLines[] = {48, 188, 328, 468, 608, 748, 888};
    for (std::size_t d = 0; d < 7; ++d) {
        EXPECT_TRUE(layout.days[d].labelled);
        EXPECT_EQ(layout.days[d].weekday, names[d]);
        EXPECT_DOUBLE_EQ(layout.days[d].x, dayLines[d]) << names[d];
    }
    EXPECT_EQ(layout.days[6].date, "2026-12-20");

    const PictureLane& t0 = layout.lanes[0];
    ASSERT_EQ(t0.bars.size(), 5u);
    EXPECT_EQ(t0.bars[0].from, At("2026-12-14T07:30:00"));
    EXPECT_EQ(t0.bars[4].to, At("2026-12-18T22:00:00"));
    EXPECT_DOUBLE_EQ(t0.bars[0].left, layout.XOf(At("2026-12-14T07:30:00")));
    EXPECT_TRUE(layout.lanes[1].bars.empty());
    EXPECT_TRUE(layout.lanes[3].bars.empty());

    EXPECT_EQ(layout.LaneAt(t0.top + 1), 0u);
    EXPECT_EQ(layout.LaneAt(layout.lanes[3].top + layout.lanes[3].height - 0.5), 3u);
    EXPECT_EQ(layout.LaneAt(layout.plotTop - 1), std::nullopt);
    EXPECT_EQ(layout.InstantAt(layout.XOf(At("2026-12-16T12:00:00")) + 0.001), At("2026-12-16T12:00:00"));
    EXPECT_EQ(layout.InstantAt(-100), kMonday);
    EXPECT_EQ(layout.InstantAt(1e9), kMonday + kSecondsPerWeek - 1);
}

TEST(Picture, BarsAreClippedToThePeriodAndLabelsDoNotCrowd)
{
    const Program program = FromConditions({{0, u"#T0"}}, {{0, Daily("22:00:00", "06:00:00", 0x7f)}});
    const Instant from = At("2026-12-14T03:00:00");
    const Timeline year = Simulate(program, from, from + 365 * kSecondsPerDay);
    const PictureLayout layout = LayOutTimeline(year, program.uses);
    ASSERT_EQ(layout.lanes.size(), 2u);
    const PictureLane& lane = layout.lanes[1];
    EXPECT_EQ(lane.label, "R0");
    ASSERT_FALSE(lane.bars.empty());
    EXPECT_EQ(lane.bars.front().from, from);
    EXPECT_DOUBLE_EQ(lane.bars.front().left, layout.plotLeft);
    EXPECT_EQ(lane.bars.back().to, from + 365 * kSecondsPerDay);
    EXPECT_DOUBLE_EQ(lane.bars.back().right, layout.plotRight);
    // The first line is the first midnight after the start.
    EXPECT_EQ(layout.days.front().date, "2026-12-15");
    double lastLabel = -1000;
    for (const PictureDay& day : layout.days) {
        if (!day.labelled)
            continue;
        EXPECT_GE(day.x - lastLabel, 76.0) << day.date;
        lastLabel = day.x;
    }
    for (std::size_t i = 1; i < layout.days.size(); ++i)
        EXPECT_GE(layout.days[i].x - layout.days[i - 1].x, 4.0 - 1e-9);
}

TEST(Picture, SvgHoldsEveryBarLaneAndDay)
{
    const Program program = Office();
    const Timeline timeline = Simulate(program, kMonday, kMonday + kSecondsPerWeek);
    const PictureLayout layout = LayOutTimeline(timeline, program.uses);
    const std::string svg = WriteSvg(layout);
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"", 0),
              0u);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    EXPECT_EQ(Count(svg, "<title>T0 on "), 5u);
    EXPECT_NE(svg.find("<title>T0 on Mon 2026-12-14 07:30:00 - Mon 2026-12-14 22:00:00</title>"), std::string::npos);
    EXPECT_EQ(Count(svg, "<line "), 7u + layout.marks.size());  // day lines and hour marks
    EXPECT_NE(svg.find(">Sun</text>"), std::string::npos);
    EXPECT_NE(svg.find(">2026-12-20</text>"), std::string::npos);
    EXPECT_NE(svg.find(">R2</text>"), std::string::npos);
    EXPECT_EQ(Count(svg, "<"), Count(svg, ">"));
    EXPECT_EQ(svg.find(','), std::string::npos);  // no decimal commas, no lists
}

// The time scale: hour marks whose step suits the period, labelled where
// they lie far enough apart, none over long periods.
TEST(Picture, HourMarksSuitThePeriodsLength)
{
    const Program program = Office();
    const struct {
        int days;
        std::size_t marks;
        const char* firstLabel;  // "" for ticks without labels
    } cases[] = {
        {1, 23, "01"},     // every hour
        {7, 21, "06"},     // every six hours
        {28, 28, ""},      // every twelve hours, too close for labels
        {60, 0, nullptr},  // none
    };
    for (const auto& c : cases) {
        const Timeline timeline = Simulate(program, kMonday, kMonday + c.days * kSecondsPerDay);
        const PictureLayout layout = LayOutTimeline(timeline, program.uses);
        EXPECT_EQ(layout.marks.size(), c.marks) << c.days;
        if (c.firstLabel && !layout.marks.empty()) {
            EXPECT_EQ(layout.marks.front().label, c.firstLabel) << c.days;
        }
        for (const PictureMark& mark : layout.marks) {
            for (const PictureDay& day : layout.days)
                EXPECT_GT(std::abs(mark.x - day.x), 1.0) << c.days;  // never on a day line
        }
    }
}

// What the picture says beside the bars: the version as its title and each
// relay's condition over its lane (both escaped), the warnings under the
// plot, on-periods of one second in a year still visible, and a bar that
// runs on past the period's end says so.
TEST(Picture, SvgCarriesTitleConditionsWarningsAndShortBars)
{
    StateMachineModel model;
    model.version = u"Pumps <A & \"B\">";
    model.timers[0] = Daily("07:30:00", "07:30:01", 0x7f);
    model.relays[3] = u"#T0&&!#R4";
    model.relays[4] = u"!#R4";
    const Program program = test::Compile(ProgramTextFromModel(model));
    const Timeline year = Simulate(program, kMonday, kMonday + 365 * kSecondsPerDay);
    const PictureLayout layout = LayOutTimeline(year, program.uses, PictureTextsOf(model));
    const std::string svg = WriteSvg(layout);
    EXPECT_NE(svg.find("<title>Pumps &lt;A &amp; &quot;B&quot;&gt;</title>"), std::string::npos);
    EXPECT_NE(svg.find(">R3<title>R3: #T0&amp;&amp;!#R4</title></text>"), std::string::npos);
    EXPECT_NE(svg.find(">warning: R4 does not settle at 2026-12-14T00:00:00</text>"), std::string::npos);
    EXPECT_EQ(layout.warnings.size(), 6u);  // five and "and ... more warnings"
    EXPECT_EQ(layout.warnings.back().rfind("and ", 0), 0u);
    EXPECT_GE(layout.height, layout.warningsTop + 14 * 5);
    // T0 is on for one second a day: 365 bars, each drawn two units wide.
    EXPECT_EQ(Count(svg, "<title>T0 on "), 365u);
    EXPECT_NE(svg.find("width=\"2\" height=\"14\" fill=\"#3b7dd8\"><title>T0 on Mon 2026-12-14 07:30:00 - Mon "
                       "2026-12-14 07:30:01</title>"),
              std::string::npos);
    EXPECT_EQ(Count(svg, "<"), Count(svg, ">"));

    // A week that ends while T1 is on.
    StateMachineModel evening;
    evening.timers[1] = Daily("22:00:00", "06:00:00", 0x7f);
    evening.relays[0] = u"#T1";
    const Program night = test::Compile(ProgramTextFromModel(evening));
    const std::string week = WriteSvg(
        LayOutTimeline(Simulate(night, kMonday, kMonday + kSecondsPerWeek), night.uses, PictureTextsOf(evening)));
    EXPECT_NE(week.find("<title>T1 on Sun 2026-12-20 22:00:00 - Mon 2026-12-21 00:00:00, and on past the end of the "
                        "period</title>"),
              std::string::npos);
    EXPECT_EQ(Count(week, "on past the end"), 2u);                                                        // T1 and R0
    EXPECT_NE(week.find("<title>2026-12-14T00:00:00 - 2026-12-21T00:00:00</title>"), std::string::npos);  // no version
}

}  // namespace
}  // namespace quarn::runtime
