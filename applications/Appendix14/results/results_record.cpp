// The results record: values and checks as a run adds them, the display
// units, the reasons and notes, the verdict and the governing check.
#include "txappendix14_items.hpp"

#include <algorithm>
#include <cmath>
#include <span>
#include <string_view>
#include <utility>

#include "../common/units.hpp"
#include "../report/rendering.hpp"

namespace tx14 {
namespace {

// A slot's label without the blanks that pad it, then `suffix`.
void set_unit(ResultsRecord& rec, Quantity q, float factor, std::string_view label, std::string_view suffix = {})
{
    while (!label.empty() && (label.back() == ' ' || label.back() == '\0'))
        label.remove_suffix(1);
    while (!label.empty() && label.front() == ' ')
        label.remove_prefix(1);
    auto& out = rec.units[static_cast<int>(q)];
    std::size_t n = 0;
    for (char c : label)
        out[n++] = c;
    for (char c : suffix)
        out[n++] = c;
    out[n] = '\0';
    rec.factors[static_cast<int>(q)] = factor;
}

// Utilizations this close count as equal: the M.A.W.P. of an opening is
// the pressure times its governing stress ratio, so its utilization equals
// that stress's up to rounding.
bool clearly_above(float a, float b)
{
    if (a == b || (std::isinf(a) && std::isinf(b)))
        return false;
    return a > b + 1e-6f * std::fabs(b);
}

// Failing checks before passing ones; then the higher utilization, an
// undefined one counting as the highest; the earlier check on a tie.
bool governs_over(const RecordedCheck& a, const RecordedCheck& b)
{
    if (a.passes != b.passes)
        return !a.passes;
    const float ua = std::isnan(a.utilization) ? INFINITY : a.utilization;
    const float ub = std::isnan(b.utilization) ? INFINITY : b.utilization;
    return clearly_above(ua, ub);
}

// Adds a word to the note's list, or counts it beyond.
void name_in(RecordedNote& n, const char* word)
{
    auto free = std::find(n.words.begin(), n.words.end(), nullptr);
    if (free != n.words.end())
        *free = word;
    else
        ++n.more_words;
}

// One reason naming every value (of a check that applies) that is not
// finite.
void reason_for_values_not_finite(ResultsRecord& rec)
{
    RecordedNote* n = nullptr;
    auto name = [&](const char* key) {
        if (n == nullptr)
            n = &rec.reason("not_finite", "A value the verdict rests on is not finite: {w}.");
        name_in(*n, key);
    };
    for (int i = 0; i < rec.value_count; ++i) {
        const RecordedValue& v = rec.values[static_cast<std::size_t>(i)];
        if (v.applies && !std::isfinite(v.value))
            name(v.key);
    }
    for (int i = 0; i < rec.check_count; ++i) {
        const RecordedCheck& c = rec.checks[static_cast<std::size_t>(i)];
        if (c.applicable && (!std::isfinite(c.value) || !std::isfinite(c.limit)))
            name(c.key);
    }
}

// Writes a note's text into `out` (always NUL-terminated, cut at its end).
class Composer {
public:
    Composer(const ResultsRecord& rec, std::span<char> out) : rec_(rec), out_(out) {}

    const char* compose(const RecordedNote& n)
    {
        for (std::string_view t = n.text ? n.text : ""; !t.empty();) {
            const std::size_t open = t.find('{'), close = t.find('}', open);
            if (close == std::string_view::npos) {
                text(t);
                break;
            }
            text(t.substr(0, open));
            field(n, t.substr(open + 1, close - open - 1));
            t.remove_prefix(close + 1);
        }
        out_[n_] = '\0';
        return out_.data();
    }

private:
    void text(std::string_view s)
    {
        const std::size_t n = std::min(s.size(), out_.size() - 1 - n_);
        std::copy_n(s.data(), n, out_.data() + n_);
        n_ += n;
    }

    // As SIGDIGITS writes it with four digits ("Infinity" and the like
    // included).
    void number(float v)
    {
        std::array<char, kSigDigitsWidth> digits;
        SIGDIGITS(v, digits, 4);
        std::string_view s(digits.data(), digits.size());
        s.remove_prefix(std::min(s.find_first_not_of(' '), s.size()));
        text(s.substr(0, s.find(' ')));
    }

    // A report message as printed: runs of blanks squeezed, none at the end.
    void message(std::string_view s)
    {
        for (std::size_t i = 0; i < s.size(); ++i)
            if (s[i] != ' ' || (i + 1 < s.size() && s[i + 1] != ' ' && n_ > 0))
                text(s.substr(i, 1));
    }

    void field(const RecordedNote& n, std::string_view f)
    {
        if (f == "w") {
            for (std::size_t i = 0; i < n.words.size() && n.words[i]; ++i) {
                text(i ? ", " : "");
                text(n.words[i]);
            }
            return text(n.more_words > 0 ? ", ..." : "");
        }
        if (f == "m")
            return message(n.words[0] ? n.words[0] : "");
        const std::size_t i = f.empty() ? n.x.size() : static_cast<std::size_t>(f[0] - '0');
        if (i >= n.x.size())
            return;
        static constexpr std::pair<char, Quantity> kUnits[] = {
            {'d', Quantity::diameter}, {'t', Quantity::thickness}, {'p', Quantity::pressure}, {'s', Quantity::stress}};
        for (auto [letter, q] : kUnits)
            if (f.size() == 2 && f[1] == letter) {
                number(rec_.display(q, n.x[i]));
                const std::string_view unit = rec_.unit(q);
                return unit.empty() ? void() : (text(" "), text(unit));
            }
        number(n.x[i]);
    }

    const ResultsRecord& rec_;
    std::span<char> out_;
    std::size_t n_ = 0;
};

// The next note of a list, or `spare` (written, never read) when it is full.
template <std::size_t N>
RecordedNote& next_note(std::array<RecordedNote, N>& list, int& count, RecordedNote& spare, const char* code,
                        const char* text, std::initializer_list<float> x)
{
    RecordedNote& n = count < static_cast<int>(N) ? list[static_cast<std::size_t>(count++)] : spare;
    n = {};
    n.code = code;
    n.text = text;
    std::copy_n(x.begin(), std::min(x.size(), n.x.size()), n.x.begin());
    return n;
}

}  // namespace

const char* quantity_name(Quantity q) { return name_of(q).data(); }  // a literal: NUL-terminated

void ResultsRecord::add(const char* key, const char* label, Quantity q, float value, bool applies)
{
    if (value_count < kValueCapacity)
        values[static_cast<std::size_t>(value_count++)] = {key, label, q, value, applies};
}

RecordedCheck& ResultsRecord::check(const char* key, const char* label, Quantity q, float value, const char* relation,
                                    float limit, bool applicable, int fails)
{
    RecordedCheck& c = check_count < kCheckCapacity ? checks[static_cast<std::size_t>(check_count++)] : spare_check_;
    const bool at_least = relation[0] == '>';
    c = {key, label, q, at_least, value, limit, applicable, false, NAN, nullptr};
    if (!std::isfinite(value) || !std::isfinite(limit))
        return c;  // fails, without a utilization
    const float divisor = at_least ? value : limit;
    if (!(divisor > 0.0f)) {
        c.utilization = INFINITY;  // a ">=" value or a "<=" limit not above 0 fails
        return c;
    }
    c.utilization = at_least ? limit / value : value / limit;
    c.passes = fails >= 0 ? fails == 0 : at_least ? value >= limit : value <= limit;
    return c;
}

RecordedNote& ResultsRecord::reason(const char* code, const char* text, std::initializer_list<float> x)
{
    return next_note(reasons, reason_count, spare_, code, text, x);
}

RecordedNote& ResultsRecord::note(const char* code, const char* text, std::initializer_list<float> x)
{
    return next_note(notes, note_count, spare_, code, text, x);
}

const char* ResultsRecord::reason_text(int i) const
{
    const auto k = static_cast<std::size_t>(i);
    return Composer(*this, reason_texts[k]).compose(reasons[k]);
}

const char* ResultsRecord::note_text(int i) const
{
    const auto k = static_cast<std::size_t>(i);
    return Composer(*this, note_texts[k]).compose(notes[k]);
}

void ResultsRecord::inputs_used(std::initializer_list<Input> inputs)
{
    RecordedNote* n = nullptr;
    for (const Input& i : inputs) {
        if (std::isfinite(i.value))
            continue;
        if (n == nullptr)
            n = &reason("not_finite", "An input the verdict rests on is not finite: {w}.");
        name_in(*n, i.name);
    }
}

void ResultsRecord::assign(const ResultsRecord& from)
{
    auto used = [](auto& to, const auto& list, int n) {
        std::copy_n(list.begin(), std::clamp(n, 0, static_cast<int>(list.size())), to.begin());
    };
    value_count = from.value_count;
    check_count = from.check_count;
    reason_count = from.reason_count;
    note_count = from.note_count;
    used(values, from.values, value_count);
    used(checks, from.checks, check_count);
    used(reasons, from.reasons, reason_count);
    used(notes, from.notes, note_count);
    verdict = from.verdict;
    governing = from.governing;
    factors = from.factors;
    temperature_offset = from.temperature_offset;
    units = from.units;
}

void ResultsRecord::set_units(const UnitRecord& u)
{
    const float ft = u.thickness.factor;
    const std::string_view thickness = u.thickness.text();
    set_unit(*this, Quantity::length, u.length.factor, u.length.text());
    set_unit(*this, Quantity::force, u.force.factor, u.force.text());
    set_unit(*this, Quantity::moment, u.moment.factor, u.moment.text());
    set_unit(*this, Quantity::stress, u.stress.factor, u.stress.text());
    set_unit(*this, Quantity::pressure, u.pressure.factor, u.pressure.text());
    set_unit(*this, Quantity::diameter, u.diameter.factor, u.diameter.text());
    set_unit(*this, Quantity::thickness, ft, thickness);
    set_unit(*this, Quantity::area, ft * ft, thickness, "\xB2");  // superscript two
    set_unit(*this, Quantity::volume, ft * ft * ft, thickness, "\xB3");
    set_unit(*this, Quantity::per_thickness, 1.0f / ft, thickness, "^-1");
    set_unit(*this, Quantity::temperature, u.temperature_scale.factor, u.temperature_text());
    temperature_offset = u.temperature_offset.factor;
    for (Quantity q : {Quantity::mass, Quantity::density, Quantity::dimensionless}) {
        factors[static_cast<int>(q)] = 1.0f;
        units[static_cast<int>(q)][0] = '\0';
    }
}

// A check that fails although its relation holds: a ">=" check whose value,
// or a "<=" check whose limit, is not above 0 (a permissible pressure of
// -15 psi is not ">= -144 psi" in any useful sense). One note names them.
void note_if_not_positive(ResultsRecord& rec, const RecordedCheck& c, RecordedNote*& n)
{
    if (!(c.at_least ? c.value >= c.limit : c.value <= c.limit))
        return;
    if (n == nullptr)
        n = &rec.note("check_not_positive",
                      "A permissible value or a limit not above 0 fails its check, whatever it is compared with: {w}.");
    name_in(*n, c.key);
}

void ResultsRecord::finish()
{
    reason_for_values_not_finite(*this);

    // Acceptable only when checks were made, every applicable one passes
    // and nothing stands in the way of judging the item.
    verdict = reason_count > 0 ? Verdict::not_analysed : Verdict::acceptable;
    governing = -1;
    int applicable = 0;
    RecordedNote* not_positive = nullptr;
    for (int i = 0; i < check_count; ++i) {
        const RecordedCheck& c = checks[static_cast<std::size_t>(i)];
        if (!c.applicable)
            continue;
        ++applicable;
        if (!c.passes && verdict == Verdict::acceptable)
            verdict = Verdict::not_acceptable;
        if (!c.passes && c.utilization == INFINITY)
            note_if_not_positive(*this, c, not_positive);
        if (governing < 0 || governs_over(c, checks[static_cast<std::size_t>(governing)]))
            governing = i;
    }
    if (applicable == 0 && verdict != Verdict::not_analysed) {
        verdict = Verdict::not_analysed;
        reason("not_computed", "Nothing was calculated that the item could be judged by.");
    }
}

float ResultsRecord::display(Quantity q, float value) const
{
    const float factor = factors[static_cast<int>(q)];
    if (q == Quantity::moment)
        return (value / 12.0f) * factor;  // as on a result line
    if (q == Quantity::temperature)
        return value * factor + temperature_offset;
    return value * factor;
}

}  // namespace tx14
