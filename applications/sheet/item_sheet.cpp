// The calculation sheet of one item run through the library.
#include "item_sheet.hpp"

#include <algorithm>
#include <cmath>
#include <span>
#include <string_view>
#include <utility>

#include "txappendix14_text.hpp"

namespace tx14::sheet {
namespace {

using text::to_utf8;

std::string text_field(const Outcome& o, std::string_view key) { return to_utf8(o.text(key)); }

// ---- Results: the one place that reads what a run gave --------------------

// The values a sheet shows of each kind, by their keys in the record; the
// report has the others.
constexpr std::string_view kHeadKeys[] = {"P", "t", "MAWP", "t_min", "largest_stress", "Sho", "W"};
constexpr std::string_view kJacketKeys[] = {"Pj", "Pj_design", "ts",         "Tr", "Trj", "K",
                                            "Kp", "Pprime_ts", "Pprime_Trj", "Tj", "T",   "Fillet"};
constexpr std::string_view kCoilKeys[] = {"pc", "e", "ec", "e_coil", "e_cylinder", "pMaxC1", "pMaxC2", "pMax"};

std::span<const std::string_view> key_values_of(const Outcome& o)
{
    if (o.keys->kind == Kind::opening)
        return kHeadKeys;
    return is_coil(o) ? std::span<const std::string_view>(kCoilKeys) : kJacketKeys;
}

// Why a key value is not shown as a number: a result the run could not
// compute (it leaves 0 there); null otherwise. (A record's key may name
// another thing than the input key of that name: T, the jacket's required
// thickness, is no design temperature.)
const char* missing(const Outcome& o, const RecordedValue& v)
{
    const std::string_view key = v.key;
    if (key == "W" && !(o.given("density").value_or(0.0f) > 0.0f))
        return "not computed: no density given";
    if (key == "t_min" && v.value == 0.0f)
        return "none found";
    return nullptr;
}

// Verdict, checks and key values of a run, from its results record.
void fill_results(Document& doc, const Outcome& o)
{
    const ResultsRecord& rec = o.record;
    for (std::string_view key : key_values_of(o))
        if (const RecordedValue* v = recorded(rec, key))
            doc.values.push_back(
                {v->label, to_utf8(rec.unit(v->quantity)), rec.display(v->quantity, v->value), missing(o, *v)});
    for (int i = 0; i < rec.check_count; ++i) {
        const RecordedCheck& c = rec.checks[static_cast<std::size_t>(i)];
        doc.checks.push_back({c.label, to_utf8(rec.unit(c.quantity)), rec.display(c.quantity, c.value),
                              rec.display(c.quantity, c.limit), c.at_least, c.passes, c.utilization, c.applicable,
                              c.reference ? c.reference : ""});
    }
    doc.verdict = rec.verdict;
    doc.governing = rec.governing;
}

// "cylinder SA-516 70, jacket SA-106 B": the materials given, each named
// by its part when there are two parts.
std::string materials_of(const Outcome& o)
{
    if (o.keys->kind == Kind::opening)
        return text_field(o, "material");
    std::string out;
    for (auto [part, key] : {std::pair{"cylinder ", "material"}, {is_coil(o) ? "coil " : "jacket ", "jacket_material"}})
        if (const std::string m = text_field(o, key); !m.empty())
            out += (out.empty() ? "" : ", ") + std::string(part) + m;
    return out;
}

SheetTexts texts_of(const Outcome& o)
{
    auto t = [&](std::string_view key) { return std::string(o.sheet_text(key)); };
    return {t("project"), t("vessel"),      t("drawing"),    t("revision"),
            t("purpose"), t("prepared_by"), t("checked_by"), t("approved_by")};
}

}  // namespace

Document document_of(const Outcome& o, const Rerun& rerun, const Source& source)
{
    Document doc;
    doc.report.reserve(o.report.size());
    for (const ReportLine l : o.report)
        doc.report.push_back({std::string(l.text), l.styles});
    name_analysis(doc);
    doc.texts = texts_of(o);
    doc.item = o.number ? std::to_string(*o.number) : "";
    doc.description = text_field(o, "description");
    doc.materials = materials_of(o);
    doc.unit_system = o.units->name;
    doc.date_time = source.date_time;
    doc.library_version = source.library_version;
    doc.input_name = source.name;
    doc.sha256 = source.sha256;
    doc.paper = source.paper;
    fill_results(doc, o);
    const ResultsRecord& rec = o.record;
    for (const Finding& w : o.warnings)
        doc.input_warnings.push_back(w.message);
    for (int i = 0; i < rec.reason_count; ++i)
        doc.reasons.push_back(to_utf8(rec.reason_text(i)));
    for (int i = 0; i < rec.note_count; ++i)
        doc.notes.push_back(to_utf8(rec.note_text(i)));
    doc.sketch = sketch_of(o);
    if (o.fatal_errors == 0)
        doc.plot = plot_of(o, rerun);
    return doc;
}

}  // namespace tx14::sheet
