// Text boxes and label placement, where they can go wrong: characters
// counted once however many bytes they take, a segment meeting a box, and
// a label kept off what is drawn.
#include <gtest/gtest.h>

#include "layout.hpp"

namespace sheet = tx14::sheet;

namespace {

TEST(SheetLayout, TextWidthCountsEachCharacterOnce)
{
    const double em = 12;  // at 12 px, an advance of 2048 units is 12
    const struct {
        std::string_view text;
        double width;  // in ems
    } cases[] = {
        {"", 0},
        {"0", 1303.0 / 2048},
        {"00", 2 * 1303.0 / 2048},
        {"\xC2\xB0", 1024.0 / 2048},                   // the degree sign: two bytes, one character
        {"m\xC2\xB2", (1995.0 + 821) / 2048},          // m²
        {"\xC2\xAD", 0},                               // a soft hyphen is not drawn
        {"\xE2\x89\xA5", 1716.0 / 2048},               // ≥
        {"\xE6\xB0\xB4", 1},                           // not in the table: an em
        {"\xFF", 1},                                   // not UTF-8: one unknown character
        {"\xC3", 1},                                   // cut short
        {"a\xE2\x89", (1255.0 + 2048 + 2048) / 2048},  // cut short: each byte unknown
    };
    for (const auto& c : cases)
        EXPECT_NEAR(sheet::text_width(c.text, em), c.width * em, 1e-9) << c.text.size();
}

TEST(SheetLayout, TextBoxStandsOnItsAnchor)
{
    const double w = sheet::text_width("ts", 12);
    const struct {
        sheet::Anchor anchor;
        double x0;
    } cases[] = {{sheet::Anchor::start, 100}, {sheet::Anchor::middle, 100 - w / 2}, {sheet::Anchor::end, 100 - w}};
    for (const auto& c : cases) {
        const sheet::Box b = sheet::text_box("ts", 12, 100, 50, c.anchor);
        EXPECT_DOUBLE_EQ(b.x0, c.x0);
        EXPECT_DOUBLE_EQ(b.x1 - b.x0, w);
        EXPECT_LT(b.y0, 50 - 10);  // the ascender above the baseline
        EXPECT_GT(b.y1, 52);       // the descender below it
    }
}

TEST(SheetLayout, SegmentCrossesABoxWhereSomeOfItLiesInside)
{
    const sheet::Box b{10, 10, 20, 20};
    const struct {
        sheet::Segment s;
        bool crosses;
    } cases[] = {
        {{{0, 15}, {30, 15}}, true},   // through
        {{{12, 12}, {14, 14}}, true},  // wholly inside
        {{{0, 0}, {30, 30}}, true},    // diagonally through the corners
        {{{0, 10}, {30, 10}}, false},  // along an edge: touches only
        {{{0, 0}, {10, 10}}, false},   // ends at a corner
        {{{0, 25}, {30, 25}}, false},  // beside it
        {{{15, 0}, {15, 5}}, false},   // short of it
        {{{15, 15}, {15, 15}}, true},  // a point inside
        {{{25, 25}, {25, 25}}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sheet::crosses(c.s, b), c.crosses) << c.s.a.x << "," << c.s.a.y << " " << c.s.b.x << "," << c.s.b.y;
}

TEST(SheetLayout, PolygonAndBoxOverlapWhenTheyShareTheirInsides)
{
    const std::vector<sheet::Point> l_shape{{0, 0}, {40, 0}, {40, 10}, {10, 10}, {10, 40}, {0, 40}};
    const struct {
        sheet::Box b;
        bool overlaps;
    } cases[] = {
        {{20, 20, 30, 30}, false},  // in the notch of the L
        {{2, 2, 8, 8}, true},       // inside
        {{-5, -5, 50, 50}, true},   // around it
        {{35, 5, 45, 15}, true},    // over an edge
        {{40, 0, 50, 10}, false},   // touching an edge
    };
    for (const auto& c : cases)
        EXPECT_EQ(sheet::overlaps(l_shape, c.b), c.overlaps) << c.b.x0 << "," << c.b.y0;
}

sheet::Label text(std::string s)
{
    sheet::Label l;
    l.text = std::move(s);
    return l;
}

TEST(SheetLayout, LabelTakesTheFirstFreeSpotElseStandsAwayWithALeader)
{
    sheet::Layout layout(200);
    layout.solid({{50, 40}, {150, 40}, {150, 80}, {50, 80}});
    layout.line({{0, 100}, {200, 100}}, 7);
    // On the part: the second spot.
    const sheet::Label& a =
        layout.place(text("A = 1"), {{100, 60, sheet::Anchor::middle}, {100, 30, sheet::Anchor::middle}}, {100, 40});
    EXPECT_DOUBLE_EQ(a.y, 30);
    EXPECT_FALSE(a.leader);
    // On its own line (group 7) it may stand; on another's it may not.
    EXPECT_DOUBLE_EQ(layout.place(text("B"), {{20, 104, sheet::Anchor::middle}}, {20, 100}, 7).y, 104);
    const sheet::Label& c = layout.place(text("C"), {{60, 104, sheet::Anchor::middle}}, {60, 100}, 3);
    EXPECT_TRUE(c.leader);
    EXPECT_FALSE(sheet::crosses({{0, 100}, {200, 100}}, c.box));
    // Nowhere free in the figure's width: outside every box placed, below them.
    sheet::Layout narrow(40);
    narrow.solid({{0, 0}, {40, 0}, {40, 60}, {0, 60}});
    const sheet::Label& d = narrow.place(text("much too wide for it"), {{20, 30, sheet::Anchor::middle}}, {20, 30});
    EXPECT_TRUE(d.leader);
    EXPECT_GT(d.box.y0, 60);
    // Every label placed keeps off the others.
    const auto& all = layout.labels();
    for (std::size_t i = 0; i < all.size(); ++i)
        for (std::size_t j = i + 1; j < all.size(); ++j)
            EXPECT_FALSE(all[i].box.overlaps(all[j].box)) << all[i].text << " / " << all[j].text;
}

}  // namespace
