// The calculation sheet of one analysed item: what it shows, and the one
// self-contained HTML document (inline CSS and SVG, no script, no external
// resource) built from it. Standard library only: no input or output, no
// clock; the caller supplies the date, the input's name and its SHA-256.
#pragma once

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "txappendix14_record.hpp"

namespace tx14::sheet {

enum class Paper { a4, letter };

// Numbers below are in the item's display units; texts are UTF-8 unless
// said otherwise.
struct CheckRow {
    std::string label, unit;
    double value = 0, limit = 0;
    bool at_least = false;  // value >= limit; otherwise value <= limit
    bool passes = false;
    double utilization = std::numeric_limits<double>::quiet_NaN();  // 1 = at the limit
    bool applicable = true;                                         // false: shown as not applying, without a gauge
    std::string reference;                                          // where the code states it; empty: not named
};

struct ValueRow {
    std::string label, unit;
    double value = 0;
    const char* missing = nullptr;  // shown instead of the value: "not given", "not computed", ...
};

// The texts of the title and approval blocks as the item gives them (one
// line each); an empty one was not given.
struct SheetTexts {
    std::string project, vessel, drawing, revision, purpose;
    std::string prepared_by, checked_by, approved_by;
};

// A record of the native report: Windows-1252 text and its six style codes.
struct ReportRecord {
    std::string text;
    std::array<int, 6> styles{};
};

// A labelled dimension of the sketch: `size` in one length unit common to
// all dimensions of the sketch (it sets the drawing), `text` the value as
// the label shows it after the symbol ("60.0000 in."; empty: the symbol
// alone). A pipe's size is a dimension "NPS" whose size is the pipe's
// outside radius and whose text is its designation ("NPS 3", "DN 80").
struct Dimension {
    std::string symbol;
    double size = 0;  // 0: not given, not drawn
    std::string text;
};

enum class Component { head, jacket, coil };

// Head: A, Bn, t, g0s, g1s, hs and, when given, g0n, g1n, hn.
// Jacket or coil: D, ts, Tj, Fillet (the weld) and either NPS or r (the
// formed inside radius).
struct Sketch {
    Component component = Component::head;
    std::vector<Dimension> dimensions;
    std::string focus;  // the symbol of a dimension drawn highlighted
};

struct Series {
    std::string name, unit;
    std::vector<double> y;  // one per x; NaN or infinite where not computed
    bool right_axis = false;
};

// A marked value: a vertical line at an x, or a horizontal line at a y of
// the left axis.
struct Mark {
    std::string label;
    double value = 0;
    bool vertical = true;
};

struct Plot {
    std::string title, x_label, x_unit;
    std::string y_label;  // of the left axis; empty: its series' names
    std::vector<double> x;
    std::vector<Series> series;
    std::vector<Mark> marks;
};

struct Document {
    // As the report names them: the analysis ("Half-Pipe Jacket Analysis"),
    // its method ("ASME Appendix EE") and the code's edition ("2015"; empty
    // where the report states none).
    std::string analysis, method, edition;
    SheetTexts texts;
    std::string item, description, materials, unit_system;  // empty: not given
    std::string date_time, library_version, input_name, sha256;
    Verdict verdict = Verdict::not_analysed;
    int governing = -1;  // index into checks, -1 for none
    std::vector<CheckRow> checks;
    std::vector<ValueRow> values;
    std::vector<std::string> input_warnings;  // the item ran, but look again
    std::vector<std::string> reasons;         // why the item is not analysed
    std::vector<std::string> notes;           // what a reader of the results must know
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
    bool passes = false;  // the governing check
};

// The index of a batch's sheets.
std::string index_html(const std::string& title, const std::vector<IndexEntry>& entries);

// Fills the analysis, its method and the code edition from the report's
// title lines.
void name_analysis(Document& doc);

// The whole HTML document.
std::string html(const Document& doc);

// A number in 5 significant digits, without trailing zeros; a dash when
// not finite.
std::string significant(double v, int digits = 5);

// A check's utilization in per cent with one decimal ("97.3 %"), never on
// the wrong side of its verdict: a failing check shows more than 100 %, a
// passing one at most 100 %. A dash when not finite.
std::string percent(double utilization, bool passes);

// ---- Figures (svg.cpp) --------------------------------------------------

// The sketch's caption: drawn to scale, or to scale but for those.
std::string sketch_caption(const Sketch& s);

// A plot axis: its ends and tick step, round numbers around the finite
// values; {0, 1, 0.2} when there are none.
struct Axis {
    double low = 0, high = 1, step = 0.2;
};
Axis axis_of(const std::vector<double>& values);

// The figures' styles (CSS), for the sheet and for a figure on its own.
const char* figure_style();

// A sketch as an SVG file of its own: its styles inside, its caption below.
std::string standalone_sketch_svg(const Sketch& s);

}  // namespace tx14::sheet
