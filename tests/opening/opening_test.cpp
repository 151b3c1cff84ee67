// The large opening: its factors and loads on the worked example, the
// thickness search, what the worked example's verified report does not
// show (other codes, lines over their limits, validation findings), and
// degenerate cases of its pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/host_arrays.hpp"
#include "entry/state.hpp"
#include "opening/flange_factors.hpp"
#include "opening/opening_calculation.hpp"
#include "support/test_support.hpp"

namespace {

using namespace tx14;
using test::HostItem;
using test::ItemRun;

// Elements of a large-opening item.
namespace el {
enum : int {
    P = 5,
    t = 7,
    Bn = 8,
    A = 9,
    g0s = 10,
    g1s = 11,
    hs = 12,
    ca = 13,
    Sho = 15,
    g0n = 18,
    g1n = 19,
    hn = 20,
    density = 21,
    code = 25
};
}

ItemRun run_with(const std::vector<std::pair<int, float>>& changes) { return test::run(HostItem{}.set(changes)); }

TEST(OpeningFactors, IntegralFlangeFactorsMatchTheClassicalSolution)
{
    const struct {
        float g1_g0, h_h0;
        float F, V, f, f_unclamped;     // f_unclamped < 0: not checked
        float g1_g0_after, h_h0_after;  // after the lower limits
    } cases[] = {
        {2.0f, 0.5f, 0.8257f, 0.2273f, 1.2261f, 1.2261f, 2.0f, 0.5f},
        {1.5f, 1.0f, 0.7966f, 0.2539f, 1.0f, 0.0370f, 1.5f, 1.0f},  // f raised to 1
        // No taper: the straight-hub values whatever h/h0 is.
        {1.00005f, 0.3f, 0.90892f, 0.550103f, 1.0f, -1.0f, 1.00005f, 0.3f},
        // Ratios below their limits are raised (then no taper either).
        {0.8f, 0.01f, 0.90892f, 0.550103f, 1.0f, -1.0f, 1.0f, 0.015f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "g1/g0 " << c.g1_g0 << ", h/h0 " << c.h_h0);
        const FlangeFactors ff = integral_flange_factors(c.g1_g0, c.h_h0);
        EXPECT_NEAR(ff.F, c.F, 5e-5f);
        EXPECT_NEAR(ff.V, c.V, 5e-5f);
        EXPECT_NEAR(ff.f, c.f, 5e-5f);
        if (c.f_unclamped >= 0) {
            EXPECT_NEAR(ff.f_unclamped, c.f_unclamped, 5e-5f);
        }
        EXPECT_EQ(ff.g1_g0, c.g1_g0_after);
        EXPECT_EQ(ff.h_h0, c.h_h0_after);
    }
}

TEST(OpeningFactors, DAndEShowLargeDInExponentFormAndScaleByTheUnit)
{
    const struct {
        float U, thickness_factor;
        const char* line;
    } cases[] = {
        // h0 = 1, g0 - ca = 1, V = 1, F = 0.5: d = U, e = 0.5.
        {99999.0f, 1, "                    d =  99999.000 in.\xB3       e =     0.5000 in.^-1"},
        {100000.0f, 1, "                    d = .10000E+06 in.\xB3       e =     0.5000 in.^-1"},
        // d is shown with the cube of the factor (by repeated squaring), e over it.
        {1.0f, 25.4f, "                    d =  16387.062 in.\xB3       e =     0.0197 in.^-1"},
    };
    for (const auto& c : cases) {
        auto st = test::state_of(HostItem{});
        st->units.thickness.factor = c.thickness_factor;
        const HubDE de = d_and_e(c.U, 1, 1.125f, 0.125f, 0.5f, 1);
        EXPECT_EQ(de.d, c.U);
        write_d_and_e(st->report, Shown(st->units), de, 1, 0.5f);
        EXPECT_EQ(test::captured(st->report), std::vector<std::string>{c.line});
    }
}

TEST(OpeningLoads, EitherHubThicknessAboveTheToleranceMakesANozzle)
{
    const struct {
        float g0n, g1n, R;
        const char* symbolic_R;
    } cases[] = {
        // 0.5 (G - Bncor) = 14 without nozzle
        {0, 0.001f, 14.0f, " = 0.5( G - Bncor )"},  // not strictly above
        {0, 0.002f, 14.0f - (0.002f - 0.125f), " = 0.5( G - Bncor ) - ( g1n - ca )"},
        {0.002f, 0, 14.0f - (0.0f - 0.125f), " = 0.5( G - Bncor ) - ( g1n - ca )"},
    };
    for (const auto& c : cases) {
        auto st = test::state_of(HostItem{}.set({{el::g0n, c.g0n}, {el::g1n, c.g1n}}));
        const OpeningLoads L = opening_loads(st->opening);
        write_loads(st->report, Shown(st->units), st->opening, L);
        EXPECT_EQ(L.R, c.R) << c.g0n << " " << c.g1n;
        EXPECT_EQ(test::captured(st->report).at(11), c.symbolic_R) << c.g0n << " " << c.g1n;
    }
}

TEST(OpeningCalculation, LinesOverTheirLimitsCarryTheWarningStyles)
{
    // Three times the pressure: SHS and STO over, SRS and STS not; with an
    // integral nozzle hub SHO too. Offsets from the line starting with the
    // prefix; 3 to 5: the result line of a block.
    const ItemRun high = run_with({{el::P, 300}});
    const ItemRun nozzle = run_with({{el::P, 300}, {el::g0n, 1}, {el::g1n, 2}, {el::hn, 2}});
    const struct {
        const ItemRun& run;
        const char* prefix;
        int offset;
        bool warned;
    } cases[] = {
        {high, "Longitudinal Hub Stress in the Shell [SHS]", 3, true},
        {high, "Radial Stress at the Outside Diameter [SRS]", 4, false},
        {high, "Tangential Stress at the Outside Diameter [STS]", 5, false},
        {high, "Tangential Stress at Diameter of Central Opening [Sto]", 4, true},
        {nozzle, "Longitudinal Hub Stress in Central Opening [SHO]", 1, true},
        {high, "Long.  Hub     SH", 0, true},
        {high, "Radial         SR", 0, false},
        {high, "Tangential     ST", 0, true},
        {high, "M.A.W.P. for the given Geometry", 0, true},
        {high, "Approximate Minimum Flange Thickness", 0, true},
    };
    for (const auto& c : cases) {
        const int at = c.run.find(c.prefix, true);
        ASSERT_GE(at, 0) << c.prefix;
        EXPECT_EQ(c.run.styles(at + c.offset), c.warned ? " 0 0 0 0 1 0" : " 0 0 0 0 0 0") << c.prefix;
    }
}

TEST(OpeningReport, VIII2Wordings)
{
    for (float code : {2.0f, 0.0f, 3.9f})  // the input title: any code but 1
        EXPECT_EQ(run_with({{el::code, code}}).lines.at(1),
                  "ASME VIII-2, 4.6.4 Integral Flat Head with a Centrally Located Opening");
    const ItemRun run = run_with({{el::code, 2}, {el::g0n, 1}, {el::g1n, 1.5f}, {el::hn, 2}});
    for (const char* line : {"ASME VIII-2, 4.6.4 Large Central Opening Flange Analysis Results:",
                             "Factors from Table 4-16.4                     K =      1.983",
                             " = 0.91(g1n/g0n)\xB2 * (Bn + g0n)Vn*SH/(fn*sqrt(Bn*g0n))"})
        EXPECT_TRUE(run.has(line)) << line;
}

TEST(OpeningReport, SpecialCasesOfTheLines)
{
    // A value too wide for its field, moments shown with a factor other
    // than 1 (twelfths times the factor), no forging weight without density.
    const ItemRun wide = run_with({{el::Sho, 1.0e8f}});
    EXPECT_EQ(wide.lines.at(16), "Allowable Stress at Design Temperature   Sho      **********  psi");
    HostItem metric_moments;
    metric_moments.unit_factors[4] = 0.113f;
    const ItemRun moments = test::run(metric_moments);
    EXPECT_EQ(moments.lines.at(static_cast<std::size_t>(moments.find("Factor [X1]:") + 2)),
              " = ( 22292 - 6529( 1 + 0.8574 * 3.875/7.1927 ) )/22292");
    const ItemRun no_density = run_with({{el::density, 0}});
    EXPECT_EQ(no_density.find("Estimated Finished Weight of Forging", true), -1);
    EXPECT_TRUE(no_density.has("Approximate Minimum Flange Thickness                  2.2818  in."));
}

TEST(OpeningCalculation, ThicknessSearchFailsOnTheLastPass)
{
    const ItemRun run = run_with({{el::P, 0.001f}});  // the governing ratio never settles
    EXPECT_EQ(run.passes, 50);
    EXPECT_EQ(test::run(HostItem{}).passes, 6);  // the worked example settles after six
    EXPECT_EQ(run.reals[29], 0.0f);
    const int at = run.find("Thickness Conversion Failure - Revise the Geometry.");
    ASSERT_GE(at, 1);
    EXPECT_EQ(run.lines[static_cast<std::size_t>(at) - 1], "");
    EXPECT_EQ(run.styles(at), " 0 0 0 1 0 2");
    EXPECT_EQ(run.find("Approximate Minimum Flange Thickness", true), -1);
    // Only the first pass is printed.
    EXPECT_EQ(std::count(run.lines.begin(), run.lines.end(), "Flange Factors ( Shell ) :"), 1);
}

TEST(OpeningValidation, ChecksInOrder)
{
    const std::string shell_logic = "Error - Shell Side Hub dimension logic error .";
    const std::string nozzle_dim = "ERROR - Nozzle side hub dimension error.";
    const std::string corroded = "ERROR - Corroded Flange Thickness must be > 0.";
    const std::string no_pressure = "ERROR - The pressure must be greater than 0.0.";
    const std::string negative_ca = "ERROR - The corrosion allowance must not be negative.";
    const std::string outside = "ERROR - The opening and its nozzle hub must lie inside the shell.";
    // messages: in order, without the count line
    const struct {
        const char* what;
        std::vector<std::pair<int, float>> changes;
        std::int32_t errors;
        std::vector<std::string> messages;
    } cases[] = {
        {"g1s below g0s", {{el::g1s, 0.9f}}, 1, {shell_logic}},
        {"hub thicker than A and than Bn",
         {{el::g0s, 70}, {el::g1s, 65}},
         4,
         {shell_logic, shell_logic, "ERROR - Hub thickness Flange ID error.", outside}},
        {"Bn below half of A is a note", {{el::Bn, 29.9f}}, 0, {"Note - The diameter ratio Flgid/Flgod is < 0.5 ."}},
        {"Bn above A", {{el::Bn, 61}}, 2, {"ERROR - The Flange ID must be < flange OD.", outside}},
        {"shell hub all corroded", {{el::g0s, 0.125f}}, 1, {shell_logic}},
        {"head all corroded", {{el::t, 0.125f}}, 1, {corroded}},
        {"head thickness not a number", {{el::t, std::numeric_limits<float>::quiet_NaN()}}, 1, {corroded}},
        {"negative hub length", {{el::hs, -1}}, 1, {"ERROR - Shell Hub Length must be > 0.0."}},
        {"zero hub length", {{el::hs, 0}}, 0, {}},
        {"zero allowable", {{el::Sho, 0}}, 1, {"ERROR - The Operating Flange stress must be > 0 ."}},
        {"nozzle g1n below g0n", {{el::g0n, 1}, {el::g1n, 0.5f}, {el::hn, 2}}, 1, {nozzle_dim}},
        {"nozzle hub below the allowance", {{el::g0n, 0.1f}, {el::g1n, 0.2f}, {el::hn, 2}}, 1, {nozzle_dim}},
        {"nozzle hub equal to the allowance", {{el::g0n, 0.125f}, {el::g1n, 0.2f}, {el::hn, 2}}, 0, {}},
        {"nozzle hub without length",
         {{el::g0n, 1}, {el::g1n, 1.5f}},
         1,
         {"ERROR - Nozzle side hub length must be > 0.0."}},
        {"no nozzle hub, whatever g1n and hn", {{el::g1n, 0.5f}, {el::hn, -3}}, 0, {}},
        {"thin nozzle hub: product not above 0.001", {{el::g0n, 0.01f}, {el::g1n, 0.01f}}, 0, {}},
        // Without pressure every stress ratio would be 0/0; left out it reads as 0.
        {"zero pressure, the last check",
         {{el::P, 0}, {el::g0n, 1}, {el::g1n, 1.5f}},
         2,
         {"ERROR - Nozzle side hub length must be > 0.0.", no_pressure}},
        {"negative zero pressure", {{el::P, -0.0f}}, 1, {no_pressure}},
        {"pressure not a number", {{el::P, std::numeric_limits<float>::quiet_NaN()}}, 1, {no_pressure}},
        {"pressure left out", {{el::P, kMissingValue}}, 1, {no_pressure}},
        // A negative allowance would add metal; R, from G = 58.25 to the corroded opening and
        // its hub, must be above 0 (R = 14 in the example).
        {"negative allowance", {{el::ca, -0.5f}}, 1, {negative_ca}},
        {"tiny negative allowance", {{el::ca, -1e-30f}}, 1, {negative_ca}},
        {"allowance not a number",
         {{el::ca, std::numeric_limits<float>::quiet_NaN()}},
         4,
         {shell_logic, corroded, negative_ca, outside}},
        {"opening wider than the load reaction", {{el::Bn, 59}}, 1, {outside}},
        {"opening just inside the load reaction", {{el::Bn, 58.25f}}, 1, {outside}},
        {"R exactly 0", {{el::Bn, 58}}, 1, {outside}},
        {"R just above 0", {{el::Bn, 57.9f}}, 0, {}},
        {"nozzle hub past the load reaction", {{el::g0n, 10}, {el::g1n, 20}, {el::hn, 3}}, 1, {outside}},
        {"nozzle g1n alone counts for R", {{el::g1n, 14.2f}}, 1, {outside}},
    };
    for (const auto& c : cases) {
        const ItemRun run = run_with(c.changes);
        EXPECT_EQ(run.errors, c.errors) << c.what;
        std::vector<std::string> messages;
        std::copy_if(run.lines.begin(), run.lines.end(), std::back_inserter(messages), [](const std::string& l) {
            return l.starts_with("Error - ") || l.starts_with("ERROR - ") || l.starts_with("Note - ");
        });
        EXPECT_EQ(messages, c.messages) << c.what;
        EXPECT_EQ(run.has("ASME VIII-1 App. 14 Large Central Opening Flange Analysis Results:"), c.errors == 0)
            << c.what;
        EXPECT_EQ(run.lines.back(), test::kNotice) << c.what;
    }
}

// The messages and their order: the table above; here the section around them.
TEST(OpeningValidation, SectionWithTwoFatalFindings)
{
    const ItemRun run = run_with({{el::t, 0.125f}, {el::Sho, 0}, {30, 11}});  // 30: a result element
    ASSERT_EQ(run.lines.size(), 22u + 11u);  // after the echo: blank lines between all but the notice
    EXPECT_EQ(run.lines[24], "ERROR MESSAGES FOR FLANGE NUMBER     1");
    EXPECT_EQ(run.lines[30], "Number of fatal errors: 2.0000 This Analysis will be terminated.");
    EXPECT_EQ(std::vector<float>(run.reals.begin() + 29, run.reals.begin() + 32),
              (std::vector<float>{11, 0, 0}));  // no results: elements 30 to 32 as the host left them
}

}  // namespace
