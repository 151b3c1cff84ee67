// Geometry, loads and moments: the worked values and the nozzle rule.
#include <gtest/gtest.h>

#include "opening/opening_calculation.hpp"
#include "opening_test_support.hpp"

namespace tx14 {
namespace {

using test::captured_lines;

// The worked example's input in a state of its own.
void set_worked_example(State& st, float g0n = 0, float g1n = 0)
{
    test::OpeningItem item;
    item.g0n = g0n;
    item.g1n = g1n;
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

}  // namespace
}  // namespace tx14
