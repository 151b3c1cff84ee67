// The sketch and the plot of an item, with numbers as its report writes
// them, and the sketch of an item being entered.
#include "item_figures.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "txappendix14_text.hpp"

namespace tx14::sheet {
namespace {

using text::to_utf8;

// The display value of a recorded value; NaN when there is none.
double display(const ResultsRecord& rec, std::string_view key)
{
    const RecordedValue* v = recorded(rec, key);
    return v ? static_cast<double>(rec.display(v->quantity, v->value)) : NAN;
}

// Where the report writes each value the figures show: after its symbol on
// the input lines, or as the result of its block ("[Trj]"). A coil's
// report names the cylinder's e and the coil's ec and pc.
std::string_view needle_of(const Outcome& o, std::string_view key)
{
    constexpr std::pair<std::string_view, std::string_view> kJacket[] = {
        {"Trj", "[Trj]"}, {"Fillet", "[Fillet]"}, {"Pj_design", "Pressure Used for Jacket Design"}};
    constexpr std::pair<std::string_view, std::string_view> kCoil[] = {
        {"D", "Cylinder Inside Diameter"}, {"ts", "e"}, {"Tj", "ec"}, {"Pj", "pc"}};
    using Needles = std::span<const std::pair<std::string_view, std::string_view>>;
    if (o.keys->kind == Kind::jacket)
        for (auto [k, needle] : is_coil(o) ? Needles(kCoil) : Needles(kJacket))
            if (k == key)
                return needle;
    return key;
}

std::vector<std::string_view> report_of(const Outcome& o)
{
    std::vector<std::string_view> lines;
    lines.reserve(o.report.size());
    for (const ReportLine l : o.report)
        lines.push_back(l.text);
    return lines;
}

// A value as the report writes it, with its unit.
std::string as_reported(const Outcome& o, const std::vector<std::string_view>& report, std::string_view key, Quantity q,
                        double shown)
{
    return fixed(shown, report_decimals(report, needle_of(o, key))) + " " + to_utf8(o.units->label(q));
}

// A dimension of the sketch: its size in inches, labelled as the report
// writes it.
Dimension dimension(const Outcome& o, const std::vector<std::string_view>& report, std::string_view name)
{
    std::optional<float> v = o.given(name);
    if (!v || !(*v > 0))
        return {std::string(name), 0, ""};
    const Quantity q = number_key(*o.keys, name)->quantity;
    return {std::string(name), *v, as_reported(o, report, name, q, o.units->to_display(q, *v))};
}

// The ISO designations of the pipe sizes a jacket takes, and their
// outside diameters (inches).
struct PipeSize {
    double NPS;
    int DN;
    double OD;
};
constexpr PipeSize kPipes[] = {{2, 50, 2.375}, {2.5, 65, 2.875}, {3, 80, 3.5}, {3.5, 90, 4.0}, {4, 100, 4.5}};

// The pipe as a size: "NPS 3" where diameters are in inches, "DN 80"
// elsewhere; any other size is taken as NPS 4, as the analysis does.
Dimension pipe(double NPS, const UnitSystem& units)
{
    const PipeSize* p = &kPipes[4];
    for (const PipeSize& s : kPipes)
        if (s.NPS == NPS)
            p = &s;
    const bool inches = units.label(Quantity::diameter) == "in.";
    return {"NPS", p->OD / 2, inches || p->NPS != NPS ? "NPS " + significant(NPS) : "DN " + std::to_string(p->DN)};
}

// ---- The plot ----------------------------------------------------------------

// The plotted results of a run: M.A.W.P. and the largest stress ratio of a
// head, P' at ts of a jacket, both maximum pressures of a coil.
std::vector<double> plotted(const Outcome& item, const Outcome& run)
{
    const ResultsRecord& rec = run.record;
    if (item.keys->kind == Kind::jacket)
        return is_coil(item) ? std::vector<double>{display(rec, "pMaxC1"), display(rec, "pMaxC2")}
                             : std::vector<double>{display(rec, "Pprime_ts")};
    double ratio = NAN;
    for (int i = 0; i < rec.check_count; ++i) {
        const RecordedCheck& c = rec.checks[static_cast<std::size_t>(i)];
        if (c.applicable && c.quantity == Quantity::stress && std::isfinite(c.utilization))
            ratio = std::isnan(ratio) ? c.utilization : std::max(ratio, static_cast<double>(c.utilization));
    }
    return {display(rec, "MAWP"), ratio};
}

std::vector<Series> plotted_series(const Outcome& o)
{
    std::string unit = to_utf8(o.units->label(Quantity::pressure));
    if (o.keys->kind == Kind::opening)
        return {{"M.A.W.P.", unit, {}, false}, {"largest stress ratio", "", {}, true}};
    if (is_coil(o))
        return {{"pMaxC1, coil side", unit, {}, false}, {"pMaxC2, cylinder side", unit, {}, false}};
    return {{"permissible jacket pressure P' at ts", unit, {}, false}};
}

// ---- An item being entered -----------------------------------------------------

// A usual component of each kind (inches): the proportions of what is not
// given.
constexpr std::pair<std::string_view, double> kUsualHead[] = {
    {"A", 60}, {"Bn", 30}, {"t", 4}, {"g0s", 1}, {"g1s", 1.5}, {"hs", 3}, {"g0n", 1}, {"g1n", 1.75}, {"hn", 3}};
constexpr std::pair<std::string_view, double> kUsualJacket[] = {{"D", 48}, {"ts", 0.5}, {"Tj", 0.3}};

// A number the item gives for a key: a number, or a text that reads as one
// (a form's field); nullopt for anything else.
std::optional<double> number_in(const Item& item, std::string_view key)
{
    const Entry* e = item.find(key);
    if (!e)
        return std::nullopt;
    if (const double* d = std::get_if<double>(&e->value))
        return *d;
    const std::string* s = std::get_if<std::string>(&e->value);
    if (!s || s->empty())
        return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(s->c_str(), &end);
    while (*end == ' ')
        ++end;
    return end != s->c_str() && *end == '\0' ? std::optional<double>(v) : std::nullopt;
}

std::string text_in(const Item& item, std::string_view key)
{
    const Entry* e = item.find(key);
    const std::string* s = e ? std::get_if<std::string>(&e->value) : nullptr;
    return s ? *s : std::string();
}

const UnitSystem& units_of(const Item& item)
{
    if (item.unit_system)
        return *item.unit_system;
    const UnitSystem* u = builtin_units(text_in(item, "units"));
    return u ? *u : us_units();
}

// A dimension the item gives as a length above 0: its size in inches and
// its value as typed, with the unit.
std::optional<Dimension> given_dimension(const Item& item, const KindKeys& keys, const UnitSystem& units,
                                         std::string_view name)
{
    const NumberKey* k = number_key(keys, name);
    const std::optional<double> v = k ? number_in(item, name) : std::nullopt;
    const std::optional<float> internal = v && *v > 0 ? units.to_internal(k->quantity, *v) : std::nullopt;
    if (!internal || !(*internal > 0) || !std::isfinite(*internal))
        return std::nullopt;
    return Dimension{std::string(name), *internal, significant(*v) + " " + to_utf8(units.label(k->quantity))};
}

}  // namespace

bool is_coil(const KindKeys& keys, const CodeName* code)
{
    return keys.kind == Kind::jacket && code && code->number >= 3;
}
bool is_coil(const Outcome& o) { return is_coil(*o.keys, o.code); }

const RecordedValue* recorded(const ResultsRecord& rec, std::string_view key)
{
    for (int i = 0; i < rec.value_count; ++i)
        if (rec.values[static_cast<std::size_t>(i)].key == key)
            return &rec.values[static_cast<std::size_t>(i)];
    return nullptr;
}

std::optional<int> report_decimals(const std::vector<std::string_view>& report, std::string_view needle)
{
    auto decimals = [](std::string_view s) -> std::optional<int> {
        std::size_t i = s.find_first_not_of(' ');
        if (i == std::string_view::npos)
            return std::nullopt;
        if (s[i] == '-')
            ++i;
        const std::size_t digits = s.find_first_not_of("0123456789", i);
        const std::size_t end = digits == std::string_view::npos ? s.size() : digits;
        if (end == i && (end == s.size() || s[end] != '.'))
            return std::nullopt;  // not a number
        if (end == s.size() || s[end] == ' ')
            return 0;
        if (s[end] != '.')
            return std::nullopt;
        const std::size_t after = s.find_first_not_of("0123456789", end + 1);
        if (after != std::string_view::npos && s[after] != ' ')
            return std::nullopt;
        return static_cast<int>((after == std::string_view::npos ? s.size() : after) - end - 1);
    };
    if (needle.starts_with('[')) {
        // The block captioned "... [Trj]:" ends at a blank line; its result is its last "= x unit" line.
        std::optional<int> found;
        bool in_block = false;
        for (std::string_view line : report) {
            if (!in_block) {
                const std::size_t at = line.find(needle);
                in_block = at != std::string_view::npos && line.substr(at + needle.size()).starts_with(':');
                continue;
            }
            const std::size_t first = line.find_first_not_of(' ');
            if (first == std::string_view::npos)
                return found;
            if (line[first] == '=')
                if (std::optional<int> d = decimals(line.substr(first + 1)))
                    found = d;
        }
        return found;
    }
    for (std::string_view line : report)
        for (std::size_t at = line.find(needle); at != std::string_view::npos; at = line.find(needle, at + 1)) {
            const std::string_view after = line.substr(at + needle.size());
            if ((at == 0 || line[at - 1] == ' ') && after.starts_with(' '))
                if (std::optional<int> d = decimals(after))
                    return d;
        }
    return std::nullopt;
}

std::string fixed(double v, std::optional<int> decimals)
{
    if (!decimals || !std::isfinite(v) || std::fabs(v) >= 1e15)
        return significant(v);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", std::clamp(*decimals, 0, 9), v);
    return buf;
}

Sketch sketch_of(const Outcome& o)
{
    const std::vector<std::string_view> report = report_of(o);
    Sketch s;
    if (o.keys->kind == Kind::opening) {
        s.component = Component::head;
        for (const char* name : {"A", "Bn", "t", "g0s", "g1s", "hs", "g0n", "g1n", "hn"})
            s.dimensions.push_back(dimension(o, report, name));
        return s;
    }
    s.component = is_coil(o) ? Component::coil : Component::jacket;
    for (const char* name : {"D", "ts", "Tj"})
        s.dimensions.push_back(dimension(o, report, name));
    std::optional<float> r = o.given("r"), NPS = o.given("NPS");
    if (r && *r > 0)
        s.dimensions.push_back(dimension(o, report, "r"));
    else if (NPS && *NPS > 0)
        s.dimensions.push_back(pipe(*NPS, *o.units));
    if (const RecordedValue* weld = recorded(o.record, "Fillet");
        weld && weld->value > 0 && o.fatal_errors == 0 && !is_coil(o))
        s.dimensions.push_back(
            {"Fillet", weld->value,
             as_reported(o, report, "Fillet", weld->quantity, o.record.display(weld->quantity, weld->value))});
    return s;
}

// 41 runs of the item, its thickness from 0.5 to 2 times the given one.
Plot plot_of(const Outcome& o, const Rerun& rerun)
{
    bool head = o.keys->kind == Kind::opening;
    const char* swept = head ? "t" : "ts";
    Plot p;
    std::optional<float> t0 = o.given(swept);
    if (!t0 || !(*t0 > 0))
        return p;
    const std::vector<std::string_view> report = report_of(o);
    p.x_label = head ? "head thickness t" : "shell thickness ts";
    p.x_unit = to_utf8(o.units->label(Quantity::thickness));
    p.title = (head         ? "M.A.W.P. and the largest stress ratio against the head thickness t"
               : is_coil(o) ? "Maximum coil pressures pMaxC1 and pMaxC2 against the cylinder thickness"
                            : "Permissible jacket pressure P' against the shell thickness ts") +
              std::string(", from 0.5 to 2 times the given thickness");
    p.series = plotted_series(o);
    if (is_coil(o))
        p.y_label = "maximum coil pressure";
    for (int i = 0; i <= 40; ++i) {
        const float t = *t0 * (0.5f + 0.0375f * static_cast<float>(i));
        const Outcome trial = rerun({swept, t});
        std::vector<double> y = plotted(o, trial);
        p.x.push_back(o.units->to_display(Quantity::thickness, t));
        for (std::size_t k = 0; k < p.series.size() && k < y.size(); ++k)
            p.series[k].y.push_back(trial.fatal_errors > 0 || !trial.ran() ? NAN : y[k]);
    }
    const double shown_t0 = o.units->to_display(Quantity::thickness, *t0);
    p.marks.push_back(
        {std::string(swept) + " = " + as_reported(o, report, swept, Quantity::thickness, shown_t0), shown_t0, true});
    // The pressure the item is designed for: P, or Pj + ExtPCore of a jacket.
    const char* pressure = head ? "P" : is_coil(o) ? "Pj" : "Pj_design";
    const double P = display(o.record, head ? "P" : is_coil(o) ? "pc" : "Pj_design");
    if (std::isfinite(P))
        p.marks.push_back(
            {std::string(pressure) + " = " + as_reported(o, report, pressure, Quantity::pressure, P), P, false});
    if (const RecordedValue* Trj = recorded(o.record, "Trj"); Trj && !head && !is_coil(o)) {
        const double shown_Trj = o.record.display(Trj->quantity, Trj->value);
        p.marks.push_back({"Trj = " + as_reported(o, report, "Trj", Trj->quantity, shown_Trj), shown_Trj, true});
    }
    return p;
}

Sketch sketch_of_item(const Item& item, std::string_view focus)
{
    const KindKeys* keys = kind_named(text_in(item, "kind"));
    keys = keys ? keys : &keys_of(Kind::opening);
    const UnitSystem& units = units_of(item);
    Sketch s;
    s.focus = focus == kDesignationKey ? "NPS" : std::string(focus);
    auto usual = [&](std::span<const std::pair<std::string_view, double>> proportions, double factor) {
        for (auto [name, size] : proportions)
            s.dimensions.push_back(
                given_dimension(item, *keys, units, name).value_or(Dimension{std::string(name), size * factor, ""}));
    };
    if (keys->kind == Kind::opening) {
        s.component = Component::head;
        // The usual head at the size of the first dimension given.
        double factor = 1;
        for (auto [name, size] : kUsualHead)
            if (std::optional<Dimension> d = given_dimension(item, *keys, units, name)) {
                factor = d->size / size;
                break;
            }
        usual(kUsualHead, factor);
        return s;
    }
    s.component = is_coil(*keys, code_named(*keys, text_in(item, "code"))) ? Component::coil : Component::jacket;
    usual(kUsualJacket, 1);
    if (std::optional<Dimension> r = given_dimension(item, *keys, units, "r"))
        s.dimensions.push_back(*r);
    else if (std::optional<double> NPS = number_in(item, "NPS"); NPS && *NPS > 0 && *NPS < 1e6)
        s.dimensions.push_back(pipe(*NPS, units));
    else if (std::optional<double> DN = number_in(item, kDesignationKey)) {
        Dimension d{"NPS", kPipes[2].OD / 2, "NPS"};
        for (const PipeSize& p : kPipes)
            if (p.DN == *DN)
                d = {"NPS", p.OD / 2, "DN " + std::to_string(p.DN)};
        s.dimensions.push_back(d);
    } else
        s.dimensions.push_back({"NPS", kPipes[2].OD / 2, ""});
    return s;
}

}  // namespace tx14::sheet
