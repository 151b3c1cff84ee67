// The figures as an approver reads them: on every example and on items
// generated from a fixed seed, no label over another, over a part or across
// a line not its own; numbers as the report writes them; the sketch of an
// item being entered; the guides in docs/ as the program draws them. First
// the geometry those checks rely on.
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
        {"00", 2 * 1303.0 / 2048},
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

struct Random {
    std::mt19937 gen{20260529};
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(gen); }
    double log_uniform(double lo, double hi) { return std::exp(uniform(std::log(lo), std::log(hi))); }
    bool chance(double p) { return uniform(0, 1) < p; }

    // An item with `values` in inches and psi, in mm and MPa one time in
    // three, in three significant digits as a person types them; the first
    // `lengths` are lengths, a length of 0 not given.
    tx14::Item item(const char* kind, const char* code, std::initializer_list<const char*> keys,
                    std::initializer_list<double> values, std::size_t lengths)
    {
        const bool si = chance(1.0 / 3);
        tx14::Item item;
        item.set("kind", kind).set("code", code).set("units", si ? "SI" : "US");
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const double v = values.begin()[i], factor = !si ? 1 : i < lengths ? 25.4 : 0.00689476;
            if (i >= lengths || v > 0)
                item.set(keys.begin()[i], std::stod(sheet::significant(v * factor, 3)));
        }
        return item;
    }
};

tx14::Item random_head(Random& r)
{
    const double A = r.log_uniform(8, 240), g0s = A * r.log_uniform(0.002, 0.05), g1s = g0s * r.uniform(1, 3);
    const double g0n = r.chance(0.5) ? A * r.log_uniform(0.002, 0.04) : 0, g1n = g0n * r.uniform(1, 3);
    return r.item("opening", r.chance(0.5) ? "VIII-1" : "VIII-2",
                  {"A", "Bn", "t", "g0s", "g1s", "hs", "g0n", "g1n", "hn", "ca", "P", "Sho", "Shg"},
                  {A, A * r.uniform(0.05, 0.8), A * r.log_uniform(0.01, 0.3), g0s, g1s, g1s * r.uniform(0.5, 6), g0n,
                   g1n, g1n * r.uniform(0.5, 6), r.chance(0.5) ? 0.125 : 0, r.log_uniform(10, 1500), 20000, 20000},
                  10);
}

tx14::Item random_jacket(Random& r, bool coil)
{
    const char* code = coil ? (r.chance(0.5) ? "PD5500" : "EN13445") : (r.chance(0.5) ? "VIII-1" : "VIII-2");
    const bool formed = r.chance(0.2);
    tx14::Item item = r.item("jacket", code, {"D", "ts", "Tj", "r", "ca", "caj", "L", "P", "Pj", "S", "Sj"},
                             {r.log_uniform(12, 240), r.log_uniform(0.1, 3), r.log_uniform(0.06, 0.6),
                              formed ? r.uniform(1, 6) : 0, r.chance(0.5) ? 0.125 : 0, r.chance(0.5) ? 0.0625 : 0,
                              coil ? 12.0 : 0, r.log_uniform(10, 300), r.log_uniform(15, 600), 20000, 15000},
                             7);
    item.set("E", 1.0);
    const double sizes[] = {2, 3, 4, 2.5, 3.5};
    if (!formed)
        item.set("NPS",
                 sizes[std::uniform_int_distribution<int>(0, std::string_view(code) == "VIII-2" ? 2 : 4)(r.gen)]);
    return item;
}

TEST(SheetFigures, NoLabelCoversAnotherOrTheDrawingOnExamplesAndGeneratedItems)
{
    int examples = 0;
    for (const auto& file : fs::directory_iterator(TX14_EXAMPLES_DIR)) {
        if (file.path().extension() != ".toml" || file.path().stem() == "units-bar")
            continue;
        tx14::cli::UnitCatalog units;
        tx14::cli::Diagnostics diags;
        const auto item = tx14::cli::read_item_file(file.path(), units, diags);
        ASSERT_TRUE(item) << file.path();
        const tx14::Outcome o = tx14::analyse(item->item);
        ASSERT_TRUE(o.ran()) << file.path();
        expect_clear(o, item->item, file.path().stem().string());
        ++examples;
    }
    EXPECT_GE(examples, 10);
    Random r;
    for (int kind = 0; kind < 3; ++kind) {
        int ran = 0;
        for (int i = 0; i < 200 && !HasFailure(); ++i) {  // one item's faults say enough
            const tx14::Item item = kind == 0 ? random_head(r) : random_jacket(r, kind == 2);
            const tx14::Outcome o = tx14::analyse(item);
            if (o.ran() && ++ran)
                expect_clear(o, item, "kind " + std::to_string(kind) + " item " + std::to_string(i));
        }
        EXPECT_GE(ran, 150) << "kind " << kind << ": too few generated items ran";
    }
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

sheet::Sketch entered(std::string_view json, std::string_view focus = "")
{
    std::string error;
    const std::optional<tx14::Item> item = tx14::item_from_json(json, error);
    EXPECT_TRUE(item) << error;
    return sheet::sketch_of_item(item.value_or(tx14::Item{}), focus);
}

TEST(SheetFigures, AnItemBeingEnteredIsDrawnWithWhatItGives)
{
    using enum sheet::Component;
    const struct {
        std::string_view json, focus;
        sheet::Component component;
        std::vector<std::string> labels;  // some of them
        bool highlighted;
    } cases[] = {
        {R"({"kind":"opening"})", "", head, {"A", "Bn", "t", "g0s", "g1s", "hs", "g0n", "g1n", "hn"}, false},
        {R"({"kind":"opening","units":"SI","A":1520,"t":"100"})", "t", head, {"A = 1520 mm", "t = 100 mm"}, true},
        {R"({"kind":"jacket","code":"VIII-1","NPS":"2"})", "Tj", jacket, {"NPS 2", "Tj", "ts", "D"}, true},
        {R"({"kind":"jacket","code":"PD5500","units":"SI","DN":80})", "DN", coil, {"DN 80"}, true},
        {R"({"kind":"jacket","code":"EN13445","r":2.5,"P":3})", "P", coil, {"r = 2.5 in."}, false},  // P: not lit
        // What no component has, or is not a number, is not drawn as given.
        {R"({"kind":"opening","A":"nan","Bn":-5,"t":"1e400","g0s":"abc","g1s":[1]})", "A", head, {"A", "t"}, true},
        {R"({"kind":"opening","A":10,"Bn":30,"g1s":0.01,"g0s":4})", "", head, {"A = 10 in.", "Bn = 30 in."}, false},
        {R"({"kind":"reactor","units":"nowhere"})", "", head, {"A"}, false},
    };
    for (const auto& c : cases) {
        const sheet::Sketch s = entered(c.json, c.focus);
        EXPECT_EQ(s.component, c.component) << c.json;
        const sheet::Figure f = sheet::sketch_figure(s);
        EXPECT_EQ(faults(f), "") << c.json;
        for (const std::string& l : c.labels)
            EXPECT_TRUE(has_label(f, l)) << c.json << ": " << l;
        EXPECT_EQ(f.svg.find("focus-box") != std::string::npos, c.highlighted) << c.json;
        for (const char* bad : {"nan", "inf", "e+"})
            EXPECT_EQ(f.svg.find(bad), std::string::npos) << c.json;
    }
}

TEST(SheetFigures, DimensionsUnderAMillimetreAreDrawnLargerAndUnderlined)
{
    const std::pair<std::string_view, std::vector<std::string>> cases[] = {
        {R"({"kind": "opening", "A": 60, "Bn": 30, "t": 4, "g0s": 1, "g1s": 1.5, "hs": 3})", {}},
        {R"({"kind": "opening", "A": 200, "Bn": 100, "t": 8, "g0s": 0.25, "g1s": 0.25, "hs": 3})", {"g0s", "g1s"}},
        {R"({"kind": "opening", "A": 60, "Bn": 30, "t": 4, "g0s": 1.5, "g1s": 1, "hs": 3})", {"g1s"}},  // no such taper
        {R"({"kind": "opening", "A": 60, "Bn": 59, "t": 4, "g0s": 1, "g1s": 1.5, "hs": 3})", {"Bn"}},   // no plate left
        {R"({"kind": "jacket", "NPS": 4, "ts": 0.02, "Tj": 0.3})", {"ts"}},
        {R"({"kind": "jacket", "NPS": 2, "ts": 0.5, "Tj": 1.0})", {"Tj"}},  // as thick as the pipe
    };
    for (const auto& [json, enlarged] : cases) {
        const sheet::Figure f = sheet::sketch_figure(entered(json));
        EXPECT_EQ(f.not_to_scale, enlarged) << json;
        for (const sheet::Label& l : f.layout.labels()) {
            const bool listed = std::count(enlarged.begin(), enlarged.end(), l.text.substr(0, l.text.find(' ')));
            EXPECT_EQ(l.underlined, listed) << json << ": " << l.text;
        }
        EXPECT_EQ(sheet::sketch_caption(entered(json)).find("Not to scale") != std::string::npos, !enlarged.empty());
    }
}

// docs/<name>.svg as the program draws it; TX14_UPDATE_DOCS=1 writes them.
TEST(SheetFigures, TheGuidesInDocsAreAsDrawn)
{
    for (auto [name, json] : {std::pair{"sketch-opening.svg", R"({"kind": "opening"})"},
                              {"sketch-jacket.svg", R"({"kind": "jacket", "code": "VIII-1"})"},
                              {"sketch-coil.svg", R"({"kind": "jacket", "code": "PD5500"})"}}) {
        const std::string drawn = sheet::standalone_sketch_svg(entered(json));
        const fs::path file = fs::path(TX14_DOCS_DIR) / name;
        if (std::getenv("TX14_UPDATE_DOCS"))
            std::ofstream(file, std::ios::binary) << drawn;
        std::ifstream in(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), drawn)
            << file << ": run the test with TX14_UPDATE_DOCS=1 to draw it again";
    }
}

}  // namespace
