// The sheet's figures as inline SVG: the sketch of the component, to scale,
// with its dimensions, and the plot of results against a thickness. Labels
// are placed by their boxes (layout.hpp) so that none covers another or the
// drawing.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "escape.hpp"
#include "figures.hpp"
#include "sheet.hpp"

namespace tx14::sheet {
namespace {

constexpr double kWidth = 640;
// A figure is printed 40em of 10pt wide, 141 mm: 1 mm on paper in user units.
constexpr double kOneMm = kWidth / 141;
constexpr double kArrow = 7, kArrowHalf = 2.2;  // arrowhead length and half width

std::string num(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", std::isfinite(v) ? v : 0.0);
    return buf;
}

std::string points(std::span<const Point> pts)
{
    std::string out;
    for (Point p : pts)
        out += (out.empty() ? "" : " ") + num(p.x) + "," + num(p.y);
    return out;
}

std::string line_svg(Point a, Point b, std::string_view cls)
{
    return "<line class=\"" + std::string(cls) + "\" x1=\"" + num(a.x) + "\" y1=\"" + num(a.y) + "\" x2=\"" + num(b.x) +
           "\" y2=\"" + num(b.y) + "\"/>\n";
}

Point along(Point p, Point unit, double d) { return {p.x + unit.x * d, p.y + unit.y * d}; }

Point unit_from(Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, n = std::hypot(dx, dy);
    return n > 0 ? Point{dx / n, dy / n} : Point{1, 0};
}

// ---- A drawing and its labels ----------------------------------------------

struct Drawing {
    std::string out;
    Layout layout{kWidth};
    std::string focus;  // symbol highlighted
    int groups = 0;
    // Labels are placed once everything is drawn, in the order given.
    struct Pending {
        Label label;
        std::vector<Spot> spots;
        Point target;
        int group;
    };
    std::vector<Pending> pending;

    void later(Label l, std::vector<Spot> spots, Point target, int group = -1)
    {
        pending.push_back({std::move(l), std::move(spots), target, group});
    }
    void place_labels()
    {
        for (Pending& p : pending)
            layout.place(std::move(p.label), p.spots, p.target, p.group);
        pending.clear();
    }

    std::string cls(const char* base, const std::string& symbol) const
    {
        return !symbol.empty() && symbol == focus ? std::string(base) + " focus" : std::string(base);
    }
    void line(Point a, Point b, const std::string& c, int group = -1)
    {
        out += line_svg(a, b, c);
        layout.line({a, b}, group);
    }
    // A centre line: drawn last, broken where a label stands over it.
    std::vector<Segment> centre_lines;
    void centre_line(Point a, Point b)
    {
        centre_lines.push_back({a, b});
        layout.line({a, b}, kYields);
    }
    void polygon(std::vector<Point> pts, const std::string& c)
    {
        out += "<polygon class=\"" + c + "\" points=\"" + points(pts) + "\"/>\n";
        layout.solid(std::move(pts));
    }
    // An arrowhead with its tip at `tip`, pointing along `unit`.
    void arrow(Point tip, Point unit, const std::string& c)
    {
        const Point base = along(tip, unit, -kArrow);
        const Point side{-unit.y * kArrowHalf, unit.x * kArrowHalf};
        polygon({tip, {base.x + side.x, base.y + side.y}, {base.x - side.x, base.y - side.y}}, c);
    }
};

Label text_label(std::string text, std::string cls, double size)
{
    Label l;
    l.text = std::move(text), l.cls = std::move(cls), l.size = size;
    return l;
}

const Dimension* find(const Sketch& s, std::string_view symbol)
{
    for (const Dimension& d : s.dimensions)
        if (d.symbol == symbol && d.size > 0 && std::isfinite(d.size))
            return &d;
    return nullptr;
}

std::string label_of(const Dimension& d)
{
    if (d.symbol == "NPS")
        return d.text.empty() ? "NPS" : d.text;
    return d.text.empty() ? d.symbol : d.symbol + " = " + d.text;
}

// Sizes in user units at a scale: one that would be under 1 mm on paper is
// drawn 1 mm and noted, as is one drawn out of proportion.
struct Scale {
    double k = 1;  // user units per length unit
    std::vector<std::string> enlarged;

    void note(std::string_view symbol)
    {
        if (std::find(enlarged.begin(), enlarged.end(), symbol) == enlarged.end())
            enlarged.emplace_back(symbol);
    }
    double operator()(std::string_view symbol, double size)
    {
        const double v = size * k;
        if (v >= kOneMm)
            return v;
        note(symbol);
        return kOneMm;
    }
};

// A dimension's label at the first free spot, else with a leader to target.
void label(Drawing& d, const Dimension& dim, const Scale& scale, const std::vector<Spot>& spots, Point target,
           int group, bool callout = false)
{
    Label l = text_label(label_of(dim), "label", 12);
    l.underlined = std::find(scale.enlarged.begin(), scale.enlarged.end(), dim.symbol) != scale.enlarged.end();
    l.focus = dim.symbol == d.focus;
    l.leader = callout;
    d.later(std::move(l), spots, target, group);
}

// A linear dimension of `symbol` between a and b (horizontal or
// vertical): arrows inside, or outside pointing in where the span is short.
void dimension_line(Drawing& d, Point a, Point b, const std::string& symbol, int group)
{
    const Point u = unit_from(a, b);
    const std::string arrow = d.cls("arrow", symbol);
    if (std::hypot(b.x - a.x, b.y - a.y) >= 2 * kArrow + 4) {
        d.line(a, b, d.cls("dim", symbol), group);
        d.arrow(a, {-u.x, -u.y}, arrow);
        d.arrow(b, u, arrow);
        return;
    }
    d.line(along(a, u, -(kArrow + 8)), along(b, u, kArrow + 8), d.cls("dim", symbol), group);
    d.arrow(a, u, arrow);
    d.arrow(b, {-u.x, -u.y}, arrow);
}

// A diameter in a half section: from the part's face across the axis, one
// arrow at the face.
void diameter_line(Drawing& d, Point face, Point axis, const std::string& symbol, int group)
{
    const Point u = unit_from(face, axis);
    d.line(face, along(axis, u, 10), d.cls("dim", symbol), group);
    d.arrow(face, {-u.x, -u.y}, d.cls("arrow", symbol));
}

void extension(Drawing& d, Point from, Point to, int group)
{
    const Point u = unit_from(from, to);
    d.line(along(from, u, 2), along(to, u, 3), "extension", group);
}

// The distance between faces at y0 and y1, dimensioned upright at x from
// the side of the part at x_side; its label beside the middle of the
// line, else at one of `others`.
void upright(Drawing& d, const Dimension& dim, const Scale& scale, double x_side, double x, double y0, double y1,
             std::initializer_list<Spot> others)
{
    const int g = d.groups++;
    extension(d, {x_side, y0}, {x, y0}, g);
    extension(d, {x_side, y1}, {x, y1}, g);
    dimension_line(d, {x, y0}, {x, y1}, dim.symbol, g);
    std::vector<Spot> spots{{x + 5, (y0 + y1) / 2 + 4, Anchor::start}};
    spots.insert(spots.end(), others);
    label(d, dim, scale, spots, {x, (y0 + y1) / 2}, g);
}

// ---- The flat head ----------------------------------------------------------

// The head in half section through the axis, opening at the left: one
// forging of the plate, the shell hub below it (g1s at the plate tapering
// to g0s over hs) and, when given, the nozzle hub above it (g1n to g0n over
// hn). Sizes missing are drawn in the proportions of a usual head.
void head_sketch(Drawing& d, const Sketch& s, Scale& scale)
{
    auto size = [&](const char* symbol, double fraction_of_A) {
        const Dimension* dim = find(s, symbol);
        const Dimension* A = find(s, "A");
        return dim ? dim->size : (A ? A->size : 60) * fraction_of_A;
    };
    const double A = size("A", 1), Bn = size("Bn", 0.5), t = size("t", 1.0 / 15);
    const double g0s = size("g0s", 1.0 / 60), g1s = std::max(size("g1s", 1.0 / 40), g0s), hs = size("hs", 1.0 / 20);
    const bool nozzle = find(s, "g0n") || find(s, "g1n") || find(s, "hn");
    const double g0n = size("g0n", 1.0 / 60), g1n = std::max(size("g1n", 1.0 / 34), g0n), hn = size("hn", 1.0 / 20);

    scale.k = std::min(430 / (A / 2), 230 / (t + hs + (nozzle ? hn : 0)));
    const double a = A / 2 * scale.k, t_ = scale("t", t), hs_ = scale("hs", hs);
    // A hub's thickness at the plate, g1 to its g0 at the end.
    auto at_plate = [&](const char* symbol, double g1, double g0, double g0_) {
        double g1_ = scale(symbol, g1);
        if (g1 > g0 && g1_ <= g0_)  // g0 drawn larger: the taper still shows
            g1_ = g0_ * std::min(g1 / g0, 2.0), scale.note(symbol);
        if (find(s, symbol) && find(s, symbol)->size < g0)  // thinner at the plate: drawn without a taper
            scale.note(symbol);
        return g1_;
    };
    const double g0s_ = scale("g0s", g0s), g1s_ = at_plate("g1s", g1s, g0s, g0s_);
    const double g0n_ = nozzle ? scale("g0n", g0n) : 0, hn_ = nozzle ? scale("hn", hn) : 0;
    const double g1n_ = nozzle ? at_plate("g1n", g1n, g0n, g0n_) : 0;
    double bn = Bn / 2 * scale.k;
    if (bn + g1n_ + kOneMm > a - g1s_ || !(bn >= 0)) {  // no room for the plate: not a real head
        bn = std::max(0.0, a - g1s_ - g1n_ - 4 * kOneMm);
        scale.note("Bn");
    }

    const double shell_tail = 36, neck_tail = 34;
    const double xa = 40, xo = xa + a, xb = xa + bn;
    const double y_top = 62, y0 = y_top + (nozzle ? hn_ + neck_tail : 0), y1 = y0 + t_;
    const double y_hs = y1 + hs_, y_end = y_hs + shell_tail;
    // Where a sloping face stands at a height below (or above) its start.
    auto taper = [](double from, double to, double length, double down) {
        return from + (to - from) * std::min(down / length, 1.0);
    };

    d.centre_line({xa, y_top - 40}, {xa, y_end + 42});
    std::vector<Point> part{{xb, y1}, {xo - g1s_, y1}, {xo - g0s_, y_hs}, {xo - g0s_, y_end}, {xo, y_end}, {xo, y0}};
    if (nozzle)
        part.insert(part.end(), {{xb + g1n_, y0}, {xb + g0n_, y0 - hn_}, {xb + g0n_, y_top}, {xb, y_top}});
    else
        part.push_back({xb, y0});
    d.polygon(part, "part");
    // Where the hubs meet the plate and end, and where the drawing is cut.
    d.line({xo - g1s_, y1}, {xo, y1}, "junction");
    d.line({xo - g0s_, y_hs}, {xo, y_hs}, "junction");
    d.line({xo - g0s_ - 6, y_end}, {xo + 6, y_end}, "break");
    if (nozzle) {
        d.line({xb, y0}, {xb + g1n_, y0}, "junction");
        d.line({xb, y0 - hn_}, {xb + g0n_, y0 - hn_}, "junction");
        d.line({xb - 6, y_top}, {xb + g0n_ + 6, y_top}, "break");
    }
    d.later(text_label("axis", "note", 11), {{xa + 4, y_top - 30, Anchor::start}}, {xa, y_top - 34});

    if (const Dimension* dim = find(s, "A")) {
        const int g = d.groups++;
        const double y = y_end + 26;
        extension(d, {xo, y_end}, {xo, y}, g);
        diameter_line(d, {xo, y}, {xa, y}, "A", g);
        label(d, *dim, scale, {{(xa + xo) / 2, y - 4, Anchor::middle}, {(xa + xo) / 2, y + 13, Anchor::middle}},
              {xo, y}, g);
    }
    if (const Dimension* dim = find(s, "Bn")) {
        const int g = d.groups++;
        const double y = y_top - 22;
        extension(d, {xb, nozzle ? y_top : y0}, {xb, y}, g);
        diameter_line(d, {xb, y}, {xa, y}, "Bn", g);
        label(d, *dim, scale,
              {{(xa + xb) / 2, y - 4, Anchor::middle}, {xb + 6, y - 4, Anchor::start}, {xb + 6, y + 13, Anchor::start}},
              {xb, y}, g);
    }
    const double x_t = xo + 18;
    if (const Dimension* dim = find(s, "t"))
        upright(d, *dim, scale, xo, x_t, y0, y1, {{x_t + 5, y0 - 4, Anchor::start}, {x_t + 5, y0 - 12, Anchor::start}});
    if (const Dimension* dim = find(s, "hs"))
        upright(d, *dim, scale, xo, x_t, y1, y_hs,
                {{x_t + 5, y_hs + 14, Anchor::start}, {x_t + 5, y_hs + 24, Anchor::start}});
    // A hub's thickness across it, a little from its end, written inside the vessel.
    auto across = [&](const char* symbol, double y, double x_in, double x_out, bool text_left) {
        const Dimension* dim = find(s, symbol);
        if (!dim)
            return;
        const int g = d.groups++;
        dimension_line(d, {x_in, y}, {x_out, y}, symbol, g);
        const double gap = x_out - x_in >= 2 * kArrow + 4 ? 4 : kArrow + 11;
        const Spot left{x_in - gap, y + 4, Anchor::end}, right{x_out + gap, y + 4, Anchor::start};
        label(d, *dim, scale,
              text_left ? std::vector<Spot>{left, {x_in - gap, y + 16, Anchor::end}, right}
                        : std::vector<Spot>{right, {x_out + gap, y - 10, Anchor::start}, left},
              text_left ? Point{x_in - gap + 3, y} : Point{x_out + gap - 3, y}, g);  // a leader meets the line's end
    };
    const double dy1 = std::min(6.0, hs_ / 2), dy0 = std::min(12.0, shell_tail / 2);
    across("g1s", y1 + dy1, xo - taper(g1s_, g0s_, hs_, dy1), xo, true);
    across("g0s", y_hs + dy0, xo - g0s_, xo, true);
    if (nozzle) {
        const double up1 = std::min(6.0, hn_ / 2), up0 = std::min(16.0, neck_tail / 2);
        if (const Dimension* dim = find(s, "hn")) {  // first: its text has one good place
            const int g = d.groups++;
            // Beyond the texts of g1n and g0n beside the hub, where the plate is long enough.
            double beside = 0;
            for (const char* symbol : {"g1n", "g0n"})
                if (const Dimension* g = find(s, symbol))
                    beside = std::max(beside, text_width(label_of(*g), 12));
            const double x_h = xb + g1n_ + 30 + beside <= xo - 10 ? xb + g1n_ + 30 + beside : xb + g1n_ + 40;
            extension(d, {xb + g0n_, y0 - hn_}, {x_h, y0 - hn_}, g);
            dimension_line(d, {x_h, y0 - hn_}, {x_h, y0}, "hn", g);
            label(d, *dim, scale, {{x_h + 5, y0 - hn_ / 2 + 4, Anchor::start}, {x_h + 5, y0 - hn_ - 6, Anchor::start}},
                  {x_h, y0 - hn_ / 2}, g);
        }
        across("g1n", y0 - up1, xb, xb + taper(g1n_, g0n_, hn_, up1), false);
        across("g0n", y0 - hn_ - up0, xb, xb + g0n_, false);
    }
}

// ---- The half-pipe jacket or limpet coil ------------------------------------

// A length of the cylinder's wall in section through its axis, with one
// half pipe and its fillet welds; the cylinder's axis, D/2 below the inner
// face, drawn nearer with a break.
void jacket_sketch(Drawing& d, const Sketch& s, Scale& scale)
{
    const Dimension *nps = find(s, "NPS"), *r = find(s, "r"), *Tj_dim = find(s, "Tj");
    const double Tj = Tj_dim ? Tj_dim->size : 0.1;
    const double Rp = nps ? nps->size : r ? r->size + Tj : 1.75;  // the pipe's outside radius
    const Dimension* ts_dim = find(s, "ts");
    const double ts = ts_dim ? ts_dim->size : 0.5;
    const Dimension* weld = find(s, "Fillet");

    scale.k = std::min(95 / Rp, 220 / (Rp + ts));
    const double R = Rp * scale.k, ts_ = scale("ts", ts);
    double tj_ = scale("Tj", Tj);
    if (tj_ > 0.8 * R) {  // thicker than the pipe: not a real pipe
        tj_ = 0.8 * R;
        scale.note("Tj");
    }
    const double w_ = weld ? scale("Fillet", weld->size) : 0;
    const double xc = 280, half = std::min(R + 130, 215.0);
    const double y_face = 52 + R, y_in = y_face + ts_, y_axis = y_in + 70;
    const Point c{xc, y_face};
    auto on_circle = [&](double radius, double degrees) {
        const double a = degrees * std::numbers::pi / 180;
        return Point{xc + radius * std::cos(a), y_face - radius * std::sin(a)};
    };

    d.polygon({{xc - half, y_face}, {xc + half, y_face}, {xc + half, y_in}, {xc - half, y_in}}, "part");
    // The half pipe: an outer and an inner semicircle; the layout keeps
    // labels off the whole half disc, the channel too.
    const double ri = R - tj_;
    d.out += "<path class=\"part\" d=\"M" + num(xc - R) + "," + num(y_face) + " A" + num(R) + "," + num(R) + " 0 0 1 " +
             num(xc + R) + "," + num(y_face) + " L" + num(xc + ri) + "," + num(y_face) + " A" + num(ri) + "," +
             num(ri) + " 0 0 0 " + num(xc - ri) + "," + num(y_face) + " Z\"/>\n";
    std::vector<Point> disc;
    for (int i = 0; i <= 36; ++i)
        disc.push_back(on_circle(R, 5.0 * i));
    d.layout.solid(std::move(disc));
    if (weld)
        for (double side : {-1.0, 1.0})
            d.polygon({{xc + side * R, y_face}, {xc + side * (R + w_), y_face}, {xc + side * R, y_face - w_}},
                      d.cls("weld", "Fillet"));
    d.centre_line({xc, y_in + 8}, {xc, y_face - R - 10});
    d.centre_line({xc - half, y_axis}, {xc + half, y_axis});
    d.later(text_label("cylinder axis", "note", 11),
            {{xc + half, y_axis - 5, Anchor::end}, {xc + half, y_axis + 13, Anchor::end}}, {xc + half, y_axis});

    if (ts_dim) {
        const double x = xc + half + 16;
        upright(d, *ts_dim, scale, xc + half, x, y_face, y_in, {{x + 5, y_in + 16, Anchor::start}});
    }
    if (const Dimension* D = find(s, "D")) {
        const int g = d.groups++;
        const double x = xc - half + 40, y_break = (y_in + y_axis) / 2;
        diameter_line(d, {x, y_in}, {x, y_axis}, "D", g);
        d.line({x - 6, y_break + 3}, {x + 6, y_break - 3}, d.cls("dim", "D"), g);  // broken: not to scale
        label(d, *D, scale,
              {{x + 6, y_break + 16, Anchor::start},
               {x - 6, y_break + 16, Anchor::end},
               {x + 6, y_axis + 16, Anchor::start}},
              {x, y_break}, g);
    }
    if (Tj_dim) {
        const int g = d.groups++;
        const Point out = on_circle(R, 135), in = on_circle(ri, 135), u = unit_from(c, out);
        d.line(in, out, d.cls("dim", "Tj"), g);
        d.line(out, along(out, u, 14), d.cls("dim", "Tj"), g);
        d.line(in, along(in, u, -12), d.cls("dim", "Tj"), g);
        d.arrow(out, {-u.x, -u.y}, d.cls("arrow", "Tj"));
        d.arrow(in, u, d.cls("arrow", "Tj"));
        const Point end = along(out, u, 16);
        label(d, *Tj_dim, scale, {{end.x - 2, end.y, Anchor::end}, {end.x, end.y - 6, Anchor::middle}}, end, g);
    }
    // The pipe's size, or its radius, called out from beyond the pipe.
    const Point rim = on_circle(R, 60);
    const std::vector<Spot> beyond_rim{{rim.x + 24, rim.y - 18, Anchor::start},
                                       {rim.x + 34, rim.y - 6, Anchor::start},
                                       {rim.x + 10, rim.y - 26, Anchor::start}};
    if (nps) {
        label(d, *nps, scale, beyond_rim, rim, -1, true);
    } else if (r) {
        const int g = d.groups++;
        const Point at = on_circle(ri, 60);
        d.line(c, at, d.cls("dim", "r"), g);
        d.arrow(at, unit_from(c, at), d.cls("arrow", "r"));
        label(d, *r, scale, beyond_rim, at, g, true);
    }
    if (weld) {
        const Point at{xc + R + w_ / 3, y_face - w_ / 3};
        label(d, *weld, scale,
              {{at.x + 40, at.y - 28, Anchor::start},
               {at.x + 50, at.y - 12, Anchor::start},
               {at.x + 24, at.y - 44, Anchor::start}},
              at, -1, true);
    }
}

// ---- Rendering ----------------------------------------------------------------

std::string svg_open(const char* title, double height, bool standalone)
{
    return std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"figure\" viewBox=\"0 0 ") + num(kWidth) +
           " " + num(height) + "\"" +
           (standalone ? " width=\"" + num(kWidth) + "\" height=\"" + num(height) + "\"" : "") +
           " role=\"img\"><title>" + title + "</title>\n";
}

// The pieces of a horizontal or vertical line left between the labels over it.
std::vector<Segment> broken_by_labels(Segment s, const Layout& layout)
{
    const bool vertical = s.a.x == s.b.x;
    auto at = [&](Point p) { return vertical ? p.y : p.x; };
    double from = std::min(at(s.a), at(s.b)), to = std::max(at(s.a), at(s.b));
    std::vector<std::pair<double, double>> gaps;
    for (const Label& l : layout.labels()) {
        const Box b = l.box.grown(2);
        if (crosses(s, b))
            gaps.push_back(vertical ? std::pair{b.y0, b.y1} : std::pair{b.x0, b.x1});
    }
    std::sort(gaps.begin(), gaps.end());
    std::vector<Segment> pieces;
    auto piece = [&](double u0, double u1) {
        if (u1 > u0)
            pieces.push_back(vertical ? Segment{{s.a.x, u0}, {s.a.x, u1}} : Segment{{u0, s.a.y}, {u1, s.a.y}});
    };
    for (auto [g0, g1] : gaps) {
        piece(from, std::min(g0, to));
        from = std::max(from, g1);
    }
    piece(from, to);
    return pieces;
}

std::string labels_svg(const Layout& layout)
{
    std::string out;
    for (const Label& l : layout.labels()) {
        if (l.leader)
            out += line_svg(l.leader_line.a, l.leader_line.b, "leader");
        if (l.focus) {
            const Box b = l.box.grown(1);
            out += "<rect class=\"focus-box\" x=\"" + num(b.x0) + "\" y=\"" + num(b.y0) + "\" width=\"" +
                   num(b.x1 - b.x0) + "\" height=\"" + num(b.y1 - b.y0) + "\"/>\n";
        }
        out += "<text class=\"" + l.cls + (l.focus ? " focus" : "") + "\" x=\"" + num(l.x) + "\" y=\"" + num(l.y) +
               "\" text-anchor=\"" + anchor_name(l.anchor) + "\">" + text::svg(l.text) + "</text>\n";
        if (l.underlined)
            out += line_svg({l.box.x0, l.y + 2}, {l.box.x1, l.y + 2}, "not-to-scale");
    }
    return out;
}

const char* title_of(Component c)
{
    return c == Component::head     ? "Flat head with a central opening"
           : c == Component::jacket ? "Half-pipe jacket on its cylinder"
                                    : "Limpet coil on its cylinder";
}

// Words of a text in lines no wider than `width` at `size`.
std::vector<std::string> wrapped(const std::string& text, double size, double width)
{
    std::vector<std::string> lines(1);
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find(' ', i);
        end = end == std::string::npos ? text.size() : end;
        const std::string word = text.substr(i, end - i);
        const std::string joined = lines.back().empty() ? word : lines.back() + " " + word;
        if (lines.back().empty() || text_width(joined, size) <= width)
            lines.back() = joined;
        else
            lines.push_back(word);
        i = end + 1;
    }
    return lines;
}

// ---- The plot ---------------------------------------------------------------------

// A tick step of 1, 2 or 5 times a power of ten, about a fifth of the span.
double nice_step(double span)
{
    double raw = span / 5;
    double p = std::pow(10.0, std::floor(std::log10(raw)));
    double m = raw / p;
    return (m <= 1 ? 1 : m <= 2 ? 2 : m <= 5 ? 5 : 10) * p;
}

std::string tick_text(double v, double step)
{
    if (std::fabs(v) < step * 1e-9)
        v = 0;
    return significant(v, 6);
}

struct PlotArea {
    double left = 78, right = kWidth - 78, top = 30, bottom = 270;
};

// A text that stays where it is put: a tick, an axis title, the legend.
void fixed_text(Drawing& d, double x, double y, const std::string& s, Anchor a, const char* cls, double size)
{
    Label l = text_label(s, cls, size);
    l.x = x, l.y = y, l.anchor = a, l.box = text_box(s, size, x, y, a);
    d.layout.fixed(l.box);
    d.layout.labels().push_back(std::move(l));
}

void ticks(const Axis& a, auto place)
{
    for (int i = 0; a.step > 0 && i <= 20; ++i) {
        double v = a.low + i * a.step;
        if (v > a.high + a.step * 1e-6)
            break;
        place(v);
    }
}

void mark_labels(Drawing& d, const Plot& p, const PlotArea& f, auto X, auto Y)
{
    for (const Mark& m : p.marks) {
        if (!std::isfinite(m.value))
            continue;
        const int g = d.groups++;
        Label l = text_label(m.label, "mark-label", 11);
        if (m.vertical) {
            const double x = X(m.value);
            std::vector<Spot> spots{{x + 4, f.top + 12, Anchor::start},
                                    {x - 4, f.top + 12, Anchor::end},
                                    {x + 4, f.top - 6, Anchor::start},
                                    {x - 4, f.top - 6, Anchor::end}};
            for (double y = f.top + 26; y < f.bottom - 4; y += 14)
                spots.insert(spots.end(), {{x + 4, y, Anchor::start}, {x - 4, y, Anchor::end}});
            d.layout.place(std::move(l), spots, {x, f.top + 8}, g);
        } else {
            const double y = Y(m.value);
            std::vector<Spot> spots{{f.right - 4, y - 4, Anchor::end},
                                    {f.right - 4, y + 13, Anchor::end},
                                    {f.left + 4, y - 4, Anchor::start},
                                    {f.left + 4, y + 13, Anchor::start}};
            for (double x = f.right - 60; x > f.left + 60; x -= 40)
                spots.insert(spots.end(), {{x, y - 4, Anchor::end}, {x, y + 13, Anchor::end}});
            d.layout.place(std::move(l), spots, {f.right - 4, y}, g);
        }
    }
}

}  // namespace

std::string sketch_caption(const Sketch& s)
{
    if (std::none_of(s.dimensions.begin(), s.dimensions.end(), [](const Dimension& d) { return !d.text.empty(); }))
        return std::string("What each dimension key measures, on a usual ") +
               (s.component == Component::head ? "flat head with a central opening, in half section through the axis."
                : s.component == Component::jacket
                    ? "half-pipe jacket: a length of the cylinder wall with one pipe, in section."
                    : "limpet coil: a length of the cylinder wall with one coil, in section.");
    const std::vector<std::string> enlarged = sketch_figure(s).not_to_scale;
    std::string out = s.component == Component::head
                          ? "Half section through the axis, drawn to scale"
                          : "A length of the cylinder wall with one pipe, in section, drawn to scale; the "
                            "cylinder's axis, D/2 away, is drawn nearer (broken dimension)";
    if (enlarged.empty())
        return out + ".";
    out += ". Not to scale: ";
    for (std::size_t i = 0; i < enlarged.size(); ++i)
        out += (i ? ", " : "") + enlarged[i];
    return out + " (underlined; under 1 mm or out of proportion at this scale, drawn larger).";
}

Axis axis_of(const std::vector<double>& values)
{
    double low = INFINITY, high = -INFINITY;
    for (double v : values) {
        if (std::isfinite(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    if (!(low <= high))
        return {};
    if (high - low <= 1e-9 * std::max(std::fabs(low), std::fabs(high))) {
        double pad = low == 0 ? 1 : std::fabs(low) * 0.1;
        low -= pad, high += pad;
    }
    // A span beyond what a double can step through: no ticks between the ends.
    if (!std::isfinite(high - low))
        return {low, high, high / 2 - low / 2};
    double step = nice_step(high - low);
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

const char* figure_style()
{
    return R"(svg .part { fill: #ccc; stroke: #000; stroke-width: 1.5; }
svg .weld { fill: #000; stroke: #000; }
svg .axis { stroke: #000; stroke-width: 0.8; stroke-dasharray: 12 3 2 3; fill: none; }
svg .break { stroke: #000; stroke-width: 1; stroke-dasharray: 4 2; }
svg .junction { stroke: #000; stroke-width: 0.6; stroke-dasharray: 3 2; }
svg .dim, svg .extension, svg .leader { stroke: #000; stroke-width: 0.7; }
svg .arrow { fill: #000; stroke: none; }
svg .not-to-scale { stroke: #000; stroke-width: 1.4; }
svg .frame { stroke: #000; stroke-width: 1; }
svg .grid { stroke: #ccc; stroke-width: 0.5; }
svg .mark { stroke: #000; stroke-width: 1; stroke-dasharray: 6 4; }
svg .series { fill: none; stroke: #000; stroke-width: 2; }
svg .s1 { stroke-dasharray: 8 4; stroke: #444; }
svg .s2 { stroke-dasharray: 2 3; }
svg text { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 12px; fill: #000; font-kerning: none; }
svg text.tick, svg text.note, svg text.mark-label { font-size: 11px; }
svg text.note { font-style: italic; }
svg .dim.focus, svg .weld.focus { stroke: #b00020; stroke-width: 2; }
svg .arrow.focus, svg .weld.focus, svg text.focus { fill: #b00020; }
svg .focus-box { fill: #fff3b0; stroke: #b00020; stroke-width: 1; }
)";
}

Figure sketch_figure(const Sketch& s)
{
    Drawing d;
    d.focus = s.focus;
    Scale scale;
    if (s.component == Component::head)
        head_sketch(d, s, scale);
    else
        jacket_sketch(d, s, scale);
    d.place_labels();
    const double height = std::ceil(d.layout.extent().y1 + 8);
    Figure f;
    for (const Segment& line : d.centre_lines)
        for (const Segment& piece : broken_by_labels(line, d.layout))
            d.out += line_svg(piece.a, piece.b, "axis");
    f.svg = svg_open(title_of(s.component), height, false) + d.out + labels_svg(d.layout) + "</svg>";
    f.width = kWidth, f.height = height;
    f.layout = std::move(d.layout);
    f.not_to_scale = std::move(scale.enlarged);
    return f;
}

std::string standalone_sketch_svg(const Sketch& s)
{
    Figure f = sketch_figure(s);
    std::string notes;
    double y = f.height + 10;
    for (const std::string& line : wrapped(sketch_caption(s), 11, kWidth - 20)) {
        notes += "<text class=\"note\" x=\"10\" y=\"" + num(y) + "\">" + text::svg(line) + "</text>\n";
        y += 14;
    }
    const std::size_t body = f.svg.find("</title>\n") + 9;
    return svg_open(title_of(s.component), y, true) + "<style>\n" + figure_style() +
           "</style>\n<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n" +
           f.svg.substr(body, f.svg.size() - body - 6) + notes + "</svg>\n";
}

Figure plot_figure(const Plot& p)
{
    const PlotArea f;
    std::vector<double> xs = p.x, ys_left, ys_right;
    for (const Series& s : p.series)
        (s.right_axis ? ys_right : ys_left).insert((s.right_axis ? ys_right : ys_left).end(), s.y.begin(), s.y.end());
    for (const Mark& m : p.marks)
        (m.vertical ? xs : ys_left).push_back(m.value);
    const Axis ax = axis_of(xs), ayl = axis_of(ys_left), ayr = axis_of(ys_right);
    auto X = [&](double v) { return f.left + (v - ax.low) / (ax.high - ax.low) * (f.right - f.left); };
    auto Y = [&](const Axis& a, double v) { return f.bottom - (v - a.low) / (a.high - a.low) * (f.bottom - f.top); };

    Drawing d;
    auto frame = [&](Point a, Point b) { d.line(a, b, "frame"); };
    auto grid = [&](Point a, Point b) { d.out += line_svg(a, b, "grid"); };
    frame({f.left, f.bottom}, {f.right, f.bottom});
    frame({f.left, f.top}, {f.left, f.bottom});
    double last_tick = -INFINITY;
    ticks(ax, [&](double v) {
        frame({X(v), f.bottom}, {X(v), f.bottom + 5});
        grid({X(v), f.top}, {X(v), f.bottom});
        const std::string s = tick_text(v, ax.step);
        const Box b = text_box(s, 11, X(v), f.bottom + 18, Anchor::middle);
        if (b.x0 > last_tick + 4) {  // else too crowded: every other one
            fixed_text(d, X(v), f.bottom + 18, s, Anchor::middle, "tick", 11);
            last_tick = b.x1;
        }
    });
    ticks(ayl, [&](double v) {
        frame({f.left - 5, Y(ayl, v)}, {f.left, Y(ayl, v)});
        grid({f.left, Y(ayl, v)}, {f.right, Y(ayl, v)});
        fixed_text(d, f.left - 8, Y(ayl, v) + 4, tick_text(v, ayl.step), Anchor::end, "tick", 11);
    });
    const bool has_right = !ys_right.empty();
    if (has_right) {
        frame({f.right, f.top}, {f.right, f.bottom});
        ticks(ayr, [&](double v) {
            frame({f.right, Y(ayr, v)}, {f.right + 5, Y(ayr, v)});
            fixed_text(d, f.right + 8, Y(ayr, v) + 4, tick_text(v, ayr.step), Anchor::start, "tick", 11);
        });
    }
    fixed_text(d, (f.left + f.right) / 2, f.bottom + 38, p.x_label + " (" + p.x_unit + ")", Anchor::middle,
               "axis-label x-axis", 12);
    std::string left_name, right_name;
    for (const Series& s : p.series) {
        std::string& name = s.right_axis ? right_name : left_name;
        if (!s.right_axis && !p.y_label.empty())
            name = p.y_label + (s.unit.empty() ? "" : " (" + s.unit + ")");
        else
            name += (name.empty() ? "" : ", ") + s.name + (s.unit.empty() ? "" : " (" + s.unit + ")");
    }
    // The axes' titles, turned: their boxes stand upright beside the axes.
    auto y_title = [&](double x, const std::string& name) {
        const double w = text_width(name, 12), mid = (f.top + f.bottom) / 2;
        d.out += "<text class=\"axis-label y-axis\" transform=\"translate(" + num(x) + "," + num(mid) +
                 ") rotate(-90)\" text-anchor=\"middle\">" + text::svg(name) + "</text>\n";
        d.layout.fixed({x - 12 * 0.93, mid - w / 2, x + 12 * 0.24, mid + w / 2});
    };
    y_title(18, left_name);
    if (has_right)
        y_title(kWidth - 8, right_name);

    // Series: a line broken where a point is missing, and a symbol per point.
    static const char* kLine[] = {"series s0", "series s1", "series s2"};
    for (std::size_t k = 0; k < p.series.size(); ++k) {
        const Series& s = p.series[k];
        const Axis& a = s.right_axis ? ayr : ayl;
        std::string path;
        bool pen = false;
        Point last;
        for (std::size_t i = 0; i < s.y.size() && i < p.x.size(); ++i) {
            if (!std::isfinite(s.y[i]) || !std::isfinite(p.x[i])) {
                pen = false;
                continue;
            }
            const Point at{X(p.x[i]), Y(a, s.y[i])};
            if (pen)
                d.layout.line({last, at});
            path += (pen ? " L" : " M") + num(at.x) + "," + num(at.y);
            pen = true, last = at;
        }
        d.out += "<path class=\"" + std::string(kLine[k % 3]) + "\" d=\"" + (path.empty() ? "M0,0" : path) + "\"/>\n";
    }
    // Marks: a dashed line across the plot, its label placed clear of the rest.
    int group = 0;
    for (const Mark& m : p.marks) {
        if (!std::isfinite(m.value))
            continue;
        if (m.vertical)
            d.line({X(m.value), f.top}, {X(m.value), f.bottom}, "mark", group++);
        else
            d.line({f.left, Y(ayl, m.value)}, {f.right, Y(ayl, m.value)}, "mark", group++);
    }
    d.groups = 0;
    mark_labels(d, p, f, X, [&](double v) { return Y(ayl, v); });
    // The legend below the axis title, in as many rows as it takes.
    double lx = f.left, ly = f.bottom + 62;
    for (std::size_t k = 0; k < p.series.size(); ++k) {
        const std::string name = p.series[k].name + (p.series[k].right_axis ? " (right axis)" : "");
        const double w = 36 + text_width(name, 12);
        if (lx > f.left && lx + w > kWidth - 8)
            lx = f.left, ly += 18;
        d.out += "<path class=\"" + std::string(kLine[k % 3]) + "\" d=\"M" + num(lx) + "," + num(ly - 4) + " L" +
                 num(lx + 30) + "," + num(ly - 4) + "\"/>\n";
        fixed_text(d, lx + 36, ly, name, Anchor::start, "legend", 12);
        lx += w + 24;
    }
    Figure out;
    out.height = std::ceil(std::max(ly + 10, d.layout.extent().y1 + 6));
    out.width = kWidth;
    out.svg = svg_open("Plot", out.height, false) + d.out + labels_svg(d.layout) + "</svg>";
    out.layout = std::move(d.layout);
    return out;
}

}  // namespace tx14::sheet
