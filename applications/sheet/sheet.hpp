// The calculation sheet of one analysed item: what it shows, and the one
// self-contained HTML document (inline CSS and SVG, no script, no external
// resource) built from it. Standard library only: no input or output, no
// clock; the caller supplies the date, the input's name and its SHA-256.
#pragma once

#include <array>
#include <limits>
#include <string>
#include <vector>

namespace tx14::sheet {

enum class Verdict { not_analysed, acceptable, not_acceptable };
enum class Paper { a4, letter };

// Numbers below are in the item's display units; texts are UTF-8 unless
// said otherwise.
struct Check {
    std::string label, unit;
    double value = 0, limit = 0;
    bool at_least = false;  // value >= limit; otherwise value <= limit
    bool passes = false;
    double utilization = std::numeric_limits<double>::quiet_NaN();  // 1 = at the limit
    bool applicable = true;                                         // false: shown as not applying, without a gauge
};

struct KeyValue {
    std::string label, unit;
    double value = 0;
};

// A record of the native report: Windows-1252 text and its six style codes.
struct ReportRecord {
    std::string text;
    std::array<int, 6> styles{};
};

// A labelled dimension of the sketch: `size` in one length unit common to
// all dimensions of the sketch (it only sets the proportions), `text` as
// the label shows it ("60 in.", "NPS 2").
struct Dimension {
    std::string symbol;
    double size = 0;  // 0: not given, not drawn
    std::string text;
};

enum class Component { head, jacket, coil };

// Head: A, Bn, t, g0s, g1s, hs and, when given, g0n, g1n, hn.
// Jacket or coil: D, ts, Tj, weld and either NPS (its size: the outside
// radius of the standard pipe) or r (the formed inside radius).
struct Sketch {
    Component component = Component::head;
    std::vector<Dimension> dimensions;
};

struct Series {
    std::string name, unit;
    std::vector<double> y;  // one per x; NaN or infinite where not computed
    bool right_axis = false;
};

// A marked value: a vertical line at an x, or a horizontal line at a y of
// the left (or right) axis.
struct Mark {
    std::string label;
    double value = 0;
    bool vertical = true;
    bool right_axis = false;
};

struct Plot {
    std::string title, x_label, x_unit;
    std::string y_label;  // of the left axis; empty: its series' names
    std::vector<double> x;
    std::vector<Series> series;
    std::vector<Mark> marks;
};

struct Document {
    std::string analysis, edition;  // as the report names them
    std::string item, description, materials, unit_system;
    std::string date_time, library_version, input_name, sha256;
    Verdict verdict = Verdict::not_analysed;
    int governing = -1;  // index into checks, -1 for none
    std::vector<Check> checks;
    std::vector<KeyValue> values;
    std::vector<std::string> reasons;   // why the item is not analysed
    std::vector<std::string> warnings;  // of the input, then the reasons and notes
    std::vector<ReportRecord> report;
    Sketch sketch;
    Plot plot;
    Paper paper = Paper::a4;
};

// A line of a batch's index: an item, its verdict and governing check, and
// the file of its sheet (empty: none was written).
struct IndexEntry {
    std::string row, item, description, href;
    Verdict verdict = Verdict::not_analysed;
    std::string governing;
    double utilization = std::numeric_limits<double>::quiet_NaN();
};

// The index of a batch's sheets.
std::string index_html(const std::string& title, const std::vector<IndexEntry>& entries);

// Fills the analysis and the code edition from the report's title lines.
void name_analysis(Document& doc);

// The whole HTML document.
std::string html(const Document& doc);

// "ACCEPTABLE", "NOT ACCEPTABLE", "NOT ANALYSED".
const char* verdict_words(Verdict v);

// A number in 5 significant digits, without trailing zeros; a dash when
// not finite.
std::string significant(double v, int digits = 5);

// ---- Figures (svg.cpp) --------------------------------------------------

// Drawn to scale when the smallest given dimension is at least 2 % of the
// largest; otherwise the sketch is schematic.
bool to_scale(const Sketch& s);

// A plot axis: its ends and tick step, round numbers around the finite
// values; {0, 1, 0.2} when there are none.
struct Axis {
    double low = 0, high = 1, step = 0.2;
};
Axis axis_of(const std::vector<double>& values);

std::string sketch_svg(const Sketch& s);
std::string plot_svg(const Plot& p);

}  // namespace tx14::sheet
