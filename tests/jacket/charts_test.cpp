// The chart factors: K from the digitised charts, Kp from its polynomial,
// and the interpolation between them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "jacket/charts.hpp"

namespace tx14 {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct ChartCase {
    float chart, D, t, K;
};

// Values read off the printed charts (corners, interior cells) and the
// interpolations and limits between them.
TEST(EEKFACTOR, ReadsAndInterpolatesTheCharts)
{
    const ChartCase cases[] = {
        {1, 30, 0.1875f, 53},    {1, 170, 0.1875f, 90},  {1, 30, 2, 1},
        {1, 170, 2, 1},          {1, 90, 0.375f, 23.75f}, {1, 60, 0.75f, 6.05f},
        {2, 30, 0.1875f, 85},    {2, 170, 0.1875f, 180}, {2, 100, 0.75f, 13.5f},
        {2, 80, 0.25f, 80.2f},   {2, 170, 2, 2},         {2, 40, 2, 1.75f},
        {3, 30, 0.1875f, 130},   {3, 170, 2, 3.2f},      {3, 80, 0.25f, 120},
        {3, 170, 0.5f, 42.5f},   {3, 160, 0.5f, 42.35f}, {3, 120, 2, 3.17f},
        // Halfway between two diameters and between two thicknesses.
        {2, 35, 0.5f, 19},       {1, 100, 0.3125f, 37},
        // Limited to the chart on every side.
        {1, 24, 0.1f, 53},       {1, 500, 5, 1},         {3, -10, 3, 2.5f},
        {1, kInf, 0.1875f, 90},  {1, -kInf, -kInf, 53},
        // No such chart.
        {0, 48, 0.5f, 0},        {4, 48, 0.5f, 0},       {1.5f, 48, 0.5f, 0},
    };
    for (const ChartCase& c : cases)
        EXPECT_FLOAT_EQ(EEKFACTOR(c.chart, c.D, c.t), c.K)
            << "chart " << c.chart << " D " << c.D << " t " << c.t;
}

TEST(EEKFACTOR, NaNInputsGiveNaNWithoutLeavingTheTables)
{
    EXPECT_TRUE(std::isnan(EEKFACTOR(1, kNaN, 0.5f)));
    EXPECT_TRUE(std::isnan(EEKFACTOR(2, 48, kNaN)));
    EXPECT_TRUE(std::isnan(EEKFACTOR(3, kNaN, kNaN)));
    EXPECT_EQ(EEKFACTOR(kNaN, 48, 0.5f), 0.0f);
}

// The Kp polynomial of one coefficient row, evaluated independently.
double kp_row(const double (&C)[10], double D)
{
    double sum = 0;
    for (int n = 0; n < 10; ++n)
        sum += C[n] * std::pow(D, 0.5 * n);
    return sum;
}

TEST(KPFACTOR, FollowsTheCoefficientRows)
{
    // NPS 3 at t = 0.1875 and NPS 4 at t = 1, typed from the printed table.
    const double nps3_thin[10] = {-3758.8706, 2991.987, -941.77826, 152.785, -13.452359,
                                  0.611674,   -0.011236, -0.000002, 0,       0};
    const double nps4_one[10] = {-250.16605, 171.7827, -46.844913, 6.687435, -0.525076,
                                 0.021527,   -0.000361, 0,          0,        0};
    for (float D : {36.0f, 48.25f, 96.0f, 150.0f}) {
        EXPECT_NEAR(KPFACTOR(D, 0.1875f, 3), kp_row(nps3_thin, D), 0.05) << D;
        EXPECT_NEAR(KPFACTOR(D, 1.0f, 4), kp_row(nps4_one, D), 0.02) << D;
        EXPECT_NEAR(KPFACTOR(D, 1.0f, 7), kp_row(nps4_one, D), 0.02) << "any size is NPS 4";
    }
}

TEST(KPFACTOR, LimitsAndInterpolatesTheThickness)
{
    for (float D : {30.0f, 48.0f, 100.0f, 170.0f, 1000.0f}) {
        EXPECT_FLOAT_EQ(KPFACTOR(D, 2.0f, 2), 1.0f) << D;
        EXPECT_FLOAT_EQ(KPFACTOR(D, 5.0f, 2), 1.0f) << "above the grid: " << D;
        EXPECT_FLOAT_EQ(KPFACTOR(D, 0.1f, 3), KPFACTOR(D, 0.1875f, 3)) << D;
        float mid = (KPFACTOR(D, 0.5f, 4) + KPFACTOR(D, 0.75f, 4)) * 0.5f;
        EXPECT_NEAR(KPFACTOR(D, 0.625f, 4), mid, std::fabs(mid) * 1e-5f) << D;
    }
    EXPECT_TRUE(std::isnan(KPFACTOR(48, kNaN, 2)));
    EXPECT_TRUE(std::isnan(KPFACTOR(kNaN, 0.5f, 3)));
}

TEST(INTERP, IsTheStraightLineThroughTwoPoints)
{
    EXPECT_FLOAT_EQ(INTERP(0, 0.5f, 1, 10, 20), 15);
    EXPECT_FLOAT_EQ(INTERP(2, 2, 1, 7, 9), 7);  // x0 above x1, as KPFACTOR calls it
    EXPECT_FLOAT_EQ(INTERP(0.25f, 0.3125f, 0.375f, 50, 24), 37);
}

}  // namespace
}  // namespace tx14
