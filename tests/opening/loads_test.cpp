// Geometry, loads and moments: values, the nozzle rule and the formula
// blocks as printed.
#include <gtest/gtest.h>

#include "opening/opening_calculation.hpp"
#include "opening_test_support.hpp"

namespace tx14 {
namespace {

using test::captured_lines;

// The worked example's input in a state of its own.
void set_worked_example(State& st, float g0n = 0, float g1n = 0, float moment_factor = 1)
{
    test::OpeningItem item;
    item.g0n = g0n;
    item.g1n = g1n;
    item.moment_factor = moment_factor;
    test::load_item(st, item);
}

TEST(Loads, WorkedExampleInSinglePrecision)
{
    State st;
    set_worked_example(st);
    compute_loads(st);
    const OpeningWork& w = st.opening_work;
    EXPECT_EQ(w.G, 58.25f);
    EXPECT_EQ(w.K, 1.983471f);
    EXPECT_EQ(w.R, 14.0f);
    EXPECT_EQ(w.Hd, 71832.41f);
    EXPECT_EQ(w.H, 266355.4f);
    EXPECT_EQ(w.Ht, 194523.0f);
    EXPECT_EQ(w.Md, w.Hd * w.R);
    EXPECT_EQ(w.Mt, (0.5f * w.Ht) * w.R);
    EXPECT_NEAR(w.Mo, 2367000.0f, 500.0f);
}

TEST(Loads, EitherHubThicknessAboveTheToleranceMakesANozzle)
{
    struct Case {
        float g0n, g1n;
        float R;  // 0.5 (G - Bncor) = 14 without nozzle
        const char* symbolic_R;
    };
    const Case cases[] = {
        {0, 0, 14.0f, " = 0.5( G - Bncor )"},
        {0, 0.001f, 14.0f, " = 0.5( G - Bncor )"},  // not strictly above
        {0, 0.002f, 14.0f - (0.002f - 0.125f), " = 0.5( G - Bncor ) - ( g1n - ca )"},
        {0.002f, 0, 14.0f - (0.0f - 0.125f), " = 0.5( G - Bncor ) - ( g1n - ca )"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "g0n " << c.g0n << ", g1n " << c.g1n);
        State st;
        set_worked_example(st, c.g0n, c.g1n);
        compute_loads(st);
        EXPECT_EQ(st.opening_work.R, c.R);
        std::vector<std::string> lines = captured_lines(st);
        ASSERT_GE(lines.size(), 12u);
        EXPECT_EQ(lines[11], c.symbolic_R);
    }
}

TEST(Loads, FormulaBlocksAsPrinted)
{
    State st;
    set_worked_example(st);
    compute_loads(st);
    const std::vector<std::string> lines = captured_lines(st);
    const std::vector<std::string> first_block = {
        "Diameter of the Load Reaction G = C [G]:",
        " = A - 2 * g0s + (2 * ca)",
        " = 60.0 - 2 * 1.0 + (2 * 0.125)",
        " = 58.250 in.",
        "",
    };
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), first_block);
    EXPECT_EQ(test::record_styles(std::string_view(st.report.capture.records[0], 125)),
              " 0 0 0 0 0 1");
    EXPECT_EQ(test::record_styles(std::string_view(st.report.capture.records[3], 125)),
              " 0 0 0 0 0 0");

    const std::vector<std::string> last_lines = {
        "The Total Moment [Mo]:", " = Md + Mt", " = 83804 + 113472", " = 197276.234 ft-lb.", "",
        "Flange Factors ( Opening ):", "",
    };
    EXPECT_EQ(std::vector<std::string>(lines.end() - 7, lines.end()), last_lines);
}

TEST(Loads, MomentsAreShownInTwelfthsTimesTheMomentFactor)
{
    struct Case {
        float moment_factor;
        const char* Md_formula;  // Hd and R: not a moment, no twelfths
        const char* Md_result;
    };
    const Case cases[] = {
        {1.0f, " = 71832.41 * 14.0", " = 83804.477 ft-lb."},
        {0.113f, " = 71832.41 * 14.0", " = 9469.905 ft-lb."},
    };
    for (const Case& c : cases) {
        State st;
        set_worked_example(st, 0, 0, c.moment_factor);
        compute_loads(st);
        const std::vector<std::string> lines = captured_lines(st);
        const int at = test::find_line(lines, "The Moment [Md]:");
        ASSERT_GE(at, 0);
        EXPECT_EQ(lines[static_cast<std::size_t>(at) + 2], c.Md_formula);
        EXPECT_EQ(lines[static_cast<std::size_t>(at) + 3], c.Md_result);
    }
}

}  // namespace
}  // namespace tx14
