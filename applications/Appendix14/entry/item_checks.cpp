// The checks of an item before it runs, the same for every front end: its
// kind, code and units, each key and the type and range of its value, the
// conversion into internal units, then the rules of the item as a whole
// (pipe size, required keys, values no component can have, warnings).
#include "item_checks.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "../jacket/jacket_input.hpp"
#include "../jacket/pipe_schedules.hpp"
#include "../opening/opening_calculation.hpp"
#include "host_units.hpp"
#include "json.hpp"

namespace tx14 {
namespace {

// ISO designations of the nominal pipe sizes: DN, NPS.
constexpr std::pair<int, double> kDesignations[] = {
    {15, 0.5},   {25, 1.0},   {40, 1.5},   {50, 2.0},   {65, 2.5},   {80, 3.0},   {90, 3.5},   {100, 4.0},  {125, 5.0},
    {150, 6.0},  {200, 8.0},  {250, 10.0}, {300, 12.0}, {350, 14.0}, {400, 16.0}, {450, 18.0}, {500, 20.0}, {550, 22.0},
    {600, 24.0}, {650, 26.0}, {700, 28.0}, {750, 30.0}, {800, 32.0}, {850, 34.0}, {900, 36.0},
};

std::string in_quotes(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + 2);
    out.append(1, '"').append(s).append(1, '"');
    return out;
}
std::string quoted(std::string_view key) { return "key " + in_quotes(key); }

// A value as typed in a message: 76.2, not 76.200000000000003.
std::string shown(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string designation_of(double NPS)
{
    for (auto [DN, size] : kDesignations)
        if (size == NPS)
            return " or DN = " + std::to_string(DN);
    return {};
}

// "a" or "a or b" or "a, b or c", each quoted.
template <typename Range, typename Name>
std::string alternatives(const Range& range, Name name)
{
    std::string s;
    const std::size_t n = std::size(range);
    std::size_t i = 0;
    for (const auto& x : range) {
        if (i > 0)
            s += i + 1 == n ? " or " : ", ";
        s += in_quotes(name(x));
        ++i;
    }
    return s;
}

std::string kinds_expected()
{
    return alternatives(kinds(), [](const KindKeys& k) { return k.name; });
}

std::string kind_words(const KindKeys& k)
{
    return (k.kind == Kind::opening ? "an " : "a ") + std::string(k.name) + " item";
}

// The type of a value, in words.
std::string_view found(const Entry& e)
{
    switch (e.value.index()) {
    case 1: {
        const double v = std::get<double>(e.value);
        return v == std::trunc(v) && std::fabs(v) < 1e15 ? "a whole number" : "a number";
    }
    case 2:
        return "a text";
    case 3:
        return std::get<OtherType>(e.value).name;
    default:
        return "nothing";
    }
}

// Letters that differ, are missing or are added between two key names.
std::size_t distance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t up = row[j];
            const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

// The valid key closest to a misspelt one, when it is close.
std::string did_you_mean(const KindKeys& keys, std::string_view key)
{
    std::string_view best;
    std::size_t best_distance = key.size() <= 3 ? 1 : 2;
    auto consider = [&](std::string_view name) {
        if (const std::size_t d = distance(key, name); d <= best_distance && !(d == best_distance && !best.empty())) {
            best = name;
            best_distance = d;
        }
    };
    for (std::string_view k : kCommonKeys)
        consider(k);
    for (const TextKey& k : keys.texts)
        consider(k.name);
    for (const NumberKey& k : keys.numbers)
        consider(k.name);
    if (number_key(keys, "NPS"))
        consider(kDesignationKey);
    return best.empty() ? std::string() : " (did you mean " + in_quotes(best) + "?)";
}

using json::parse_decimal;

// A value given as a number, or as a text the key's type decides.
std::optional<double> value_of(const Entry& e)
{
    if (const double* d = std::get_if<double>(&e.value))
        return *d;
    const std::string* s = std::get_if<std::string>(&e.value);
    return s && e.untyped ? parse_decimal(*s) : std::nullopt;
}

// The valid nominal pipe sizes of a code selector, and their phrase.
bool valid_size(int code, double NPS) { return pipes::in_table(NPS, code == 2); }

std::string valid_sizes(int code) { return code == 2 ? "2, 3 or 4" : "2, 2.5, 3, 3.5, 4"; }

std::optional<double> size_of_designation(double DN)
{
    for (auto [designation, size] : kDesignations)
        if (designation == DN)
            return size;
    return std::nullopt;
}

}  // namespace

// ---- One item's checks --------------------------------------------------

ItemChecks::ItemChecks(const Item& item, Outcome& out) : item_(item), out_(out) {}

void ItemChecks::error(std::string_view key, std::string message)
{
    out_.errors.push_back({std::string(key), std::move(message)});
}

void ItemChecks::expected(const Entry& e, std::string_view what)
{
    error(e.key, quoted(e.key) + " expects " + std::string(what) + ", found " + std::string(found(e)));
}

std::optional<std::string_view> ItemChecks::text_of(const Entry& e)
{
    if (const std::string* s = std::get_if<std::string>(&e.value))
        return *s;
    expected(e, "a text");
    return std::nullopt;
}

std::optional<double> ItemChecks::number_of(const Entry& e)
{
    const std::optional<double> v = value_of(e);
    if (!v) {
        expected(e, "a number");
        return std::nullopt;
    }
    if (!std::isfinite(*v)) {
        const std::string* s = std::get_if<std::string>(&e.value);
        error(e.key, quoted(e.key) + ": " +
                         (s && std::isinf(*v) ? *s + " is out of range; expected a number within the "
                                                     "single-precision range"
                                              : std::string("the value is not finite; expected a finite number")));
        return std::nullopt;
    }
    return v;
}

namespace {

// The first entry of a common key (of four to eight bytes: its first and
// last four compared); they come first in most items.
const Entry* first_entry(const Item& item, std::string_view key)
{
    const std::size_t n = key.size();
    for (const Entry& e : item.entries)
        if (e.key.size() == n && KindIndex::word(e.key.data()) == KindIndex::word(key.data()) &&
            KindIndex::word(e.key.data() + n - 4) == KindIndex::word(key.data() + n - 4))
            return &e;
    return nullptr;
}

// A text of up to 15 bytes of printable ASCII (0x20 to 0x7E), its own
// Windows-1252: eight bytes at a time from eight on, a byte below 0x20,
// at 0x7F or above setting the high bit of its own byte.
bool short_printable_ascii(std::string_view s)
{
    if (s.size() < 8) {
        for (char c : s)
            if (c < 0x20 || c > 0x7E)
                return false;
        return true;
    }
    if (s.size() > kTextKeyWidth)
        return false;
    constexpr std::uint64_t ones = 0x0101010101010101u, highs = 0x8080808080808080u;
    auto unprintable = [&](const char* p) {
        std::uint64_t w;
        std::memcpy(&w, p, sizeof w);
        return ((w - 0x20 * ones) | (w + ones) | w) & highs;
    };
    return (unprintable(s.data()) | unprintable(s.data() + s.size() - 8)) == 0;
}

}  // namespace

bool ItemChecks::kind_code_and_units()
{
    const Entry* kind = first_entry(item_, "kind");
    std::optional<std::string_view> name;
    if (kind == nullptr || kind->value.index() == 0)
        error({}, "missing key \"kind\": expected " + kinds_expected());
    else if ((name = text_of(*kind)) && !(out_.keys = named_in(kinds(), *name)))
        error("kind", "key \"kind\": " + in_quotes(*name) + " is not a kind of item; expected " + kinds_expected());
    if (out_.keys == nullptr) {
        out_.numbers.clear();
        out_.texts.clear();
        return false;
    }
    const KindKeys& keys = *out_.keys;
    index_ = &kind_index(keys.kind);
    out_.numbers.resize(keys.numbers.size());  // kept from the last item: its room too
    std::fill(out_.numbers.begin(), out_.numbers.end(), std::optional<float>());
    out_.texts.resize(keys.texts.size());
    for (std::string& t : out_.texts)
        t.clear();

    auto codes = [&] { return alternatives(keys.codes, [](const CodeName& c) { return c.name; }); };
    const Entry* code = first_entry(item_, "code");
    if (code == nullptr || code->value.index() == 0) {
        error({}, "missing key \"code\": expected " + codes());
    } else if (std::optional<std::string_view> c = text_of(*code)) {
        out_.code = named_in(keys.codes, *c);
        if (out_.code == nullptr)
            error("code",
                  "key \"code\": " + in_quotes(*c) + " is not a code of " + kind_words(keys) + "; expected " + codes());
    }

    const Entry* units = first_entry(item_, "units");
    if (units == nullptr || units->value.index() == 0) {
        error({}, "missing key \"units\": expected \"US\", \"SI\" or a unit file");
    } else if (std::optional<std::string_view> u = text_of(*units)) {
        if (const UnitSystem* builtin = builtin_units(*u); builtin && !item_.unit_system)
            out_.units =
                std::shared_ptr<const UnitSystem>(std::shared_ptr<const UnitSystem>(), builtin);  // owns nothing
        else if (item_.unit_system)
            unit_file(*u);
        else
            error("units", "key \"units\": " + in_quotes(*u) +
                               " is not \"US\" or \"SI\", and no unit file of that name was given");
    }
    return true;
}

void ItemChecks::unit_file(std::string_view name)
{
    const UnitSystem& u = *item_.unit_system;
    std::vector<UnitProblem> problems = unit_problems(u.factors, u.labels);
    for (UnitProblem& p : problems)
        error("units", "key \"units\": unit file " + in_quotes(name) + ": " + p.message);
    if (problems.empty())
        out_.units = item_.unit_system;
}

void ItemChecks::item_number(const Entry& e)
{
    const std::optional<double> n = value_of(e);
    if (!n || *n != std::trunc(*n)) {
        expected(e, "a whole number");
    } else if (std::fabs(*n) > static_cast<double>(kLargestItem)) {
        error("item", "key \"item\": expected a whole number from -16777216 to 16777216");
    } else {
        out_.number = static_cast<std::int64_t>(*n);
    }
}

void ItemChecks::number(std::size_t i, const Entry& e)
{
    const NumberKey& k = out_.keys->numbers[i];
    named_ |= std::uint64_t{1} << i;  // refused, it is not missing as well
    const double* d = std::get_if<double>(&e.value);
    const std::optional<double> value = d && std::isfinite(*d) ? *d : number_of(e);
    if (!value || !out_.units)
        return;
    const auto q = static_cast<unsigned>(k.quantity);
    std::optional<float> internal =
        unscaled_ >> q & 1u ? unscaled_value(*value) : out_.units->to_internal(k.quantity, *value);
    if (!internal) {
        error(k.name, quoted(k.name) + ": the value in internal units is out of the single-precision range");
        return;
    }
    out_.numbers[i] = *internal;
    given_ |= std::uint64_t{1} << i;
    typed_[i] = *value;
}

void ItemChecks::text(std::size_t i, const Entry& e)
{
    const TextKey& k = out_.keys->texts[i];
    std::optional<std::string_view> utf8 = text_of(e);
    if (!utf8)
        return;
    std::string problem;
    std::optional<std::string> bytes = text::to_cp1252(*utf8, problem);
    if (!bytes)
        error(k.name, quoted(k.name) + ": " + problem);
    else if (bytes->size() > kTextKeyWidth)
        error(k.name, quoted(k.name) + ": text longer than 15 characters (" + std::to_string(bytes->size()) + ")");
    else
        out_.texts[i] = std::move(*bytes);
}

namespace {

// Characters that would break the line or reorder what follows them.
bool breaks_line(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::optional<std::string> sheet_text_problem(std::string_view utf8)
{
    std::size_t characters = 0;
    for (std::size_t at = 0; at < utf8.size(); ++characters) {
        const std::optional<char32_t> c = text::decode_utf8(utf8, at);
        if (!c)
            return "the text is not valid UTF-8";
        if (breaks_line(*c))
            return "the text holds a control character (a line break, a tab or a direction mark); expected one "
                   "line of text";
    }
    if (characters > kSheetTextLength)
        return "text longer than " + std::to_string(kSheetTextLength) + " characters (" + std::to_string(characters) +
               ")";
    return std::nullopt;
}

// One line of text, kept in UTF-8 for the sheet alone.
void ItemChecks::sheet_text(std::size_t i, const Entry& e)
{
    std::optional<std::string_view> utf8 = text_of(e);
    if (!utf8)
        return;
    if (std::optional<std::string> problem = sheet_text_problem(*utf8))
        error(e.key, quoted(e.key) + ": " + *problem);
    else
        out_.sheet[i] = std::string(*utf8);
}

void ItemChecks::entries()
{
    const KindKeys& keys = *out_.keys;
    if (out_.units)
        unscaled_ = unscaled_quantities(*out_.units);
    const KindIndex& index = *index_;
    const NumberKey* const numbers = keys.numbers.data();
    std::optional<float>* const values = out_.numbers.data();
    const std::uint32_t unscaled = unscaled_;
    std::uint64_t plain = 0;  // bit n: number key n taken here
    for (const Entry& e : item_.entries) {
        const KeyRef key = index.find(e.key);
        if (key.role == KeyRole::number) {
            // Most numbers: a double (or a cell's text of one) within the
            // single-precision range, of a quantity the units leave as it
            // is, taken as number() would.
            double v = 0.0;
            bool taken = false;
            if (const double* d = std::get_if<double>(&e.value))
                v = *d, taken = true;
            else if (const std::string* t = std::get_if<std::string>(&e.value); t && e.untyped)
                if (const std::optional<double> c = parse_decimal(*t))
                    v = *c, taken = true;
            if (taken && (unscaled >> static_cast<unsigned>(numbers[key.index].quantity) & 1u) &&
                std::fabs(v) <= static_cast<double>(std::numeric_limits<float>::max())) {
                plain |= std::uint64_t{1} << key.index;
                values[key.index] = static_cast<float>(v);
                typed_[key.index] = v;
            } else if (e.value.index() != 0) {
                number(key.index, e);
            }
            continue;
        }
        if (key.role == KeyRole::unknown) {
            error(e.key, "unknown key " + in_quotes(e.key) + " for " + kind_words(keys) + did_you_mean(keys, e.key) +
                             "; valid keys: " + key_list(keys));  // whatever its value: a misspelt key's empty cell too
            continue;
        }
        if (e.value.index() == 0)
            continue;  // not given
        switch (key.role) {
        default:
            break;  // read already
        case KeyRole::item:
            item_number(e);
            break;
        case KeyRole::text:
            if (const std::string* t = std::get_if<std::string>(&e.value); t && short_printable_ascii(*t))
                out_.texts[key.index] = *t;  // as most texts
            else
                text(key.index, e);
            break;
        case KeyRole::sheet:
            sheet_text(key.index, e);
            break;
        case KeyRole::designation:
            if (std::optional<double> DN = number_of(e))
                DN_ = *DN;
            break;
        }
    }
    named_ |= plain;
    given_ |= plain;
    if (const std::uint8_t NPS = index.rules.NPS; NPS != kNoKey && (given_ >> NPS & 1u))
        NPS_ = typed_[NPS];  // its last value, as the rules read it once every value is taken
}

std::optional<float> ItemChecks::given(std::uint8_t i) const { return i == kNoKey ? std::nullopt : out_.numbers[i]; }

// NPS is a designation in every unit system; DN may stand in for it.
void ItemChecks::pipe_size()
{
    if (!NPS_ && !DN_)
        return;
    const CodeName& code = *out_.code;
    const UnitSystem& units = *out_.units;
    if (NPS_ && DN_) {
        error("DN", "keys \"NPS\" and \"DN\" both given; give one of them");
        return;
    }
    double NPS = 0.0;
    if (DN_) {
        std::optional<double> size = size_of_designation(*DN_);
        if (!size || !valid_size(code.number, *size)) {
            std::string valid;
            for (auto [DN, s] : kDesignations)
                if (valid_size(code.number, s))
                    valid += (valid.empty() ? "" : ", ") + std::to_string(DN);
            error("DN", "key \"DN\": " + shown(*DN_) + " is not a valid pipe size designation for code " +
                            std::string(code.name) + "; expected one of " + valid);
            return;
        }
        NPS = *size;
    } else {
        NPS = *NPS_;
        const bool valid = valid_size(code.number, NPS);
        const double f = units.factor(slot_of(Quantity::diameter));  // the old way: NPS in mm
        auto size_of = [&] { return std::round(NPS / f * 2.0) / 2.0; };
        if (!valid && f != 1.0 && valid_size(code.number, size_of()) &&
            static_cast<float>(size_of() * f) == static_cast<float>(NPS)) {
            error("NPS", "key \"NPS\": " + shown(NPS) + " is a pipe size in " + units.unit_name(Quantity::diameter) +
                             "; NPS is the designation in every unit system: write NPS = " + shown(size_of()) +
                             designation_of(size_of()));
            return;
        }
        const bool formed = given(index_->rules.r).value_or(0.0f) > kFormedRadius;  // the library sizes it from r
        if (!valid && !formed) {
            if (code.number == 2)
                error("NPS", "key \"NPS\": " + shown(NPS) + " is not a valid nominal pipe size for code " +
                                 std::string(code.name) + "; expected " + valid_sizes(code.number));
            else
                error("NPS", "key \"NPS\": " + shown(NPS) + " is not in the pipe table (" + valid_sizes(code.number) +
                                 "); give r, the jacket's formed inside radius, for another size");
            return;
        }
    }
    out_.numbers[index_->rules.NPS] = static_cast<float>(NPS);
    given_ |= std::uint64_t{1} << index_->rules.NPS;
}

void ItemChecks::required_keys()
{
    const std::uint64_t missing = index_->required[static_cast<std::size_t>(out_.code->number)] & ~named_ & ~given_;
    for (std::uint64_t left = missing; left != 0; left &= left - 1) {
        const auto i = static_cast<std::size_t>(std::countr_zero(left));
        const NumberKey& k = out_.keys->numbers[i];
        if (i == index_->rules.NPS && (DN_ || given(index_->rules.r).value_or(0.0f) > kFormedRadius))
            continue;  // by its designation, or a formed jacket by its radius
        const std::string unit = out_.units->unit_name(k.quantity);
        error(k.name, "missing key " + in_quotes(k.name) + " (" + std::string(k.meaning) +
                          (unit.empty() ? "" : ", unit " + unit) + ")" +
                          (k.instead.empty() ? "" : "; or give " + std::string(k.instead)) + ": required for code " +
                          std::string(out_.code->name));
    }
}

// Inputs that describe no component that can exist, refused before the
// analysis sees them (it refuses them too, as the host's backstop).
void ItemChecks::input_domain()
{
    const KindKeys& keys = *out_.keys;
    for (std::uint64_t left = given_ & index_->limited; left != 0; left &= left - 1) {
        const auto i = static_cast<std::size_t>(std::countr_zero(left));
        const NumberKey& k = keys.numbers[i];
        const std::optional<float> v = out_.numbers[i];
        auto refuse = [&](const char* why) { error(k.name, quoted(k.name) + ": " + shown(typed_[i]) + " " + why); };
        switch (index_->domains[i]) {
        case Domain::allowance:
            if (*v < 0.0f)
                refuse("is negative; a corrosion allowance is 0 or more");
            break;
        case Domain::stress:
            if (!(*v > 0.0f))
                refuse("is not above 0; an allowable stress is greater than 0");
            break;
        case Domain::fraction:
            if (!(*v > 0.0f && *v <= 1.0f))
                refuse("is outside (0, 1]: the joint efficiency is a fraction; write 0.85 for 85 %");
            break;
        case Domain::any:
            break;
        }
    }
    if (keys.kind == Kind::opening)
        opening_fits();
}

// The opening with its nozzle hub must lie inside the shell: R, from the
// load reaction to the hub, as the calculation computes it.
void ItemChecks::opening_fits()
{
    const RuleKeys& k = index_->rules;
    if (!given(k.A) || !given(k.Bn) || !given(k.g0s))
        return;  // missing: said already
    OpeningInput in;
    for (std::uint8_t i : {k.A, k.Bn, k.g0s, k.ca, k.g0n, k.g1n})
        *opening_field(in, out_.keys->numbers[i].element) = given(i).value_or(0.0f);
    const float R = radial_distance(in);
    if (R > 0.0f)
        return;
    const bool nozzle = has_nozzle(in);
    error("Bn", std::string("key \"Bn\": the opening") + (nozzle ? " and its nozzle hub do" : " does") +
                    " not fit inside the shell: R = 0.5 (G - Bn - 2 ca)" + (nozzle ? " - (g1n - ca)" : "") + " = " +
                    shown(static_cast<double>(out_.units->to_display(Quantity::diameter, R))) + " " +
                    out_.units->unit_name(Quantity::diameter) + " is not above 0, with G = A - 2 g0s + 2 ca");
}

// Values the analysis takes but that most likely are not what was meant.
void ItemChecks::warnings()
{
    auto warn = [&](std::string_view key, const std::string& message) {
        out_.warnings.push_back({std::string(key), quoted(key) + ": " + message});
    };
    const RuleKeys& k = index_->rules;
    for (std::uint8_t i : {k.Sa, k.Sja, k.Shg})  // ambient allowables: the report echoes them only
        if (std::optional<float> S = given(i); S && !(*S > 0.0f))
            warn(out_.keys->numbers[i].name, "an allowable stress not above 0");
    if (std::optional<float> Pj = given(k.Pj); Pj && *Pj < 0.0f)
        warn("Pj", "a negative jacket (coil) pressure");
}

std::uint64_t ItemChecks::run()
{
    if (!kind_code_and_units())
        return 0;
    entries();
    if (!out_.errors.empty() || !out_.code || !out_.units)
        return given_;  // the rules of the whole item read every value
    pipe_size();
    required_keys();
    if (out_.errors.empty())
        input_domain();
    if (out_.errors.empty())
        warnings();
    return given_;
}

}  // namespace tx14
