// Half-pipe jackets and limpet coils: the chart factors off their charts,
// the validation, the results in the host's array, and the report lines
// the verified reports do not show. (Every value of the results record:
// tests/validation, against an independent calculation.)
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "entry/state.hpp"
#include "jacket/charts.hpp"
#include "jacket/jacket_item.hpp"
#include "support/test_support.hpp"

namespace {

using namespace tx14;
using test::ItemRun;
using test::JacketItem;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr const char* kWarning = " 0 0 0 0 1 0";
constexpr const char* kPlain = " 0 0 0 0 0 0";

// Elements of a jacket item.
namespace el {
constexpr int D = 2, ts = 3, S = 6, ca = 8, E = 9, NPS = 10, Tj = 11, Pj = 12, Sj = 14, caj = 16, r = 17, co = 19,
              code = 20;
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
        const float K = EEKFACTOR(c.chart, c.D, c.t);
        EXPECT_TRUE(std::isnan(c.K) ? std::isnan(K) : std::fabs(K - c.K) <= 1e-5f * c.K)
            << "chart " << c.chart << " D " << c.D << " t " << c.t << ": " << K;
    }
    EXPECT_TRUE(std::isnan(KPFACTOR(48, kNaN, 2)) && std::isnan(KPFACTOR(kNaN, 0.5f, 3)));
}

TEST(TrjSearch, UnsatisfiableJacketPressureEndsTheSearchWithAWarning)
{
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
    EXPECT_EQ(r.reals[197], 64.0f);
}

// VIII-2: where a Kp coefficient row strays from the chart it was fitted
// to, the chart's value is used and the report says so, at the input
// thickness and in the Trj search. P = 100, S = 20000, E = 1, no
// allowances, Tj = 0.216.
TEST(Div2Kp, ChartStandsInWhereThePolynomialStrays)
{
    const std::string trj_note =
        "   Trj search: FIG. EE - 2 chart used where the Kp polynomial departs by more than 15%.";
    // chart: the chart whose value stands in (0: none), and what the polynomial gives
    const struct {
        float NPS, D, ts, Pj;
        const char *Trj, *Kp;
        int chart;
        const char* polynomial;
        bool trj_note;
    } cases[] = {
        {3, 60, 0.5f, 150, " = 0.121 in.", " = 23.000", 2, "-8.518", false},
        {2, 120, 0.75f, 150, " = 0.176 in.", " = 6.600", 1, "2.549", false},
        {3, 40, 0.3125f, 150, " = 0.062 in.", " = 47.081", 0, "", false},  // within 15 % of the chart
        {3, 80, 0.5f, 400, " = 0.320 in.", " = 25.000", 2, "-92.277", true},
    };
    JacketItem base = test::half_pipe_item();
    base.set({{el::ca, 0}, {el::Tj, 0.216f}, {el::caj, 0}, {el::code, 2}});
    for (const auto& c : cases) {
        const ItemRun r =
            test::run(JacketItem(base).set({{el::D, c.D}, {el::ts, c.ts}, {el::NPS, c.NPS}, {el::Pj, c.Pj}}));
        const int trj = r.find("Req. Thk. of Shell to Withstand Jacket Pressure (Includes CA) [Trj]:");
        const int kp = r.find("Half-Pipe Jacket Rating Factor [Kp]:");
        ASSERT_TRUE(trj >= 0 && kp >= 0) << c.Kp;
        EXPECT_EQ(r.lines[static_cast<std::size_t>(trj + 1)], c.Trj) << c.Kp;
        EXPECT_EQ(r.lines[static_cast<std::size_t>(trj + 2)] == trj_note, c.trj_note) << c.Kp;
        EXPECT_EQ(r.lines[static_cast<std::size_t>(kp + 1)], c.Kp) << c.Kp;
        EXPECT_EQ(
            r.lines[static_cast<std::size_t>(kp + 2)],
            c.chart ? "   FIG. EE - " + std::to_string(c.chart) + " value used: the Kp polynomial gives " + c.polynomial
                    : "");
    }
}

TEST(JacketValidation, ChecksInOrder)
{
    // codes: of the messages; NPS: after the validation
    const struct {
        const char* what;
        std::vector<std::pair<int, float>> changes;
        std::vector<int> codes;
        float NPS;
    } cases[] = {
        {"valid", {}, {}, 2},
        {"NPS 2.5 under VIII-2", {{el::NPS, 2.5f}, {el::code, 2}}, {9}, 2.5f},
        {"NPS 2.75", {{el::NPS, 2.75f}}, {3}, 2.75f},
        {"NPS 2 with noise", {{el::NPS, 2.0000002f}}, {}, 2},
        {"NPS 0", {{el::NPS, 0}}, {4, 7}, 0},
        {"radius 1.0", {{el::r, 1}, {el::Tj, 0.2f}, {el::NPS, 0}}, {}, 2.5f},
        {"radius 1.0 under VIII-2", {{el::r, 1}, {el::Tj, 0.2f}, {el::NPS, 0}, {el::code, 2}}, {8, 9}, 2.5f},
        {"radius 0.005 under VIII-2", {{el::r, 0.005f}, {el::code, 2}}, {8}, 2},
        {"ca + co equal to ts", {{el::co, 0.25f}}, {1}, 2},
        {"shell as thick as half the diameter", {{el::D, 0.75f}}, {2, 6}, 2},
        {"caj equal to Tj", {{el::caj, 0.25f}}, {5}, 2},
        {"jacket wall filling the pipe", {{el::Tj, 1.1875f}}, {4}, 2},
        {"large formed jacket", {{el::r, 3}, {el::NPS, 0}}, {}, 4},
        {"three faults", {{el::co, 0.25f}, {el::NPS, 2.75f}, {el::caj, 0.25f}}, {1, 3, 5}, 2.75f},
        {"coil of NPS 3.5 under PD 5500", {{el::NPS, 3.5f}, {el::code, 3}}, {}, 3.5f},
        {"NPS 6: the pipe data end at 4", {{el::NPS, 6}}, {3}, 6},
        {"NPS 1.5 coil", {{el::NPS, 1.5f}, {el::code, 4}}, {3}, 1.5f},
        {"NPS 4.5 with a radius", {{el::NPS, 4.5f}, {el::r, 1}, {el::Tj, 0.2f}}, {}, 2.5f},
        {"negative ca", {{el::ca, -0.2f}}, {10}, 2},
        {"negative co and caj", {{el::co, -1e-30f}, {el::caj, -0.1f}}, {10}, 2},
        {"NaN caj", {{el::caj, kNaN}}, {10}, 2},
        {"E of 85 %", {{el::E, 85}}, {11}, 2},
        {"E of 0 for a coil", {{el::E, 0}, {el::code, 3}}, {}, 2},
        {"S of 0", {{el::S, 0}}, {12}, 2},
        {"negative Sj", {{el::Sj, -1}}, {12}, 2},
        {"all three", {{el::ca, -1}, {el::E, 2}, {el::S, kNaN}}, {10, 11, 12}, 2},
    };
    for (const auto& c : cases) {
        auto st = test::state_of(test::half_pipe_item().set(c.changes));
        InputFindings found;
        const JacketDesign d = jacket_design(st->jacket);
        EXPECT_EQ(validate_jacket_input(st->report, st->jacket, d, found), static_cast<int>(c.codes.size())) << c.what;
        EXPECT_EQ(std::vector<int>(found.codes.begin(), found.codes.begin() + found.count), c.codes) << c.what;
        EXPECT_FLOAT_EQ(d.NPS, c.NPS) << c.what;
    }
    // A faulty item is not calculated: elements 196 to 198 stay as the host
    // left them, and the context counts what the host is not told.
    const ItemRun r = test::run(test::half_pipe_item().set(
        {{el::Tj, 0.05f}, {el::caj, 0.125f}, {196, 11}, {197, 12}, {198, 13}}));  // Tj below caj
    EXPECT_EQ(std::vector<float>(r.reals.begin() + 195, r.reals.begin() + 198), (std::vector<float>{11, 12, 13}));
    EXPECT_EQ(r.input_errors, 1);
    EXPECT_EQ(r.find("Shell Thickness Calculations:"), -1);
}

// Elements 196 to 198: the fillet weld, the permissible jacket pressure and
// the governing shell thickness, Tr or Trj.
TEST(JacketDriver, ResultsIntoTheHostArray)
{
    JacketItem jacket = test::half_pipe_item();
    const ItemRun j = test::run(jacket);
    EXPECT_NEAR(j.reals[195], 0.40400f, 5e-6f);
    EXPECT_NEAR(j.reals[196], 617.0343f, 1e-3f);
    EXPECT_NEAR(j.reals[197], 0.24599f, 5e-6f);                           // Tr
    EXPECT_EQ(test::run(jacket.set({{el::Pj, 300}})).reals[197], 0.25f);  // Trj
}

// The echo of a material with leading blanks. (The lines of the verified
// reports: the goldens; of other items: the report digest.)
TEST(JacketReport, MaterialWithLeadingBlanks)
{
    JacketItem named = test::half_pipe_item();
    named.text(2, "   A-1");
    EXPECT_TRUE(test::run(named).has("Jacket Material Name                                     A-1"));
}

}  // namespace
