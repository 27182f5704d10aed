// The program on paper: the page holds what the document is and does, every
// text from the document arrives escaped and exactly as it was, and the page
// loads nothing from elsewhere.
#include "runtime/report.hpp"

#include "base/utf8.hpp"
#include "runtime_test_support.hpp"
#include "tests/support/markup_check.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quarn::runtime {
namespace {

using quarn::test::MarkupElement;
using quarn::test::MarkupReading;
using quarn::test::ReadMarkup;
using test::Daily;
using test::kMonday;

// Texts that break a page that does not escape them.
const std::u16string kHostileVersion = u"v1 <script>alert(\"x\")</script> & 'quoted' >";

StateMachineModel OfficeDocument()
{
    StateMachineModel model;
    model.version = kHostileVersion;
    model.timers[0] = Daily("07:30:00", "22:00:00", 0x1f);
    model.timers[1] = Daily("10:00:00", "18:30:00", 0x60);
    model.timers[1].onDate = CalendarDate{2013, 2, 8};
    model.timers[1].offDate = CalendarDate{2013, 2, 10};
    model.relays[3] = u"(#T0&&#T1)||#R2";
    // Without brackets the gates cannot show it: the dialog reads it as one OR input, T0.
    model.relays[6] = u"#T0&&#T1";
    return model;
}

Report ReportOf(const StateMachineModel& model, const std::u16string& fileName = u"office.xml")
{
    return BuildReport(model, ProgramTextFromModel(model), fileName, kMonday, kMonday + kSecondsPerWeek,
                       kMonday + 3600);
}

MarkupReading ReadPage(const std::string& html)
{
    MarkupReading reading = ReadMarkup(html);
    EXPECT_EQ(reading.error, "") << html;
    return reading;
}

// The texts of the page's <code> elements: conditions as the page shows them.
std::vector<std::string> Codes(const MarkupReading& page)
{
    return page.Texts("code");
}

bool Contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The page loads nothing: no script, no frame, no link or reference to
// another resource, no style that imports or points to a URL, no event
// attribute.
void ExpectSelfContained(const std::string& html, const MarkupReading& page)
{
    for (const char* name : {"script", "link", "iframe", "object", "embed", "base", "use", "image", "foreignObject"})
        EXPECT_TRUE(page.All(name).empty()) << "a <" << name << "> element";
    for (const MarkupElement& element : page.elements) {
        for (const auto& [name, value] : element.attributes) {
            EXPECT_NE(name, "href") << "<" << element.name << " href=\"" << value << "\">";
            EXPECT_NE(name, "xlink:href") << "<" << element.name << ">";
            EXPECT_FALSE(name.starts_with("on")) << "<" << element.name << " " << name << ">";
            if (name == "src") {
                EXPECT_TRUE(value.starts_with("report-picture:")) << "src=\"" << value << "\"";
            }
            EXPECT_EQ(value.find("url("), std::string::npos) << name << "=\"" << value << "\"";
        }
    }
    for (const std::string& style : page.Texts("style")) {
        EXPECT_EQ(style.find("@import"), std::string::npos);
        EXPECT_EQ(style.find("url("), std::string::npos);
    }
    EXPECT_EQ(html.find("http:", html.find("<body")), html.find("http://www.w3.org/2000/svg", html.find("<body")))
        << "a web address in the page's body other than the SVG namespace";
    EXPECT_EQ(html.find("https:"), std::string::npos);
}

TEST(Report, ThePageHoldsTheFactsTheTimersEveryUsedRelayTheWeekAndTheFindings)
{
    const Report report = ReportOf(OfficeDocument());
    const std::string html = WriteReportHtml(report);
    const MarkupReading page = ReadPage(html);
    ExpectSelfContained(html, page);

    // Version text, file name and when the page was made, as they went in.
    const std::vector<std::string> cells = page.Texts("td");
    EXPECT_TRUE(Contains(cells, EncodeUtf8(kHostileVersion)));
    EXPECT_TRUE(Contains(cells, "office.xml"));
    EXPECT_TRUE(Contains(cells, "Mon 2026-12-14 01:00:00"));

    // Eight timer rows with the editor's texts: dates, times, weekdays.
    const std::vector<std::string> rowHeads = page.Texts("th");
    for (int n = 0; n < kTimerCount; ++n)
        EXPECT_TRUE(Contains(rowHeads, "Timer T" + std::to_string(n))) << n;
    for (const char* shown : {"2013/02/08", "10:00:00", "2013/02/10", "18:30:00", "07:30:00", "22:00:00"})
        EXPECT_TRUE(Contains(cells, shown)) << shown;
    const auto dayCells = std::count_if(page.elements.begin(), page.elements.end(), [](const MarkupElement& e) {
        return e.name == "td" && e.attributes.count("class") && e.attributes.at("class") == "day";
    });
    const auto ticked = std::count_if(page.elements.begin(), page.elements.end(), [](const MarkupElement& e) {
        return e.name == "td" && e.attributes.count("class") && e.attributes.at("class") == "day" && e.text == "x";
    });
    EXPECT_EQ(dayCells, kTimerCount * kWeekdayCount);
    EXPECT_EQ(ticked, 5 + 2);
    // The windows in words, for the timers in use only.
    EXPECT_EQ(page.Texts("li"),
              (std::vector<std::string>{"T0: daily 07:30:00-22:00:00 Mon-Fri",
                                        "T1: dated 2013-02-08 10:00:00 - 2013-02-10 18:30:00, Sat, Sun"}));

    // Every used relay: its section, its condition, its circuit; no other.
    std::vector<std::string> relayIds;
    for (const MarkupElement* div : page.All("div")) {
        if (div->attributes.count("class") && div->attributes.at("class") == "relay")
            relayIds.push_back(div->attributes.at("id"));
    }
    EXPECT_EQ(relayIds, (std::vector<std::string>{"R3", "R6"}));
    EXPECT_TRUE(Contains(Codes(page), "(#T0&&#T1)||#R2"));
    EXPECT_TRUE(Contains(Codes(page), "#T0&&#T1"));
    // Two circuits and the week picture.
    EXPECT_EQ(page.All("svg").size(), 3u);
    // R6's circuit cannot show its condition; the page says so and what the
    // dialog would make of it. R3's shows it exactly and has no such note.
    std::vector<std::string> notes;
    for (const MarkupElement* p : page.All("p")) {
        if (p->attributes.count("class") && p->attributes.at("class") == "note")
            notes.push_back(p->text);
    }
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("cannot show this condition exactly"), std::string::npos);
    EXPECT_TRUE(notes[0].ends_with(": #T0")) << notes[0];

    // The findings of the check, each with its message as the check wrote it.
    ASSERT_FALSE(report.check.findings.empty());
    for (const Finding& finding : report.check.findings) {
        EXPECT_TRUE(Contains(cells, finding.message)) << finding.message;
        EXPECT_TRUE(Contains(cells, finding.code)) << finding.code;
    }
}

TEST(Report, TextsFromTheDocumentAreEscapedEverywhereTheyAppear)
{
    // A condition outside the grammar that carries markup: the page is still
    // made (the findings name the error), and the text shows as it was.
    StateMachineModel model = OfficeDocument();
    const std::u16string hostile = u"#S0||\"<script>x</script>\"&'>";
    model.relays[1] = hostile;
    const std::u16string fileName = u"/tmp/<b>&\"quoted\" 'file'.xml";
    const Report report = ReportOf(model, fileName);
    const std::string html = WriteReportHtml(report);
    const MarkupReading page = ReadPage(html);
    ExpectSelfContained(html, page);

    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_TRUE(Contains(Codes(page), EncodeUtf8(hostile)));
    EXPECT_TRUE(Contains(page.Texts("td"), EncodeUtf8(fileName)));
    EXPECT_EQ(page.Texts("title").front(), "QUARN program: " + EncodeUtf8(kHostileVersion));

    // No picture for a program that does not compile; the reason is on the page.
    EXPECT_FALSE(report.picture.has_value());
    EXPECT_FALSE(report.pictureError.empty());
    ASSERT_TRUE(std::any_of(report.check.findings.begin(), report.check.findings.end(),
                            [](const Finding& f) { return f.code == "condition-error"; }));
    EXPECT_TRUE(Contains(page.Texts("td"), "condition-error"));
}

TEST(Report, MalformedAndControlTextCannotBreakThePage)
{
    StateMachineModel model = OfficeDocument();
    // A lone surrogate, a NUL, a form feed and U+FFFF: none is an XML character.
    model.version = std::u16string(u"a") + char16_t(0xD800) + u"b" + char16_t(0) + u"c\f" + char16_t(0xFFFF);
    const MarkupReading page = ReadPage(WriteReportHtml(ReportOf(model)));
    EXPECT_TRUE(Contains(page.Texts("td"), "a\xEF\xBF\xBD"
                                           "b c \xEF\xBF\xBD"));
}

TEST(Report, TheImageFormNamesEachPictureOnceAndFitsItIntoTheWidthAsked)
{
    const Report report = ReportOf(OfficeDocument());
    const std::vector<ReportPicture> pictures = ReportPictures(report);
    ASSERT_EQ(pictures.size(), 3u);  // R3's and R6's circuits, the week

    ReportHtmlOptions options;
    options.pictures = ReportPictureForm::ImageReferences;
    options.maxPictureWidth = 600;
    const std::string html = WriteReportHtml(report, options);
    const MarkupReading page = ReadPage(html);
    ExpectSelfContained(html, page);
    EXPECT_TRUE(page.All("svg").empty());
    const std::vector<const MarkupElement*> images = page.All("img");
    ASSERT_EQ(images.size(), pictures.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i]->attributes.at("src"), pictures[i].name);
        const double width = std::stod(images[i]->attributes.at("width"));
        const double height = std::stod(images[i]->attributes.at("height"));
        EXPECT_LE(width, 600.0);
        EXPECT_NEAR(width / height, pictures[i].width / pictures[i].height, 0.02) << pictures[i].name;
        // Each picture is a document of its own that reads as well-formed.
        EXPECT_EQ(ReadMarkup(pictures[i].svg).error, "") << pictures[i].name;
    }
    EXPECT_GT(pictures[2].width, 600.0);  // the week was narrowed
}

TEST(Report, ADocumentWithoutRelaysOrFindingsSaysSo)
{
    StateMachineModel model;
    const std::string html = WriteReportHtml(ReportOf(model, u""));
    const MarkupReading page = ReadPage(html);
    ExpectSelfContained(html, page);
    const std::vector<std::string> paragraphs = page.Texts("p");
    EXPECT_TRUE(Contains(paragraphs, "No relay is used."));
    EXPECT_TRUE(Contains(paragraphs, "No findings for this period, whatever the inputs do."));
    EXPECT_TRUE(Contains(page.Texts("span"), "not saved"));
    EXPECT_TRUE(Contains(page.Texts("span"), "no version text"));
}

}  // namespace
}  // namespace quarn::runtime
