// The factor operations: K-ratio factors, integral-flange factors F, V, f
// and the factors d and e with their printed line.
#include <gtest/gtest.h>

#include "opening/flange_factors.hpp"
#include "opening_test_support.hpp"

namespace tx14 {
namespace {

using test::captured_lines;


TEST(KRatioFactors, WorkedExampleKGivesTheTabulatedFactors)
{
    State st;
    test::load_item(st, test::OpeningItem{});
    KRatioFactors k = k_ratio_factors(st.report, 60, 30, 0.125f, false);
    EXPECT_FLOAT_EQ(k.K, 1.983471f);
    EXPECT_NEAR(k.T, 1.5128f, 5e-5f);
    EXPECT_NEAR(k.U, 3.2943f, 5e-5f);
    EXPECT_NEAR(k.Y, 2.9979f, 5e-5f);
    EXPECT_NEAR(k.Z, 1.6816f, 5e-5f);
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
        test::load_item(st, test::OpeningItem{});
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

TEST(DAndE, DisplayedValuesAndExponentFormForLargeD)
{
    struct Case {
        float U, thickness_factor;
        const char* line;
    };
    // h0 = 1, g0 - ca = 1, V = 1, F = 0.5: d = U, e = 0.5.
    const Case cases[] = {
        {99999.0f, 1, "                    d =  99999.000 in.\xB3       e =     0.5000 in.^-1"},
        {100000.0f, 1, "                    d = .10000E+06 in.\xB3       e =     0.5000 in.^-1"},
        // d is shown with the cube of the factor (by repeated squaring), e over it.
        {1.0f, 25.4f, "                    d =  16387.062 in.\xB3       e =     0.0197 in.^-1"},
    };
    for (const Case& c : cases) {
        State st;
        test::load_item(st, test::OpeningItem{});
        st.units.thickness.factor = c.thickness_factor;
        HubDE de = d_and_e(st.report, st.units, c.U, 1, 1.125f, 0.125f, 0.5f, 1);
        EXPECT_EQ(de.d, c.U);
        EXPECT_EQ(captured_lines(st), std::vector<std::string>{c.line});
    }
}

}  // namespace
}  // namespace tx14
