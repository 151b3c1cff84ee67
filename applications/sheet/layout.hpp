// Where the texts of a figure go: their boxes, from the advance widths of
// the figures' font, and a place for each label that keeps it off the other
// labels and off the drawing, with a leader where it has to stand away from
// what it names. Coordinates in SVG user units, y downwards.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tx14::sheet {

struct Point {
    double x = 0, y = 0;
};

struct Segment {
    Point a, b;
};

struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    // Their insides meet (boxes that only touch do not).
    bool overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
    Box grown(double d) const { return {x0 - d, y0 - d, x1 + d, y1 + d}; }
    Point centre() const { return {(x0 + x1) / 2, (y0 + y1) / 2}; }
};

// The advance width of a UTF-8 text in the figures' font at `size` px: the
// sum of its characters' advances (no kerning); a byte that is not UTF-8
// counts as one unknown character.
double text_width(std::string_view utf8, double size);

enum class Anchor { start, middle, end };
const char* anchor_name(Anchor a);  // SVG's text-anchor

// The box a browser gives a text drawn with its anchor at x and its
// baseline at y: its advance across, the font's ascender and descender up
// and down.
Box text_box(std::string_view utf8, double size, double x, double y, Anchor anchor);

bool crosses(const Segment& s, const Box& b);  // any part of s inside b
bool inside(Point p, std::span<const Point> polygon);
bool overlaps(std::span<const Point> polygon, const Box& b);  // they share some of their insides

// A spot a label may take: its anchor point (on the baseline) and which
// end of the text is there.
struct Spot {
    double x = 0, y = 0;
    Anchor anchor = Anchor::middle;
};

struct Label {
    std::string text;
    std::string cls;  // of its SVG text: "label", "tick", "mark-label", ...
    double size = 12;
    double x = 0, y = 0;
    Anchor anchor = Anchor::middle;
    Box box;
    bool leader = false;  // a line from the box to what it names
    Segment leader_line;
    bool underlined = false;  // a dimension not to scale
    bool focus = false;       // the highlighted one
    int group = -1;           // of the lines it may lie over: its dimension's
};

inline constexpr int kYields = -2;  // the group of a line that gives way to labels

class Layout {
public:
    // Labels stay within x = 0 to `width` and below y = 0.
    explicit Layout(double width) : width_(width) {}

    // What labels keep off: a part, a drawn line (one of group `group` may
    // lie over a label of the same group: a dimension's text on its own
    // dimension line; one of kYields under any label, a centre line drawn
    // broken around the texts), a fixed text.
    void solid(std::vector<Point> polygon) { solids_.push_back(std::move(polygon)); }
    void line(Segment s, int group = -1) { lines_.push_back({s, group}); }
    void fixed(Box b) { fixed_.push_back(b); }

    // Places a label at the first free spot; failing that, at the nearest
    // free place around the first spot, with a leader to `target`; failing
    // that, below everything. A label with `leader` set (a callout) has its
    // leader wherever it goes.
    Label& place(Label label, const std::vector<Spot>& spots, Point target, int group = -1);

    // Free for a label of `group`: within the figure, off every part, line,
    // fixed text and label placed, with some clearance.
    bool free(const Box& b, int group) const;

    // The box of everything drawn or placed so far.
    Box extent() const;

    struct Line {
        Segment s;
        int group;
    };
    std::vector<Label>& labels() { return labels_; }
    const std::vector<Label>& labels() const { return labels_; }
    const std::vector<std::vector<Point>>& solids() const { return solids_; }
    const std::vector<Line>& lines() const { return lines_; }

private:
    double leader_cost(const Segment& leader) const;
    double width_;
    std::vector<std::vector<Point>> solids_;
    std::vector<Line> lines_;
    std::vector<Box> fixed_;
    std::vector<Label> labels_;
};

}  // namespace tx14::sheet
