// The shape of the jacket report where its lines are fixed: the echo, the
// chart line, the summary table; and what the driver hands back to the host.
#include <gtest/gtest.h>

#include "jacket/jacket_calc.hpp"
#include "jacket_test_support.hpp"

namespace tx14::testing {
namespace {

using Styles = std::array<int, 6>;
constexpr Styles kPlain{0, 0, 0, 0, 0, 0};

// The lines from `first` on, as many as `expected` holds.
void expect_lines_from(const ItemRun& r, int first, const std::vector<std::string>& expected)
{
    ASSERT_GE(first, 0);
    ASSERT_LE(first + static_cast<int>(expected.size()), static_cast<int>(r.lines.size()));
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(r.lines[static_cast<std::size_t>(first) + i].text, expected[i]) << "line " << i;
}

TEST(JacketEcho, FormedHalfPipeJacket)
{
    JacketItem item = half_pipe_item();
    item[17] = 1.0f;      // r: formed jacket
    item[11] = 0.2f;      // Tj
    item[13] = 350.5f;    // rounds away from zero
    item[18] = 12.3456f;  // ExtPCore
    ItemRun r = run(item);
    ASSERT_EQ(r.lines[1].text, "Half-Pipe Jacket Analysis Input Data :");
    EXPECT_EQ(r.lines[1].styles, (Styles{1, 0, 0, 0, 0, 1}));
    expect_lines_from(r, 3, {
        "Cylinder Inside Diameter                   D         48.0000  in.",
        "Cylinder Thickness                        ts          0.3750  in.",
        "Cylinder Internal Design Pressure          P          100.00  psi",
        "Design Temperature for Internal Pressure              300.00  \xB0""F",
        "Cylinder Material                                  SA-516 70",
        "Cylinder Allowable Stress, Design Temp     S        20000.00  psi",
        "Cylinder Allowable Stress, Ambient        Sa        20000.00  psi",
        "Cylinder Corrosion Allowance              ca          0.1250  in.",
        "Cylinder Outer Corrosion Allowance        co           0.000  in.",
        "Cylinder Joint Efficiency                  E            1.00",
        "",
        "Formed Inside Radius of Half-Pipe Jacket   r          1.0000  in.",
        "Jacket Minimum Thickness                  Tj          0.2000  in.",
        "Jacket Design Pressure                    Pj         100.000  psi",
        "Jacket Design Temperature                                351  \xB0""F",
        "Jacket Material Name                                SA-106 B",
        "Jacket Allowable Stress, Design Temp      Sj        15000.00  psi",
        "Jacket Allowable Stress, Ambient         Sja        15000.00  psi",
        "Jacket Corrosion Allowance               caj          0.0625  in.",
        "Core External Pressure              ExtPCore          12.346  psi",
        "",
        "Half-Pipe Jacket Results per ASME Appendix EE, 2015",
    });
}

TEST(JacketEcho, LimpetCoil)
{
    JacketItem item = limpet_coil_item();
    item[20] = 4;
    item[13] = -0.5f;
    item[21] = 123456.78f;
    ItemRun r = run(item);
    EXPECT_EQ(r.lines[1].text, "Limpet Coil Analysis Input Data :");
    expect_lines_from(r, 3, {
        "Cylinder Inside Diameter                             48.0000  in.",
        "Cylinder Thickness                         e          0.5000  in.",
        "Cylinder Internal Design Pressure          P           50.00  psi",
        "Design Temperature for Internal Pressure              200.00  \xB0""F",
        "Cylinder Material                                  SA-516 70",
        "Cylinder Allowable Stress, Design Temp     f        20000.00  psi",
        "Cylinder Corrosion Allowance              ca          0.1250  in.",
        "Cylinder Outer Corrosion Allowance        co           0.000  in.",
        "",
        "Nominal Pipe Size of Limpet Coil                      3.0000  in.",
        "Coil Minimum Thickness                    ec          0.2160  in.",
        "Coil Design Pressure                      pc         100.000  psi",
        "Coil Design Temperature                                   -1  \xB0""F",
        "Coil Material Name                                  SA-106 B",
        "Coil Design Stress, Design Temperature    fc        15000.00  psi",
        "Coil Corrosion Allowance                 caj          0.0625  in.",
        "Span of the Coils                          L       123456.78  ft.",
    });
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

JacketSummary summary_values()
{
    return {.Tr = 0.24599f, .ts = 0.375f, .Trj = 0.25f, .Pj = 300, .T = 0.15177f,
            .Tj = 0.19075f, .Fillet = 0.30825f, .Pprime_Trj = 301.48f, .Pprime_ts = 617.03f,
            .Tj_input = 0.05f};
}

std::vector<std::string> summary_lines(const JacketSummary& v)
{
    auto st = capture_state();
    JACKETSUMMARY(*st, v);
    std::vector<std::string> out;
    for (const Line& l : captured(*st))
        out.push_back(l.text);
    EXPECT_EQ(captured(*st)[0].styles, (Styles{1, 1, 0, 0, 0, 1}));
    return out;
}

TEST(JacketSummaryTable, WithAcceptedThickness)
{
    EXPECT_EQ(summary_lines(summary_values()), (std::vector<std::string>{
        "Summary of Results:",
        "",
        "Input Thickness of Shell                           0.3750  in.",
        "Req.d Thickness of Shell due to Internal P.        0.2460  in.",
        "Req.d Thickness of Shell due to Jacket P.          0.2500  in.",
        "",
        "Pressure Used for Jacket Design                  300.0000  psi",
        "M.A.W.P. of Jacket for Input Thickness           617.0300  psi",
        "M.A.W.P. of Jacket for Required Thickness        301.4800  psi",
        "",
        "Input Thickness of Half-Pipe Jacket                0.0500  in.",
        "Required Thickness of Half-Pipe Jacket             0.1518  in.",
        "Accepted Thickness of Half-Pipe Jacket             0.1908  in.",
        "",
        "Minimum Acceptable Fillet Weld Size                0.3083  in.",
    }));
}

TEST(JacketSummaryTable, WithoutAcceptedThicknessAndWithOverflow)
{
    JacketSummary v = summary_values();
    v.Tj_input = 0.25f;  // adequate as input
    v.Tj = 0.25f;
    v.Pj = 100000;       // does not fit F10.4
    v.Pprime_ts = 99999.9f;
    std::vector<std::string> lines = summary_lines(v);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[6], "Pressure Used for Jacket Design                **********  psi");
    EXPECT_EQ(lines[7], "M.A.W.P. of Jacket for Input Thickness         99999.8984  psi");
    EXPECT_EQ(lines[10], "Input Thickness of Half-Pipe Jacket                0.2500  in.");
    EXPECT_EQ(lines[11], "Required Thickness of Half-Pipe Jacket             0.1518  in.");
    EXPECT_EQ(lines[12], "");
    EXPECT_EQ(lines[13], "Minimum Acceptable Fillet Weld Size                0.3083  in.");
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
