#include "runtime/report.hpp"

#include "base/utf8.hpp"
#include "document/markup_text.hpp"
#include "runtime/timeline.hpp"
#include "runtime/timer_text.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string_view>
#include <variant>

namespace quarn::runtime {

namespace {

constexpr double kCircuitScale = 1.5;
constexpr std::string_view kPicturePrefix = "report-picture:";
constexpr std::array<const char*, kWeekdayCount> kDayHeadings{"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};

// Texts of the page; the program's own, never from the document, so they
// need no escaping beyond what they show.
constexpr std::string_view kStyle = R"(
@page { size: A4; margin: 14mm; }
body { font-family: sans-serif; font-size: 10pt; color: #000000; background: #ffffff; margin: 0; }
h1 { font-size: 15pt; margin: 0 0 6pt 0; }
h2 { font-size: 12pt; margin: 14pt 0 4pt 0; page-break-after: avoid; break-after: avoid; }
h3 { font-size: 10pt; margin: 0 0 2pt 0; }
table { border-collapse: collapse; }
th, td { border: 1px solid #999999; padding: 2px 5px; text-align: left; vertical-align: top; }
th { background: #eeeeee; white-space: nowrap; }
td.day { text-align: center; }
td.value { white-space: nowrap; }
table.timers th, table.timers td { padding: 1px 3px; }
table.facts th { background: none; border: none; padding-left: 0; }
table.facts td { border: none; }
code { font-family: monospace; }
.relay { display: inline-block; width: 48%; vertical-align: top; margin: 0 1% 10pt 0;
         page-break-inside: avoid; break-inside: avoid; }
.note { color: #884400; }
.none { color: #666666; }
svg, img { max-width: 100%; height: auto; }
.week { page-break-inside: avoid; break-inside: avoid; }
tr { page-break-inside: avoid; break-inside: avoid; }
@media print { body { font-size: 9pt; } }
)";

std::string Utf8Markup(const std::string& text)
{
    return MarkupText(std::string_view(text));
}

std::string DateShown(const std::optional<CalendarDate>& date)
{
    if (!date)
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", int{date->year}, int{date->month}, int{date->day});
    return text;
}

std::string TimeShown(const std::optional<TimeOfDay>& time)
{
    if (!time)
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", int{time->hour}, int{time->minute}, int{time->second});
    return text;
}

// An SVG document without its XML declaration, to stand inside the page.
std::string_view WithoutDeclaration(std::string_view svg)
{
    if (svg.starts_with("<?xml")) {
        const std::size_t end = svg.find("?>");
        if (end != std::string_view::npos) {
            svg.remove_prefix(end + 2);
            while (!svg.empty() && (svg.front() == '\n' || svg.front() == '\r'))
                svg.remove_prefix(1);
        }
    }
    return svg;
}

std::string RelayName(int relay)
{
    return "R" + std::to_string(relay);
}

}  // namespace

Report BuildReport(const StateMachineModel& model, const ProgramText& text, std::u16string fileName, Instant from,
                   Instant to, Instant made)
{
    Report report;
    report.version = model.version;
    report.fileName = std::move(fileName);
    report.made = made;
    report.from = from;
    report.to = std::max(to, from);

    for (int n = 0; n < kTimerCount; ++n) {
        const TimerEntry& entry = model.timers[static_cast<std::size_t>(n)];
        ReportTimer& timer = report.timers[static_cast<std::size_t>(n)];
        timer.name = "T" + std::to_string(n);
        timer.onDate = DateShown(entry.onDate);
        timer.onTime = TimeShown(entry.onTime);
        timer.offDate = DateShown(entry.offDate);
        timer.offTime = TimeShown(entry.offTime);
        timer.weekdays = entry.weekdays;
        timer.window = TimerWindowText(entry);
        timer.inUse = entry.offTime.has_value();
    }

    for (int n = 0; n < kRelayCount; ++n) {
        const std::u16string& condition = model.relays[static_cast<std::size_t>(n)];
        if (condition.empty())
            continue;
        ReportRelay relay;
        relay.relay = n;
        relay.condition = condition;
        const std::optional<std::u16string>& off = text.switchOff[static_cast<std::size_t>(n)];
        if (off != std::optional<std::u16string>(u"!(" + condition + u")"))
            relay.switchOff = off.value_or(u"");
        relay.circuit = CircuitOf(condition, n);
        report.relays.push_back(std::move(relay));
    }
    for (const ProgramText::LeftOutRelay& leftOut : text.leftOut)
        report.leftOut.push_back(RelayName(leftOut.relay) + ": " + EncodeUtf8(leftOut.why));

    auto compiled = CompileProgram(text);
    if (const auto* error = std::get_if<ConditionError>(&compiled)) {
        report.pictureError = error->Message();
    } else {
        const Program& program = std::get<Program>(compiled);
        const Timeline timeline = Simulate(program, report.from, report.to, {});
        report.picture = LayOutTimeline(timeline, program.uses, PictureTextsOf(model));
    }

    CheckRequest request;
    request.from = report.from;
    request.to = report.to;
    report.check = CheckProgram(text, request);
    return report;
}

std::vector<ReportPicture> ReportPictures(const Report& report)
{
    std::vector<ReportPicture> pictures;
    for (const ReportRelay& relay : report.relays) {
        ReportPicture picture;
        picture.svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + WriteCircuitSvg(relay.circuit, kCircuitScale);
        picture.width = kCircuitWidth * kCircuitScale;
        picture.height = kCircuitHeight * kCircuitScale;
        pictures.push_back(std::move(picture));
    }
    if (report.picture) {
        ReportPicture picture;
        picture.svg = WriteSvg(*report.picture);
        picture.width = report.picture->width;
        picture.height = report.picture->height;
        pictures.push_back(std::move(picture));
    }
    for (std::size_t i = 0; i < pictures.size(); ++i)
        pictures[i].name = std::string(kPicturePrefix) + std::to_string(i);
    return pictures;
}

std::string WriteReportHtml(const Report& report, const ReportHtmlOptions& options)
{
    std::string html;
    const auto add = [&html](std::initializer_list<std::string_view> parts) {
        for (const std::string_view part : parts)
            html += part;
        html += '\n';
    };
    const std::vector<ReportPicture> pictures = ReportPictures(report);
    std::size_t nextPicture = 0;
    const auto addPicture = [&] {
        const ReportPicture& picture = pictures[nextPicture++];
        // Each picture in a paragraph of its own, so no text flows beside it.
        html += "<p class=\"picture\">";
        if (options.pictures == ReportPictureForm::InlineSvg) {
            html += WithoutDeclaration(picture.svg);
            add({"</p>"});
            return;
        }
        double width = picture.width;
        double height = picture.height;
        if (options.maxPictureWidth > 0 && width > options.maxPictureWidth) {
            height = height * options.maxPictureWidth / width;
            width = options.maxPictureWidth;
        }
        add({"<img src=\"", picture.name, "\" width=\"", MarkupNumber(width), "\" height=\"", MarkupNumber(height),
             "\" alt=\"\"/></p>"});
    };

    const std::string version = MarkupText(report.version);
    add({"<!DOCTYPE html>"});
    add({"<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">"});
    add({"<head>"});
    add({"<meta charset=\"utf-8\"/>"});
    add({"<title>QUARN program", version.empty() ? "" : ": ", version, "</title>"});
    add({"<style type=\"text/css\">", kStyle, "</style>"});
    add({"</head>"});
    add({"<body>"});
    add({"<h1>QUARN program</h1>"});
    add({"<table class=\"facts\">"});
    add({"<tr><th>Version</th><td>",
         version.empty() ? std::string("<span class=\"none\">no version text</span>") : version, "</td></tr>"});
    add({"<tr><th>File</th><td>",
         report.fileName.empty() ? std::string("<span class=\"none\">not saved</span>") : MarkupText(report.fileName),
         "</td></tr>"});
    add({"<tr><th>Made</th><td>", FormatDisplay(report.made), report.madeBy.empty() ? "" : " by ",
         Utf8Markup(report.madeBy), "</td></tr>"});
    add({"<tr><th>Period</th><td>", FormatDisplay(report.from), " - ", FormatDisplay(report.to), "</td></tr>"});
    add({"</table>"});

    // The timer grid with the editor's headings.
    add({"<h2>Timers</h2>"});
    add({"<table class=\"timers\" width=\"100%\">"});
    add({"<thead>"});
    add({"<tr><th rowspan=\"2\"></th><th colspan=\"2\">ON</th><th colspan=\"2\">OFF</th>"
         "<th colspan=\"7\">Day of week</th></tr>"});
    std::string days;
    for (const char* day : kDayHeadings)
        days += std::string("<th>") + day + "</th>";
    add({"<tr><th>Date</th><th>Time</th><th>Date</th><th>Time</th>", days, "</tr>"});
    add({"</thead>"});
    add({"<tbody>"});
    for (const ReportTimer& timer : report.timers) {
        std::string row = "<tr><th>Timer " + timer.name + "</th>";
        for (const std::string* value : {&timer.onDate, &timer.onTime, &timer.offDate, &timer.offTime})
            row += "<td class=\"value\">" + *value + "</td>";
        for (const bool ticked : timer.weekdays)
            row += std::string("<td class=\"day\">") + (ticked ? "x" : "") + "</td>";
        add({row, "</tr>"});
    }
    add({"</tbody>"});
    add({"</table>"});
    // The windows in words under the grid, for the timers in use; a column
    // of its own would squeeze the dates on a portrait page.
    std::string windows;
    for (const ReportTimer& timer : report.timers) {
        if (timer.inUse)
            windows += "<li>" + timer.name + ": " + Utf8Markup(timer.window) + "</li>\n";
    }
    if (!windows.empty())
        add({"<ul class=\"windows\">\n", windows, "</ul>"});

    add({"<h2>Relays</h2>"});
    if (report.relays.empty())
        add({"<p class=\"none\">No relay is used.</p>"});
    for (const ReportRelay& relay : report.relays) {
        add({"<div class=\"relay\" id=\"", RelayName(relay.relay), "\">"});
        add({"<h3>", RelayName(relay.relay), "</h3>"});
        add({"<p>Condition: <code>", MarkupText(relay.condition), "</code></p>"});
        if (relay.switchOff) {
            add({"<p class=\"note\">Switched off on: ",
                 relay.switchOff->empty() ? std::string("nothing (it never switches off)")
                                          : "<code>" + MarkupText(*relay.switchOff) + "</code>",
                 "</p>"});
        }
        if (!relay.circuit.exact) {
            add({"<p class=\"note\">The circuit cannot show this condition exactly; it shows what the condition "
                 "dialog would make of it: ",
                 relay.circuit.shown.empty() ? std::string("no condition")
                                             : "<code>" + MarkupText(relay.circuit.shown) + "</code>",
                 "</p>"});
        }
        addPicture();
        add({"</div>"});
    }
    for (const std::string& leftOut : report.leftOut)
        add({"<p class=\"note\">Left out (never on): ", Utf8Markup(leftOut), "</p>"});

    add({"<div class=\"week\">"});
    add({"<h2>Week</h2>"});
    add({"<p>", FormatDisplay(report.from), " - ", FormatDisplay(report.to), ", every input off</p>"});
    if (report.picture)
        addPicture();
    else
        add({"<p class=\"note\">No picture: ", Utf8Markup(report.pictureError), "</p>"});
    add({"</div>"});

    add({"<h2>Findings</h2>"});
    if (report.check.findings.empty() && report.check.failure.empty()) {
        add({"<p class=\"none\">No findings for this period, whatever the inputs do.</p>"});
    } else {
        add({"<table class=\"findings\" width=\"100%\">"});
        add({"<thead><tr><th>Severity</th><th>Code</th><th>Subject</th><th>Finding</th></tr></thead>"});
        add({"<tbody>"});
        for (const Finding& finding : report.check.findings) {
            add({"<tr><td>", SeverityName(finding.severity), "</td><td>", Utf8Markup(finding.code), "</td><td>",
                 SignalName(finding.subject), "</td><td>", Utf8Markup(finding.message), "</td></tr>"});
        }
        if (!report.check.failure.empty())
            add({"<tr><td>note</td><td></td><td></td><td>", Utf8Markup(report.check.failure), "</td></tr>"});
        add({"</tbody>"});
        add({"</table>"});
    }
    add({"</body>"});
    add({"</html>"});
    return html;
}

}  // namespace quarn::runtime
