// The jacket chart factors: K read from the Appendix EE charts, the VIII-2
// rating factor Kp, and the linear interpolation both use.
#pragma once

#include <array>
#include <cstdint>

namespace tx14 {

// y0 + (y1 - y0) (x - x0) / (x1 - x0).
float INTERP(float x0, float x, float x1, float y0, float y1);

// A chart read at one shell diameter: its factor at each grid thickness.
// The search for the shell thickness reads the same diameter thousands of
// times, so this part is done once; only the thickness interpolation is
// left for each look-up, with the same result as the whole look-up.
struct ChartColumn {
    std::array<float, 7> K{};
    bool exists = true;  // false for a chart number without a chart
};

// K of chart 1, 2 or 3 at the shell inside diameter D and net shell
// thickness t, both limited to the chart; bilinear interpolation. Any
// other chart number gives 0.
float EEKFACTOR(float chart, float D, float t);
ChartColumn ee_chart_column(float chart, float D);
float EEKFACTOR(const ChartColumn& column, float t);

// Kp at the shell diameter D for the jacket size (NPS truncated: 2, 3,
// anything else counts as 4), interpolated in t limited to the grid.
float KPFACTOR(float D, float t, std::int32_t size);
ChartColumn kp_chart_column(float D, std::int32_t size);
float KPFACTOR(const ChartColumn& column, float t);

}  // namespace tx14
