#pragma once
// The picture of a timeline, shared by the svg output and the editor's week
// preview: one lane per signal, a line at the start of each day with its
// weekday and date, and a bar for every period in which a signal is on. The
// layout is in abstract units (1 unit = 1 pixel at 100 %), with y growing
// downwards; whoever draws it only scales it.

#include "document/model.hpp"
#include "runtime/calendar.hpp"
#include "runtime/signals.hpp"
#include "runtime/timeline.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quarn::runtime {

// Bars are drawn at least this wide, so that an on-period of a second in a
// picture of a hundred years still shows.
inline constexpr double kMinBarWidth = 2;

struct PictureBar {
    double left = 0;
    double right = 0;
    Instant from = 0;  // the on-period the bar stands for, clipped to the picture
    Instant to = 0;
    bool runsOn = false;  // the signal is still on at the picture's end
};

struct PictureLane {
    Signal signal;
    std::string label;  // "T0"
    std::string title;  // shown over the label: a relay's condition ("R3: (#T0&&#T1)||#R2"); may be empty
    double top = 0;     // the lane's band, the label's and the bars' place in it
    double height = 0;
    double barTop = 0;
    double barHeight = 0;
    std::vector<PictureBar> bars;
};

struct PictureDay {
    double x = 0;           // the line at the day's start
    bool labelled = false;  // weekday and date are written right of the line
    std::string weekday;    // "Mon"
    std::string date;       // "2026-12-14"
};

// An hour mark of the time scale between the day lines: a short tick at the
// top of the plot, labelled with the hour ("06") where the marks lie far
// enough apart.
struct PictureMark {
    double x = 0;
    std::string label;  // empty: a tick only
};

// What the picture says besides the timeline.
struct PictureTexts {
    std::string title;                                  // the program's version text; empty: the period is the title
    std::array<std::string, kRelayCount> conditions{};  // each relay's condition, for its lane
    // Lines written under the plot, before any warnings: what the picture
    // assumes besides the program (the Week preview's inputs).
    std::vector<std::string> notes;
};

// The version text and the relays' conditions of the editor's document.
PictureTexts PictureTextsOf(const StateMachineModel& model);

struct PictureLayout {
    double width = 0;
    double height = 0;
    // The plot area: x from plotLeft (the timeline's `from`) to plotRight
    // (its `to`), lanes from plotTop to plotBottom; the header with the day
    // labels lies above plotTop, the lane labels left of plotLeft.
    double plotLeft = 0;
    double plotRight = 0;
    double plotTop = 0;
    double plotBottom = 0;
    double weekdayBaseline = 0;  // the header's two text lines
    double dateBaseline = 0;
    Instant from = 0;
    Instant to = 0;
    std::vector<PictureDay> days;
    std::vector<PictureMark> marks;
    std::vector<PictureLane> lanes;
    std::string title;                  // the picture's title (plain text, not escaped)
    std::vector<std::string> notes;     // written under the plot (PictureTexts::notes)
    double notesTop = 0;                // the baseline of the first note
    std::vector<std::string> warnings;  // written under the notes, at most six lines
    double warningsTop = 0;             // the baseline of the first warning line

    double XOf(Instant t) const;
    // The instant under x, clamped into [from, to - 1].
    Instant InstantAt(double x) const;
    // The lane under y, if any.
    std::optional<std::size_t> LaneAt(double y) const;
};

// The signals of `lanes` (a set bit gives a lane), in the order T0-T7,
// S0-S3, R0-R7. The width stays the same for every period.
PictureLayout LayOutTimeline(const Timeline& timeline, const SignalState& lanes, const PictureTexts& texts = {});

// The layout as a standalone SVG document (UTF-8, no external resources).
std::string WriteSvg(const PictureLayout& layout);

}  // namespace quarn::runtime
