// The figures as an approver reads them: on every example and on items made
// of them at random (fixed seed), no label over another, over a part or
// across a line not its own; numbers as the report writes them; the sketch
// of an item being entered; the guides in docs/ as the program draws them.
// First the geometry those checks rely on.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "figures.hpp"
#include "item.hpp"
#include "item_sheet.hpp"
#include "txappendix14.hpp"

namespace {

namespace fs = std::filesystem;
namespace sheet = tx14::sheet;

// The measures the label checks below stand on: a text's width, each
// character counted once however many bytes it takes; a segment or polygon
// meeting a box only where they share its inside.
TEST(SheetLayout, TextWidthsAndWhereSegmentsAndPolygonsMeetABox)
{
    // Widths in ems of 2048 units.
    const std::pair<std::string_view, double> widths[] = {
        {"m\xC2\xB2", (1995.0 + 821) / 2048},        // m²
        {"\xC2\xAD", 0},                             // a soft hyphen is not drawn
        {"\xE6\xB0\xB4", 1},                         // not in the table: an em
        {"\xFF", 1},                                 // not UTF-8: one unknown character
        {"a\xE2\x89", (1255.0 + 2 * 2048) / 2048}};  // cut short: each byte unknown
    for (const auto& [text, width] : widths)
        EXPECT_NEAR(sheet::text_width(text, 12), width * 12, 1e-9) << text.size();
    const sheet::Box b{10, 10, 20, 20};
    const std::pair<sheet::Segment, bool> segments[] = {
        {{{0, 15}, {30, 15}}, true},  {{{12, 12}, {14, 14}}, true}, {{{0, 0}, {30, 30}}, true},
        {{{15, 15}, {15, 15}}, true}, {{{0, 10}, {30, 10}}, false},  // along an edge
        {{{0, 0}, {10, 10}}, false},  {{{15, 0}, {15, 5}}, false},  {{{25, 25}, {25, 25}}, false}};
    for (const auto& [s, crosses] : segments)
        EXPECT_EQ(sheet::crosses(s, b), crosses) << s.a.x << "," << s.a.y << " " << s.b.x << "," << s.b.y;
    const std::vector<sheet::Point> l_shape{{0, 0}, {40, 0}, {40, 10}, {10, 10}, {10, 40}, {0, 40}};
    const std::pair<sheet::Box, bool> boxes[] = {{{20, 20, 30, 30}, false},  // in the notch of the L
                                                 {{2, 2, 8, 8}, true},
                                                 {{-5, -5, 50, 50}, true},
                                                 {{35, 5, 45, 15}, true},
                                                 {{40, 0, 50, 10}, false}};  // touching an edge
    for (const auto& [box, overlaps] : boxes)
        EXPECT_EQ(sheet::overlaps(l_shape, box), overlaps) << box.x0 << "," << box.y0;
}

// ---- Labels clear of each other and of the drawing ------------------------------

// What is wrong with the labels of a figure, in words; empty when nothing.
std::string faults(const sheet::Figure& f)
{
    std::string out;
    const std::vector<sheet::Label>& labels = f.layout.labels();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const sheet::Label& a = labels[i];
        const auto fault = [&](const std::string& what) { out += "\"" + a.text + "\" " + what + "; "; };
        if (a.box.x0 < 0 || a.box.x1 > f.width || a.box.y0 < 0 || a.box.y1 > f.height)
            fault("outside the figure");
        for (std::size_t j = i + 1; j < labels.size(); ++j)
            if (a.box.overlaps(labels[j].box))
                fault("over \"" + labels[j].text + "\"");
        for (const auto& part : f.layout.solids())
            if (sheet::overlaps(part, a.box))
                fault("over a part");
        for (const auto& line : f.layout.lines())
            if (line.group != sheet::kYields && (a.group < 0 || line.group != a.group) &&
                !(a.leader && line.s.a.x == a.leader_line.a.x && line.s.a.y == a.leader_line.a.y) &&
                sheet::crosses(line.s, a.box))
                fault("across a line not its own");
    }
    return out;
}

bool has_label(const sheet::Figure& f, const std::string& text)
{
    return std::ranges::any_of(f.layout.labels(), [&](const sheet::Label& l) { return l.text == text; });
}

// Every label of an item's figures clear; each dimension given and each
// marked point labelled.
void expect_clear(const tx14::Outcome& o, const tx14::Item& item, const std::string& name)
{
    tx14::Context scratch;
    tx14::Options sweep;
    sweep.report = false;
    const sheet::Document doc =
        sheet::document_of(o, [&](const tx14::Change& change) { return scratch.analyse(item, sweep, &change); }, {});
    const sheet::Figure sketch = sheet::sketch_figure(doc.sketch);
    EXPECT_EQ(faults(sketch), "") << name << " sketch";
    for (const sheet::Dimension& d : doc.sketch.dimensions)
        if (d.size > 0) {
            EXPECT_TRUE(has_label(sketch, d.symbol == "NPS" ? d.text : d.symbol + " = " + d.text))
                << name << ": " << d.symbol;
        }
    if (doc.plot.x.empty())
        return;
    const sheet::Figure plot = sheet::plot_figure(doc.plot);
    EXPECT_EQ(faults(plot), "") << name << " plot";
    for (const sheet::Mark& m : doc.plot.marks)
        EXPECT_TRUE(has_label(plot, m.label)) << name << ": " << m.label;
    // The worked jacket's labels in the decimals of its report.
    for (const char* label :
         {"D = 40.0000 in.", "Tj = 0.3000 in.", "NPS 3", "Trj = 0.270 in.", "Pj_design = 300.0000 psi"})
        EXPECT_TRUE(name != "jacket-appendix-ee-worked" || has_label(sketch, label) || has_label(plot, label)) << label;
}

// Each example, then items made of it with each number scaled at random by
// 1/3 to 3 and typed in three significant digits (its number, its pipe's
// size and its joint efficiency kept).
TEST(SheetFigures, NoLabelCoversAnotherOrTheDrawingOnExamplesAndGeneratedItems)
{
    std::mt19937 gen{20260529};
    std::uniform_real_distribution<double> log_scale(-std::log(3.0), std::log(3.0));
    int examples = 0, generated = 0;
    for (const auto& file : fs::directory_iterator(TX14_EXAMPLES_DIR)) {
        if (file.path().extension() != ".toml" || file.path().stem() == "units-bar")
            continue;
        tx14::cli::UnitCatalog units;
        tx14::cli::Diagnostics diags;
        const auto example = tx14::cli::read_item_file(file.path(), units, diags);
        ASSERT_TRUE(example) << file.path();
        ++examples;
        for (int i = 0; i <= 60 && !HasFailure(); ++i) {  // one item's faults say enough
            tx14::Item item = example->item;
            for (tx14::Entry& e : item.entries)
                if (double* v = std::get_if<double>(&e.value);
                    v && i > 0 && e.key != "item" && e.key != "NPS" && e.key != "DN" && e.key != "E")
                    *v = std::stod(sheet::significant(*v * std::exp(log_scale(gen)), 3));
            const tx14::Outcome o = tx14::analyse(item);
            ASSERT_TRUE(o.ran() || i > 0) << file.path();
            if (!o.ran())
                continue;
            generated += i > 0;
            expect_clear(o, item, file.path().stem().string() + (i ? " item " + std::to_string(i) : ""));
        }
    }
    EXPECT_GE(examples, 10);
    EXPECT_GE(generated, 500) << "too few generated items ran";
}

TEST(SheetFigures, DecimalsAreTheReportsOwn)
{
    const std::string_view ts = "    Cylinder Thickness                        ts          0.3750  in.";
    const std::tuple<std::vector<std::string_view>, std::string_view, std::optional<int>> cases[] = {
        {{ts}, "ts", 4},
        {{ts}, "s", std::nullopt},  // a symbol whole
        {{"    ts          0.3750x  in."}, "ts", std::nullopt},
        // The last line of the block is the result; formula lines before it are not.
        {{"  [Tr]:", "  = (100.0 *24.125 ) + 0.125", "  = 0.246 in.", "", "  [Trj]:", "  = 0.25 in."}, "[Tr]", 3},
        {{"    Chart Used [K]:", "     FIG. EE - 1", ""}, "[K]", std::nullopt},
    };
    for (const auto& [report, needle, decimals] : cases)
        EXPECT_EQ(sheet::report_decimals(report, needle), decimals) << needle << " in " << report[0];
    for (auto [v, decimals, shown] : {std::tuple{0.26953, std::optional{3}, "0.270"},
                                      {0.26953, std::nullopt, "0.26953"},
                                      {2.6, -3, "3"},
                                      {NAN, 2, "\xE2\x80\x94"}})
        EXPECT_EQ(sheet::fixed(v, decimals), shown) << v;
}

// ---- The sketch of an item being entered -----------------------------------------

// The component the kind and code give, the dimensions labelled (with their
// values where given), the focused one highlighted; a dimension under a
// millimetre drawn larger and underlined, the caption saying the sketch is
// not to scale. The guides in docs/ are the empty sketches as the program
// draws them (TX14_UPDATE_DOCS=1 writes them again).
TEST(SheetFigures, AnItemBeingEnteredIsDrawnWithWhatItGives)
{
    using enum sheet::Component;
    const struct {
        std::string_view json, focus;
        sheet::Component component;
        std::vector<std::string> labels;  // some of them
        bool highlighted;
        std::vector<std::string> enlarged;
        const char* guide = nullptr;  // in docs/
    } cases[] = {
        {R"({"kind":"opening"})", "", head, {"A", "Bn", "t", "g1s", "hn"}, false, {}, "sketch-opening.svg"},
        {R"({"kind":"jacket","code":"VIII-1"})", "", jacket, {"NPS", "Tj", "ts", "D"}, false, {}, "sketch-jacket.svg"},
        {R"({"kind":"jacket","code":"PD5500"})", "", coil, {"NPS", "Tj", "ts", "D"}, false, {}, "sketch-coil.svg"},
        {R"({"kind":"opening","units":"SI","A":1520,"t":"100"})", "t", head, {"A = 1520 mm", "t = 100 mm"}, true, {}},
        {R"({"kind":"jacket","code":"VIII-1","NPS":"2"})", "Tj", jacket, {"NPS 2", "Tj", "ts", "D"}, true, {}},
        {R"({"kind":"jacket","code":"PD5500","units":"SI","DN":80})", "DN", coil, {"DN 80"}, true, {}},
        {R"({"kind":"jacket","code":"EN13445","r":2.5,"P":3})", "P", coil, {"r = 2.5 in."}, false, {}},  // P: not lit
        // What no component has, or is not a number, is not drawn as given.
        {R"({"kind":"opening","A":"nan","Bn":-5,"t":"1e400","g0s":"abc","g1s":[1]})", "A", head, {"A", "t"}, true, {}},
        {R"({"kind":"reactor","units":"nowhere"})", "", head, {"A"}, false, {}},
        // Drawn larger: a hub too thin, with no taper, a plate with no room left, a pipe as thick as its size.
        {R"({"kind":"opening","A":10,"Bn":30,"g1s":0.01,"g0s":4})", "", head, {"A = 10 in."}, false, {"g1s", "Bn"}},
        {R"({"kind":"opening","A":60,"Bn":30,"t":4,"g0s":1,"g1s":1.5,"hs":3})", "", head, {"A = 60 in."}, false, {}},
        {R"({"kind":"opening","A":200,"Bn":99,"t":8,"g0s":0.2,"g1s":0.2,"hs":3})", "", head, {}, false, {"g0s", "g1s"}},
        {R"({"kind":"opening","A":60,"Bn":30,"t":4,"g0s":1.5,"g1s":1,"hs":3})", "", head, {}, false, {"g1s"}},
        {R"({"kind":"opening","A":60,"Bn":59,"t":4,"g0s":1,"g1s":1.5,"hs":3})", "", head, {}, false, {"Bn"}},
        {R"({"kind":"jacket","NPS":4,"ts":0.02,"Tj":0.3})", "", jacket, {}, false, {"ts"}},
        {R"({"kind":"jacket","NPS":2,"ts":0.5,"Tj":1.0})", "", jacket, {}, false, {"Tj"}},
    };
    for (const auto& c : cases) {
        std::string error;
        const std::optional<tx14::Item> item = tx14::item_from_json(c.json, error);
        EXPECT_TRUE(item) << error;
        const sheet::Sketch s = sheet::sketch_of_item(item.value_or(tx14::Item{}), c.focus);
        EXPECT_EQ(s.component, c.component) << c.json;
        const sheet::Figure f = sheet::sketch_figure(s);
        EXPECT_EQ(faults(f), "") << c.json;
        for (const std::string& l : c.labels)
            EXPECT_TRUE(has_label(f, l)) << c.json << ": " << l;
        EXPECT_EQ(f.svg.find("focus-box") != std::string::npos, c.highlighted) << c.json;
        for (const char* bad : {"nan", "inf", "e+"})
            EXPECT_EQ(f.svg.find(bad), std::string::npos) << c.json;
        EXPECT_EQ(f.not_to_scale, c.enlarged) << c.json;
        for (const sheet::Label& l : f.layout.labels())
            EXPECT_EQ(l.underlined, std::ranges::count(c.enlarged, l.text.substr(0, l.text.find(' '))) > 0)
                << c.json << ": " << l.text;
        EXPECT_EQ(sheet::sketch_caption(s).find("Not to scale") != std::string::npos, !c.enlarged.empty()) << c.json;
        if (!c.guide)
            continue;
        const std::string drawn = sheet::standalone_sketch_svg(s);
        const fs::path file = fs::path(TX14_DOCS_DIR) / c.guide;
        if (std::getenv("TX14_UPDATE_DOCS"))
            std::ofstream(file, std::ios::binary) << drawn;
        std::ifstream in(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), drawn)
            << file << ": run the test with TX14_UPDATE_DOCS=1 to draw it again";
    }
}

}  // namespace
