// The jacket chart factors: K read from the Appendix EE charts and the
// VIII-2 rating factor Kp.
#pragma once

#include <array>
#include <cstdint>

namespace tx14 {

// A chart read at one shell diameter: its factor at each grid thickness.
// The search for the shell thickness reads the same diameter thousands of
// times, so this part is done once; only the thickness interpolation is
// left for each look-up.
struct ChartColumn {
    std::array<float, 7> K{};
    bool exists = true;  // false for a chart number without a chart
};

// K of chart 1, 2 or 3 at the shell inside diameter D and net shell
// thickness t, both limited to the chart: the chart interpolated linearly
// in D, then the column in t. Any other chart number gives 0.
ChartColumn ee_chart_column(float chart, float D);
float EEKFACTOR(const ChartColumn& column, float t);

// Kp at the shell diameter D for the jacket size (NPS truncated: 2, 3,
// anything else counts as 4), interpolated in t limited to the grid.
ChartColumn kp_chart_column(float D, std::int32_t size);
float KPFACTOR(const ChartColumn& column, float t);

}  // namespace tx14
