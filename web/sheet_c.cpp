// The calculation sheet from C, for the page: an item built by the item
// contract is run on a context of its own and its sheet written as tx14
// writes it (the same document, thickness sweep included).
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "cp1252.hpp"
#include "item_sheet.hpp"
#include "txappendix14.hpp"
#include "txappendix14_context.h"

namespace {

using namespace tx14;

// A capture record without its first four columns: 100 columns of text,
// then six style codes of two columns from column 105.
constexpr std::size_t kText = 100, kStyles = 104;

sheet::ReportRecord report_record(std::string_view record)
{
    sheet::ReportRecord line;
    std::string_view text = record.substr(0, kText);
    line.text = std::string(text.substr(0, text.find_last_not_of(' ') + 1));
    for (std::size_t i = 0; i < line.styles.size() && kStyles + 2 * i + 2 <= record.size(); ++i) {
        std::string_view code = record.substr(kStyles + 2 * i, 2);
        code.remove_prefix(std::min(code.find_first_not_of(' '), code.size()));
        auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), line.styles[i]);
        if (ec != std::errc() || end != code.data() + code.size())
            line.styles[i] = 0;
    }
    return line;
}

sheet::Verdict verdict_of(int v)
{
    return v == TX14_ACCEPTABLE       ? sheet::Verdict::acceptable
           : v == TX14_NOT_ACCEPTABLE ? sheet::Verdict::not_acceptable
                                      : sheet::Verdict::not_analysed;
}

// Runs the item in capture mode, as tx14 does, and reads what it gave.
sheet::Run run(Context& ctx, const sheet::GivenItem& item, std::array<float, items::kRealCount> reals)
{
    reals[items::kReportUnitElement - 1] = 0;
    std::array<float, items::kFactorCount> factors = item.units->host_factors();
    std::array<char, items::kLabelCount* items::kLabelWidth> labels = item.units->host_labels();
    std::array<char, 256> file;
    file.fill(' ');
    const char mode = ' ';
    std::int32_t errors = 0, print_control = 0;
    ctx.analyse(reals.data(), item.texts.data(), &mode, &errors, file.data(), labels.data(), factors.data(),
                &print_control);
    sheet::Run r;
    r.fatal_errors = ctx.input_errors();
    for (int i = 0; i < ctx.captured_lines(); ++i)
        r.report.push_back(report_record(ctx.captured_record(i).substr(4)));
    tx14_value v;
    for (int i = 0; ctx.value(i, v); ++i)
        r.values.push_back({v.key, v.label, text::to_utf8(v.unit), v.display});
    tx14_check c;
    for (int i = 0; ctx.check(i, c); ++i)
        r.checks.push_back({c.label, c.quantity, text::to_utf8(c.unit), c.relation, c.display_value, c.display_limit,
                            c.passes != 0, c.utilization, c.applicable != 0});
    r.verdict = verdict_of(ctx.verdict());
    r.governing = ctx.governing();
    tx14_note n;
    for (int i = 0; ctx.reason(i, n); ++i)
        r.reasons.push_back(text::to_utf8(n.text));
    for (int i = 0; ctx.note(i, n); ++i)
        r.notes.push_back(text::to_utf8(n.text));
    return r;
}

}  // namespace

extern "C" {

// The sheet of an item: kind and code by name, the unit system ("US", "SI",
// or a unit file's name with its 22 factors and 23 labels of 10
// blank-padded bytes; NULL factors for US and SI), the 200 reals and 45 text bytes tx14_item_finish gave, the item number
// (when has_number), the item contract's warnings as lines, the fillet
// weld in internal units (NaN: none), and the input's name, SHA-256 and
// date as the sheet shows them. A NUL-terminated UTF-8 document, valid
// until the next call; NULL for an unknown kind, code or unit system.
__attribute__((visibility("default"))) const char* tx14_sheet_html(
    const char* kind, const char* code, const char* units, const double* factors, const char* labels,
    const float* reals, const char* texts, int has_number, int number, const char* warnings, float fillet_weld,
    const char* name, const char* sha256, const char* date_time)
{
    static std::string html;
    sheet::GivenItem item;
    item.keys = items::kind_named(kind);
    items::UnitSystem unit_file;
    item.units = items::builtin_units(units);
    if (!item.units && factors) {
        unit_file.name = units;
        std::copy(factors, factors + items::kFactorCount, unit_file.factors.begin());
        for (std::size_t i = 0; labels && i < unit_file.labels.size(); ++i)
            unit_file.labels[i].assign(labels + i * items::kLabelWidth, items::kLabelWidth);
        item.units = &unit_file;
    }
    if (!item.keys || !item.units || !items::code_named(*item.keys, code))
        return nullptr;
    item.code = code;
    if (has_number)
        item.number = number;
    std::copy(reals, reals + items::kRealCount, item.reals.begin());
    std::copy(texts, texts + item.texts.size(), item.texts.begin());
    for (std::string_view rest = warnings; !rest.empty();) {
        std::size_t nl = std::min(rest.find('\n'), rest.size());
        if (nl > 0)
            item.warnings.emplace_back(rest.substr(0, nl));
        rest.remove_prefix(std::min(nl + 1, rest.size()));
    }
    Context ctx, scratch;
    sheet::Run first = run(ctx, item, item.reals);
    if (item.keys->kind == items::Kind::jacket && std::isfinite(fillet_weld))
        first.fillet_weld = fillet_weld;
    auto rerun = [&](const std::array<float, items::kRealCount>& r) { return run(scratch, item, r); };
    html = sheet::html(sheet::document_of(item, first, rerun,
                                          {name, sha256, date_time, std::string("TXAppendix14 ") + tx14_version()}));
    return html.c_str();
}

}  // extern "C"
