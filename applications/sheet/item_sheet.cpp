// The calculation sheet of one item run through the library.
#include "item_sheet.hpp"

#include <algorithm>
#include <cmath>
#include <span>
#include <string_view>
#include <utility>

#include "cp1252.hpp"

namespace tx14::sheet {
namespace {

using items::Kind;
using items::NumberKey;
using items::Quantity;
using text::F8;
using text::to_utf8;

bool is_coil(const GivenItem& item)
{
    return item.keys->kind == Kind::jacket && (item.code == "PD5500" || item.code == "EN13445");
}

// A given input value in internal units; nullopt when left out.
std::optional<float> given(const GivenItem& item, std::string_view name)
{
    const NumberKey* k = items::number_key(*item.keys, name);
    if (!k || item.reals[static_cast<std::size_t>(k->element - 1)] == items::kMissingValue)
        return std::nullopt;
    return item.reals[static_cast<std::size_t>(k->element - 1)];
}

std::string text_field(const GivenItem& item, std::string_view key)
{
    const items::TextKey* k = items::text_key(*item.keys, key);
    if (!k)
        return {};
    std::string_view f(item.texts.data() + (k->field - 1) * items::kTextWidth, items::kTextWidth);
    while (!f.empty() && f.back() == ' ')
        f.remove_suffix(1);
    return to_utf8(f);
}

std::string shown(const GivenItem& item, Quantity q, float internal)
{
    return significant(item.units->to_display(q, internal)) + " " + to_utf8(item.units->label(q));
}

// A dimension of the sketch: its size in inches, labelled in the item's units.
Dimension dimension(const GivenItem& item, std::string_view name)
{
    std::optional<float> v = given(item, name);
    if (!v || !(*v > 0))
        return {std::string(name), 0, ""};
    return {std::string(name), *v, shown(item, items::number_key(*item.keys, name)->quantity, *v)};
}

// Outside diameter of a standard pipe of a nominal size, for the drawing.
double pipe_outside_diameter(double NPS)
{
    constexpr std::pair<double, double> kPipes[] = {{1.5, 1.9}, {2, 2.375}, {2.5, 2.875}, {3, 3.5},
                                                    {3.5, 4.0}, {4, 4.5},   {5, 5.563},   {6, 6.625}};
    for (auto [size, od] : kPipes)
        if (NPS == size)
            return od;
    return NPS;
}

Sketch sketch_of(const GivenItem& item, const Run& run)
{
    Sketch s;
    if (item.keys->kind == Kind::opening) {
        s.component = Component::head;
        for (const char* name : {"A", "Bn", "t", "g0s", "g1s", "hs", "g0n", "g1n", "hn"})
            s.dimensions.push_back(dimension(item, name));
        return s;
    }
    s.component = is_coil(item) ? Component::coil : Component::jacket;
    for (const char* name : {"D", "ts", "Tj"})
        s.dimensions.push_back(dimension(item, name));
    std::optional<float> r = given(item, "r"), NPS = given(item, "NPS");
    if (r && *r > 0)
        s.dimensions.push_back(dimension(item, "r"));
    else if (NPS && *NPS > 0)
        s.dimensions.push_back({"NPS", pipe_outside_diameter(*NPS) / 2, significant(*NPS)});
    if (run.fillet_weld && *run.fillet_weld > 0)
        s.dimensions.push_back({"weld", *run.fillet_weld, shown(item, Quantity::thickness, *run.fillet_weld)});
    return s;
}

// ---- Results: the one place that reads what a run gave --------------------

// The values a sheet shows of each kind, by their keys in the record; the
// report has the others.
constexpr std::string_view kHeadKeys[] = {"P", "t", "MAWP", "t_min", "largest_stress", "Sho", "W"};
constexpr std::string_view kJacketKeys[] = {"Pj",        "ts",         "Tr", "Trj", "K",     "Kp",
                                            "Pprime_ts", "Pprime_Trj", "Tj", "T",   "Fillet"};
constexpr std::string_view kCoilKeys[] = {"pc", "e", "ec", "e_coil", "e_cylinder", "pMaxC1", "pMaxC2", "pMax"};

std::span<const std::string_view> key_values_of(const GivenItem& item)
{
    if (item.keys->kind == Kind::opening)
        return kHeadKeys;
    return is_coil(item) ? std::span<const std::string_view>(kCoilKeys) : kJacketKeys;
}

const RunValue* recorded(const Run& run, std::string_view key)
{
    for (const RunValue& v : run.values)
        if (v.key == key)
            return &v;
    return nullptr;
}

// Verdict, checks and key values of a run, from its results record.
void fill_results(Document& doc, const GivenItem& item, const Run& run)
{
    for (std::string_view key : key_values_of(item))
        if (const RunValue* v = recorded(run, key))
            doc.values.push_back({v->label, v->unit, v->display});
    for (const RunCheck& c : run.checks)
        doc.checks.push_back({c.label, c.unit, c.display_value, c.display_limit, c.relation == ">=", c.passes,
                              c.utilization, c.applicable});
    doc.verdict = run.verdict;
    doc.governing = run.governing;
}

// The plotted results of a run: M.A.W.P. and the largest stress ratio of a
// head, P' at ts of a jacket, both maximum pressures of a coil.
std::vector<double> plotted(const GivenItem& item, const Run& run)
{
    auto value = [&](std::string_view key) {
        const RunValue* v = recorded(run, key);
        return v ? static_cast<double>(v->display) : NAN;
    };
    if (item.keys->kind == Kind::jacket)
        return is_coil(item) ? std::vector<double>{value("pMaxC1"), value("pMaxC2")}
                             : std::vector<double>{value("Pprime_ts")};
    double ratio = NAN;
    for (const RunCheck& c : run.checks)
        if (c.applicable && c.quantity == "stress" && std::isfinite(c.utilization))
            ratio = std::isnan(ratio) ? c.utilization : std::max(ratio, static_cast<double>(c.utilization));
    return {value("MAWP"), ratio};
}

std::vector<Series> plotted_series(const GivenItem& item)
{
    std::string unit = to_utf8(item.units->label(Quantity::pressure));
    if (item.keys->kind == Kind::opening)
        return {{"M.A.W.P.", unit, {}, false}, {"largest stress ratio", "", {}, true}};
    if (is_coil(item))
        return {{"pMaxC1, coil side", unit, {}, false}, {"pMaxC2, cylinder side", unit, {}, false}};
    return {{"permissible jacket pressure P' at ts", unit, {}, false}};
}

// 41 runs of the item, its thickness from 0.5 to 2 times the given one.
Plot plot_of(const GivenItem& item, const Run& run, const Rerun& rerun)
{
    bool head = item.keys->kind == Kind::opening;
    const char* swept = head ? "t" : "ts";
    Plot p;
    std::optional<float> t0 = given(item, swept);
    if (!t0 || !(*t0 > 0))
        return p;
    p.x_label = head ? "head thickness t" : "shell thickness ts";
    p.x_unit = to_utf8(item.units->label(Quantity::thickness));
    p.title = (head            ? "M.A.W.P. and the largest stress ratio against the head thickness t"
               : is_coil(item) ? "Maximum coil pressures pMaxC1 and pMaxC2 against the cylinder thickness"
                               : "Permissible jacket pressure P' against the shell thickness ts") +
              std::string(", from 0.5 to 2 times the given thickness");
    p.series = plotted_series(item);
    if (is_coil(item))
        p.y_label = "maximum coil pressure";
    std::array<float, items::kRealCount> trial = item.reals;
    const int element = items::number_key(*item.keys, swept)->element;
    for (int i = 0; i <= 40; ++i) {
        float t = *t0 * (0.5f + 0.0375f * static_cast<float>(i));
        trial[static_cast<std::size_t>(element - 1)] = t;
        Run o = rerun(trial);
        std::vector<double> y = plotted(item, o);
        p.x.push_back(item.units->to_display(Quantity::thickness, t));
        for (std::size_t k = 0; k < p.series.size() && k < y.size(); ++k)
            p.series[k].y.push_back(o.fatal_errors > 0 ? NAN : y[k]);
    }
    p.marks.push_back({std::string(swept) + " = " + shown(item, Quantity::thickness, *t0),
                       item.units->to_display(Quantity::thickness, *t0), true, false});
    const char* pressure = head ? "P" : "Pj";
    if (std::optional<float> P = given(item, pressure))
        p.marks.push_back({std::string(pressure) + " = " + shown(item, Quantity::pressure, *P),
                           item.units->to_display(Quantity::pressure, *P), false, false});
    if (const RunValue* Trj = recorded(run, "Trj"); Trj && !head && !is_coil(item))
        p.marks.push_back({"Trj = " + significant(Trj->display) + " " + Trj->unit, Trj->display, true, false});
    return p;
}

}  // namespace

Document document_of(const GivenItem& item, const Run& run, const Rerun& rerun, const Source& source)
{
    Document doc;
    doc.report = run.report;
    name_analysis(doc);
    doc.item = item.number ? std::to_string(*item.number) : "";
    doc.description = text_field(item, "description");
    doc.materials = text_field(item, "material");
    if (item.keys->kind == Kind::jacket)
        doc.materials = "cylinder " + doc.materials + ", " + (is_coil(item) ? "coil " : "jacket ") +
                        text_field(item, "jacket_material");
    doc.unit_system = item.units->name;
    doc.date_time = source.date_time;
    doc.library_version = source.library_version;
    doc.input_name = source.name;
    doc.sha256 = source.sha256;
    doc.paper = source.paper;
    fill_results(doc, item, run);
    doc.reasons = run.reasons;
    doc.warnings = item.warnings;
    for (const std::string& r : run.reasons)
        doc.warnings.push_back("Not analysed: " + r);
    for (const std::string& n : run.notes)
        doc.warnings.push_back("Note: " + n);
    doc.sketch = sketch_of(item, run);
    if (run.fatal_errors == 0)
        doc.plot = plot_of(item, run, rerun);
    return doc;
}

}  // namespace tx14::sheet
