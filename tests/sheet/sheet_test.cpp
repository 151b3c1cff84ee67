// The sheet's figures where their geometry can go wrong, and the document
// where a user's text could break out of it.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "sheet.hpp"

namespace sheet = tx14::sheet;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(SheetPlot, AxesSpanTheFiniteValuesInRoundSteps)
{
    const struct {
        std::vector<double> values;
        double low, high;
    } cases[] = {
        {{83.2, 209.15, 575.9}, 0, 600},
        {{kNaN, 1.5, kInf, 2.5, -kInf}, 1.4, 2.6},
        {{kNaN, kNaN}, 0, 1},   // nothing to plot
        {{100, 100}, 90, 110},  // one value: a band around it
        {{0}, -1, 1},
        {{-1e308, 1e308}, -1e308, 1e308},  // a span no double holds
    };
    for (const auto& c : cases) {
        sheet::Axis a = sheet::axis_of(c.values);
        EXPECT_NEAR(a.low, c.low, std::fabs(c.low) * 1e-9 + 1e-9) << c.values.size();
        EXPECT_NEAR(a.high, c.high, std::fabs(c.high) * 1e-9 + 1e-9) << c.values.size();
        EXPECT_TRUE(std::isfinite(a.step) && a.step > 0);
        EXPECT_LE(a.high / a.step - a.low / a.step, 20);
    }
}

TEST(SheetPlot, MissingPointsBreakTheLineInsteadOfReachingTheSvg)
{
    sheet::Plot p{"",
                  "t",
                  "in.",
                  "",
                  {1, 2, 3, 4},
                  {{"M.A.W.P.", "psi", {10, kNaN, kInf, 40}, false}},
                  {{"P", kNaN, false, false}, {"t", 2, true, false}}};
    std::string svg = sheet::plot_svg(p);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
    EXPECT_NE(svg.find("d=\" M78.0,"), std::string::npos);  // the line starts afresh
    EXPECT_NE(svg.find(" M562.0,"), std::string::npos);     // after the gap
}

TEST(SheetDocument, MethodAndEditionAreNamedAsTheReportNamesThem)
{
    const struct {
        std::vector<std::string> titles;
        std::string method, edition, analysis;
    } cases[] = {
        {{"ASME VIII-1, Appendix 14 Large Centrally Located Opening Input"},
         "ASME VIII-1, Appendix 14",
         "",
         "Large Centrally Located Opening"},
        {{"Half-Pipe Jacket Analysis Input Data :", "Half-Pipe Jacket Results per ASME Appendix EE, 2015"},
         "ASME Appendix EE",
         "2015",
         "Half-Pipe Jacket Analysis"},
        {{"Half-Pipe Jacket Analysis Input Data :", "Half-Pipe Jacket Analysis per ASME VIII-2, 4.11.6"},
         "ASME VIII-2, 4.11.6",
         "",  // a paragraph, not an edition
         "Half-Pipe Jacket Analysis"},
        {{"Limpet Coil Analysis Input Data :", "Limpet Coil Analysis for Internal Pressure per PD 5500, 3.11.4"},
         "PD 5500, 3.11.4",
         "",
         "Limpet Coil Analysis"},
    };
    for (const auto& c : cases) {
        sheet::Document d;
        for (const std::string& t : c.titles)
            d.report.push_back({t, {1, 0, 0, 0, 0, 1}});
        sheet::name_analysis(d);
        EXPECT_EQ(d.method, c.method);
        EXPECT_EQ(d.edition, c.edition);
        EXPECT_EQ(d.analysis, c.analysis);
        const std::string page = sheet::html(d);
        EXPECT_NE(page.find(c.edition.empty() ? "not stated by the library" : "<td>2015</td>"), std::string::npos);
    }
}

TEST(SheetDocument, UserTextStaysTextInTheBodyAndInThePageMargins)
{
    sheet::Document d;
    d.description = "</style><script>x\" & y";
    d.item = "7";
    d.report.push_back({"M.A.W.P. \xF8", {1, 0, 0, 1, 0, 2}});
    std::string page = sheet::html(d);
    for (const char* outside : {"<script", "<link"})
        EXPECT_EQ(page.find(outside), std::string::npos) << "user text as markup, or something loaded from elsewhere";
    EXPECT_NE(page.find("x&#x22; &#x26; y"), std::string::npos);
    EXPECT_NE(page.find("<span class=\"title note result\">M.A.W.P. \xCE\xB8</span>"), std::string::npos);
    EXPECT_EQ(page.find("</style>"), page.rfind("</style>"));  // only the real one
    EXPECT_NE(page.find("NOT ANALYSED"), std::string::npos);
}

}  // namespace
