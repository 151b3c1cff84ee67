// The keys of each kind of item, and the key tables as the help and the
// README show them.
#include <algorithm>
#include <array>
#include <cstdint>

#include "items.hpp"

namespace tx14::items {
namespace {

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
    {Kind::opening, "opening", 0.0f, 25, kOpeningNumbers, kOpeningTexts, kOpeningCodes, kOpeningResults},
    {Kind::jacket, "jacket", 1.0f, 20, kJacketNumbers, kJacketTexts, kJacketCodes, kJacketResults},
};

template <typename Key>
const Key* named(std::span<const Key> keys, std::string_view name)
{
    auto it = std::find_if(keys.begin(), keys.end(), [&](const Key& k) { return k.name == name; });
    return it == keys.end() ? nullptr : &*it;
}

// The keys of a kind found by a hash of their names, as every value of
// every item is: the slot of a name, and the slots after it up to an empty
// one, hold the positions (from 1) of the keys whose names hash there.
constexpr std::size_t kSlots = 64;
using Slots = std::array<std::uint8_t, kSlots>;

constexpr std::size_t slot_of(std::string_view name)
{
    if (name.empty())
        return 0;
    auto byte = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(name[i])); };
    return (5 * name.size() + 7 * byte(0) + 7 * byte(name.size() / 2) + byte(name.size() - 1)) % kSlots;
}

template <typename Key, std::size_t N>
constexpr Slots slots_of(const Key (&keys)[N])
{
    static_assert(N <= kSlots / 2);  // short runs of taken slots
    Slots slots{};
    for (std::size_t i = 0; i < N; ++i) {
        std::size_t s = slot_of(keys[i].name);
        while (slots[s] != 0)
            s = (s + 1) % kSlots;
        slots[s] = static_cast<std::uint8_t>(i + 1);
    }
    return slots;
}

template <typename Key>
constexpr const Key* hashed(std::span<const Key> keys, const Slots& slots, std::string_view name)
{
    for (std::size_t s = slot_of(name); slots[s] != 0; s = (s + 1) % kSlots)
        if (const Key& k = keys[slots[s] - 1u]; k.name == name)
            return &k;
    return nullptr;
}

template <typename Key, std::size_t N>
constexpr bool finds_each(const Key (&keys)[N], const Slots& slots)
{
    for (const Key& k : keys)
        if (hashed(std::span<const Key>(keys), slots, k.name) != &k)
            return false;
    return true;
}

struct KindSlots {
    Slots numbers, texts;
};

constexpr KindSlots kKindSlots[] = {
    {slots_of(kOpeningNumbers), slots_of(kOpeningTexts)},
    {slots_of(kJacketNumbers), slots_of(kJacketTexts)},
};
static_assert(finds_each(kOpeningNumbers, kKindSlots[0].numbers) && finds_each(kOpeningTexts, kKindSlots[0].texts) &&
              finds_each(kJacketNumbers, kKindSlots[1].numbers) && finds_each(kJacketTexts, kKindSlots[1].texts));
static_assert(std::size(kKindSlots) == std::size(kKinds));

// The slots of one of the kinds of kinds(); none for a copy.
const KindSlots* slots_for(const KindKeys& keys)
{
    const std::size_t i = keys.kind == Kind::opening ? 0 : 1;
    return &keys == &kKinds[i] ? &kKindSlots[i] : nullptr;
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
    std::string l = u.unit_name(k.quantity);
    if (k.quantity == Quantity::temperature)
        l = "\xC2\xB0" + l;  // the degree sign, in UTF-8
    // Windows-1252 superscripts of the built-in labels, in UTF-8.
    for (auto [from, to] : {std::pair{"\xB2", "\xC2\xB2"}, std::pair{"\xB3", "\xC2\xB3"}})
        for (std::size_t at = l.find(from); at != std::string::npos; at = l.find(from, at + 2))
            l.replace(at, 1, to);
    return l;
}

std::string codes_of(const KindKeys& kind)
{
    std::string s;
    for (const CodeName& c : kind.codes)
        s += (s.empty() ? "" : ", ") + std::to_string(c.number) + " `" + std::string(c.name) + "`";
    return s;
}

// Blank-padded to a width in characters (UTF-8).
std::string padded(std::string s, std::size_t width)
{
    std::size_t chars = static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    return s + std::string(width > chars ? width - chars : 0, ' ');
}

}  // namespace

std::string_view name_of(Quantity q)
{
    constexpr std::string_view names[] = {"dimensionless", "length",   "force",       "area",     "volume",
                                          "moment",        "stress",   "temperature", "pressure", "mass",
                                          "density",       "diameter", "thickness"};
    return names[static_cast<std::size_t>(q)];
}

std::optional<Quantity> quantity_named(std::string_view name)
{
    for (int i = 0; i <= static_cast<int>(Quantity::thickness); ++i)
        if (name_of(static_cast<Quantity>(i)) == name)
            return static_cast<Quantity>(i);
    return std::nullopt;
}

std::span<const KindKeys> kinds() { return kKinds; }
const KindKeys& keys_of(Kind k) { return kKinds[k == Kind::opening ? 0 : 1]; }
const KindKeys* kind_named(std::string_view name) { return named(kinds(), name); }
const CodeName* code_named(const KindKeys& keys, std::string_view name) { return named(keys.codes, name); }

const NumberKey* number_key(const KindKeys& keys, std::string_view name)
{
    const KindSlots* slots = slots_for(keys);
    return slots ? hashed(keys.numbers, slots->numbers, name) : named(keys.numbers, name);
}

const TextKey* text_key(const KindKeys& keys, std::string_view name)
{
    const KindSlots* slots = slots_for(keys);
    return slots ? hashed(keys.texts, slots->texts, name) : named(keys.texts, name);
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
    return s;
}

std::string key_tables_markdown()
{
    std::string s;
    for (const KindKeys& kind : kinds()) {
        s += "`kind = \"" + std::string(kind.name) + "\"`, code selectors " + codes_of(kind) + ":\n\n";
        s += "| Key | Meaning | US | SI | Required for |\n|---|---|---|---|---|\n";
        for (const NumberKey& k : kind.numbers) {
            s += "| `" + std::string(k.name) + "` | " + std::string(k.meaning) + " | " + unit_of(us_units(), k) +
                 " | " + unit_of(si_units(), k) + " | " + required_for(kind, k) + " |\n";
            if (k.name == "NPS")
                s += "| `DN` | the nominal pipe size as its DN designation (80 for NPS 3) | - | - | - |\n";
        }
        for (const TextKey& t : kind.texts)
            s += "| `" + std::string(t.name) + "` | " + std::string(t.meaning) +
                 " (text, at most 15 characters) | - | - | - |\n";
        s += "\n";
    }
    return s;
}

std::string key_tables_text()
{
    std::string s = "Item file keys (values in the item's units; * required):\n";
    for (const KindKeys& kind : kinds()) {
        s += "\n  kind = \"" + std::string(kind.name) + "\", code = ";
        for (std::size_t i = 0; i < kind.codes.size(); ++i)
            s += (i ? " | \"" : "\"") + std::string(kind.codes[i].name) + "\"";
        s += "\n    " + padded("key", 10) + padded("US", 10) + padded("SI", 10) + padded("required", 22) + "meaning\n";
        for (const NumberKey& k : kind.numbers) {
            s += "    " + padded(std::string(k.name), 10) + padded(unit_of(us_units(), k), 10) +
                 padded(unit_of(si_units(), k), 10) + padded(required_for(kind, k), 22) + std::string(k.meaning) + "\n";
            if (k.name == "NPS")
                s += "    " + padded("DN", 52) + "the DN designation instead (80 for NPS 3)\n";
        }
        for (const TextKey& t : kind.texts)
            s += "    " + padded(std::string(t.name), 52) + std::string(t.meaning) + " (text, at most 15 characters)\n";
    }
    return s + "\n  Common: units = \"US\" | \"SI\" | \"unit-file.toml\", item = number of the item.";
}

}  // namespace tx14::items
