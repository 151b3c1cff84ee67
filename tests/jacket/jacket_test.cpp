// Half-pipe jackets and limpet coils: the chart factors off their charts,
// the validation, the results in the host's array, and the report lines
// the verified reports do not show. (Every value of the results record:
// tests/validation, against an independent calculation.)
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "jacket/charts.hpp"
#include "jacket/jacket_item.hpp"
#include "support/test_support.hpp"

namespace {

using namespace tx14;
using test::ItemRun;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr const char* kWarning = " 0 0 0 0 1 0";
constexpr const char* kPlain = " 0 0 0 0 0 0";

// Elements of a jacket item.
namespace el {
constexpr int D = 2, ts = 3, S = 6, ca = 8, E = 9, NPS = 10, Tj = 11, Pj = 12, caj = 16, r = 17, co = 19, code = 20;
}  // namespace el

// Held to the chart on every side, NaN without leaving the tables, 0 for no
// such chart.
TEST(ChartFactors, LimitedToTheChartsAndNotANumberPassedOn)
{
    const struct {
        float chart, D, t, K;
    } cases[] = {
        {1, 24, 0.1f, 53},     {1, 500, 5, 1},        {3, -10, 3, 2.5f},   {1, kInf, 0.1875f, 90},
        {1, -kInf, -kInf, 53}, {1, kNaN, 0.5f, kNaN}, {2, 48, kNaN, kNaN}, {3, kNaN, kNaN, kNaN},
        {0, 48, 0.5f, 0},      {4, 48, 0.5f, 0},      {1.5f, 48, 0.5f, 0}, {kNaN, 48, 0.5f, 0},
    };
    for (const auto& c : cases) {
        const float K = EEKFACTOR(ee_chart_column(c.chart, c.D), c.t);
        EXPECT_TRUE(std::isnan(c.K) ? std::isnan(K) : std::fabs(K - c.K) <= 1e-5f * c.K)
            << "chart " << c.chart << " D " << c.D << " t " << c.t << ": " << K;
    }
    EXPECT_TRUE(std::isnan(KPFACTOR(kp_chart_column(48, 2), kNaN)) &&
                std::isnan(KPFACTOR(kp_chart_column(kNaN, 3), 0.5f)));
}

// VIII-2: where a Kp coefficient row strays from the chart it was fitted
// to, the chart's value is used and the report says so, at the input
// thickness and in the Trj search. P = 100, S = 20000, E = 1, no
// allowances, Tj = 0.216. The two lines after the headings of Trj and Kp.
TEST(Div2Kp, ChartStandsInWhereThePolynomialStrays)
{
    const std::string trj_note =
        "   Trj search: FIG. EE - 2 chart used where the Kp polynomial departs by more than 15%.";
    const std::string chart = "   FIG. EE - ", used = " value used: the Kp polynomial gives ";
    const struct {
        float NPS, D, ts, Pj;
        std::vector<std::string> lines;
    } cases[] = {
        {3, 60, 0.5f, 150, {" = 0.121 in.", "", " = 23.000", chart + "2" + used + "-8.518"}},
        {2, 120, 0.75f, 150, {" = 0.176 in.", "", " = 6.600", chart + "1" + used + "2.549"}},
        {3, 40, 0.3125f, 150, {" = 0.062 in.", "", " = 47.081", ""}},  // within 15 % of the chart
        {3, 80, 0.5f, 400, {" = 0.320 in.", trj_note, " = 25.000", chart + "2" + used + "-92.277"}},
    };
    const test::HostItem base =
        test::half_pipe_item().set({{el::ca, 0}, {el::Tj, 0.216f}, {el::caj, 0}, {el::code, 2}});
    for (const auto& c : cases) {
        const ItemRun r =
            test::run(test::HostItem(base).set({{el::D, c.D}, {el::ts, c.ts}, {el::NPS, c.NPS}, {el::Pj, c.Pj}}));
        const int trj = r.find("Req. Thk. of Shell to Withstand Jacket Pressure (Includes CA) [Trj]:");
        const int kp = r.find("Half-Pipe Jacket Rating Factor [Kp]:");
        ASSERT_TRUE(trj >= 0 && kp >= 0) << c.lines[0];
        const auto line = [&](int i) { return r.lines[static_cast<std::size_t>(i)]; };
        EXPECT_EQ((std::vector{line(trj + 1), line(trj + 2), line(kp + 1), line(kp + 2)}), c.lines);
    }
}

// The validation's messages in order, by code (the error sections of some
// faults: ErrorSections in tests/results). A faulty item is not
// calculated: elements 196 to 198 stay as the host left them, and the
// context counts what the host is not told.
TEST(JacketValidation, ChecksInOrder)
{
    const struct {
        const char* what;
        std::vector<std::pair<int, float>> changes;
        std::vector<int> codes;
    } cases[] = {
        {"valid", {}, {}},
        {"NPS 2.75", {{el::NPS, 2.75f}}, {3}},
        {"NPS 2 with noise", {{el::NPS, 2.0000002f}}, {}},
        {"NPS 0", {{el::NPS, 0}}, {4, 7}},
        {"radius 1.0", {{el::r, 1}, {el::Tj, 0.2f}, {el::NPS, 0}}, {}},
        {"radius 1.0 under VIII-2", {{el::r, 1}, {el::Tj, 0.2f}, {el::NPS, 0}, {el::code, 2}}, {8, 9}},
        {"radius 0.005 under VIII-2", {{el::r, 0.005f}, {el::code, 2}}, {8}},
        {"ca + co equal to ts", {{el::co, 0.25f}}, {1}},
        {"shell as thick as half the diameter", {{el::D, 0.75f}}, {2, 6}},
        {"caj equal to Tj", {{el::caj, 0.25f}}, {5}},
        {"jacket wall filling the pipe", {{el::Tj, 1.1875f}}, {4}},
        {"three faults", {{el::co, 0.25f}, {el::NPS, 2.75f}, {el::caj, 0.25f}}, {1, 3, 5}},
        {"coil of NPS 3.5 under PD 5500, E 0", {{el::NPS, 3.5f}, {el::E, 0}, {el::code, 3}}, {}},
        {"NPS 1.5 coil", {{el::NPS, 1.5f}, {el::code, 4}}, {3}},
        {"NPS 4.5 with a radius", {{el::NPS, 4.5f}, {el::r, 1}, {el::Tj, 0.2f}}, {}},
        {"negative co and caj", {{el::co, -1e-30f}, {el::caj, -0.1f}}, {10}},
        {"NaN caj", {{el::caj, kNaN}}, {10}},
        {"all three", {{el::ca, -1}, {el::E, 2}, {el::S, kNaN}}, {10, 11, 12}},
    };
    for (const auto& c : cases) {
        const ItemRun r = test::run(test::half_pipe_item().set(c.changes).set({{196, 11}, {197, 12}, {198, 13}}));
        std::vector<int> codes;
        for (const std::string& line : r.lines)
            for (int k = 1; !jacket_message(k).empty(); ++k)
                if (line == jacket_message(k))
                    codes.push_back(k);
        EXPECT_EQ(codes, c.codes) << c.what;
        EXPECT_EQ(r.input_errors, static_cast<int>(codes.size())) << c.what;
        EXPECT_EQ((std::vector(r.reals.begin() + 195, r.reals.begin() + 198) == std::vector{11.f, 12.f, 13.f}),
                  !codes.empty())
            << c.what;
    }
}

// Elements 196 to 198: the fillet weld, the permissible jacket pressure and
// the governing shell thickness, Tr or Trj; the echo of a material with
// leading blanks (the lines of the verified reports: the goldens; of other
// items: the report digest); and a jacket pressure no shell withstands,
// which ends the Trj search with a warning.
TEST(JacketDriver, ResultsIntoTheHostArrayAndTheTrjSearchGivingUp)
{
    test::JacketItem named = test::half_pipe_item();
    named.text(2, "   A-1");
    const ItemRun j = test::run(named);
    EXPECT_NEAR(j.reals[195], 0.40400f, 5e-6f);
    EXPECT_NEAR(j.reals[196], 617.0343f, 1e-3f);
    EXPECT_NEAR(j.reals[197], 0.24599f, 5e-6f);  // Tr
    EXPECT_TRUE(j.has("Jacket Material Name                                     A-1"));

    const ItemRun r = test::run(test::half_pipe_item().set({{el::Pj, 50000}}));
    const int at = r.find("Req. Thk. of Shell to Withstand Jacket Pressure (Includes CA) [Trj]:");
    ASSERT_GE(at, 0);
    const std::pair<std::string, std::string> expected[] = {
        {" = 64.000 in.", kWarning},
        {"", kPlain},
        {"*** WARNING ***", kWarning},
        {"The Input Thickness is < the Req'd Thickness for Jacket Pressure!", kWarning},
        {"", kPlain},
        {"*** WARNING ***", kWarning},
        {"No Shell Thickness Withstands the Jacket Pressure - Revise the Design!", kWarning},
        {"", kPlain},
        {"Pressure Calculations for Input Shell Thickness:", " 1 0 0 0 0 1"},
    };
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(std::pair(r.lines[static_cast<std::size_t>(at + 1 + i)], r.styles(at + 1 + i)), expected[i]);
    EXPECT_EQ(r.reals[197], 64.0f);  // Trj
}

}  // namespace
