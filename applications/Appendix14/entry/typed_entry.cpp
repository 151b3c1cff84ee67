// The typed entry: an item checked, its input record filled from its values,
// run on a run state exactly as the host's items are, and read into an
// Outcome with every report line.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "../include/txappendix14.hpp"
#include "../jacket/jacket_item.hpp"
#include "context_state.hpp"
#include "host_units.hpp"
#include "item_checks.hpp"
#include "key_index.hpp"
#include "lgcenter.hpp"

namespace tx14 {
namespace {

// A text key's value as the host's 15-character field.
std::array<char, kTextKeyWidth> text_field(std::string_view cp1252)
{
    std::array<char, kTextKeyWidth> f;
    f.fill(' ');
    std::memcpy(f.data(), cp1252.data(), std::min(cp1252.size(), f.size()));
    return f;
}

// The input record of a checked item: every number key given (bit n of
// `given`: key n) by the element it stands for, every text key by its
// field; what was not given is 0.
template <class Input, class Field, class SetText>
void fill_input(Input& in, const Outcome& o, std::uint64_t given, Field field, SetText set_text)
{
    in = Input{};
    in.item = o.number ? static_cast<std::int32_t>(*o.number) : 0;
    in.code = o.code->number;
    const NumberKey* const keys = o.keys->numbers.data();
    for (; given != 0; given &= given - 1) {
        const auto i = static_cast<std::size_t>(std::countr_zero(given));
        if (float* f = field(in, keys[i].element))
            *f = *o.numbers[i];
    }
    for (std::size_t i = 0; i < o.texts.size(); ++i)
        set_text(in, o.keys->texts[i].field, text_field(o.texts[i]).data());
}

// A style code of two columns: blanks, then a whole number; 0 otherwise.
std::int32_t style_code(const char* code)
{
    std::int32_t v = 0;
    bool any = false;
    for (int i = 0; i < 2; ++i) {
        if (code[i] >= '0' && code[i] <= '9') {
            v = v * 10 + (code[i] - '0');
            any = true;
        } else if (code[i] != ' ' || any) {
            return 0;
        }
    }
    return v;
}

// An outcome about to take a new item: what the last one left is cleared,
// the room it took is kept.
void clear(Outcome& o)
{
    o.keys = nullptr;
    o.code = nullptr;
    o.units.reset();
    o.number.reset();
    o.errors.clear();
    o.warnings.clear();
    o.fatal_errors = 0;
    o.record.clear();
    o.report.clear();
    o.results = {};
    o.report_file_error = 0;  // numbers and texts: sized to the item's kind by its checks
    for (std::string& t : o.sheet)
        t.clear();
}

void run_typed_item(State& st, const Item& item, Outcome& o, const Options& options, const Change* change)
{
    clear(o);
    std::uint64_t given = ItemChecks(item, o).run();
    if (!o.ran())
        return;
    if (change)
        if (const NumberKey* k = number_key(*o.keys, change->key)) {
            const auto i = static_cast<std::size_t>(k - o.keys->numbers.data());
            o.numbers[i] = change->internal;
            given |= std::uint64_t{1} << i;
        }

    HostUnits made;
    const HostUnits& units = host_units(*o.units, made);
    Report& r = st.report;
    r.own_no_special = options.plain ? 1 : 0;
    r.no_special_flag = &r.own_no_special;
    if (options.report_file.empty() && options.report)
        r.capture_into(&o.report);
    const bool jacket = o.keys->kind == Kind::jacket;
    const bool ran = run_item(
        st, units.factors.data(), units.labels.data(), jacket,
        [&](Report& rep) { return choose_destination(rep, options.report_file, 10); },
        [&](State& s) {
            jacket ? fill_input(s.jacket, o, given, jacket_field, set_jacket_text)
                   : fill_input(s.opening, o, given, opening_field, set_opening_text);
        });
    if (r.store != nullptr) {
        o.report.set_size(static_cast<std::size_t>(r.capture.count));
        r.capture_into(nullptr);
        r.capture.count = 0;
    }

    o.fatal_errors = st.input_errors;
    o.record.assign(st.results);
    o.report_file_error = r.file.error();
    if (ran && st.input_errors == 0) {
        const std::array<float, 3> named = named_results(st, jacket);
        const bool coil = jacket && o.code->number >= 3;  // a coil sizes no fillet weld
        for (std::size_t i = 0; i < o.results.size(); ++i)
            if (!(coil && i == 0))
                o.results[i] = named[i];
    }
}

}  // namespace

void Context::analyse(const Item& item, Outcome& outcome, const Options& options, const Change* change)
{
    run_typed_item(*state_, item, outcome, options, change);
}

Outcome Context::analyse(const Item& item, const Options& options, const Change* change)
{
    Outcome o;
    run_typed_item(*state_, item, o, options, change);
    return o;
}

Outcome analyse(const Item& item, const Options& options, const Change* change)
{
    Context ctx;
    return ctx.analyse(item, options, change);
}

// ---- Report lines -----------------------------------------------------------

ReportLine ReportLines::operator[](std::size_t i) const
{
    const char* record = records_.data() + i * kRecordWidth;
    std::size_t n = kRecordWidth - 25;  // the line: 100 characters from column 5
    while (n > 0 && record[4 + n - 1] == ' ')
        --n;
    ReportLine l{std::string_view(record + 4, n), {}};
    for (std::size_t k = 0; k < l.styles.size(); ++k)
        l.styles[k] = style_code(record + 108 + 2 * k);  // six codes of two columns from column 109
    return l;
}

char* ReportLines::room_for(std::size_t n)
{
    if (records_.size() < n * kRecordWidth)
        records_.resize(n * kRecordWidth);
    return records_.data();
}

// ---- Items and outcomes ---------------------------------------------------

Item& Item::set(std::string key, double value)
{
    entries.push_back({std::move(key), value, false});
    return *this;
}

Item& Item::set(std::string key, std::string text)
{
    entries.push_back({std::move(key), std::move(text), false});
    return *this;
}

const Entry* Item::find(std::string_view key) const
{
    auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return same_name(e.key, key); });
    return it == entries.end() ? nullptr : &*it;
}

std::optional<float> Outcome::given(std::string_view key) const
{
    const NumberKey* k = keys ? number_key(*keys, key) : nullptr;
    return k ? numbers[static_cast<std::size_t>(k - keys->numbers.data())] : std::nullopt;
}

std::string_view Outcome::text(std::string_view key) const
{
    const TextKey* k = keys ? text_key(*keys, key) : nullptr;
    return k ? std::string_view(texts[static_cast<std::size_t>(k - keys->texts.data())]) : std::string_view();
}

std::string_view Outcome::sheet_text(std::string_view key) const
{
    for (std::size_t i = 0; i < kSheetKeyCount; ++i)
        if (kSheetKeys[i].name == key)
            return sheet[i];
    return {};
}

}  // namespace tx14
