// The picture of a timeline as SVG.
#include "runtime/picture.hpp"

#include <cmath>
#include <cstdint>

namespace quarn::runtime {

namespace {

// A coordinate with one decimal, written without the locale (a decimal
// comma would break the document).
std::string Number(double value)
{
    const auto tenths = static_cast<std::int64_t>(std::llround(value * 10));
    const std::int64_t magnitude = tenths < 0 ? -tenths : tenths;
    std::string text = (tenths < 0 ? "-" : "") + std::to_string(magnitude / 10);
    if (magnitude % 10 != 0)
        text += "." + std::to_string(magnitude % 10);
    return text;
}

const char* BarColour(SignalKind kind)
{
    switch (kind) {
    case SignalKind::Timer:
        return "#3b7dd8";
    case SignalKind::Input:
        return "#3a9d5d";
    case SignalKind::Relay:
        break;
    }
    return "#e07b24";
}

}  // namespace

std::string WriteSvg(const PictureLayout& layout)
{
    std::string svg;
    const auto add = [&svg](std::initializer_list<std::string_view> parts) {
        for (std::string_view part : parts)
            svg += part;
        svg += '\n';
    };
    const std::string width = Number(layout.width);
    const std::string height = Number(layout.height);
    add({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"});
    add({"<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"", width, "\" height=\"", height, "\" viewBox=\"0 0 ",
         width, " ", height, "\" font-family=\"sans-serif\" font-size=\"11\">"});
    add({"<title>", FormatIso(layout.from), " - ", FormatIso(layout.to), "</title>"});
    add({"<rect x=\"0\" y=\"0\" width=\"", width, "\" height=\"", height, "\" fill=\"#ffffff\"/>"});

    for (std::size_t i = 0; i < layout.lanes.size(); ++i) {
        const PictureLane& lane = layout.lanes[i];
        if (i % 2 == 1)
            add({"<rect x=\"", Number(layout.plotLeft), "\" y=\"", Number(lane.top), "\" width=\"",
                 Number(layout.plotRight - layout.plotLeft), "\" height=\"", Number(lane.height),
                 "\" fill=\"#f2f2f2\"/>"});
        add({"<text x=\"8\" y=\"", Number(lane.top + lane.height / 2 + 4), "\">", lane.label, "</text>"});
    }

    for (const PictureDay& day : layout.days) {
        add({"<line x1=\"", Number(day.x), "\" y1=\"", Number(day.labelled ? 4 : layout.plotTop), "\" x2=\"",
             Number(day.x), "\" y2=\"", Number(layout.plotBottom), "\" stroke=\"#b0b0b0\" stroke-width=\"1\"/>"});
        if (day.labelled) {
            add({"<text x=\"", Number(day.x + 4), "\" y=\"", Number(layout.weekdayBaseline), "\">", day.weekday,
                 "</text>"});
            add({"<text x=\"", Number(day.x + 4), "\" y=\"", Number(layout.dateBaseline), "\" fill=\"#555555\">",
                 day.date, "</text>"});
        }
    }

    for (const PictureLane& lane : layout.lanes) {
        for (const PictureBar& bar : lane.bars) {
            add({"<rect x=\"", Number(bar.left), "\" y=\"", Number(lane.barTop), "\" width=\"",
                 Number(std::max(bar.right - bar.left, 0.5)), "\" height=\"", Number(lane.barHeight), "\" fill=\"",
                 BarColour(lane.signal.kind), "\"><title>", lane.label, " on ", FormatDisplay(bar.from), " - ",
                 FormatDisplay(bar.to), "</title></rect>"});
        }
    }
    add({"<rect x=\"", Number(layout.plotLeft), "\" y=\"", Number(layout.plotTop), "\" width=\"",
         Number(layout.plotRight - layout.plotLeft), "\" height=\"", Number(layout.plotBottom - layout.plotTop),
         "\" fill=\"none\" stroke=\"#808080\" stroke-width=\"1\"/>"});
    add({"</svg>"});
    return svg;
}

}  // namespace quarn::runtime
