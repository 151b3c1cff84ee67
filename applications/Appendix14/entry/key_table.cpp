// The keys of each kind of item, their index for the entry, and the key
// tables as the help and the README show them.
#include <algorithm>
#include <array>
#include <cstdint>

#include "key_index.hpp"
#include "txappendix14_items.hpp"

namespace tx14 {
namespace {

constexpr CodeSet kAllCodes = 0x1E;     // selectors 1 to 4
constexpr CodeSet kBothEditions = 0x6;  // VIII-1 and VIII-2
constexpr CodeSet kHalfPipe = 0x6;      // selectors 1 and 2

using Q = Quantity;

constexpr NumberKey kOpeningNumbers[] = {
    {"P", 5, Q::pressure, "internal design pressure", kBothEditions},
    {"T", 6, Q::temperature, "design temperature"},
    {"t", 7, Q::thickness, "integral flat head thickness", kBothEditions},
    {"Bn", 8, Q::diameter, "opening inside diameter", kBothEditions},
    {"A", 9, Q::diameter, "shell outside diameter", kBothEditions},
    {"g0s", 10, Q::thickness, "shell side hub thickness, small end", kBothEditions},
    {"g1s", 11, Q::thickness, "shell side hub thickness, large end", kBothEditions},
    {"hs", 12, Q::thickness, "shell side hub length", kBothEditions},
    {"ca", 13, Q::thickness, "corrosion allowance"},
    {"Sho", 15, Q::stress, "allowable stress at design temperature", kBothEditions},
    {"Shg", 16, Q::stress, "allowable stress at ambient temperature"},
    {"g0n", 18, Q::thickness, "nozzle side hub thickness, small end"},
    {"g1n", 19, Q::thickness, "nozzle side hub thickness, large end"},
    {"hn", 20, Q::thickness, "nozzle side hub length"},
    {"density", 21, Q::density, "material density (weight per unit volume)"},
};

constexpr NumberKey kJacketNumbers[] = {
    {"D", 2, Q::diameter, "cylinder inside diameter", kAllCodes},
    {"ts", 3, Q::thickness, "cylinder thickness", kAllCodes},
    {"P", 4, Q::pressure, "cylinder internal design pressure"},
    {"T", 5, Q::temperature, "design temperature for internal pressure"},
    {"S", 6, Q::stress, "cylinder allowable stress at design temperature", kAllCodes},
    {"Sa", 7, Q::stress, "cylinder allowable stress at ambient temperature"},
    {"ca", 8, Q::thickness, "cylinder corrosion allowance"},
    {"E", 9, Q::dimensionless, "cylinder joint efficiency", kHalfPipe},
    {"NPS", 10, Q::dimensionless, "nominal pipe size of the jacket or coil (designation: 3 for NPS 3)", kAllCodes,
     "DN, or r"},
    {"Tj", 11, Q::thickness, "jacket (coil) minimum thickness", kAllCodes},
    {"Pj", 12, Q::pressure, "jacket (coil) design pressure", kAllCodes},
    {"Tjacket", 13, Q::temperature, "jacket (coil) design temperature"},
    {"Sj", 14, Q::stress, "jacket allowable stress (coil design stress) at design temperature", kAllCodes},
    {"Sja", 15, Q::stress, "jacket allowable stress at ambient temperature"},
    {"caj", 16, Q::thickness, "jacket (coil) corrosion allowance"},
    {"r", 17, Q::diameter, "formed inside radius, 0 for a standard pipe"},
    {"ExtPCore", 18, Q::pressure, "core external pressure"},
    {"co", 19, Q::thickness, "cylinder outer corrosion allowance"},
    {"L", 21, Q::length, "span of the coils"},
};

constexpr TextKey kOpeningTexts[] = {
    {"material", 1, "flange and nozzle material"},
    {"description", 2, "item description"},
};

constexpr TextKey kJacketTexts[] = {
    {"material", 1, "cylinder material"},
    {"jacket_material", 2, "jacket (coil) material"},
    {"description", 3, "item description"},
};

constexpr CodeName kOpeningCodes[] = {{"VIII-1", 1}, {"VIII-2", 2}};
constexpr CodeName kJacketCodes[] = {{"VIII-1", 1}, {"VIII-2", 2}, {"PD5500", 3}, {"EN13445", 4}};

constexpr ResultKey kOpeningResults[] = {
    {"minimum_thickness", 30, Q::thickness},
    {"mawp", 31, Q::pressure},
    {"largest_stress", 32, Q::stress},
};

constexpr ResultKey kJacketResults[] = {
    {"fillet_weld", 196, Q::thickness},
    {"permissible_jacket_pressure", 197, Q::pressure},
    {"governing_shell_thickness", 198, Q::thickness},
};

constexpr KindKeys kKinds[] = {
    {Kind::opening, "opening", kOpeningNumbers, kOpeningTexts, kOpeningCodes, kOpeningResults},
    {Kind::jacket, "jacket", kJacketNumbers, kJacketTexts, kJacketCodes, kJacketResults},
};

// The number keys whose values a component limits, of whichever kind.
constexpr std::pair<std::string_view, Domain> kDomains[] = {
    {"ca", Domain::allowance}, {"caj", Domain::allowance}, {"co", Domain::allowance}, {"S", Domain::stress},
    {"Sj", Domain::stress},    {"Sho", Domain::stress},    {"E", Domain::fraction},
};

template <std::size_t N>
constexpr std::uint8_t position(const NumberKey (&numbers)[N], std::string_view name)
{
    for (std::size_t i = 0; i < N; ++i)
        if (numbers[i].name == name)
            return static_cast<std::uint8_t>(i);
    return kNoKey;
}

// The names of a kind's items placed by a hash that gives each a slot of
// its own: the first multiplier, of the odd numbers tried in turn, under
// which no two names meet. The seed stays 0 when a name comes twice (no
// hash can part them) or no multiplier parts the names.
constexpr void place_names(KindIndex& x, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (x.names[i].name == x.names[j].name)
                return;
    for (std::uint32_t seed = 0x9E3779B1u, tries = 0; tries < 100000; seed += 2, ++tries) {
        x.slots = {};
        std::size_t i = 0;
        for (; i < count; ++i) {
            std::uint8_t& s = x.slots[KindIndex::slot(x.names[i].mix, seed)];
            if (s != 0)
                break;
            s = static_cast<std::uint8_t>(i + 1);
        }
        if (i == count) {
            x.seed = seed;  // odd: never 0
            return;
        }
    }
}

template <std::size_t N, std::size_t T>
consteval KindIndex index_of(const NumberKey (&numbers)[N], const TextKey (&texts)[T])
{
    static_assert(N <= kMaxNumberKeys && N <= 64);  // 64: the entry's bit set of named keys
    static_assert(std::size(kCommonKeys) + N + T + 1 + kSheetKeyCount <= kMaxItemKeys);
    KindIndex x;
    std::size_t n = 0;
    auto add = [&](std::string_view name, KeyRole role, std::size_t i) {
        x.names[n++] = {name, KindIndex::mix(name), {role, static_cast<std::uint8_t>(i)}};
    };
    constexpr KeyRole common[] = {KeyRole::kind, KeyRole::code, KeyRole::units, KeyRole::item};
    static_assert(std::size(common) == std::size(kCommonKeys) && kCommonKeys[0] == "kind" && kCommonKeys[1] == "code" &&
                  kCommonKeys[2] == "units" && kCommonKeys[3] == "item");
    for (std::size_t i = 0; i < std::size(kCommonKeys); ++i)
        add(kCommonKeys[i], common[i], 0);
    for (std::size_t i = 0; i < N; ++i)
        add(numbers[i].name, KeyRole::number, i);
    for (std::size_t i = 0; i < T; ++i)
        add(texts[i].name, KeyRole::text, i);
    if (position(numbers, "NPS") != kNoKey)
        add(kDesignationKey, KeyRole::designation, 0);
    for (std::size_t i = 0; i < kSheetKeyCount; ++i)
        add(kSheetKeys[i].name, KeyRole::sheet, i);
    place_names(x, n);

    auto at = [&](std::string_view name) { return position(numbers, name); };
    x.rules = {at("NPS"), at("r"),   at("A"),  at("Bn"),  at("g0s"), at("ca"),
               at("g0n"), at("g1n"), at("Sa"), at("Sja"), at("Shg"), at("Pj")};
    for (auto [name, domain] : kDomains)
        if (const std::uint8_t i = at(name); i != kNoKey) {
            x.domains[i] = domain;
            x.limited |= std::uint64_t{1} << i;
        }
    for (std::size_t code = 0; code < kCodeSelectors; ++code)
        for (std::size_t i = 0; i < N; ++i)
            if (numbers[i].required >> code & 1u)
                x.required[code] |= std::uint64_t{1} << i;
    return x;
}

constexpr KindIndex kIndexes[] = {
    index_of(kOpeningNumbers, kOpeningTexts),
    index_of(kJacketNumbers, kJacketTexts),
};
static_assert(std::size(kIndexes) == std::size(kKinds));
// A seed means every name was placed in a slot of its own, where find looks for it.
static_assert(kIndexes[0].seed != 0 && kIndexes[1].seed != 0, "each name of a kind once, each in a slot of its own");
static_assert(std::all_of(std::begin(kKinds), std::end(kKinds), [](const KindKeys& k) {
    return std::all_of(k.codes.begin(), k.codes.end(), [](const CodeName& c) {
        return c.number >= 0 && static_cast<std::size_t>(c.number) < kCodeSelectors;
    });
}));

// Every limited key is a key of some kind: a misspelt name would limit nothing.
static_assert(std::all_of(std::begin(kDomains), std::end(kDomains), [](const auto& d) {
    return position(kOpeningNumbers, d.first) != kNoKey || position(kJacketNumbers, d.first) != kNoKey;
}));

// The index of one of the kinds of kinds(); none for a copy.
const KindIndex* index_for(const KindKeys& keys)
{
    const std::size_t i = keys.kind == Kind::opening ? 0 : 1;
    return &keys == &kKinds[i] ? &kIndexes[i] : nullptr;
}

// "1, 2" or "all" or "-": the code selectors under which a key is required.
std::string required_for(const KindKeys& kind, const NumberKey& k)
{
    std::string s;
    int count = 0;
    for (const CodeName& c : kind.codes)
        if (k.required & (1u << c.number)) {
            s += (count++ ? ", " : "") + std::string(c.name);
        }
    if (count == 0)
        return "-";
    if (count == static_cast<int>(kind.codes.size()))
        s = "all";
    if (!k.instead.empty())
        s += " (or " + std::string(k.instead) + ")";
    return s;
}

std::string unit_of(const UnitSystem& u, const NumberKey& k)
{
    if (k.quantity == Quantity::dimensionless)
        return "-";
    const std::string l = text::to_utf8(u.unit_name(k.quantity));
    return k.quantity == Quantity::temperature ? "\xC2\xB0" + l : l;  // the degree sign, in UTF-8
}

// Blank-padded to a width in characters (UTF-8).
std::string padded(std::string s, std::size_t width)
{
    std::size_t chars = static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    return s + std::string(width > chars ? width - chars : 0, ' ');
}

// The rows of a kind's table, one call of `row` each: the key, its US and
// SI units, the codes requiring it and its meaning. The DN row and the text
// keys have neither units nor codes ("").
template <class Row>
void table_rows(const KindKeys& kind, std::string_view dn_meaning, Row row)
{
    for (const NumberKey& k : kind.numbers) {
        row(k.name, unit_of(us_units(), k), unit_of(si_units(), k), required_for(kind, k), k.meaning);
        if (k.name == "NPS")
            row(kDesignationKey, "", "", "", dn_meaning);
    }
    for (const TextKey& t : kind.texts)
        row(t.name, "", "", "", std::string(t.meaning) + " (text, at most 15 characters)");
}

}  // namespace

std::string_view name_of(Quantity q)
{
    constexpr std::string_view names[kQuantities] = {
        "dimensionless", "length",   "force", "area",    "volume",   "moment",    "stress",
        "temperature",   "pressure", "mass",  "density", "diameter", "thickness", "per_thickness",
    };
    return names[static_cast<std::size_t>(q)];
}

std::span<const KindKeys> kinds() { return kKinds; }
const KindKeys& keys_of(Kind k) { return kKinds[k == Kind::opening ? 0 : 1]; }
const KindKeys* kind_named(std::string_view name) { return named_in(kinds(), name); }
const CodeName* code_named(const KindKeys& keys, std::string_view name) { return named_in(keys.codes, name); }

const KindIndex& kind_index(Kind kind) { return kIndexes[kind == Kind::opening ? 0 : 1]; }

const NumberKey* number_key(const KindKeys& keys, std::string_view name)
{
    const KindIndex* index = index_for(keys);
    if (index == nullptr)
        return named_in(keys.numbers, name);
    const KeyRef ref = index->find(name);
    return ref.role == KeyRole::number ? &keys.numbers[ref.index] : nullptr;
}

const TextKey* text_key(const KindKeys& keys, std::string_view name)
{
    const KindIndex* index = index_for(keys);
    if (index == nullptr)
        return named_in(keys.texts, name);
    const KeyRef ref = index->find(name);
    return ref.role == KeyRole::text ? &keys.texts[ref.index] : nullptr;
}

std::string key_list(const KindKeys& keys)
{
    std::string s;
    auto add = [&](std::string_view name) { s += (s.empty() ? "" : ", ") + std::string(name); };
    for (std::string_view k : kCommonKeys)
        add(k);
    for (const TextKey& k : keys.texts)
        add(k.name);
    for (const NumberKey& k : keys.numbers) {
        add(k.name);
        if (k.name == "NPS")
            add(kDesignationKey);
    }
    for (const SheetKey& k : kSheetKeys)
        add(k.name);
    return s;
}

std::string key_tables_markdown()
{
    std::string s;
    for (const KindKeys& kind : kinds()) {
        s += "`kind = \"" + std::string(kind.name) + "\"`, code selectors ";
        for (std::size_t i = 0; i < kind.codes.size(); ++i)
            s += (i ? ", " : "") + std::to_string(kind.codes[i].number) + " `" + std::string(kind.codes[i].name) + "`";
        s += ":\n\n| Key | Meaning | US | SI | Required for |\n|---|---|---|---|---|\n";
        table_rows(kind, "the nominal pipe size as its DN designation (80 for NPS 3)",
                   [&s](std::string_view key, std::string_view us, std::string_view si, std::string_view required,
                        std::string_view meaning) {
                       s += "| `" + std::string(key) + "` | " + std::string(meaning);
                       for (std::string_view cell : {us, si, required})
                           (s += " | ") += cell.empty() ? "-" : cell;
                       s += " |\n";
                   });
        s += "\n";
    }
    s += "Every kind, for the calculation sheet's title and approval blocks (text, one line of at most 200 "
         "characters; the analysis does not see them):\n\n| Key | Meaning |\n|---|---|\n";
    for (const SheetKey& k : kSheetKeys)
        s += "| `" + std::string(k.name) + "` | " + std::string(k.meaning) + " |\n";
    return s + "\n";
}

std::string key_tables_text()
{
    std::string s = "Item file keys (values in the item's units; * required):\n";
    // A row: the meaning after columns that end at 14, 24, 34 and 56 characters.
    auto row = [&s](std::string_view key, std::string_view us, std::string_view si, std::string_view required,
                    std::string_view meaning) {
        std::string line = "    ";
        for (auto [cell, end] : {std::pair{key, 14}, {us, 24}, {si, 34}, {required, 56}})
            line = padded(line + std::string(cell), static_cast<std::size_t>(end));
        s += line + std::string(meaning) + "\n";
    };
    for (const KindKeys& kind : kinds()) {
        s += "\n  kind = \"" + std::string(kind.name) + "\", code = ";
        for (std::size_t i = 0; i < kind.codes.size(); ++i)
            s += (i ? " | \"" : "\"") + std::string(kind.codes[i].name) + "\"";
        s += "\n";
        row("key", "US", "SI", "required", "meaning");
        table_rows(kind, "the DN designation instead (80 for NPS 3)", row);
    }
    s += "\n  Common: units = \"US\" | \"SI\" | \"unit-file.toml\", item = number of the item.\n"
         "  Sheet texts (one line, at most 200 characters):";
    for (const SheetKey& k : kSheetKeys)
        s += "\n    " + padded(std::string(k.name), 14) + std::string(k.meaning);
    return s;
}

}  // namespace tx14
