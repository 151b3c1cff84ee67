// EEKFACTOR, KPFACTOR and INTERP over the constant chart tables. Every index
// stays inside the tables whatever D and t are, NaN included: a NaN input
// picks the first cell and comes out as a NaN factor.
#include "charts.hpp"

#include <algorithm>
#include <cmath>

#include "../report/single_precision.hpp"
#include "chart_tables.hpp"

namespace tx14 {
namespace {

using charts::kThicknessGrid;
static_assert(std::tuple_size_v<decltype(ChartColumn::K)> == charts::kThicknesses);

// y0 + (y1 - y0) (x - x0) / (x1 - x0).
float INTERP(float x0, float x, float x1, float y0, float y1) { return y0 + (y1 - y0) * (x - x0) / (x1 - x0); }

// Grid thickness k, counted from 1.
float grid(int k) { return kThicknessGrid[static_cast<std::size_t>(k - 1)]; }

// How many of the inner grid thicknesses grid(2) to grid(6) are below t
// (none for a NaN t).
int inner_grid_below(float t) { return (grid(2) < t) + (grid(3) < t) + (grid(4) < t) + (grid(5) < t) + (grid(6) < t); }

// Limits x to [lo, hi]; NaN stays NaN.
float limited(float x, float lo, float hi)
{
    if (x < lo)
        return lo;
    if (x > hi)
        return hi;
    return x;
}

const charts::KChart* chart_table(float chart)
{
    if (chart == 1.0f)
        return &charts::kChart1;
    if (chart == 2.0f)
        return &charts::kChart2;
    if (chart == 3.0f)
        return &charts::kChart3;
    return nullptr;
}

// K of chart row j, grid column i (both from 1).
float chart_value(const charts::KChart& K, int j, int i)
{
    return K[static_cast<std::size_t>(j - 1)][static_cast<std::size_t>(i - 1)];
}

const charts::KpSet& kp_set(std::int32_t size)
{
    if (size == 2)
        return charts::kKpNps2;
    if (size == 3)
        return charts::kKpNps3;
    return charts::kKpNps4;
}

// C1 + C2 D^0.5 + C3 D + C4 D^1.5 + C5 D^2 + C6 D^2.5 + C7 D^3 + C8 D^3.5
// + C9 D^4 + C10 D^4.5, summed left to right in single precision.
float kp_polynomial(const std::array<float, charts::kCoefficients>& C, float D)
{
    float root = std::sqrt(D);
    return C[0] + C[1] * root + C[2] * D + C[3] * (root * D) + C[4] * whole_power(D, 2) + C[5] * (root * D * D) +
           C[6] * whole_power(D, 3) + C[7] * real_power(D, 3.5f) + C[8] * whole_power(D, 4) +
           C[9] * real_power(D, 4.5f);
}

}  // namespace

ChartColumn ee_chart_column(float chart, float D)
{
    D = limited(D, charts::kDiameterMin, charts::kDiameterMax);
    // The diameter rows j and j + 1 around D (a NaN D: the first two).
    const int j = std::clamp(truncate_to_int32(D / 10.0f) - 2, 1, charts::kDiameters - 1);
    float Dlo = charts::row_diameter(j);
    float Dhi = Dlo + 10.0f;

    ChartColumn column;
    const charts::KChart* K = chart_table(chart);
    if (K == nullptr) {
        column.exists = false;
        return column;
    }
    for (int i = 1; i <= charts::kThicknesses; ++i)
        column.K[static_cast<std::size_t>(i - 1)] =
            INTERP(Dlo, D, Dhi, chart_value(*K, j, i), chart_value(*K, j + 1, i));
    return column;
}

float EEKFACTOR(const ChartColumn& column, float t)
{
    if (!column.exists)
        return 0.0f;
    t = limited(t, charts::kThicknessMin, charts::kThicknessMax);
    // The thickness interval grid(i)..grid(i+1) that holds t: the first
    // that reaches up to t (t is at least grid(1)), one up for each inner
    // grid thickness below t.
    const int i = 1 + inner_grid_below(t);
    float tlo = grid(i);
    float thi = grid(i + 1);
    const float Ki = column.K[static_cast<std::size_t>(i - 1)];
    const float Ki1 = column.K[static_cast<std::size_t>(i)];
    return INTERP(tlo, t, thi, Ki, Ki1);
}

ChartColumn kp_chart_column(float D, std::int32_t size)
{
    const charts::KpSet& C = kp_set(size);
    ChartColumn column;
    for (std::size_t k = 0; k < column.K.size(); ++k)
        column.K[k] = kp_polynomial(C[k], D);
    return column;
}

float KPFACTOR(const ChartColumn& column, float t)
{
    t = limited(t, charts::kThicknessMin, charts::kThicknessMax);
    int k = 2 + inner_grid_below(t);  // first k with t <= grid(k)
    if (std::isnan(t))
        k = 7;  // none: the last
    return INTERP(grid(k), t, grid(k - 1), column.K[static_cast<std::size_t>(k - 1)],
                  column.K[static_cast<std::size_t>(k - 2)]);
}

}  // namespace tx14
