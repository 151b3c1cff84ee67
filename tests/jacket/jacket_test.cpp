// Half-pipe jackets and limpet coils: the chart factors, JACKETCALC's
// shell thicknesses, Trj search, pipe schedule search, fillet weld and coil
// pressures; the validation; and the report lines the verified reports do
// not show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "entry/state.hpp"
#include "jacket/charts.hpp"
#include "jacket/jacket_calc.hpp"
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

// Values read off the printed charts (corners, interior cells) and the
// interpolations and limits between them.
TEST(EEKFACTOR, ReadsAndInterpolatesTheCharts)
{
    const struct {
        float chart, D, t, K;
    } cases[] = {
        {1, 30, 0.1875f, 53},
        {1, 170, 0.1875f, 90},
        {1, 30, 2, 1},
        {1, 170, 2, 1},
        {1, 90, 0.375f, 23.75f},
        {1, 60, 0.75f, 6.05f},
        {2, 30, 0.1875f, 85},
        {2, 170, 0.1875f, 180},
        {2, 100, 0.75f, 13.5f},
        {2, 80, 0.25f, 80.2f},
        {2, 170, 2, 2},
        {2, 40, 2, 1.75f},
        {3, 30, 0.1875f, 130},
        {3, 170, 2, 3.2f},
        {3, 80, 0.25f, 120},
        {3, 170, 0.5f, 42.5f},
        {3, 160, 0.5f, 42.35f},
        {3, 120, 2, 3.17f},
        // Halfway between two diameters and between two thicknesses.
        {2, 35, 0.5f, 19},
        {1, 100, 0.3125f, 37},
        // Limited to the chart on every side; NaN without leaving the tables.
        {1, 24, 0.1f, 53},
        {1, 500, 5, 1},
        {3, -10, 3, 2.5f},
        {1, kInf, 0.1875f, 90},
        {1, -kInf, -kInf, 53},
        {1, kNaN, 0.5f, kNaN},
        {2, 48, kNaN, kNaN},
        {3, kNaN, kNaN, kNaN},
        // No such chart.
        {0, 48, 0.5f, 0},
        {4, 48, 0.5f, 0},
        {1.5f, 48, 0.5f, 0},
        {kNaN, 48, 0.5f, 0},
    };
    for (const auto& c : cases) {
        const float K = EEKFACTOR(c.chart, c.D, c.t);
        EXPECT_TRUE(std::isnan(c.K) ? std::isnan(K) : std::fabs(K - c.K) <= 1e-5f * c.K)
            << "chart " << c.chart << " D " << c.D << " t " << c.t << ": " << K;
    }
}

// Kp's limits and interpolation: the charts' test and the chart fallback
// table; here a NaN coming out as a NaN.
TEST(KPFACTOR, NotANumberGivesNotANumber)
{
    EXPECT_TRUE(std::isnan(KPFACTOR(48, kNaN, 2)));
    EXPECT_TRUE(std::isnan(KPFACTOR(kNaN, 0.5f, 3)));
}

// JACKETCALC in capture mode on the adequate NPS 2 half-pipe jacket of item
// 7 (P = 100 on a 48-inch shell of S = 20000, ca = 0.125, ts = 0.375; Tj =
// 0.25 carrying Pj = 100 at Sj = 15000 with caj = 0.0625), with the code
// selector and the changes given.
struct Calc {
    std::unique_ptr<State> st;
    JacketResults out;
    std::vector<std::string> lines;

    template <class Change>
    Calc(std::int32_t code, Change change)
        : st(test::state_of(test::half_pipe_item().set({{20, static_cast<float>(code)}})))
    {
        change(st->jacket);
        JACKETCALC(st->report, st->units, st->jacket, jacket_design(st->jacket), out);
        lines = test::captured(st->report);
    }
    bool has(std::string_view text) const { return std::find(lines.begin(), lines.end(), text) != lines.end(); }
};

// With nothing to carry the search stops at its first candidate: the
// smallest multiple of 1/256 above ca + co.
TEST(TrjSearch, FirstCandidateIsTheNextStepAboveTheAllowances)
{
    const struct {
        float ca, co, Trj;
    } cases[] = {
        {0.125f, 0, 33.0f / 256}, {0, 0, 1.0f / 256},      {0.0625f, 0.0625f, 33.0f / 256},
        {0.1f, 0, 26.0f / 256},   {0, 0.5f, 129.0f / 256},
    };
    for (std::int32_t code : {1, 2})
        for (const auto& c : cases)
            EXPECT_EQ(Calc(code, [&](JacketInput& in) { in.P = 0, in.Pj = 1, in.ca = c.ca, in.co = c.co; }).out.Trj,
                      c.Trj)
                << "code " << code << " ca " << c.ca << " co " << c.co;
}

TEST(TrjSearch, UnsatisfiableJacketPressureEndsTheSearchWithAWarning)
{
    JacketItem item = test::half_pipe_item();
    item[12] = 50000;  // Pj
    const ItemRun r = test::run(item);
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
    const struct {
        float NPS, D, ts, Pj;
        const char* Trj;
        bool trj_note;
        const char* Kp;
        const char* note;
        float Pprime_ts;
    } cases[] = {
        {3, 60, 0.5f, 150, " = 0.121 in.", false, " = 23.000",
         "   FIG. EE - 2 value used: the Kp polynomial gives -8.518", 1173.9f},
        {3, 40, 2, 150, " = 0.062 in.", false, " = 1.750", "   FIG. EE - 2 value used: the Kp polynomial gives -4.161",
         16857.1f},
        {3, 100, 0.375f, 150, " = 0.219 in.", false, " = 45.000",
         "   FIG. EE - 2 value used: the Kp polynomial gives 119.500", 518.5f},
        {2, 120, 0.75f, 150, " = 0.176 in.", false, " = 6.600",
         "   FIG. EE - 1 value used: the Kp polynomial gives 2.549", 3939.4f},
        {3, 40, 0.3125f, 150, " = 0.062 in.", false, " = 47.081", "", 569.2f},  // within 15 % of the chart
        {3, 80, 0.5f, 400, " = 0.320 in.", true, " = 25.000",
         "   FIG. EE - 2 value used: the Kp polynomial gives -92.277", 1040},
    };
    for (const auto& c : cases) {
        JacketItem item = test::half_pipe_item();
        item.set({{2, c.D}, {3, c.ts}, {8, 0}, {10, c.NPS}, {11, 0.216f}, {12, c.Pj}, {16, 0}, {20, 2}});
        const ItemRun r = test::run(item);
        const auto after = [&](const char* caption, int n) {
            return r.lines.at(static_cast<std::size_t>(r.find(caption) + n));
        };
        EXPECT_EQ(after("Req. Thk. of Shell to Withstand Jacket Pressure (Includes CA) [Trj]:", 1), c.Trj) << c.note;
        EXPECT_EQ(after("Req. Thk. of Shell to Withstand Jacket Pressure (Includes CA) [Trj]:", 2) == trj_note,
                  c.trj_note)
            << c.note;
        EXPECT_EQ(after("Half-Pipe Jacket Rating Factor [Kp]:", 1), c.Kp) << c.note;
        EXPECT_EQ(after("Half-Pipe Jacket Rating Factor [Kp]:", 2), c.note);
        EXPECT_NEAR(r.reals[196], c.Pprime_ts, 0.05f) << c.note;
    }
}

TEST(PipeSchedule, AcceptsTheFirstAdequateWall)
{
    const struct {
        const char* what;
        float NPS, Tj, Pj;
        const char *schedule, *accepted;
    } cases[] = {
        {"NPS 2: 5S to 40S too thin", 2, 0.05f, 300, "80", "0.1908"},
        {"80XS too thin, 100 next", 4, 0.1f, 1200, "100", "0.3832"},
        {"nothing adequate", 4, 0.1f, 6000, "XXS", "0.5898"},
        {"walls below caj fail, missing ones too", 3, 0.05f, 50, "40", "0.1890"},
        {"NPS 3.5 skips its missing 160", 3.5f, 0.1f, 1500, "XXS", "0.5565"},
    };
    for (const auto& s : cases) {
        Calc c(1, [&](JacketInput& in) { in.NPS = s.NPS, in.Tj = s.Tj, in.Pj = s.Pj, in.caj = 0.125f; });
        EXPECT_TRUE(c.has(std::string(" Pipe Schedule = ") + s.schedule)) << s.what;
        const std::string accepted = "Accepted Thickness of Half-Pipe Jacket";
        const auto line =
            std::find_if(c.lines.begin(), c.lines.end(), [&](const std::string& l) { return l.starts_with(accepted); });
        ASSERT_NE(line, c.lines.end()) << s.what;
        EXPECT_TRUE(line->ends_with(std::string(s.accepted) + "  in.")) << *line;
    }
}

// (A standard pipe on a thicker shell: the verified reports.)
TEST(FilletWeld, ShellOrJacketBased)
{
    const struct {
        const char* what;
        float ts, r, Fillet;
        const char* symbolic;
    } cases[] = {
        // Tj = 0.25, ca = 0
        {"shell not thicker than jacket", 0.25f, 0, 0.25f * 1.414f, " = Ts * 1.414"},
        {"formed jacket", 0.375f, 1.0f, 0.25f * 1.414f, " = Tj * 1.414"},
        {"radius too small to count", 0.375f, 0.005f, 0.25f * 1.414f / 0.875f, " = Tj / .875 * 1.414"},
    };
    for (const auto& f : cases) {
        Calc c(1, [&](JacketInput& in) { in.ts = f.ts, in.ca = 0, in.r = f.r; });
        EXPECT_FLOAT_EQ(c.out.Fillet, f.Fillet) << f.what;
        EXPECT_TRUE(c.has(f.symbolic)) << f.what;
    }
}

// A formed NPS 3 coil (ec = 0.216, caj = 0.0625, pc = 100, fc = 15000, f =
// 20000, e = 0.5, ca = 0.125, ExtCA = 0): ri = r as given, EN 13445's Di
// still adds caj; pMaxC2 governs. The coils without a radius are the
// verified reports.
TEST(LimpetCoil, FormedCoilThicknessesAndPressures)
{
    const struct {
        std::int32_t code;
        float cylinder, pMaxC1;
    } cases[] = {
        {3, 2 * 1.716f * 0.0408248f + 0.125f, 1006.34f},
        {4, 2 * 1.608f * 0.0408248f + 0.125f, 1404.61f},
    };
    for (const auto& k : cases) {
        Calc c(k.code, [&](JacketInput& in) { in.ts = 0.5f, in.NPS = 3, in.r = 1.5f, in.Tj = 0.216f; });
        EXPECT_NEAR(c.out.Tr, k.cylinder, 5e-5f) << k.code;
        EXPECT_NEAR(c.out.pMaxC1, k.pMaxC1, 0.01f) << k.code;
        EXPECT_LT(c.out.Pprime_ts, k.pMaxC1) << k.code;
        EXPECT_EQ(c.out.Trj + c.out.Fillet, 0.0f);
    }
    // The cylinder-side pressure squares the ratio: rc = 2.5, l = 5.
    EXPECT_TRUE(
        Calc(3, [](JacketInput& in) { in.ts = 0.5f, in.ca = 0, in.r = 2.3f, in.Tj = 0.2f; }).has(" = 600.000 psi"));
}

TEST(JacketValidation, ChecksInOrder)
{
    // codes: of the messages; NPS: after the validation
    const struct {
        const char* what;
        void (*change)(JacketInput&);
        std::vector<int> codes;
        float NPS;
    } cases[] = {
        {"valid", [](JacketInput&) {}, {}, 2},
        {"NPS 2.5 under App. EE", [](JacketInput& in) { in.NPS = 2.5f; }, {}, 2.5f},
        {"NPS 2.5 under VIII-2",
         [](JacketInput& in) {
             in.NPS = 2.5f;
             in.code = 2;
         },
         {9},
         2.5f},
        {"NPS 2.75", [](JacketInput& in) { in.NPS = 2.75f; }, {3}, 2.75f},
        {"NPS 2 with noise", [](JacketInput& in) { in.NPS = 2.0000002f; }, {}, 2},
        {"NPS 0", [](JacketInput& in) { in.NPS = 0; }, {4, 7}, 0},
        {"radius 1.0",
         [](JacketInput& in) {
             in.r = 1.0f;
             in.Tj = 0.2f;
             in.NPS = 0;
         },
         {},
         2.5f},
        {"radius 1.0 under VIII-2",
         [](JacketInput& in) {
             in.r = 1.0f;
             in.Tj = 0.2f;
             in.NPS = 0;
             in.code = 2;
         },
         {8, 9},
         2.5f},
        {"radius 0.005 under VIII-2",
         [](JacketInput& in) {
             in.r = 0.005f;
             in.code = 2;
         },
         {8},
         2},
        {"ca + co equal to ts", [](JacketInput& in) { in.co = 0.25f; }, {1}, 2},
        {"shell as thick as half the diameter", [](JacketInput& in) { in.D = 0.75f; }, {2, 6}, 2},
        {"caj equal to Tj", [](JacketInput& in) { in.caj = 0.25f; }, {5}, 2},
        {"jacket wall filling the pipe", [](JacketInput& in) { in.Tj = 1.1875f; }, {4}, 2},
        {"large formed jacket",
         [](JacketInput& in) {
             in.r = 3.0f;
             in.NPS = 0;
         },
         {},
         4},
        {"three faults",
         [](JacketInput& in) {
             in.co = 0.25f;
             in.NPS = 2.75f;
             in.caj = 0.25f;
         },
         {1, 3, 5},
         2.75f},
        {"coil of NPS 3.5 under PD 5500",
         [](JacketInput& in) {
             in.NPS = 3.5f;
             in.code = 3;
         },
         {},
         3.5f},
        // The pipe data end at NPS 4: another size needs its radius.
        {"NPS 6", [](JacketInput& in) { in.NPS = 6; }, {3}, 6},
        {"NPS 1.5 coil",
         [](JacketInput& in) {
             in.NPS = 1.5f;
             in.code = 4;
         },
         {3},
         1.5f},
        {"NPS 6 under VIII-2",
         [](JacketInput& in) {
             in.NPS = 6;
             in.code = 2;
         },
         {9},
         6},
        {"NPS 13.25", [](JacketInput& in) { in.NPS = 13.25f; }, {3}, 13.25f},
        {"NPS 4.5 with a radius",
         [](JacketInput& in) {
             in.NPS = 4.5f;
             in.r = 1.0f;
             in.Tj = 0.2f;
         },
         {},
         2.5f},
        // Allowances, efficiency and allowables an item cannot have.
        {"negative ca", [](JacketInput& in) { in.ca = -0.2f; }, {10}, 2},
        {"negative co and caj",
         [](JacketInput& in) {
             in.co = -1e-30f;
             in.caj = -0.1f;
         },
         {10},
         2},
        {"NaN caj", [](JacketInput& in) { in.caj = NAN; }, {10}, 2},
        {"E of 85 %", [](JacketInput& in) { in.E = 85; }, {11}, 2},
        {"E of 0 under VIII-2",
         [](JacketInput& in) {
             in.E = 0;
             in.code = 2;
         },
         {11},
         2},
        {"E of 0 for a coil",
         [](JacketInput& in) {
             in.E = 0;
             in.code = 3;
         },
         {},
         2},
        {"S of 0", [](JacketInput& in) { in.S = 0; }, {12}, 2},
        {"negative Sj", [](JacketInput& in) { in.Sj = -1; }, {12}, 2},
        {"all three",
         [](JacketInput& in) {
             in.ca = -1;
             in.E = 2;
             in.S = NAN;
         },
         {10, 11, 12},
         2},
    };
    for (const auto& c : cases) {
        auto st = test::state_of(test::half_pipe_item());
        c.change(st->jacket);
        InputFindings found;
        const JacketDesign d = jacket_design(st->jacket);
        const std::int32_t errors = validate_jacket_input(st->report, st->jacket, d, found);
        EXPECT_EQ(errors, static_cast<int>(c.codes.size())) << c.what;
        EXPECT_EQ(std::vector<int>(found.codes.begin(), found.codes.begin() + found.count), c.codes) << c.what;
        EXPECT_FLOAT_EQ(d.NPS, c.NPS) << c.what;
        // Two blank lines, heading, a blank line and a line for every
        // message and for the total.
        const std::size_t lines = c.codes.empty() ? 0 : 3 + 2 * (c.codes.size() + 1);
        EXPECT_EQ(test::captured(st->report).size(), lines) << c.what;
    }
}

TEST(JacketValidation, FaultyItemIsNotCalculated)
{
    JacketItem item = test::half_pipe_item();
    item.set({{11, 0.05f}, {16, 0.125f}, {196, 11}, {197, 12}, {198, 13}});  // Tj below caj
    const ItemRun r = test::run(item);
    EXPECT_EQ(std::vector<float>(r.reals.begin() + 195, r.reals.begin() + 198), (std::vector<float>{11, 12, 13}));
    EXPECT_EQ(r.input_errors, 1);  // the context counts what the host is not told
    EXPECT_EQ(r.find("Shell Thickness Calculations:"), -1);
}

// The echo lines the verified reports do not show: the formed radius and a
// material with leading blanks. (Temperatures and spans: the goldens pin
// their fields, the field tests their rounding and widths.)
TEST(JacketReport, EchoOfRadiusAndMaterial)
{
    JacketItem jacket = test::half_pipe_item();
    jacket.set({{17, 1.0f}, {11, 0.2f}}).text(2, "   A-1");  // r, Tj
    const ItemRun j = test::run(jacket);
    const ItemRun c = test::run(test::limpet_coil_item().set({{17, 2.0f}}));
    EXPECT_TRUE(j.has("Formed Inside Radius of Half-Pipe Jacket   r          1.0000  in."));
    EXPECT_TRUE(j.has("Jacket Material Name                                     A-1"));
    EXPECT_TRUE(c.has("Formed Inside Radius of Limpet Coil        r          2.0000  in."));
}

TEST(JacketReport, ChartLineNamesTheChartsOfTheInputThickness)
{
    const struct {
        float NPS, r;
        const char* line;
        const char* K;
    } cases[] = {
        {2.5f, 0, " FIG. EE - 1 and EE - 2", " = 53.600"},  // (40.8 + 66.4) / 2
        {3, 0, " FIG. EE - 2", " = 66.400"},
        {3.5f, 0, " FIG. EE - 2 and EE - 3", nullptr},
        {4, 0, " FIG. EE - 3", nullptr},
        {0, 0.9375f, " FIG. EE - 1", nullptr},           // Dj 2.375: bounds inclusive; NPS 2 is verified
        {0, 1.5f, " FIG. EE - 1 and EE - 2", nullptr},   // Dj 3.5
        {0, 1.75f, " FIG. EE - 2 and EE - 3", nullptr},  // Dj 4
        {0, 2.5f, " FIG. EE - 3", nullptr},
    };
    for (const auto& c : cases) {
        JacketItem item = test::half_pipe_item();
        item.set({{10, c.NPS}, {17, c.r}});
        const ItemRun r = test::run(item);
        const int at = r.find("Chart Used to Find the K-Factor:");
        ASSERT_GE(at, 0) << c.line;
        EXPECT_EQ(r.lines[static_cast<std::size_t>(at + 1)], c.line);
        EXPECT_EQ(r.styles(at + 1), kPlain);
        if (c.K) {
            EXPECT_EQ(r.lines[static_cast<std::size_t>(at + 4)], c.K) << c.line;
        }
    }
}

// Elements 196 to 198: the fillet weld, the permissible jacket pressure and
// the governing shell thickness (coils: see the program's results).
TEST(JacketDriver, ResultsIntoTheHostArray)
{
    JacketItem jacket = test::half_pipe_item();
    const ItemRun j = test::run(jacket);
    EXPECT_NEAR(j.reals[195], 0.40400f, 5e-6f);
    EXPECT_NEAR(j.reals[196], 617.0343f, 1e-3f);
    EXPECT_NEAR(j.reals[197], 0.24599f, 5e-6f);  // Tr for internal pressure governs; App. EE, R = 24.125
    EXPECT_NEAR(test::run(test::half_pipe_item().set({{20, 2}})).reals[197], 0.24593f, 5e-6f);  // VIII-2
    jacket[12] = 300;
    EXPECT_EQ(test::run(jacket).reals[197], 0.25f);  // Trj governs
    // The core's external pressure leaves the coil pressure alone.
    EXPECT_TRUE(
        test::run(test::en13445_item().set({{18, 5}})).has(" = 100.0 * 3.41/( 2 * 15000.0 * 1.0 - 100.0) + 0.062"));
}

}  // namespace
