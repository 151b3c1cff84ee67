// The sheet's blocks and figures where a reader could be misled: the title
// and approval blocks, utilizations on the right side of their verdict,
// checks that do not apply, and nothing shown that was not given or not
// computed.
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "item_sheet.hpp"
#include "sheet.hpp"
#include "txappendix14.hpp"

namespace sheet = tx14::sheet;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The text between `open` and the next `close` after it; empty when absent.
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

TEST(SheetFigures, UtilizationIsNeverShownOnTheWrongSideOfItsVerdict)
{
    const struct {
        double utilization;
        bool passes;
        const char* shown;
    } cases[] = {
        {0.97349, true, "97.3 %"},
        {0.5, true, "50.0 %"},
        {1.0, true, "100.0 %"},
        {0.99996, true, "100.0 %"},
        {1.0003, true, "100.0 %"},   // passes within the analysis's tolerance: never above 100 %
        {1.0004, false, "100.1 %"},  // fails by a hair: never 100 %
        {1.000001, false, "100.1 %"},
        {1.0, false, "100.1 %"},
        {1.00051, false, "100.1 %"},
        {1.2000000476837158, false, "120.0 %"},  // 1.2f: no tenth added for the float's own error
        {1.25349, false, "125.3 %"},
        {-0.05, true, "-5.0 %"},  // a signed value below its limit
        {1e30, false, "1e+32 %"},
        {kNaN, false, "\xE2\x80\x94"},
        {kInf, false, "\xE2\x80\x94"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sheet::percent(c.utilization, c.passes), c.shown)
            << c.utilization << (c.passes ? " passes" : " fails");
}

sheet::Document with_checks()
{
    sheet::Document d;
    d.item = "7";
    d.checks = {
        {"SH at opening", "psi", 0, 30000, false, true, 0, false, "App. 14"},
        {"ST at opening", "psi", 20008, 20000, false, false, 1.0004, true, "App. 14"},
        {"M.A.W.P. against design pressure P", "psi", 99.9, 100, true, false, 1.001, true, ""},
    };
    d.governing = 1;
    d.verdict = tx14::Verdict::not_acceptable;
    return d;
}

TEST(SheetTables, ACheckThatDoesNotApplyShowsNaAndNoGauge)
{
    const std::string page = sheet::html(with_checks());
    const std::string row = between(page, "<tr class=\"inapplicable\">", "</tr>");
    ASSERT_FALSE(row.empty());
    EXPECT_EQ(count(row, ">n/a<"), 3u) << row;  // value, utilization and result
    EXPECT_EQ(row.find("class=\"bar"), std::string::npos) << row;
    const std::string failing = between(page, "<tr class=\"fails governing\">", "</tr>");
    EXPECT_NE(failing.find("class=\"bar over\""), std::string::npos) << failing;
    EXPECT_NE(failing.find("100.1 %"), std::string::npos) << failing;
    EXPECT_NE(failing.find("<td>ST at opening<span class=\"ref\">App. 14</span></td>"), std::string::npos) << failing;
    EXPECT_NE(page.find("<td>M.A.W.P. against design pressure P</td>"), std::string::npos) << "without a reference";
}

TEST(SheetVerdict, TheBoxNamesTheGoverningCheckAndCountsWhatFollows)
{
    const struct {
        std::vector<std::string> warnings, reasons, notes;
        const char* follows;
    } cases[] = {
        {{}, {}, {}, "No warnings or notes."},
        {{"w"}, {}, {"a", "b"}, "below: 1 warning of the input and 2 notes."},
        {{"w", "v"}, {"r"}, {"n"}, "below: 2 warnings of the input, 1 reason not to judge the item and 1 note."},
    };
    for (const auto& c : cases) {
        sheet::Document d = with_checks();
        d.input_warnings = c.warnings;
        d.reasons = c.reasons;
        d.notes = c.notes;
        const std::string box = between(sheet::html(d), "<section class=\"verdict", "</section>");
        EXPECT_NE(box.find(c.follows), std::string::npos) << box;
        EXPECT_NE(box.find("Governing check: ST at opening (App. 14), utilization 100.1 %, FAILS."), std::string::npos)
            << box;
        EXPECT_NE(box.find("2 of 2 applicable checks fail."), std::string::npos) << box;
        EXPECT_EQ(count(box, "Not analysed: "), c.reasons.size()) << box;
    }
}

// Every sheet ends with a block to sign by hand, names printed where given.
TEST(SheetBlocks, ApprovalBlockEndsEverySheetWithOrWithoutNames)
{
    const struct {
        sheet::SheetTexts texts;
        const char* names[3];
        const char* heading;
    } cases[] = {
        {{}, {"", "", ""}, "Item 7 \xC2\xB7 Revision ________ \xC2\xB7 Purpose ________________________"},
        {{"P", "V-1", "D-1", "C", "for construction", "A. Engineer", "", "C. <Approver>"},
         {"A. Engineer", "", "C. &#x3c;Approver&#x3e;"},
         "Item 7 \xC2\xB7 Revision C \xC2\xB7 Purpose for construction"},
    };
    for (const auto& c : cases) {
        sheet::Document d = with_checks();
        d.texts = c.texts;
        d.report.push_back({"REPORT", {}});
        const std::string page = sheet::html(d);
        const std::string block = between(page, "<section class=\"approval\">", "</section>");
        ASSERT_FALSE(block.empty());
        EXPECT_GT(page.find("<section class=\"approval\">"), page.find("REPORT")) << "after the report";
        EXPECT_EQ(page.substr(page.find(block) + block.size()), "\n</body>\n</html>\n") << "the last block";
        EXPECT_NE(block.find(c.heading), std::string::npos) << block;
        const char* roles[] = {"Prepared by", "Checked by", "Approved by"};
        for (std::size_t i = 0; i < std::size(roles); ++i) {
            const std::string head = std::string("<tr><th>") + roles[i] + "</th>";
            EXPECT_EQ(between(block, head, "</tr>"),
                      head + "<td class=\"name\">" + c.names[i] +
                          "</td><td class=\"date\"></td><td class=\"signature\"></td></tr>");
        }
    }
}

TEST(SheetBlocks, TitleBlockShowsTheSheetTextsAndSaysWhatWasNotGiven)
{
    sheet::Document d = with_checks();
    d.texts.project = "Plant & \"Co\"";
    d.texts.revision = "B";
    d.method = "ASME Appendix EE";
    d.edition = "2015";
    const std::string title = between(sheet::html(d), "<header>", "</header>");
    const struct {
        const char* label;
        const char* cell;
    } cases[] = {
        {"Project", "<td>Plant &#x26; &#x22;Co&#x22;</td>"},
        {"Vessel tag", "<td class=\"missing\">not given</td>"},
        {"Revision", "<td>B</td>"},
        {"Description", "<td colspan=\"3\" class=\"missing\">not given</td>"},
        {"Materials", "<td colspan=\"3\" class=\"missing\">not given</td>"},
        {"Method", "<td>ASME Appendix EE</td>"},
        {"Code edition", "<td>2015</td>"},
        {"Item", "<td>7</td>"},
    };
    for (const auto& c : cases)
        EXPECT_NE(title.find(std::string("<th>") + c.label + "</th>" + c.cell), std::string::npos) << c.label;
    const std::string page = sheet::html(d);
    EXPECT_NE(page.find("<title>Item 7 \xC2\xB7 Rev. B</title>"), std::string::npos);
}

// A title, and the blank lines before it, never end a page alone: they go
// in the block that follows them.
TEST(SheetReport, TitlesStayWithTheBlockThatFollowsThem)
{
    sheet::Document d;
    const std::array<int, 6> title{1, 0, 0, 0, 0, 1}, caption{0, 0, 0, 0, 0, 1}, plain{};
    for (auto [text, styles] : {std::pair{"", plain},
                                {"Summary of Results:", title},
                                {"", plain},
                                {"Input Thickness of Shell  0.3125", plain},
                                {"", plain},
                                {"Tr:", caption},
                                {" = 0.239 in.", plain},
                                {"", plain}})
        d.report.push_back({text, styles});
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

tx14::Item worked_jacket(const char* code = "VIII-1")
{
    tx14::Item item;
    item.set("kind", "jacket").set("code", code).set("units", "US").set("item", 13.0);
    for (auto [key, v] : {std::pair{"D", 40.0},
                          {"ts", 0.3125},
                          {"P", 190.0},
                          {"S", 16000.0},
                          {"E", 1.0},
                          {"NPS", 3.0},
                          {"Tj", 0.3},
                          {"Pj", 300.0},
                          {"Sj", 16000.0}})
        item.set(key, v);
    return item;
}

tx14::Item opening()
{
    tx14::Item item;
    item.set("kind", "opening").set("code", "VIII-1").set("units", "US").set("item", 1.0);
    for (auto [key, v] : {std::pair{"P", 100.0},
                          {"T", 300.0},
                          {"t", 4.0},
                          {"Bn", 30.0},
                          {"A", 60.0},
                          {"g0s", 1.0},
                          {"g1s", 1.5},
                          {"hs", 3.0},
                          {"ca", 0.125},
                          {"Sho", 20000.0},
                          {"Shg", 20000.0}})
        item.set(key, v);
    return item;
}

sheet::Document document(const tx14::Item& item)
{
    const tx14::Outcome o = tx14::analyse(item);
    EXPECT_TRUE(o.ran());
    return sheet::document_of(o, [&](const tx14::Change& change) { return tx14::analyse(item, {}, &change); },
                              {"x.toml", "", "", "", {}});
}

const sheet::ValueRow* value(const sheet::Document& d, const std::string& label_start)
{
    for (const sheet::ValueRow& v : d.values)
        if (v.label.starts_with(label_start))
            return &v;
    return nullptr;
}

TEST(SheetOfAnItem, MaterialsShowOnlyWhatWasGiven)
{
    const struct {
        tx14::Item item;
        const char* materials;
    } cases[] = {
        {worked_jacket(), ""},
        {tx14::Item(worked_jacket()).set("material", "SA-516 70"), "cylinder SA-516 70"},
        {tx14::Item(worked_jacket()).set("jacket_material", "SA-106 B"), "jacket SA-106 B"},
        {tx14::Item(worked_jacket()).set("material", "A").set("jacket_material", "B"), "cylinder A, jacket B"},
        {tx14::Item(worked_jacket("PD5500")).set("jacket_material", "B"), "coil B"},
        {opening(), ""},
        {tx14::Item(opening()).set("material", "SA-105"), "SA-105"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(document(c.item).materials, c.materials);
}

TEST(SheetOfAnItem, TheForgingWeightWithoutADensityIsNotComputed)
{
    const sheet::Document d = document(opening()), dense = document(tx14::Item(opening()).set("density", 0.283));
    const sheet::ValueRow* without = value(d, "estimated finished weight");
    ASSERT_NE(without, nullptr);
    EXPECT_STREQ(without->missing, "not computed: no density given");
    const sheet::ValueRow* with = value(dense, "estimated finished");
    ASSERT_NE(with, nullptr);
    EXPECT_EQ(with->missing, nullptr);
    EXPECT_NEAR(with->value, 2504.7, 0.1);
}

// The worked example: each check names its paragraph, and Trj is held to ts
// itself, not to the search's tolerance above it.
TEST(SheetOfAnItem, ChecksCarryTheirReferenceAndTheLimitAsTheCodeStatesIt)
{
    const sheet::Document d = document(tx14::Item(worked_jacket()).set("project", "P-1").set("checked_by", "B."));
    EXPECT_EQ(d.method, "ASME Appendix EE");
    EXPECT_EQ(d.edition, "2015");
    EXPECT_EQ(d.texts.project, "P-1");
    EXPECT_EQ(d.texts.checked_by, "B.");
    const struct {
        const char* label;
        const char* reference;
        double limit;
    } cases[] = {
        {"Tr against the input shell thickness ts", "UG-27, Eq. (1)", 0.3125},
        {"Trj against the input shell thickness ts", "App. EE-1, Eq. (1)", 0.3125},
        {"P' at ts against the design jacket pressure", "App. EE-1, Eq. (1)", 300},
        {"required jacket thickness T against the input Tj", "App. EE-1, Eq. (2)", 0.3},
    };
    ASSERT_EQ(d.checks.size(), std::size(cases));
    for (std::size_t i = 0; i < d.checks.size(); ++i) {
        EXPECT_EQ(d.checks[i].label, cases[i].label);
        EXPECT_EQ(d.checks[i].reference, cases[i].reference) << cases[i].label;
        EXPECT_FLOAT_EQ(static_cast<float>(d.checks[i].limit), static_cast<float>(cases[i].limit)) << cases[i].label;
    }
    for (const sheet::ValueRow& v : d.values)
        EXPECT_EQ(v.missing, nullptr) << v.label << ": computed, whatever input shares its symbol";
    EXPECT_NE(tx14::outcome_json(tx14::analyse(worked_jacket())).find("\"reference\":\"App. EE-1, Eq. (2)\""),
              std::string::npos);
}

}  // namespace
