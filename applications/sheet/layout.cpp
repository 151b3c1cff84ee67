// Text boxes and label placement of the sheet's figures.
#include "layout.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "font_advances.hpp"
#include "txappendix14_text.hpp"

namespace tx14::sheet {
namespace {

constexpr double kLabelGap = 2;  // between two labels, or a label and a part
constexpr double kLineGap = 1;   // between a label and a line

int advance_of(char32_t c)
{
    if (c == 0xAD)
        return 0;  // a soft hyphen is not drawn
    if (c >= 0x20 && c < 0x80)
        return font::kAsciiAdvances[c - 0x20];
    if (c >= 0xA0 && c < 0x100)
        return font::kLatin1Advances[c - 0xA0];
    for (auto [code, advance] : font::kOtherAdvances)
        if (code == c)
            return advance;
    return font::kUnknownAdvance;
}

bool segments_cross(Point p1, Point p2, Point q1, Point q2)
{
    auto side = [](Point a, Point b, Point c) { return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x); };
    const double d1 = side(q1, q2, p1), d2 = side(q1, q2, p2), d3 = side(p1, p2, q1), d4 = side(p1, p2, q2);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

// The point of a box nearest to p.
Point nearest(const Box& b, Point p) { return {std::clamp(p.x, b.x0, b.x1), std::clamp(p.y, b.y0, b.y1)}; }

Label moved_to(Label l, Point centre)
{
    const Point c = l.box.centre();
    const double dx = centre.x - c.x, dy = centre.y - c.y;
    l.x += dx, l.y += dy;
    l.box = {l.box.x0 + dx, l.box.y0 + dy, l.box.x1 + dx, l.box.y1 + dy};
    return l;
}

}  // namespace

double text_width(std::string_view utf8, double size)
{
    long units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::optional<char32_t> c = text::decode_utf8(utf8, i);
        units += advance_of(c ? *c : (++i, text::kReplacement));
    }
    return static_cast<double>(units) * size / font::kUnitsPerEm;
}

const char* anchor_name(Anchor a) { return a == Anchor::start ? "start" : a == Anchor::end ? "end" : "middle"; }

Box text_box(std::string_view utf8, double size, double x, double y, Anchor anchor)
{
    const double w = text_width(utf8, size);
    const double x0 = anchor == Anchor::start ? x : anchor == Anchor::end ? x - w : x - w / 2;
    return {x0, y - size * font::kAscender / font::kUnitsPerEm, x0 + w,
            y + size * font::kDescender / font::kUnitsPerEm};
}

bool crosses(const Segment& s, const Box& b)
{
    // Clip the segment to the box (Liang-Barsky): what is left lies inside.
    double t0 = 0, t1 = 1;
    const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {s.a.x - b.x0, b.x1 - s.a.x, s.a.y - b.y0, b.y1 - s.a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] <= 0)
                return false;  // parallel to this side and outside it (or on it)
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    return t0 < t1;
}

bool inside(Point p, std::span<const Point> polygon)
{
    bool in = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point a = polygon[i], b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            in = !in;
    }
    return in;
}

bool overlaps(std::span<const Point> polygon, const Box& b)
{
    for (std::size_t i = 0; i < polygon.size(); ++i)
        if (crosses({polygon[i], polygon[(i + 1) % polygon.size()]}, b))
            return true;
    return inside(b.centre(), polygon);
}

bool Layout::free(const Box& b, int group) const
{
    if (!(b.x0 >= 1 && b.x1 <= width_ - 1 && b.y0 >= 1))
        return false;
    const Box wide = b.grown(kLabelGap);
    for (const Label& l : labels_)
        if (l.box.overlaps(wide))
            return false;
    for (const Box& f : fixed_)
        if (f.overlaps(wide))
            return false;
    for (const auto& polygon : solids_)
        if (overlaps(polygon, wide))
            return false;
    const Box near = b.grown(kLineGap);
    for (const Line& l : lines_)
        if (l.group != kYields && (group < 0 || l.group != group) && crosses(l.s, near))
            return false;
    return true;
}

// How far a leader is from clear: never over a label, and crossing a
// dimension's lines (it would seem to point at them) or a part's outline
// only at a price.
double Layout::leader_cost(const Segment& leader) const
{
    for (const Label& l : labels_)
        if (crosses(leader, l.box.grown(kLabelGap)))
            return INFINITY;
    for (const Box& f : fixed_)
        if (crosses(leader, f))
            return INFINITY;
    double cost = 0;
    for (const Line& l : lines_)
        if (l.group >= 0 && segments_cross(leader.a, leader.b, l.s.a, l.s.b))
            cost += 50;
    for (const auto& polygon : solids_) {
        for (std::size_t i = 0; i < polygon.size(); ++i)  // across a part to its far side
            if (segments_cross(leader.a, leader.b, polygon[i], polygon[(i + 1) % polygon.size()]))
                cost += 50;
        for (int k = 1; k < 10; ++k) {  // over it, or along its outline
            const Point p{leader.a.x + (leader.b.x - leader.a.x) * k / 10,
                          leader.a.y + (leader.b.y - leader.a.y) * k / 10};
            if (overlaps(polygon, Box{p.x, p.y, p.x, p.y}.grown(1.5)))
                cost += 10;
        }
    }
    return cost;
}

Label& Layout::place(Label label, const std::vector<Spot>& spots, Point target, int group)
{
    auto at = [&](const Spot& s) {
        Label l = label;
        l.x = s.x, l.y = s.y, l.anchor = s.anchor, l.group = group;
        l.box = text_box(l.text, l.size, s.x, s.y, s.anchor);
        return l;
    };
    auto with_leader = [&](Label l) {
        l.leader = true, l.leader_line = {nearest(l.box, target), target};
        line(l.leader_line);
        return l;
    };
    for (const Spot& s : spots) {
        Label l = at(s);
        if (!free(l.box, group) || (label.leader && leader_cost({nearest(l.box, target), target}) >= 50))
            continue;
        return labels_.emplace_back(label.leader ? with_leader(std::move(l)) : std::move(l));
    }
    // Rings around the first spot, the directions away from the target
    // first: the nearest place whose leader is clear, or crosses fewest lines.
    const Label first = at(spots.empty() ? Spot{target.x, target.y, Anchor::middle} : spots[0]);
    const Point c = first.box.centre();
    const double away = std::atan2(c.y - target.y, c.x - target.x);
    constexpr int kDirections = 24;
    std::optional<Label> best;
    double best_cost = INFINITY;
    for (double r = 14; r <= 700 && r < best_cost; r += 10) {
        for (int k = 0; k < kDirections; ++k) {
            const double turn = (k % 2 == 0 ? 1 : -1) * ((k + 1) / 2) * 2 * std::numbers::pi / kDirections;
            Label l = moved_to(first, {c.x + r * std::cos(away + turn), c.y + r * std::sin(away + turn)});
            if (!free(l.box, -1))
                continue;
            const double cost = r + leader_cost({nearest(l.box, target), target});
            if (cost < best_cost)
                best_cost = cost, best = std::move(l);
        }
    }
    if (best)
        return labels_.emplace_back(with_leader(std::move(*best)));
    // Nowhere near: below everything, where the leader is clearest.
    const double half = (first.box.x1 - first.box.x0) / 2, y = extent().y1 + 12 + (first.box.y1 - first.box.y0) / 2;
    Label l = moved_to(first, {std::max(half + 1, std::min(target.x, width_ - half - 1)), y});
    double cost = leader_cost({nearest(l.box, target), target});
    for (double x = half + 1; x <= width_ - half - 1 && cost > 0; x += 8) {
        Label there = moved_to(first, {x, y});
        if (const double c = leader_cost({nearest(there.box, target), target}); c < cost)
            cost = c, l = std::move(there);
    }
    return labels_.emplace_back(with_leader(std::move(l)));
}

Box Layout::extent() const
{
    Box e{INFINITY, INFINITY, -INFINITY, -INFINITY};
    auto take = [&](Point p) {
        e.x0 = std::min(e.x0, p.x), e.y0 = std::min(e.y0, p.y);
        e.x1 = std::max(e.x1, p.x), e.y1 = std::max(e.y1, p.y);
    };
    for (const auto& polygon : solids_)
        for (Point p : polygon)
            take(p);
    for (const Line& l : lines_)
        take(l.s.a), take(l.s.b);
    for (const Box& b : fixed_)
        take({b.x0, b.y0}), take({b.x1, b.y1});
    for (const Label& l : labels_)
        take({l.box.x0, l.box.y0}), take({l.box.x1, l.box.y1});
    return e.x0 <= e.x1 ? e : Box{};
}

}  // namespace tx14::sheet
