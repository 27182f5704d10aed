// The picture of a timeline as SVG.
#include "runtime/picture.hpp"

#include <cmath>
#include <cstdint>
#include <string_view>

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

// Text for element content and attribute values.
std::string Escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // Control characters but tab and line ends are not allowed in XML.
            out += static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r' ? ' ' : c;
        }
    }
    return out;
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
    add({"<title>", Escaped(layout.title), "</title>"});
    add({"<rect x=\"0\" y=\"0\" width=\"", width, "\" height=\"", height, "\" fill=\"#ffffff\"/>"});

    for (std::size_t i = 0; i < layout.lanes.size(); ++i) {
        const PictureLane& lane = layout.lanes[i];
        if (i % 2 == 1)
            add({"<rect x=\"", Number(layout.plotLeft), "\" y=\"", Number(lane.top), "\" width=\"",
                 Number(layout.plotRight - layout.plotLeft), "\" height=\"", Number(lane.height),
                 "\" fill=\"#f2f2f2\"/>"});
        if (lane.title.empty())
            add({"<text x=\"8\" y=\"", Number(lane.top + lane.height / 2 + 4), "\">", lane.label, "</text>"});
        else
            add({"<text x=\"8\" y=\"", Number(lane.top + lane.height / 2 + 4), "\">", lane.label, "<title>",
                 Escaped(lane.title), "</title></text>"});
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

    for (const PictureMark& mark : layout.marks) {
        add({"<line x1=\"", Number(mark.x), "\" y1=\"", Number(layout.plotTop - 3), "\" x2=\"", Number(mark.x),
             "\" y2=\"", Number(layout.plotTop), "\" stroke=\"#b0b0b0\" stroke-width=\"1\"/>"});
        if (!mark.label.empty())
            add({"<text x=\"", Number(mark.x), "\" y=\"", Number(layout.plotTop - 4),
                 "\" font-size=\"8\" text-anchor=\"middle\" fill=\"#888888\">", mark.label, "</text>"});
    }

    for (const PictureLane& lane : layout.lanes) {
        for (const PictureBar& bar : lane.bars) {
            add({"<rect x=\"", Number(bar.left), "\" y=\"", Number(lane.barTop), "\" width=\"",
                 Number(std::max(bar.right - bar.left, kMinBarWidth)), "\" height=\"", Number(lane.barHeight),
                 "\" fill=\"", BarColour(lane.signal.kind), "\"><title>", lane.label, " on ", FormatDisplay(bar.from),
                 " - ", FormatDisplay(bar.to), bar.runsOn ? ", and on past the end of the period" : "",
                 "</title></rect>"});
        }
    }
    add({"<rect x=\"", Number(layout.plotLeft), "\" y=\"", Number(layout.plotTop), "\" width=\"",
         Number(layout.plotRight - layout.plotLeft), "\" height=\"", Number(layout.plotBottom - layout.plotTop),
         "\" fill=\"none\" stroke=\"#808080\" stroke-width=\"1\"/>"});
    for (std::size_t i = 0; i < layout.notes.size(); ++i)
        add({"<text x=\"8\" y=\"", Number(layout.notesTop + 14 * static_cast<double>(i)), "\" fill=\"#333333\">",
             Escaped(layout.notes[i]), "</text>"});
    for (std::size_t i = 0; i < layout.warnings.size(); ++i)
        add({"<text x=\"8\" y=\"", Number(layout.warningsTop + 14 * static_cast<double>(i)), "\" fill=\"#aa4400\">",
             Escaped(layout.warnings[i]), "</text>"});
    add({"</svg>"});
    return svg;
}

}  // namespace quarn::runtime
