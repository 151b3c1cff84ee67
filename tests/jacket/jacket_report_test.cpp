// The shape of the jacket report where its lines are fixed: the echo, the
// chart line, the summary table; and what the driver hands back to the host.
#include <gtest/gtest.h>

#include "jacket/jacket_calc.hpp"
#include "jacket_test_support.hpp"

namespace tx14::testing {
namespace {

using Styles = std::array<int, 6>;
constexpr Styles kPlain{0, 0, 0, 0, 0, 0};

// The echo lines the verified reports do not show (they show the others).
TEST(JacketEcho, RadiusRoundingAndWideValues)
{
    JacketItem item = half_pipe_item();
    item[17] = 1.0f;      // r: a formed jacket
    item[11] = 0.2f;
    item[13] = 350.5f;    // rounds away from zero
    item[18] = 12.3456f;  // ExtPCore
    item.text(2, "   A-1");
    ItemRun j = run(item);
    for (const char* line : {
             "Formed Inside Radius of Half-Pipe Jacket   r          1.0000  in.",
             "Jacket Design Temperature                                351  \xB0""F",
             "Jacket Material Name                                     A-1",
             "Core External Pressure              ExtPCore          12.346  psi",
         })
        EXPECT_GE(find_line(j, line), 0) << line;

    JacketItem coil = limpet_coil_item();
    coil[13] = -0.5f;
    coil[17] = 2.0f;
    coil[21] = 123456.78f;
    ItemRun c = run(coil);
    for (const char* line : {
             "Formed Inside Radius of Limpet Coil        r          2.0000  in.",
             "Coil Design Temperature                                   -1  \xB0""F",
             "Span of the Coils                          L       123456.78  in.",
         })
        EXPECT_GE(find_line(c, line), 0) << line;
}

struct ChartLineCase {
    float NPS, r, Tj;
    const char* line;
    const char* K;
};

TEST(JacketReport, ChartLineNamesTheChartsOfTheInputThickness)
{
    const ChartLineCase cases[] = {
        {2, 0, 0.25f, " FIG. EE - 1", " = 40.800"},
        {2.5f, 0, 0.25f, " FIG. EE - 1 and EE - 2", " = 53.600"},  // (40.8 + 66.4) / 2
        {3, 0, 0.25f, " FIG. EE - 2", " = 66.400"},
        {3.5f, 0, 0.25f, " FIG. EE - 2 and EE - 3", nullptr},
        {4, 0, 0.25f, " FIG. EE - 3", nullptr},
        {0, 0.9375f, 0.25f, " FIG. EE - 1", nullptr},  // Dj 2.375: bounds inclusive
        {0, 1.5f, 0.25f, " FIG. EE - 1 and EE - 2", nullptr},  // Dj 3.5
        {0, 1.75f, 0.25f, " FIG. EE - 2 and EE - 3", nullptr},  // Dj 4
        {0, 2.5f, 0.25f, " FIG. EE - 3", nullptr},
    };
    for (const ChartLineCase& c : cases) {
        JacketItem item = half_pipe_item();
        item[10] = c.NPS;
        item[17] = c.r;
        item[11] = c.Tj;
        ItemRun r = run(item);
        int at = find_line(r, "Chart Used to Find the K-Factor:");
        ASSERT_GE(at, 0) << c.line;
        EXPECT_EQ(r.lines[static_cast<std::size_t>(at) + 1].text, c.line);
        EXPECT_EQ(r.lines[static_cast<std::size_t>(at) + 1].styles, kPlain);
        if (c.K) {
            EXPECT_EQ(r.lines[static_cast<std::size_t>(at) + 4].text, c.K) << c.line;
        }
    }
}

// The verified reports show the table with and without the accepted
// thickness; here the edges of its value field.
TEST(JacketSummaryTable, OverflowAndTheAcceptedThicknessCondition)
{
    auto st = capture_state();
    JACKETSUMMARY(*st, {.Tr = 0.24599f, .ts = 0.375f, .Trj = 0.25f, .Pj = 100000,
                        .T = 0.15177f, .Tj = 0.25f, .Fillet = 0.30825f, .Pprime_Trj = -1234.5f,
                        .Pprime_ts = 99999.9f, .Tj_input = 0.15177f});
    std::vector<Line> lines = captured(*st);
    ASSERT_EQ(lines.size(), 14u);  // input equal to the requirement: nothing accepted
    EXPECT_EQ(lines[0].styles, (Styles{1, 1, 0, 0, 0, 1}));
    EXPECT_EQ(lines[6].text, "Pressure Used for Jacket Design                **********  psi");
    EXPECT_EQ(lines[7].text, "M.A.W.P. of Jacket for Input Thickness         99999.8984  psi");
    EXPECT_EQ(lines[8].text, "M.A.W.P. of Jacket for Required Thickness      -1234.5000  psi");
    EXPECT_EQ(lines[12].text, "");
    EXPECT_EQ(lines[13].text, "Minimum Acceptable Fillet Weld Size                0.3083  in.");
}

TEST(JacketDriver, ResultsIntoTheHostArray)
{
    JacketItem jacket = half_pipe_item();
    jacket[196] = 99;
    ItemRun j = run(jacket);
    EXPECT_NEAR(j.reals[197], 0.24599f, 5e-6f);  // Tr governs
    EXPECT_NEAR(j.reals[196], 617.0343f, 1e-3f);
    EXPECT_NEAR(j.reals[195], 0.25f * 1.414f / 0.875f, 1e-6f);

    jacket[12] = 300;
    EXPECT_EQ(run(jacket).reals[197], 0.25f);  // Trj governs

    JacketItem coil = limpet_coil_item();
    coil[196] = 99;
    ItemRun c = run(coil);
    EXPECT_NEAR(c.reals[197], 0.27299f, 5e-5f);
    EXPECT_NEAR(c.reals[196], 642.09f, 0.01f);
    EXPECT_EQ(c.reals[195], 0.0f);  // a coil sizes no fillet weld
}

TEST(JacketDriver, MissingValuesBecomeZero)
{
    JacketItem item = half_pipe_item();
    item[19] = -1.0101f;   // co
    item[150] = -1.0101f;  // outside the item, still replaced
    item[151] = -1.01f;    // not the mark
    ItemRun r = run(item);
    EXPECT_EQ(r.reals[18], 0.0f);
    EXPECT_EQ(r.reals[149], 0.0f);
    EXPECT_EQ(r.reals[150], -1.01f);
}

TEST(JacketDriver, CorePressureAddsToTheJacketOnly)
{
    JacketItem jacket = half_pipe_item();
    jacket[18] = 5;
    ItemRun j = run(jacket);
    EXPECT_GE(find_line(j, "Jacket Design Pressure                    Pj         100.000  psi"), 0);
    EXPECT_GE(find_line(j, "Pressure Used for Jacket Design                  105.0000  psi"), 0);

    JacketItem coil = limpet_coil_item();
    coil[18] = 5;
    coil[20] = 4;
    ItemRun c = run(coil);
    EXPECT_GE(find_line(c, " = 100.0 * 3.41/( 2 * 15000.0 * 1.0 - 100.0) + 0.062"), 0);
}

TEST(JacketReport, UnsatisfiableJacketPressureEndsTheSearchWithAWarning)
{
    JacketItem item = half_pipe_item();
    item[12] = 50000;  // Pj
    ItemRun r = run(item);
    int at = find_line(r, "Req. Thk. of Shell to Withstand Jacket Pressure (Includes CA) [Trj]:");
    ASSERT_GE(at, 0);
    const std::vector<std::pair<std::string, Styles>> expected = {
        {" = 64.000 in.", {0, 0, 0, 0, 1, 0}},
        {"", kPlain},
        {"*** WARNING ***", {0, 0, 0, 0, 1, 0}},
        {"The Input Thickness is < the Req'd Thickness for Jacket Pressure!", {0, 0, 0, 0, 1, 0}},
        {"", kPlain},
        {"*** WARNING ***", {0, 0, 0, 0, 1, 0}},
        {"No Shell Thickness Withstands the Jacket Pressure - Revise the Design!",
         {0, 0, 0, 0, 1, 0}},
        {"", kPlain},
        {"Pressure Calculations for Input Shell Thickness:", {1, 0, 0, 0, 0, 1}},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(r.lines[static_cast<std::size_t>(at) + 1 + i].text, expected[i].first);
        EXPECT_EQ(r.lines[static_cast<std::size_t>(at) + 1 + i].styles, expected[i].second);
    }
    EXPECT_EQ(r.reals[197], 64.0f);
    EXPECT_EQ(r.lines.back().text, "TXAppendix14 Calculation Library, Copyright \xA9 2026");
}

}  // namespace
}  // namespace tx14::testing
