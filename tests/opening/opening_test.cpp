// The large opening: what the worked example's verified report does not
// show (other codes, lines over their limits, the thickness search failing,
// validation findings and their boundaries). (Every value of the results
// record: tests/validation.)
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "support/test_support.hpp"

namespace {

using namespace tx14;

// Elements of a large-opening item.
namespace el {
constexpr int P = 5, t = 7, Bn = 8, g0s = 10, g1s = 11, hs = 12, ca = 13, Sho = 15, g0n = 18, g1n = 19, hn = 20,
              density = 21, code = 25;
}  // namespace el

auto run_with(const std::vector<std::pair<int, float>>& changes) { return test::run(test::HostItem{}.set(changes)); }

// Three times the pressure: SHS, STO and the minimum thickness over, SRS
// and STS not. Offsets from the line starting with the prefix: the
// result line of each block. (The stress table, the opening's hub stresses
// and the M.A.W.P.: the warnings' agreement with the failing checks, in
// tests/results.) A thousandth of the pressure: the governing ratio never
// settles, and the search gives up after its last pass, only the first
// printed.
TEST(OpeningCalculation, WarningStylesAndTheThicknessSearchGivingUp)
{
    const auto high = run_with({{el::P, 300}});
    const struct {
        const char* prefix;
        int offset;
        bool warned;
    } cases[] = {{"Longitudinal Hub Stress in the Shell [SHS]", 3, true},
                 {"Radial Stress at the Outside Diameter [SRS]", 4, false},
                 {"Tangential Stress at the Outside Diameter [STS]", 5, false},
                 {"Tangential Stress at Diameter of Central Opening [Sto]", 4, true},
                 {"Approximate Minimum Flange Thickness", 0, true}};
    for (const auto& c : cases) {
        const int at = high.find(c.prefix, true);
        ASSERT_GE(at, 0) << c.prefix;
        EXPECT_EQ(high.styles(at + c.offset), c.warned ? " 0 0 0 0 1 0" : " 0 0 0 0 0 0") << c.prefix;
    }

    const auto run = run_with({{el::P, 0.001f}});
    EXPECT_EQ(run.passes, 50);
    EXPECT_EQ(run.reals[29], 0.0f);
    const int at = run.find("Thickness Conversion Failure - Revise the Geometry.");
    ASSERT_GE(at, 0);
    EXPECT_EQ(run.styles(at), " 0 0 0 1 0 2");
    EXPECT_EQ(run.find("Approximate Minimum Flange Thickness", true), -1);
    EXPECT_EQ(std::count(run.lines.begin(), run.lines.end(), "Flange Factors ( Shell ) :"), 1);
}

// Lines the worked example's report does not show (each line as a prefix):
// VIII-2 (the input title: any code but 1), a value too wide for its field,
// no forging weight without density, a nozzle hub only where g1n is
// strictly above the tolerance.
TEST(OpeningReport, LinesTheWorkedExampleDoesNotShow)
{
    const std::string div2_title = "ASME VIII-2, 4.6.4 Integral Flat Head with a Centrally Located Opening";
    const std::string nozzle_R = " = 0.5( G - Bncor ) - ( g1n - ca )";
    const struct {
        std::vector<std::pair<int, float>> changes;
        std::string line;
        bool shown;
    } cases[] = {
        {{{el::code, 2}}, div2_title, true},
        {{{el::code, 0}}, div2_title, true},
        {{{el::Sho, 1.0e8f}}, "Allowable Stress at Design Temperature   Sho      **********  psi", true},
        {{{el::density, 0}}, "Estimated Finished Weight of Forging", false},
        {{{el::g1n, 0.001f}}, nozzle_R, false},
        {{{el::g1n, 0.002f}}, nozzle_R, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run_with(c.changes).find(c.line, true) >= 0, c.shown)
            << c.line << " with element " << c.changes[0].first << " = " << c.changes[0].second;
}

// The messages in order, without the count line (the sections around
// some: ErrorSections in tests/results); every one but a note is fatal.
TEST(OpeningValidation, ChecksInOrder)
{
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    const std::string shell_logic = "Error - Shell Side Hub dimension logic error .";
    const std::string nozzle_dim = "ERROR - Nozzle side hub dimension error.";
    const std::string nozzle_length = "ERROR - Nozzle side hub length must be > 0.0.";
    const std::string corroded = "ERROR - Corroded Flange Thickness must be > 0.";
    const std::string no_pressure = "ERROR - The pressure must be greater than 0.0.";
    const std::string negative_ca = "ERROR - The corrosion allowance must not be negative.";
    const std::string outside = "ERROR - The opening and its nozzle hub must lie inside the shell.";
    const struct {
        const char* what;
        std::vector<std::pair<int, float>> changes;
        std::vector<std::string> messages;
    } cases[] = {
        {"g1s below g0s", {{el::g1s, 0.9f}}, {shell_logic}},
        {"hub thicker than A and than Bn",
         {{el::g0s, 70}, {el::g1s, 65}},
         {shell_logic, shell_logic, "ERROR - Hub thickness Flange ID error.", outside}},
        {"Bn below half of A", {{el::Bn, 29.9f}}, {"Note - The diameter ratio Flgid/Flgod is < 0.5 ."}},
        {"Bn above A", {{el::Bn, 61}}, {"ERROR - The Flange ID must be < flange OD.", outside}},
        {"shell hub all corroded", {{el::g0s, 0.125f}}, {shell_logic}},
        {"head all corroded", {{el::t, 0.125f}}, {corroded}},
        {"head thickness NaN", {{el::t, kNaN}}, {corroded}},
        {"negative hub length", {{el::hs, -1}}, {"ERROR - Shell Hub Length must be > 0.0."}},
        {"zero hub length", {{el::hs, 0}}, {}},
        {"zero allowable", {{el::Sho, 0}}, {"ERROR - The Operating Flange stress must be > 0 ."}},
        {"nozzle g1n below g0n", {{el::g0n, 1}, {el::g1n, 0.5f}, {el::hn, 2}}, {nozzle_dim}},
        {"nozzle hub below the allowance", {{el::g0n, 0.1f}, {el::g1n, 0.2f}, {el::hn, 2}}, {nozzle_dim}},
        {"nozzle hub equal to the allowance", {{el::g0n, 0.125f}, {el::g1n, 0.2f}, {el::hn, 2}}, {}},
        {"nozzle hub without length", {{el::g0n, 1}, {el::g1n, 1.5f}}, {nozzle_length}},
        {"no nozzle hub, whatever g1n and hn", {{el::g1n, 0.5f}, {el::hn, -3}}, {}},
        {"thin nozzle hub: product not above 0.001", {{el::g0n, 0.01f}, {el::g1n, 0.01f}}, {}},
        // Without pressure every stress ratio would be 0/0; left out it reads as 0.
        {"zero pressure, the last check", {{el::P, 0}, {el::g0n, 1}, {el::g1n, 1.5f}}, {nozzle_length, no_pressure}},
        {"pressure NaN", {{el::P, kNaN}}, {no_pressure}},
        // A negative allowance would add metal; R, from G = 58.25 to the corroded opening and
        // its hub, must be above 0 (R = 14 in the example).
        {"tiny negative allowance", {{el::ca, -1e-30f}}, {negative_ca}},
        {"allowance NaN", {{el::ca, kNaN}}, {shell_logic, corroded, negative_ca, outside}},
        {"R exactly 0", {{el::Bn, 58}}, {outside}},
        {"R just above 0", {{el::Bn, 57.9f}}, {}},
        {"nozzle hub past the load reaction", {{el::g0n, 10}, {el::g1n, 20}, {el::hn, 3}}, {outside}},
        {"nozzle g1n alone counts for R", {{el::g1n, 14.2f}}, {outside}},
    };
    for (const auto& c : cases) {
        const auto run = run_with(c.changes);
        std::vector<std::string> messages;
        std::copy_if(run.lines.begin(), run.lines.end(), std::back_inserter(messages), [](const std::string& l) {
            return l.starts_with("Error - ") || l.starts_with("ERROR - ") || l.starts_with("Note - ");
        });
        EXPECT_EQ(messages, c.messages) << c.what;
        const auto fatal = std::count_if(messages.begin(), messages.end(), [](auto& m) { return m[0] == 'E'; });
        EXPECT_EQ(run.errors, fatal) << c.what;
        EXPECT_EQ(run.has("ASME VIII-1 App. 14 Large Central Opening Flange Analysis Results:"), fatal == 0) << c.what;
        EXPECT_EQ(run.reals[29] != 0, fatal == 0) << c.what;  // the M.A.W.P.: no results after a fatal error
        EXPECT_EQ(run.lines.back(), test::kNotice) << c.what;
    }
}

}  // namespace
