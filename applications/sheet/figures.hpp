// The sheet's figures with what their drawing decided: the SVG, and the
// labels, parts and dimensions drawn larger than their size, for the
// sketch's caption and the tests of their layout.
#pragma once

#include <string>
#include <vector>

#include "layout.hpp"
#include "sheet.hpp"

namespace tx14::sheet {

struct Figure {
    std::string svg;
    double width = 0, height = 0;  // the view box
    Layout layout{0};
    // Of a sketch: the symbols of the dimensions drawn larger than their
    // size (under 1 mm on a printed sheet) or out of proportion (a size no
    // such component has); the sketch is to scale but for these.
    std::vector<std::string> not_to_scale;
};

Figure sketch_figure(const Sketch& s);
Figure plot_figure(const Plot& p);

}  // namespace tx14::sheet
