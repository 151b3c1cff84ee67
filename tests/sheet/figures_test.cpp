// The figures as an approver reads them: on every example and on items
// generated from a fixed seed, no label over another, over a part or across
// a line not its own; numbers as the report writes them; the sketch of an
// item being entered; the guides in docs/ as the program draws them.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "figures.hpp"
#include "item.hpp"
#include "item_sheet.hpp"
#include "txappendix14.hpp"

namespace {

namespace fs = std::filesystem;
namespace sheet = tx14::sheet;

// What is wrong with the labels of a figure, in words; empty when nothing.
std::string faults(const sheet::Figure& f)
{
    std::string out;
    const std::vector<sheet::Label>& labels = f.layout.labels();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const sheet::Label& a = labels[i];
        const sheet::Box b = a.box;
        if (b.x0 < 0 || b.x1 > f.width || b.y0 < 0 || b.y1 > f.height)
            out += "\"" + a.text + "\" outside the figure; ";
        for (std::size_t j = i + 1; j < labels.size(); ++j)
            if (b.overlaps(labels[j].box))
                out += "\"" + a.text + "\" over \"" + labels[j].text + "\"; ";
        for (const auto& part : f.layout.solids())
            if (sheet::overlaps(part, b))
                out += "\"" + a.text + "\" over a part; ";
        for (const auto& line : f.layout.lines()) {
            const bool own = line.group == sheet::kYields || (a.group >= 0 && line.group == a.group) ||
                             (a.leader && line.s.a.x == a.leader_line.a.x && line.s.a.y == a.leader_line.a.y);
            if (!own && sheet::crosses(line.s, b))
                out += "\"" + a.text + "\" across a line; ";
        }
    }
    return out;
}

bool has_label(const sheet::Figure& f, const std::string& text)
{
    for (const sheet::Label& l : f.layout.labels())
        if (l.text == text)
            return true;
    return false;
}

sheet::Document document(const tx14::Outcome& o, const tx14::Item& item)
{
    tx14::Context scratch;
    tx14::Options sweep;
    sweep.report = false;
    auto rerun = [&](const tx14::Change& change) { return scratch.analyse(item, sweep, &change); };
    return sheet::document_of(o, rerun, {});
}

// Every label of a document's figures clear; the dimensions given labelled.
void expect_clear(const sheet::Document& doc, const std::string& name)
{
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
}

TEST(SheetFigures, NoLabelOfAnExampleCoversAnotherOrTheDrawing)
{
    int examples = 0;
    for (const auto& file : fs::directory_iterator(TX14_EXAMPLES_DIR)) {
        if (file.path().extension() != ".toml" || file.path().stem() == "units-bar")
            continue;
        tx14::cli::UnitCatalog units;
        tx14::cli::Diagnostics diags;
        const auto item = tx14::cli::read_item_file(file.path(), units, diags);
        ASSERT_TRUE(item) << file.path();
        tx14::Context ctx;
        const tx14::Outcome o = ctx.analyse(item->item);
        ASSERT_TRUE(o.ran()) << file.path();
        expect_clear(document(o, item->item), file.path().stem().string());
        ++examples;
    }
    EXPECT_GE(examples, 10);
}

// ---- Generated items ----------------------------------------------------------

struct Random {
    std::mt19937 gen{20260529};
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(gen); }
    double log_uniform(double lo, double hi) { return std::exp(uniform(std::log(lo), std::log(hi))); }
    bool chance(double p) { return uniform(0, 1) < p; }
    // Three significant digits, as a person types them.
    double typed(double v) { return std::stod(sheet::significant(v, 3)); }
};

// In SI one time in three: lengths in mm, pressures and stresses in MPa.
tx14::Item item_in_units(Random& r, const char* kind, const char* code,
                         std::initializer_list<std::pair<const char*, double>> lengths,
                         std::initializer_list<std::pair<const char*, double>> stresses)
{
    const bool si = r.chance(1.0 / 3);
    tx14::Item item;
    item.set("kind", kind).set("code", code).set("units", si ? "SI" : "US");
    for (auto [key, v] : lengths)
        if (v > 0)
            item.set(key, r.typed(si ? v * 25.4 : v));
    for (auto [key, v] : stresses)
        item.set(key, r.typed(si ? v * 0.00689476 : v));
    return item;
}

tx14::Item random_head(Random& r)
{
    const double A = r.log_uniform(8, 240), g0s = A * r.log_uniform(0.002, 0.05), g1s = g0s * r.uniform(1, 3);
    const bool nozzle = r.chance(0.5);
    const double g0n = nozzle ? A * r.log_uniform(0.002, 0.04) : 0, g1n = g0n * r.uniform(1, 3);
    return item_in_units(r, "opening", r.chance(0.5) ? "VIII-1" : "VIII-2",
                         {{"A", A},
                          {"Bn", A * r.uniform(0.05, 0.8)},
                          {"t", A * r.log_uniform(0.01, 0.3)},
                          {"g0s", g0s},
                          {"g1s", g1s},
                          {"hs", g1s * r.uniform(0.5, 6)},
                          {"g0n", g0n},
                          {"g1n", g1n},
                          {"hn", g1n * r.uniform(0.5, 6)},
                          {"ca", r.chance(0.5) ? 0.125 : 0}},
                         {{"P", r.log_uniform(10, 1500)}, {"Sho", 20000}, {"Shg", 20000}});
}

tx14::Item random_jacket(Random& r, bool coil)
{
    const char* code = coil ? (r.chance(0.5) ? "PD5500" : "EN13445") : (r.chance(0.5) ? "VIII-1" : "VIII-2");
    const double sizes[] = {2, 3, 4, 2.5, 3.5};
    const bool formed = r.chance(0.2);
    tx14::Item item =
        item_in_units(r, "jacket", code,
                      {{"D", r.log_uniform(12, 240)},
                       {"ts", r.log_uniform(0.1, 3)},
                       {"Tj", r.log_uniform(0.06, 0.6)},
                       {"r", formed ? r.uniform(1, 6) : 0},
                       {"ca", r.chance(0.5) ? 0.125 : 0},
                       {"caj", r.chance(0.5) ? 0.0625 : 0},
                       {"L", coil ? 12 : 0}},
                      {{"P", r.log_uniform(10, 300)}, {"Pj", r.log_uniform(15, 600)}, {"S", 20000}, {"Sj", 15000}});
    item.set("E", 1.0);
    if (!formed)
        item.set("NPS",
                 sizes[std::uniform_int_distribution<int>(0, std::string_view(code) == "VIII-2" ? 2 : 4)(r.gen)]);
    return item;
}

TEST(SheetFigures, NoLabelCoversAnotherOrTheDrawingOnGeneratedItems)
{
    Random r;
    tx14::Context ctx;
    for (int kind = 0; kind < 3; ++kind) {
        int ran = 0;
        for (int i = 0; i < 200; ++i) {
            const tx14::Item item = kind == 0 ? random_head(r) : random_jacket(r, kind == 2);
            const tx14::Outcome o = ctx.analyse(item);
            if (!o.ran())
                continue;
            ++ran;
            expect_clear(document(o, item), "kind " + std::to_string(kind) + " item " + std::to_string(i));
            if (HasFailure())
                return;  // one item's faults say enough
        }
        EXPECT_GE(ran, 150) << "kind " << kind << ": too few generated items ran";
    }
}

// ---- Numbers as the report writes them ------------------------------------------

TEST(SheetFigures, DecimalsAreTheReportsOwn)
{
    const struct {
        std::vector<std::string_view> report;
        std::string_view needle;
        std::optional<int> decimals;
    } cases[] = {
        {{"    Cylinder Thickness                        ts          0.3750  in."}, "ts", 4},
        {{"    Cylinder Thickness                        ts          0.3750  in."},
         "s",
         std::nullopt},  // a symbol whole
        {{"    Jacket Design Temperature                                350  F"}, "Jacket Design Temperature", 0},
        {{"    Jacket Design Pressure                    Pj         300.000  psi"}, "Pj", 3},
        {{"    Req. Thk. of Shell to Withstand Jacket Pressure (Includes CA) [Trj]:", "     = 0.270 in.", ""},
         "[Trj]",
         3},
        // The last line of the block is the result; formula lines before it are not.
        {{"    Required Thickness of Shell [Tr]:", "     = ( P * R ) / ( S * E - 0.6 * P ) + ( ca + co )",
          "     = (100.0 *24.125 )/(20000.0 *1.0 - 0.6 *100.0 ) + 0.125", "     = 0.246 in.", "",
          "    [Trj]:", "     = 0.25 in."},
         "[Tr]",
         3},
        {{"    K-Factor Read from Chart [K]:", "     = 40.800", ""}, "[K]", 3},
        {{"    Chart Used [K]:", "     FIG. EE - 1", ""}, "[K]", std::nullopt},
        {{"    Nothing here [Trj]:"}, "[Tr]", std::nullopt},
        {{"    ts          0.3750x  in."}, "ts", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sheet::report_decimals(c.report, c.needle), c.decimals) << c.needle << " in " << c.report[0];

    const struct {
        double v;
        std::optional<int> decimals;
        std::string shown;
    } numbers[] = {
        {0.26953, 3, "0.270"},
        {600, 4, "600.0000"},
        {0.3125, 4, "0.3125"},
        {2.6, -3, "3"},
        {0.26953, std::nullopt, "0.26953"},
        {NAN, 2, "\xE2\x80\x94"},
        {1e300, 2, "1e+300"},
    };
    for (const auto& n : numbers)
        EXPECT_EQ(sheet::fixed(n.v, n.decimals), n.shown) << n.v;
}

TEST(SheetFigures, TheWorkedJacketIsLabelledAsItsReport)
{
    tx14::Item item;
    item.set("kind", "jacket").set("code", "VIII-1").set("units", "US");
    for (auto [key, v] : {std::pair{"D", 40.0},
                          {"ts", 0.3125},
                          {"P", 190.0},
                          {"S", 16000.0},
                          {"E", 1.0},
                          {"NPS", 3.0},
                          {"Tj", 0.3},
                          {"Pj", 300.0},
                          {"Sj", 16000.0}})
        item.set(key, v);
    tx14::Context ctx;
    const sheet::Document doc = document(ctx.analyse(item), item);
    const sheet::Figure sketch = sheet::sketch_figure(doc.sketch), plot = sheet::plot_figure(doc.plot);
    for (const char* label : {"D = 40.0000 in.", "ts = 0.3125 in.", "Tj = 0.3000 in.", "NPS 3"})
        EXPECT_TRUE(has_label(sketch, label)) << label;
    for (const char* label : {"ts = 0.3125 in.", "Trj = 0.270 in.", "Pj_design = 300.0000 psi"})
        EXPECT_TRUE(has_label(plot, label)) << label;
    EXPECT_EQ(faults(plot), "");
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
    const struct {
        std::string_view json, focus;
        sheet::Component component;
        std::vector<std::string> labels;  // some of them
        bool highlighted;
    } cases[] = {
        {R"({"kind": "opening"})",
         "",
         sheet::Component::head,
         {"A", "Bn", "t", "g0s", "g1s", "hs", "g0n", "g1n", "hn"},
         false},
        {R"({"kind": "opening", "units": "SI", "A": 1520, "t": "100"})",
         "t",
         sheet::Component::head,
         {"A = 1520 mm", "t = 100 mm", "Bn"},
         true},
        {R"({"kind": "jacket", "code": "VIII-1", "NPS": "2"})",
         "Tj",
         sheet::Component::jacket,
         {"NPS 2", "Tj", "ts", "D"},
         true},
        {R"({"kind": "jacket", "code": "PD5500", "units": "SI", "DN": 80})",
         "DN",
         sheet::Component::coil,
         {"DN 80"},
         true},
        {R"({"kind": "jacket", "code": "EN13445", "r": 2.5, "NPS": 3})",
         "",
         sheet::Component::coil,
         {"r = 2.5 in."},
         false},
        {R"({"kind": "jacket", "P": 3})",
         "P",
         sheet::Component::jacket,
         {"NPS"},
         false},  // not a dimension: nothing lit
        // What no component has, or is not a number, is not drawn as given.
        {R"({"kind": "opening", "A": "nan", "Bn": -5, "t": "1e400", "g0s": "abc", "hs": 1e-30, "g1s": [1]})",
         "A",
         sheet::Component::head,
         {"A", "Bn", "t", "g0s", "g1s"},
         true},
        {R"({"kind": "opening", "A": 10, "Bn": 30, "g1s": 0.01, "g0s": 4})",
         "",
         sheet::Component::head,
         {"A = 10 in.", "Bn = 30 in."},
         false},
        {R"({"kind": "reactor", "units": "nowhere"})", "", sheet::Component::head, {"A"}, false},
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
    const struct {
        std::string_view json;
        std::vector<std::string> enlarged;
    } cases[] = {
        {R"({"kind": "opening", "A": 60, "Bn": 30, "t": 4, "g0s": 1, "g1s": 1.5, "hs": 3})", {}},
        {R"({"kind": "opening", "A": 200, "Bn": 100, "t": 8, "g0s": 0.25, "g1s": 0.25, "hs": 3})", {"g0s", "g1s"}},
        {R"({"kind": "opening", "A": 200, "Bn": 100, "t": 8, "g0s": 0.25, "g1s": 2, "hs": 3})", {"g0s"}},
        {R"({"kind": "opening", "A": 60, "Bn": 30, "t": 4, "g0s": 1.5, "g1s": 1, "hs": 3})", {"g1s"}},  // no such taper
        {R"({"kind": "opening", "A": 60, "Bn": 59, "t": 4, "g0s": 1, "g1s": 1.5, "hs": 3})", {"Bn"}},   // no plate left
        {R"({"kind": "jacket", "NPS": 4, "ts": 0.02, "Tj": 0.3})", {"ts"}},
        {R"({"kind": "jacket", "NPS": 2, "ts": 0.5, "Tj": 1.0})", {"Tj"}},  // as thick as the pipe
    };
    for (const auto& c : cases) {
        const sheet::Figure f = sheet::sketch_figure(entered(c.json));
        EXPECT_EQ(f.not_to_scale, c.enlarged) << c.json;
        for (const sheet::Label& l : f.layout.labels())
            EXPECT_EQ(l.underlined, std::find(c.enlarged.begin(), c.enlarged.end(),
                                              l.text.substr(0, l.text.find(' '))) != c.enlarged.end())
                << c.json << ": " << l.text;
        EXPECT_EQ(sheet::sketch_caption(entered(c.json)).find("Not to scale") != std::string::npos,
                  !c.enlarged.empty());
    }
}

// ---- The guides in docs/ ---------------------------------------------------------------

// docs/<name>.svg as the program draws it; TX14_UPDATE_DOCS=1 writes them.
TEST(SheetFigures, TheGuidesInDocsAreAsDrawn)
{
    const std::pair<const char*, const char*> guides[] = {
        {"sketch-opening.svg", R"({"kind": "opening"})"},
        {"sketch-jacket.svg", R"({"kind": "jacket", "code": "VIII-1"})"},
        {"sketch-coil.svg", R"({"kind": "jacket", "code": "PD5500"})"},
    };
    for (auto [name, json] : guides) {
        const std::string drawn = sheet::standalone_sketch_svg(entered(json));
        const fs::path file = fs::path(TX14_DOCS_DIR) / name;
        if (std::getenv("TX14_UPDATE_DOCS"))
            std::ofstream(file, std::ios::binary) << drawn;
        std::ifstream in(file, std::ios::binary);
        std::stringstream kept;
        kept << in.rdbuf();
        EXPECT_EQ(kept.str(), drawn) << file << ": run the test with TX14_UPDATE_DOCS=1 to draw it again";
    }
}

}  // namespace
