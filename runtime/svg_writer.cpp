// The picture of a timeline as SVG.
#include "runtime/picture.hpp"

#include "document/markup_text.hpp"

#include <cmath>
#include <cstdint>
#include <string_view>

namespace quarn::runtime {

namespace {

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
    const std::string width = MarkupNumber(layout.width);
    const std::string height = MarkupNumber(layout.height);
    add({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"});
    add({"<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"", width, "\" height=\"", height, "\" viewBox=\"0 0 ",
         width, " ", height, "\" font-family=\"sans-serif\" font-size=\"11\">"});
    add({"<title>", MarkupText(layout.title), "</title>"});
    add({"<rect x=\"0\" y=\"0\" width=\"", width, "\" height=\"", height, "\" fill=\"#ffffff\"/>"});

    for (std::size_t i = 0; i < layout.lanes.size(); ++i) {
        const PictureLane& lane = layout.lanes[i];
        if (i % 2 == 1)
            add({"<rect x=\"", MarkupNumber(layout.plotLeft), "\" y=\"", MarkupNumber(lane.top), "\" width=\"",
                 MarkupNumber(layout.plotRight - layout.plotLeft), "\" height=\"", MarkupNumber(lane.height),
                 "\" fill=\"#f2f2f2\"/>"});
        if (lane.title.empty())
            add({"<text x=\"8\" y=\"", MarkupNumber(lane.top + lane.height / 2 + 4), "\">", lane.label, "</text>"});
        else
            add({"<text x=\"8\" y=\"", MarkupNumber(lane.top + lane.height / 2 + 4), "\">", lane.label, "<title>",
                 MarkupText(lane.title), "</title></text>"});
    }

    for (const PictureDay& day : layout.days) {
        add({"<line x1=\"", MarkupNumber(day.x), "\" y1=\"", MarkupNumber(day.labelled ? 4 : layout.plotTop),
             "\" x2=\"", MarkupNumber(day.x), "\" y2=\"", MarkupNumber(layout.plotBottom),
             "\" stroke=\"#b0b0b0\" stroke-width=\"1\"/>"});
        if (day.labelled) {
            add({"<text x=\"", MarkupNumber(day.x + 4), "\" y=\"", MarkupNumber(layout.weekdayBaseline), "\">",
                 day.weekday, "</text>"});
            add({"<text x=\"", MarkupNumber(day.x + 4), "\" y=\"", MarkupNumber(layout.dateBaseline),
                 "\" fill=\"#555555\">", day.date, "</text>"});
        }
    }

    for (const PictureMark& mark : layout.marks) {
        add({"<line x1=\"", MarkupNumber(mark.x), "\" y1=\"", MarkupNumber(layout.plotTop - 3), "\" x2=\"",
             MarkupNumber(mark.x), "\" y2=\"", MarkupNumber(layout.plotTop),
             "\" stroke=\"#b0b0b0\" stroke-width=\"1\"/>"});
        if (!mark.label.empty())
            add({"<text x=\"", MarkupNumber(mark.x), "\" y=\"", MarkupNumber(layout.plotTop - 4),
                 "\" font-size=\"8\" text-anchor=\"middle\" fill=\"#888888\">", mark.label, "</text>"});
    }

    for (const PictureLane& lane : layout.lanes) {
        for (const PictureBar& bar : lane.bars) {
            add({"<rect x=\"", MarkupNumber(bar.left), "\" y=\"", MarkupNumber(lane.barTop), "\" width=\"",
                 MarkupNumber(std::max(bar.right - bar.left, kMinBarWidth)), "\" height=\"",
                 MarkupNumber(lane.barHeight), "\" fill=\"", BarColour(lane.signal.kind), "\"><title>", lane.label,
                 " on ", FormatDisplay(bar.from), " - ", FormatDisplay(bar.to),
                 bar.runsOn ? ", and on past the end of the period" : "", "</title></rect>"});
        }
    }
    add({"<rect x=\"", MarkupNumber(layout.plotLeft), "\" y=\"", MarkupNumber(layout.plotTop), "\" width=\"",
         MarkupNumber(layout.plotRight - layout.plotLeft), "\" height=\"",
         MarkupNumber(layout.plotBottom - layout.plotTop), "\" fill=\"none\" stroke=\"#808080\" stroke-width=\"1\"/>"});
    for (std::size_t i = 0; i < layout.notes.size(); ++i)
        add({"<text x=\"8\" y=\"", MarkupNumber(layout.notesTop + 14 * static_cast<double>(i)), "\" fill=\"#333333\">",
             MarkupText(layout.notes[i]), "</text>"});
    for (std::size_t i = 0; i < layout.warnings.size(); ++i)
        add({"<text x=\"8\" y=\"", MarkupNumber(layout.warningsTop + 14 * static_cast<double>(i)),
             "\" fill=\"#aa4400\">", MarkupText(layout.warnings[i]), "</text>"});
    add({"</svg>"});
    return svg;
}

}  // namespace quarn::runtime
