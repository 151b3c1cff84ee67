// The sheet where a reader could be misled: plot axes and gaps, the title
// and approval blocks, utilizations on the right side of their verdict,
// checks that do not apply, nothing shown that was not given or computed,
// and a user's text never breaking out of the document or a spreadsheet.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "escape.hpp"
#include "figures.hpp"
#include "item_sheet.hpp"
#include "sheet.hpp"
#include "txappendix14.hpp"

namespace sheet = tx14::sheet;
namespace text = tx14::text;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The text from `open` to the next `close` after it; empty when absent.
std::string between(const std::string& page, const std::string& open, const std::string& close)
{
    const std::size_t a = page.find(open);
    if (a == std::string::npos)
        return {};
    const std::size_t b = page.find(close, a);
    return page.substr(a, b == std::string::npos ? std::string::npos : b + close.size() - a);
}

std::size_t count(const std::string& s, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + 1))
        ++n;
    return n;
}

TEST(SheetPlot, AxesSpanTheFiniteValuesInRoundStepsAndGapsBreakTheLine)
{
    const std::pair<std::vector<double>, sheet::Axis> cases[] = {
        {{83.2, 209.15, 575.9}, {0, 600}},
        {{kNaN, 1.5, kInf, 2.5, -kInf}, {1.4, 2.6}},
        {{kNaN, kNaN}, {0, 1}},  // nothing to plot
        {{100, 100}, {90, 110}},
        {{0}, {-1, 1}},                       // one value: a band around it
        {{-1e308, 1e308}, {-1e308, 1e308}}};  // a span no double holds
    for (const auto& [values, want] : cases) {
        sheet::Axis a = sheet::axis_of(values);
        EXPECT_NEAR(a.low, want.low, std::fabs(want.low) * 1e-9 + 1e-9) << values.size();
        EXPECT_NEAR(a.high, want.high, std::fabs(want.high) * 1e-9 + 1e-9) << values.size();
        EXPECT_TRUE(std::isfinite(a.step) && a.step > 0 && a.high / a.step - a.low / a.step <= 20);
    }
    sheet::Plot p;
    p.x = {1, 2, 3, 4};
    p.series = {{"M.A.W.P.", "psi", {10, kNaN, kInf, 40}, false}};
    p.marks = {{"P", kNaN, false}, {"t", 2, true}};
    const std::string svg = sheet::plot_figure(p).svg;
    EXPECT_TRUE(svg.find("nan") == std::string::npos && svg.find("inf") == std::string::npos);
    EXPECT_NE(svg.find("d=\" M78.0,"), std::string::npos);  // the line starts afresh
    EXPECT_NE(svg.find(" M562.0,"), std::string::npos);     // after the gap
}

TEST(SheetDocument, MethodAndEditionAreNamedAsTheReportNamesThem)
{
    for (auto [title, method, edition] :
         {std::tuple{"ASME VIII-1, Appendix 14 Large Centrally Located Opening Input", "ASME VIII-1, Appendix 14", ""},
          {"Half-Pipe Jacket Results per ASME Appendix EE, 2015", "ASME Appendix EE", "2015"},
          {"Half-Pipe Jacket Analysis per ASME VIII-2, 4.11.6", "ASME VIII-2, 4.11.6", ""}}) {  // a paragraph
        sheet::Document d;
        d.report = {{title, {1, 0, 0, 0, 0, 1}}};
        sheet::name_analysis(d);
        EXPECT_EQ(d.method, method);
        EXPECT_EQ(d.edition, edition);
        EXPECT_NE(sheet::html(d).find(*edition ? "<td>2015</td>" : "not stated by the library"), std::string::npos);
    }
}

TEST(SheetTables, UtilizationIsNeverShownOnTheWrongSideOfItsVerdict)
{
    const std::tuple<double, bool, const char*> cases[] = {
        {0.97349, true, "97.3 %"},
        {0.99996, true, "100.0 %"},
        {1.0003, true, "100.0 %"},  // passes within the analysis's tolerance: never above 100 %
        {1.0004, false, "100.1 %"},
        {1.0, false, "100.1 %"},
        {1.00051, false, "100.1 %"},             // fails by a hair: never 100 %
        {1.2000000476837158, false, "120.0 %"},  // 1.2f: no tenth added for the float's own error
        {-0.05, true, "-5.0 %"},                 // a signed value below its limit
        {1e30, false, "1e+32 %"},
        {kNaN, false, "\xE2\x80\x94"},
        {kInf, false, "\xE2\x80\x94"}};
    for (const auto& [utilization, passes, shown] : cases)
        EXPECT_EQ(sheet::percent(utilization, passes), shown) << utilization << (passes ? " passes" : " fails");
}

// A failing item with a check that does not apply, bare and then with sheet
// texts and a description trying to break out of the document, warnings, a
// reason and a note.
TEST(SheetDocument, ChecksVerdictTitleAndApprovalBlocksShowWhatTheDocumentHolds)
{
    sheet::Document d;
    d.item = "7";
    d.checks = {{"SH at opening", "psi", 0, 30000, false, true, 0, false, "App. 14"},
                {"ST at opening", "psi", 20008, 20000, false, false, 1.0004, true, "App. 14"},
                {"M.A.W.P. against design pressure P", "psi", 99.9, 100, true, false, 1.001, true, ""}};
    d.governing = 1;
    d.verdict = tx14::Verdict::not_acceptable;
    d.report.push_back({"REPORT", {}});
    const std::string bare = sheet::html(d);
    d.texts = {"Plant & \"Co\"", "", "", "C", "for construction", "A. Engineer", "", "C. <Approver>"};
    d.description = "</style><script>x\" & y";
    d.report.push_back({"M.A.W.P. \xF8", {1, 0, 0, 1, 0, 2}});  // the report's theta
    d.input_warnings = {"w", "v"};
    d.reasons = {"r"};
    d.notes = {"n"};
    const std::string full = sheet::html(d);
    const std::tuple<const std::string&, const char*, const char*> shown[] = {
        {bare, "<tr class=\"fails governing\">", "<td>ST at opening<span class=\"ref\">App. 14</span></td>"},
        {bare, "<tr class=\"fails governing\">", "class=\"bar over\""},
        {bare, "<tr class=\"fails governing\">", "100.1 %"},
        {bare, "<table class=\"checks\">", "<td>M.A.W.P. against design pressure P</td>"},  // without a reference
        {bare, "<section class=\"verdict", "Governing check: ST at opening (App. 14), utilization 100.1 %, FAILS."},
        {bare, "<section class=\"verdict", "2 of 2 applicable checks fail."},
        {bare, "<section class=\"verdict", "No warnings or notes."},
        {full, "<section class=\"verdict",
         "below: 2 warnings of the input, 1 reason not to judge the item and 1 note."},
        {bare, "<section class=\"approval\">",
         "Item 7 \xC2\xB7 Revision ________ \xC2\xB7 Purpose ________________________"},
        {full, "<section class=\"approval\">", "Item 7 \xC2\xB7 Revision C \xC2\xB7 Purpose for construction"},
        {full, "<section class=\"approval\">", "<tr><th>Prepared by</th><td class=\"name\">A. Engineer</td>"},
        {full, "<section class=\"approval\">", "<tr><th>Checked by</th><td class=\"name\"></td>"},
        {full, "<section class=\"approval\">", "<th>Approved by</th><td class=\"name\">C. &#x3c;Approver&#x3e;</td>"},
        {full, "<header>", "<th>Project</th><td>Plant &#x26; &#x22;Co&#x22;</td>"},
        {full, "<header>", "<th>Vessel tag</th><td class=\"missing\">not given</td>"},
        {full, "<header>", "<th>Materials</th><td colspan=\"3\" class=\"missing\">not given</td>"},
        {full, "<head>",
         "<title>Item 7 \xE2\x80\x94 &#x3c;/style&#x3e;&#x3c;script&#x3e;x&#x22; &#x26; y \xC2\xB7 Rev. C<"},
        {full, "<section class=\"report\">", "<span class=\"title note result\">M.A.W.P. \xCE\xB8</span>"},
    };
    for (const auto& [page, open, text] : shown) {
        const std::string tag(open, 1, std::string_view(open).find_first_of(" >") - 1);
        EXPECT_NE(between(page, open, "</" + tag + ">").find(text), std::string::npos) << text;
    }
    const std::string inapplicable = between(bare, "<tr class=\"inapplicable\">", "</tr>");
    EXPECT_EQ(count(inapplicable, ">n/a<"), 3u) << inapplicable;  // value, utilization and result
    EXPECT_EQ(inapplicable.find("class=\"bar"), std::string::npos) << "a gauge on a check that does not apply";
    EXPECT_EQ(count(between(full, "<section class=\"verdict", "</section>"), "Not analysed: "), 1u);
    EXPECT_EQ(full.find("<script"), std::string::npos) << "user text as markup";
    EXPECT_EQ(full.find("<link"), std::string::npos) << "something loaded from elsewhere";
    EXPECT_EQ(full.find("</style>"), full.rfind("</style>")) << "user text closing the styles";
    for (const std::string* page : {&bare, &full}) {
        const std::string block = between(*page, "<section class=\"approval\">", "</section>");
        EXPECT_GT(page->find(block), page->find("REPORT")) << "the approval block after the report";
        EXPECT_EQ(page->substr(page->find(block) + block.size()), "\n</body>\n</html>\n") << "not the last block";
    }
}

// A title, and the blank lines before it, never end a page alone: they go
// in the block that follows them.
TEST(SheetReport, TitlesStayWithTheBlockThatFollowsThem)
{
    sheet::Document d;
    const char* lines[] = {"",    "Summary of Results:", "", "Input Thickness of Shell  0.3125", "",
                           "Tr:", " = 0.239 in.",        ""};
    for (int i = 0; i < 8; ++i)  // a title, and a formula's caption
        d.report.push_back({lines[i], {i == 1, 0, 0, 0, 0, i == 1 || i == 5}});
    const std::string report = between(sheet::html(d), "<section class=\"report\">", "</section>");
    EXPECT_EQ(count(report, "<pre"), 2u) << report;
    EXPECT_NE(report.find("<pre class=\"block\">\n<span class=\"title caption\">Summary of Results:</span>\n\n"
                          "Input Thickness of Shell  0.3125\n\n</pre>"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("<pre class=\"block formula\"><span class=\"caption\">Tr:</span>\n = 0.239 in.\n\n</pre>"),
              std::string::npos)
        << report;
}

// ---- Sheets of items run through the library ----------------------------

// The worked jacket without its code, and the worked head.
const std::string kJacket = R"("kind": "jacket", "units": "US", "item": 13, "D": 40, "ts": 0.3125, "P": 190,
    "S": 16000, "E": 1, "NPS": 3, "Tj": 0.3, "Pj": 300, "Sj": 16000)";
const std::string kOpening = R"("kind": "opening", "code": "VIII-1", "units": "US", "item": 1, "P": 100, "T": 300,
    "t": 4, "Bn": 30, "A": 60, "g0s": 1, "g1s": 1.5, "hs": 3, "ca": 0.125, "Sho": 20000, "Shg": 20000)";

// The sheet of an item given as the members of a JSON object.
sheet::Document document(const std::string& members)
{
    std::string error;
    const tx14::Item item = tx14::item_from_json("{" + members + "}", error).value();
    const tx14::Outcome o = tx14::analyse(item);
    EXPECT_TRUE(o.ran()) << members;
    return sheet::document_of(o, [&](const tx14::Change& change) { return tx14::analyse(item, {}, &change); },
                              {"x.toml", "", "", "", {}});
}

// Materials and the forging weight only where given; every check with the
// paragraph that states it; every computed value shown, whatever input
// shares its symbol.
TEST(SheetOfAnItem, ShowsWhatWasGivenAndWhereTheCodeStatesEachCheck)
{
    const std::string jacket = kJacket + R"(, "code": "VIII-1")";
    const std::tuple<std::string, const char*, const char*> cases[] = {
        // materials; the weight's dash, if any
        {jacket, "", nullptr},
        {jacket + R"(, "material": "A", "jacket_material": "B")", "cylinder A, jacket B", nullptr},
        {kJacket + R"(, "code": "PD5500", "jacket_material": "B")", "coil B", nullptr},
        {kOpening, "", "not computed: no density given"},
        {kOpening + R"(, "material": "SA-105", "density": 0.283)", "SA-105", ""}};
    for (const auto& [members, materials, weight] : cases) {
        const sheet::Document d = document(members);
        EXPECT_EQ(d.materials, materials) << members;
        const auto is_weight = [](const sheet::ValueRow& v) {
            return v.label.starts_with("estimated finished weight");
        };
        EXPECT_EQ(std::ranges::count_if(d.values, is_weight), weight ? 1 : 0) << members;
        for (const sheet::ValueRow& v : d.values)
            EXPECT_STREQ(v.missing ? v.missing : "", is_weight(v) ? weight : "") << members << ": " << v.label;
        for (const sheet::CheckRow& c : d.checks)
            EXPECT_FALSE(c.reference.empty()) << members << ": " << c.label;
    }
}

// Text escaped for the sheet's HTML, SVG and CSS: the characters that would
// break out of each, and bytes that are not UTF-8; a CSV cell a spreadsheet
// would run as a formula gets a leading ', a plain number does not. (Every
// target, JSON and the terminal too, reading back as given, and CSV quoting:
// the fuzz target fuzz_escape and its seeds.)
TEST(Escape, EachTargetEscapesWhatWouldBreakOutOfIt)
{
    const std::string fffd = "\xEF\xBF\xBD";
    const std::tuple<const char*, std::string (*)(std::string_view), std::string, std::string> cases[] = {
        {"html", text::html, "</style>\"'&`\\", "&#x3c;/style&#x3e;&#x22;&#x27;&#x26;&#x60;&#x5c;"},
        {"html", text::html, "\x1b\xC2\x85 caf\xE9", "&#x1b;" + fffd + " caf" + fffd},  // &#x85; reads as ...
        {"svg", text::svg, "\x01\t<x>", fffd + "&#x9;&#x3c;x&#x3e;"},                   // no place for U+0001 in XML
        {"css", text::css_string, "head\f}}.word{}", "\"head\\c }}.word{}\""},          // a form feed ends a CSS string
        {"css", text::css_string, std::string("\"\\\n</style>\0", 12),
         "\"\\22 \\5c \\a \\3c /style\\3e " + fffd + "\""},
    };
    for (const auto& [target, escape, in, out] : cases)
        EXPECT_EQ(escape(in), out) << target << ": " << in;
    const std::pair<std::string_view, std::string_view> csv[] = {
        {"=1+2", "'=1+2"}, {"@SUM(1)", "'@SUM(1)"}, {"+A1", "'+A1"},  {"-2+3", "'-2+3"},
        {"\tx", "'\tx"},   {"-inf", "'-inf"},       {"-1e", "'-1e"},  {"\r=x", "\"'\r=x\""},
        {"1=2", "1=2"},    {"-1.5", "-1.5"},        {"+3e5", "+3e5"}, {"-.5E-3", "-.5E-3"}};
    for (const auto& [cell, field] : csv)
        EXPECT_EQ(text::csv_cell(cell), field) << cell;
}

}  // namespace
