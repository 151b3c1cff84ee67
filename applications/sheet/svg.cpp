// The sheet's figures as inline SVG: the sketch of the component with its
// dimensions labelled, and the plot of results against a thickness.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "escape.hpp"
#include "sheet.hpp"

namespace tx14::sheet {
namespace {

std::string num(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", std::isfinite(v) ? v : 0.0);
    return buf;
}

const Dimension* find(const Sketch& s, const char* symbol)
{
    for (const Dimension& d : s.dimensions)
        if (d.symbol == symbol && d.size > 0 && std::isfinite(d.size))
            return &d;
    return nullptr;
}

// ---- Drawing primitives ---------------------------------------------------

struct Canvas {
    std::string out;
    double height = 0;

    void line(double x1, double y1, double x2, double y2, const char* cls)
    {
        out += "<line class=\"" + std::string(cls) + "\" x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" +
               num(x2) + "\" y2=\"" + num(y2) + "\"/>\n";
    }
    void polygon(std::initializer_list<std::pair<double, double>> pts, const char* cls)
    {
        out += "<polygon class=\"" + std::string(cls) + "\" points=\"";
        for (auto [x, y] : pts)
            out += num(x) + "," + num(y) + " ";
        out += "\"/>\n";
    }
    void text(double x, double y, const std::string& s, const char* anchor, const char* cls = "label")
    {
        out += "<text class=\"" + std::string(cls) + "\" x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" +
               anchor + "\">" + text::svg(s) + "</text>\n";
    }
    void path(const std::string& d, const char* cls)
    {
        out += "<path class=\"" + std::string(cls) + "\" d=\"" + d + "\"/>\n";
    }
};

std::string label_of(const Dimension& d) { return d.symbol + " = " + d.text; }

// A diameter drawn from the axis in a half section.
std::string half_label(const Dimension& d) { return d.symbol + "/2, " + label_of(d); }

// A dimension between two points on a horizontal (or vertical) line, with
// extension ticks at both ends and its label beside it.
void horizontal_dimension(Canvas& c, double x1, double x2, double y, const std::string& label,
                          const char* anchor = "middle", double label_dy = -4)
{
    c.line(x1, y, x2, y, "dim");
    c.line(x1, y - 4, x1, y + 4, "dim");
    c.line(x2, y - 4, x2, y + 4, "dim");
    double x = std::string_view(anchor) == "middle"  ? (x1 + x2) / 2
               : std::string_view(anchor) == "start" ? std::max(x1, x2) + 6
                                                     : std::min(x1, x2) - 6;
    c.text(x, y + (std::string_view(anchor) == "middle" ? label_dy : 4), label, anchor);
}

void vertical_dimension(Canvas& c, double x, double y1, double y2, const Dimension& d, const char* anchor = "start")
{
    c.line(x, y1, x, y2, "dim");
    c.line(x - 4, y1, x + 4, y1, "dim");
    c.line(x - 4, y2, x + 4, y2, "dim");
    c.text(std::string_view(anchor) == "start" ? x + 6 : x - 6, (y1 + y2) / 2 + 4, label_of(d), anchor);
}

// Sizes as drawn: the given ones, or in a schematic sketch at least 5 % of
// the largest so that every part shows.
struct Sizes {
    const Sketch& s;
    bool scaled;
    double largest = 0;

    double operator()(const char* symbol, double fallback) const
    {
        const Dimension* d = find(s, symbol);
        double v = d ? d->size : fallback * largest;
        return scaled ? v : std::max(v, 0.05 * largest);
    }
};

constexpr double kWidth = 640, kHeight = 360;

std::string svg_open(const char* title, double height)
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"figure\" viewBox=\"0 0 " + num(kWidth) + " " +
           num(height) + "\" role=\"img\"><title>" + title + "</title>\n";
}

// The flat head in half section through the axis, opening at the left:
// the head plate, the shell hub below it and the nozzle hub above it.
Canvas head_sketch(const Sketch& s, bool scaled, double largest)
{
    Sizes at{s, scaled, largest};
    double A = at("A", 1), Bn = at("Bn", 0.5), t = at("t", 0.08);
    double g0s = at("g0s", 0.02), g1s = std::max(at("g1s", 0.03), g0s), hs = at("hs", 0.06);
    bool nozzle = find(s, "hn") != nullptr;
    double g0n = nozzle ? at("g0n", 0.02) : 0, g1n = nozzle ? std::max(at("g1n", 0.03), g0n) : 0;
    double hn = nozzle ? at("hn", 0.06) : 0;
    double shell = std::max(hs, 0.08 * A), neck = nozzle ? std::max(hn, 0.06 * A) : 0;

    // Model: r from the axis to A/2, z upwards from the head's lower face.
    double r_max = A / 2, z_min = -(hs + shell), z_max = t + hn + neck;
    double k = std::min(430 / r_max, 250 / (z_max - z_min));
    double x0 = 90, y0 = 40 + z_max * k;  // the axis at x0, z = 0 at y0
    auto X = [&](double r) { return x0 + r * k; };
    auto Y = [&](double z) { return y0 - z * k; };

    Canvas c;
    c.line(X(0), Y(z_max) - 10, X(0), Y(z_min) + 10, "axis");
    c.text(X(0) + 4, Y(z_max) - 2, "axis", "start", "note");
    // Head plate with the shell hub below it.
    c.polygon({{X(Bn / 2), Y(t)},
               {X(r_max), Y(t)},
               {X(r_max), Y(z_min)},
               {X(r_max - g0s), Y(z_min)},
               {X(r_max - g0s), Y(-hs)},
               {X(r_max - g1s), Y(0)},
               {X(Bn / 2), Y(0)}},
              "part");
    c.line(X(r_max - 1.5 * g0s), Y(z_min), X(r_max + 0.5 * g0s), Y(z_min), "break");
    if (nozzle) {
        c.polygon({{X(Bn / 2), Y(t)},
                   {X(Bn / 2 + g1n), Y(t)},
                   {X(Bn / 2 + g0n), Y(t + hn)},
                   {X(Bn / 2 + g0n), Y(z_max)},
                   {X(Bn / 2), Y(z_max)}},
                  "part");
        c.line(X(Bn / 2 - 0.5 * g0n), Y(z_max), X(Bn / 2 + 1.5 * g0n), Y(z_max), "break");
    }

    // Dimensions.
    double right = X(r_max) + 18;
    if (auto d = find(s, "A"))
        horizontal_dimension(c, X(0), X(r_max), Y(z_min) + 36, half_label(*d), "start");
    if (auto d = find(s, "Bn"))
        horizontal_dimension(c, X(0), X(Bn / 2), Y(z_max) - 14, half_label(*d));
    if (auto d = find(s, "t"))
        vertical_dimension(c, right, Y(t), Y(0), *d);
    if (auto d = find(s, "hs"))
        vertical_dimension(c, right, Y(0), Y(-hs), *d);
    if (auto d = find(s, "g1s"))
        horizontal_dimension(c, X(r_max - g1s), X(r_max), Y(0) + 20, label_of(*d), "end");
    if (auto d = find(s, "g0s"))
        horizontal_dimension(c, X(r_max - g0s), X(r_max), Y(z_min) + 14, label_of(*d), "end");
    if (nozzle) {
        double left = X(Bn / 2) - 14;
        if (auto d = find(s, "hn"))
            vertical_dimension(c, left, Y(t + hn), Y(t), *d, "end");
        if (auto d = find(s, "g1n"))
            horizontal_dimension(c, X(Bn / 2), X(Bn / 2 + g1n), Y(t) - 8, label_of(*d), "start");
        if (auto d = find(s, "g0n"))
            horizontal_dimension(c, X(Bn / 2), X(Bn / 2 + g0n), Y(z_max) + 14, label_of(*d), "start");
    }
    c.height = Y(z_min) + 50;
    return c;
}

// A half-pipe jacket or limpet coil on its shell, in section through the
// shell's axis: a length of the wall with one pipe and its fillet welds.
// The shell's axis lies far below; D is shown to it with a break.
Canvas jacket_sketch(const Sketch& s, bool scaled, double largest)
{
    // The pipe's outside radius: of a standard pipe, or the formed radius r
    // plus the wall.
    const Dimension *nps = find(s, "NPS"), *r = find(s, "r"), *Tj_given = find(s, "Tj");
    double Rp = nps ? nps->size : r ? r->size + (Tj_given ? Tj_given->size : 0) : 0.05 * largest;
    // The detail is drawn to its own scale when the whole is not to scale.
    double local = scaled ? largest : Rp * 4;
    Sizes detail{s, scaled, local};
    double ts = detail("ts", 0.1), Tj = std::min(detail("Tj", 0.05), 0.6 * Rp), w = detail("weld", 0.05);

    double half = 2.2 * Rp;  // the length of wall shown on each side of the pipe
    double k = std::min(250 / half, 200 / (Rp + ts + 0.4 * Rp));
    double xc = 300, y_out = 30 + Rp * k;  // pipe centre on the shell's outer face
    auto X = [&](double u) { return xc + u * k; };
    auto Y = [&](double v) { return y_out - v * k; };

    Canvas c;
    c.polygon({{X(-half), Y(0)}, {X(half), Y(0)}, {X(half), Y(-ts)}, {X(-half), Y(-ts)}}, "part");
    // The half pipe: outer and inner semicircles.
    std::string d = "M" + num(X(-Rp)) + "," + num(Y(0)) + " A" + num(Rp * k) + "," + num(Rp * k) + " 0 0 1 " +
                    num(X(Rp)) + "," + num(Y(0)) + " L" + num(X(Rp - Tj)) + "," + num(Y(0)) + " A" +
                    num((Rp - Tj) * k) + "," + num((Rp - Tj) * k) + " 0 0 0 " + num(X(-(Rp - Tj))) + "," + num(Y(0)) +
                    " Z";
    c.path(d, "part");
    for (double side : {-1.0, 1.0})
        c.polygon({{X(side * Rp), Y(0)}, {X(side * (Rp + w)), Y(0)}, {X(side * Rp), Y(w)}}, "weld");

    // The shell's axis, D/2 below the inner face.
    double y_axis = Y(-ts) + 90;
    c.line(X(-half), y_axis, X(half), y_axis, "axis");
    c.text(X(half), y_axis - 4, "shell axis", "end", "note");

    if (auto dim = find(s, "D")) {
        double x = X(-half) + 40;
        c.line(x, Y(-ts), x, y_axis, "dim");
        c.line(x - 4, Y(-ts), x + 4, Y(-ts), "dim");
        c.line(x - 5, (Y(-ts) + y_axis) / 2 - 3, x + 5, (Y(-ts) + y_axis) / 2 + 3, "dim");  // break
        c.text(x + 6, (Y(-ts) + y_axis) / 2 + 18, half_label(*dim), "start");
    }
    if (auto dim = find(s, "ts"))
        vertical_dimension(c, X(half) + 14, Y(0), Y(-ts), *dim);
    if (nps)
        horizontal_dimension(c, X(0), X(Rp), Y(0) - 10, label_of(*nps), "middle", -4);
    else if (r)
        horizontal_dimension(c, X(0), X(Rp - Tj), Y(0) - 10, label_of(*r), "middle", -4);
    if (auto dim = find(s, "Tj"))
        horizontal_dimension(c, X(-Rp), X(-(Rp - Tj)), Y(Rp * 0.15), label_of(*dim), "end");
    if (auto dim = find(s, "weld"))
        horizontal_dimension(c, X(Rp), X(Rp + w), Y(0) + 14 + ts * k, label_of(*dim), "start");
    c.line(X(0), Y(Rp) - 8, X(0), Y(-ts) + 8, "axis");
    c.height = y_axis + 20;
    return c;
}

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

}  // namespace

bool to_scale(const Sketch& s)
{
    double smallest = 0, largest = 0;
    for (const Dimension& d : s.dimensions) {
        if (!(d.size > 0) || !std::isfinite(d.size))
            continue;
        smallest = smallest == 0 ? d.size : std::min(smallest, d.size);
        largest = std::max(largest, d.size);
    }
    return largest > 0 && smallest >= 0.02 * largest;
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

std::string sketch_svg(const Sketch& s)
{
    double largest = 0;
    for (const Dimension& d : s.dimensions)
        if (d.size > 0 && std::isfinite(d.size))
            largest = std::max(largest, d.size);
    if (largest == 0)
        largest = 1;
    bool scaled = to_scale(s);
    Canvas c = s.component == Component::head ? head_sketch(s, scaled, largest) : jacket_sketch(s, scaled, largest);
    return svg_open(s.component == Component::head     ? "Flat head with a central opening"
                    : s.component == Component::jacket ? "Half-pipe jacket on its shell"
                                                       : "Limpet coil on its shell",
                    c.height) +
           c.out + "</svg>";
}

std::string plot_svg(const Plot& p)
{
    constexpr double left = 78, right = kWidth - 78, top = 24, bottom = kHeight - 92;
    std::vector<double> xs = p.x, ys_left, ys_right;
    for (const Series& s : p.series)
        (s.right_axis ? ys_right : ys_left).insert((s.right_axis ? ys_right : ys_left).end(), s.y.begin(), s.y.end());
    for (const Mark& m : p.marks)
        (m.vertical ? xs : m.right_axis ? ys_right : ys_left).push_back(m.value);
    Axis ax = axis_of(xs), ayl = axis_of(ys_left), ayr = axis_of(ys_right);
    auto X = [&](double v) { return left + (v - ax.low) / (ax.high - ax.low) * (right - left); };
    auto Y = [&](const Axis& a, double v) { return bottom - (v - a.low) / (a.high - a.low) * (bottom - top); };

    Canvas c;
    c.out = svg_open("Plot", kHeight);
    c.line(left, bottom, right, bottom, "frame");
    c.line(left, top, left, bottom, "frame");
    auto ticks = [&](const Axis& a, auto place) {
        for (int i = 0; a.step > 0 && i <= 20; ++i) {
            double v = a.low + i * a.step;
            if (v > a.high + a.step * 1e-6)
                break;
            place(v);
        }
    };
    ticks(ax, [&](double v) {
        c.line(X(v), bottom, X(v), bottom + 5, "frame");
        c.line(X(v), top, X(v), bottom, "grid");
        c.text(X(v), bottom + 18, tick_text(v, ax.step), "middle", "tick");
    });
    ticks(ayl, [&](double v) {
        c.line(left - 5, Y(ayl, v), left, Y(ayl, v), "frame");
        c.line(left, Y(ayl, v), right, Y(ayl, v), "grid");
        c.text(left - 8, Y(ayl, v) + 4, tick_text(v, ayl.step), "end", "tick");
    });
    bool has_right = !ys_right.empty();
    if (has_right) {
        c.line(right, top, right, bottom, "frame");
        ticks(ayr, [&](double v) {
            c.line(right, Y(ayr, v), right + 5, Y(ayr, v), "frame");
            c.text(right + 8, Y(ayr, v) + 4, tick_text(v, ayr.step), "start", "tick");
        });
    }
    c.text((left + right) / 2, bottom + 38, p.x_label + " (" + p.x_unit + ")", "middle", "axis-label x-axis");
    std::string left_name, right_name;
    for (const Series& s : p.series) {
        std::string& name = s.right_axis ? right_name : left_name;
        if (!s.right_axis && !p.y_label.empty())
            name = p.y_label + (s.unit.empty() ? "" : " (" + s.unit + ")");
        else
            name += (name.empty() ? "" : ", ") + s.name + (s.unit.empty() ? "" : " (" + s.unit + ")");
    }
    c.out += "<text class=\"axis-label y-axis\" transform=\"translate(16," + num((top + bottom) / 2) +
             ") rotate(-90)\" text-anchor=\"middle\">" + text::svg(left_name) + "</text>\n";
    if (has_right)
        c.out += "<text class=\"axis-label y-axis\" transform=\"translate(" + num(kWidth - 10) + "," +
                 num((top + bottom) / 2) + ") rotate(-90)\" text-anchor=\"middle\">" + text::svg(right_name) +
                 "</text>\n";

    // Series: a line broken where a point is missing, and a symbol per point.
    static const char* kLine[] = {"series s0", "series s1", "series s2"};
    for (std::size_t k = 0; k < p.series.size(); ++k) {
        const Series& s = p.series[k];
        const Axis& a = s.right_axis ? ayr : ayl;
        std::string d;
        bool pen = false;
        for (std::size_t i = 0; i < s.y.size() && i < p.x.size(); ++i) {
            if (!std::isfinite(s.y[i]) || !std::isfinite(p.x[i])) {
                pen = false;
                continue;
            }
            d += (pen ? " L" : " M") + num(X(p.x[i])) + "," + num(Y(a, s.y[i]));
            pen = true;
        }
        c.path(d.empty() ? "M0,0" : d, kLine[k % 3]);
    }
    // Marks: a dashed line across the plot and its label.
    for (const Mark& m : p.marks) {
        if (!std::isfinite(m.value))
            continue;
        if (m.vertical) {
            c.line(X(m.value), top, X(m.value), bottom, "mark");
            c.text(X(m.value) + 3, top + 10, m.label, "start", "mark-label");
        } else {
            const Axis& a = m.right_axis ? ayr : ayl;
            c.line(left, Y(a, m.value), right, Y(a, m.value), "mark");
            c.text(right - 4, Y(a, m.value) - 4, m.label, "end", "mark-label");
        }
    }
    // Legend below the axis title.
    double lx = left;
    for (std::size_t k = 0; k < p.series.size(); ++k) {
        c.path("M" + num(lx) + "," + num(kHeight - 22) + " L" + num(lx + 30) + "," + num(kHeight - 22), kLine[k % 3]);
        std::string name = p.series[k].name + (p.series[k].right_axis ? " (right axis)" : "");
        c.text(lx + 36, kHeight - 18, name, "start", "legend");
        lx += 60 + 6.5 * static_cast<double>(name.size());
    }
    return c.out + "</svg>";
}

}  // namespace tx14::sheet
