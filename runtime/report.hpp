#pragma once
// The program on paper: one page that holds what a state-machine document
// is and does over a period. Its version text, file name and the time the
// page was made; the eight timers as the editor shows them; every used
// relay's condition as text and drawn as the condition dialog's circuit;
// the week picture of the period; and the findings of the check for it.
// quarnctl report writes the page as a self-contained HTML file, and the
// editor prints the same page (Print..., Export PDF...).

#include "document/condition_circuit.hpp"
#include "document/model.hpp"
#include "runtime/calendar.hpp"
#include "runtime/check.hpp"
#include "runtime/picture.hpp"
#include "runtime/program.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarn::runtime {

struct ReportTimer {
    std::string name;    // "T0"
    std::string onDate;  // "2026/12/14" as the editor shows a date; empty when blank
    std::string onTime;  // "07:30:00"; empty when blank
    std::string offDate;
    std::string offTime;
    std::array<bool, kWeekdayCount> weekdays{};  // Monday first
    bool inUse = false;                          // its OFF time is set
    std::string window;                          // "daily 07:30:00-22:00:00 Mon-Fri", or why it is never on
};

struct ReportRelay {
    int relay = 0;
    std::u16string condition;  // what switches it on
    // What switches it off, when that is not the negation the editor writes
    // (a file from another tool); nothing otherwise.
    std::optional<std::u16string> switchOff;
    ConditionCircuit circuit;
};

struct Report {
    std::u16string version;   // the document's version text
    std::u16string fileName;  // as the caller names the file; empty: not saved yet
    Instant made = 0;
    std::string madeBy;  // the program and its version, "quarnctl 1.4.0"; may be empty
    Instant from = 0;
    Instant to = 0;
    std::array<ReportTimer, kTimerCount> timers;
    std::vector<ReportRelay> relays;  // the used ones, in relay order
    // Relays the reader left out, with why: "R5: ...".
    std::vector<std::string> leftOut;
    // The week picture, or why there is none (a condition outside the grammar).
    std::optional<PictureLayout> picture;
    std::string pictureError;
    CheckReport check;
};

// The report of a program over [from, to): text is what the controller
// runs (ReadProgramFile's, or ProgramTextFromModel(model)), model what the
// editor shows of it. Inputs are free: the picture has them off, the check
// tries every schedule.
Report BuildReport(const StateMachineModel& model, const ProgramText& text, std::u16string fileName, Instant from,
                   Instant to, Instant made);

// How the page carries its pictures.
enum class ReportPictureForm : std::uint8_t {
    // Inline SVG: the self-contained page for a browser.
    InlineSvg,
    // <img src="report-picture:N"> with N the index into ReportPictures,
    // for renderers that cannot draw inline SVG; each picture's width is at
    // most maxPictureWidth (its height in proportion).
    ImageReferences,
};

struct ReportHtmlOptions {
    ReportPictureForm pictures = ReportPictureForm::InlineSvg;
    double maxPictureWidth = 0;  // 0: no limit
};

// The page as XHTML (UTF-8): well-formed, with a print style sheet, nothing
// loaded from elsewhere, every text from the document escaped.
std::string WriteReportHtml(const Report& report, const ReportHtmlOptions& options = {});

struct ReportPicture {
    std::string name;  // "report-picture:0"
    std::string svg;   // a standalone SVG document
    double width = 0;  // its natural size in pixels
    double height = 0;
};

// The page's pictures in page order: each used relay's circuit, then the
// week picture if there is one.
std::vector<ReportPicture> ReportPictures(const Report& report);

}  // namespace quarn::runtime
