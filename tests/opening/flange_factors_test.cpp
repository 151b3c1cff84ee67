// The factor operations: K-ratio factors, hub factors, integral-flange
// factors F, V, f, the factors d and e, and their printed lines.
#include <gtest/gtest.h>

#include "opening/flange_factors.hpp"
#include "opening_test_support.hpp"

namespace tx14 {
namespace {

using test::captured_lines;
using test::use_us_units;

TEST(KRatioFactors, WorkedExampleKGivesTheTabulatedFactors)
{
    State st;
    use_us_units(st);
    KRatioFactors k = k_ratio_factors(st.report, 60, 30, 0.125f, false);
    EXPECT_FLOAT_EQ(k.K, 1.983471f);
    EXPECT_NEAR(k.T, 1.5128f, 5e-5f);
    EXPECT_NEAR(k.U, 3.2943f, 5e-5f);
    EXPECT_NEAR(k.Y, 2.9979f, 5e-5f);
    EXPECT_NEAR(k.Z, 1.6816f, 5e-5f);
    const std::vector<std::string> expected = {
        "Factors from Figure 2-7.1                     K =      1.983",
        "                    T =      1.513            U =      3.294",
        "                    Y =      2.998            Z =      1.682",
    };
    EXPECT_EQ(captured_lines(st), expected);
}

TEST(KRatioFactors, Viii2FlagChangesOnlyTheFirstWords)
{
    State st;
    use_us_units(st);
    k_ratio_factors(st.report, 60, 30, 0.125f, true);
    EXPECT_EQ(captured_lines(st)[0],
              "Factors from Table 4-16.4                     K =      1.983");
}

struct FlangeCase {
    float g1_g0, h_h0;
    float F, V, f, f_unclamped;
    float g1_g0_after, h_h0_after;  // after the lower limits
};

TEST(IntegralFlangeFactors, MatchTheClassicalSolution)
{
    const FlangeCase cases[] = {
        {2.0f, 0.5f, 0.8257f, 0.2273f, 1.2261f, 1.2261f, 2.0f, 0.5f},
        {1.5f, 1.0f, 0.7966f, 0.2539f, 1.0f, 0.0370f, 1.5f, 1.0f},  // f raised to 1
        // No taper: the straight-hub values whatever h/h0 is.
        {1.00005f, 0.3f, 0.90892f, 0.550103f, 1.0f, -1.0f, 1.00005f, 0.3f},
        // Ratios below their limits are raised in place (then no taper either).
        {0.8f, 0.01f, 0.90892f, 0.550103f, 1.0f, -1.0f, 1.0f, 0.015f},
    };
    for (const FlangeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "g1/g0 " << c.g1_g0 << ", h/h0 " << c.h_h0);
        State st;
        use_us_units(st);
        float g1_g0 = c.g1_g0;
        float h_h0 = c.h_h0;
        FlangeFactors ff = integral_flange_factors(st.report, st.opening_work.flange, 1, g1_g0, h_h0);
        EXPECT_NEAR(ff.F, c.F, 5e-5f);
        EXPECT_NEAR(ff.V, c.V, 5e-5f);
        EXPECT_NEAR(ff.f, c.f, 5e-5f);
        if (c.f_unclamped >= 0) {
            EXPECT_NEAR(ff.f_unclamped, c.f_unclamped, 5e-5f);
        }
        EXPECT_EQ(g1_g0, c.g1_g0_after);
        EXPECT_EQ(h_h0, c.h_h0_after);
    }
}

TEST(IntegralFlangeFactors, LinesAreWordedByTheAnalysisCode)
{
    struct Wording {
        int code;
        std::vector<std::string> lines;
    };
    const Wording wordings[] = {
        {1,
         {"Flange Factors for Integral Flange:", "Factor F per 2-7.2                                     0.826",
          "Factor V per 2-7.3                                     0.227",
          "Factor f per 2-7.6                                     1.226"}},
        {2,
         {"Flange Factors for Integral Flange:", "Factor F per Table 4.16.5                              0.826",
          "Factor V per Table 4.16.5                              0.227",
          "Factor f per Table 4.16.5                              1.226"}},
        {3,  // any code but 1 reads as the VIII-2 table
         {"Flange Factors for Integral Flange:", "Factor F per Table 4.16.5                              0.826",
          "Factor V per Table 4.16.5                              0.227",
          "Factor f per Table 4.16.5                              1.226"}},
    };
    for (const Wording& w : wordings) {
        State st;
        use_us_units(st);
        float g1_g0 = 2, h_h0 = 0.5f;
        integral_flange_factors(st.report, st.opening_work.flange, w.code, g1_g0, h_h0);
        EXPECT_EQ(captured_lines(st), w.lines) << "code " << w.code;
        EXPECT_EQ(test::record_styles(std::string_view(st.report.capture.records[0], 125)),
                  " 0 0 0 0 0 2");
    }
}

struct HubCase {
    const char* what;
    float g0, g1, h, D, ca;
    HubSide side;
    std::vector<std::string> lines;
};

TEST(HubFactors, TextsAndZeroCases)
{
    const HubCase cases[] = {
        {"shell hub of the worked example", 1, 1.5f, 3, 58.875f, 0.125f, HubSide::shell,
         {"", "Effective Hub Length,  h0s = sqrt(Bs*g0s)              7.193 in.",
          "Hub Ratio,           Hrats = h / h0s                   0.417",
          "Thickness Ratio,     Grats = (g1s/g0s)                 1.571", ""}},
        {"no nozzle hub", 0, 0, 0, 30, 0.125f, HubSide::opening,
         {"", "Effective Hub Length,  h0n = Defined as 0              0.000 in.",
          "Hub Ratio,           Hratn = Defined as 0              0.000",
          "Thickness Ratio,     Gratn = Defined as 0              0.000", ""}},
        {"nozzle hub without length", 1, 1.5f, 0, 30, 0.125f, HubSide::opening,
         {"", "Effective Hub Length,  h0n = sqrt(Bn*g0n)              5.145 in.",
          "Hub Ratio,           Hratn = Defined as 0              0.000",
          "Thickness Ratio,     Gratn = (g1n/g0n)                 1.571", ""}},
    };
    for (const HubCase& c : cases) {
        State st;
        use_us_units(st);
        hub_factors(st.report, st.units, c.g0, c.g1, c.h, c.D, c.ca, c.side);
        EXPECT_EQ(captured_lines(st), c.lines) << c.what;
    }
}

TEST(HubFactors, CorrodedBaseDiameterAndRatios)
{
    State st;
    use_us_units(st);
    HubFactors hub = hub_factors(st.report, st.units, 1, 1.5f, 3, 58.875f, 0.125f, HubSide::shell);
    EXPECT_FLOAT_EQ(hub.Dc, 59.125f);
    EXPECT_NEAR(hub.h0, 7.193f, 5e-4f);
    EXPECT_NEAR(hub.h_h0, 0.4171f, 5e-5f);
    EXPECT_FLOAT_EQ(hub.g1_g0, 1.375f / 0.875f);
}

TEST(DAndE, LargeDisplayedDSwitchesToExponentForm)
{
    struct Case {
        float U;
        const char* line;
    };
    // h0 = 1, g0 - ca = 1, V = 1, F = 0.5: d = U, e = 0.5.
    const Case cases[] = {
        {99999.0f, "                    d =  99999.000 in.\xB3       e =     0.5000 in.^-1"},
        {100000.0f, "                    d = .10000E+06 in.\xB3       e =     0.5000 in.^-1"},
    };
    for (const Case& c : cases) {
        State st;
        use_us_units(st);
        HubDE de = d_and_e(st.report, st.units, c.U, 1, 1.125f, 0.125f, 0.5f, 1);
        EXPECT_EQ(de.d, c.U);
        EXPECT_EQ(captured_lines(st), std::vector<std::string>{c.line});
    }
}

TEST(DAndE, DisplayUsesTheCubeOfTheThicknessFactor)
{
    State st;
    use_us_units(st);
    st.units.thickness.factor = 25.4f;
    d_and_e(st.report, st.units, 1, 1, 1.125f, 0.125f, 0.5f, 1);
    // d = 1 in.^3 shown with 25.4 cubed by repeated squaring; e = 0.5 / (1 * 25.4).
    EXPECT_EQ(captured_lines(st)[0],
              "                    d =  16387.062 in.\xB3       e =     0.0197 in.^-1");
}

TEST(StressFactors, ValuesAndLines)
{
    State st;
    use_us_units(st);
    // tc = 3, e = 0.25, d = 27, T = 1.75.
    StressFactors s = stress_factors(st.report, 3.125f, 1.75f, 0.25f, 27, 0.125f);
    EXPECT_FLOAT_EQ(s.ALPHA, 1.75f);
    EXPECT_FLOAT_EQ(s.BETA, 2.0f);
    EXPECT_FLOAT_EQ(s.GAMMA, 1.0f);
    EXPECT_FLOAT_EQ(s.DELTA, 1.0f);
    EXPECT_FLOAT_EQ(s.Lamda, 2.0f);
    const std::vector<std::string> expected = {
        "Stress Factors                            ALPHA =      1.750",
        "                 BETA =      2.000        GAMMA =      1.000",
        "                DELTA =      1.000        Lamda =      2.000",
    };
    EXPECT_EQ(captured_lines(st), expected);
}

TEST(FactorOperations, SilentWhileThePrintSwitchIsOff)
{
    State st;
    use_us_units(st);
    st.report.print = 0;
    float g1_g0 = 2, h_h0 = 0.5f;
    KRatioFactors k = k_ratio_factors(st.report, 60, 30, 0.125f, false);
    FlangeFactors ff = integral_flange_factors(st.report, st.opening_work.flange, 1, g1_g0, h_h0);
    HubFactors hub = hub_factors(st.report, st.units, 1, 1.5f, 3, 58.875f, 0.125f, HubSide::shell);
    EXPECT_EQ(st.report.capture.count, 0);
    EXPECT_FLOAT_EQ(k.K, 1.983471f);  // the arithmetic is the same
    EXPECT_NEAR(ff.F, 0.8257f, 5e-5f);
    EXPECT_NEAR(hub.h_h0, 0.4171f, 5e-5f);
}

}  // namespace
}  // namespace tx14
