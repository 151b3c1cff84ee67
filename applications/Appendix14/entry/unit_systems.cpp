// The built-in unit systems, the check of a unit file's contents and the
// conversion of values between a unit system and the internal units.
#include <algorithm>
#include <cmath>
#include <limits>

#include "host_units.hpp"
#include "txappendix14_items.hpp"

namespace tx14 {
namespace {

constexpr int kTemperatureScale = 7, kTemperatureOffset = 8;

// What each slot holds, for the comments of a unit file.
// clang-format off
constexpr std::array<std::string_view, kLabelCount> kSlotMeaning = {
    "long lengths (coil span)",
    "forces, forging weight",
    "areas (not read)",
    "volumes (not read)",
    "moments, from ft-lbf",
    "stresses",
    "temperature scale; label: the temperature letter",
    "temperature offset",
    "pressures",
    "masses (not read)",
    "weight per unit volume: the density input",
    "unassigned", "unassigned", "unassigned", "unassigned", "unassigned",
    "unassigned", "unassigned", "unassigned", "unassigned",
    "diameters, radii; the report shows NPS times this factor",
    "thicknesses, allowances, hub lengths",
    "label only, unassigned",
};
// clang-format on

// Slots whose factor an input value is divided by: never zero.
constexpr int kDividingSlots[] = {1, 6, 7, 9, 11, 21, 22};

// clang-format off
UnitSystem make_us()
{
    UnitSystem u;
    u.name = "US";
    u.factors.fill(1.0);
    u.factors[kTemperatureOffset - 1] = 0.0;
    // \xB2 and \xB3 are the superscript two and three of Windows-1252.
    u.labels = {"in.", "lb.", "in.\xB2", "in.\xB3", "ft-lb.", "psi", "F", "F", "psi", "lb.",
                "lb./in.\xB3", "", "", "", "", "", "", "", "", "", "in.", "in.", ""};
    return u;
}
// clang-format on

// clang-format off
UnitSystem make_si()
{
    UnitSystem u;
    u.name = "SI";
    constexpr double inch = 25.4;                   // mm
    constexpr double lbf = 4.4482216152605;         // N
    constexpr double psi = 0.006894757293168361;    // MPa: lbf / in.^2
    u.factors = {inch,
                 lbf,
                 645.16,                 // in.^2 in mm^2
                 16387.064,              // in.^3 in mm^3
                 1.3558179483314004,     // ft-lbf in N-m
                 psi,
                 5.0 / 9.0,              // degrees C per degree F
                 -160.0 / 9.0,           // 0 F in C
                 psi,
                 0.45359237,             // lb in kg
                 27679.90471020312,      // lb/in.^3 in kg/m^3
                 1, 1, 1, 1, 1, 1, 1, 1, 1,
                 inch,
                 inch};
    u.labels = {"mm", "N", "mm\xB2", "mm\xB3", "N-m", "MPa", "C", "C", "MPa", "kg", "kg/m\xB3",
                "", "", "", "", "", "", "", "", "", "mm", "mm", ""};
    return u;
}
// clang-format on

constexpr int kSlots[kQuantities] = {0, 1, 2, 3, 4, 5, 6, kTemperatureScale, 9, 10, 11, 21, 22, 22};

bool unscaled(const UnitSystem& u, Quantity q)
{
    if (q == Quantity::temperature)
        return u.factor(kTemperatureScale) == 1.0 && u.factor(kTemperatureOffset) == 0.0;
    return q == Quantity::dimensionless || u.factor(kSlots[static_cast<std::size_t>(q)]) == 1.0;
}

std::uint32_t find_unscaled_quantities(const UnitSystem& u)
{
    std::uint32_t bits = 0;
    for (int q = 0; q < kQuantities; ++q)
        bits |= static_cast<std::uint32_t>(unscaled(u, static_cast<Quantity>(q))) << q;
    return bits;
}

// A built-in unit system with its host arrays and unscaled quantities,
// made once with the system.
struct Builtin {
    UnitSystem units;
    HostUnits host;
    std::uint32_t unscaled;
};

Builtin builtin(const UnitSystem& u) { return {u, {u.host_factors(), u.host_labels()}, find_unscaled_quantities(u)}; }

struct Builtins {
    Builtin us, si;
};

// Made apart from builtins(), whose every call then costs the guard's test.
[[gnu::noinline]] Builtins make_builtins() { return {builtin(make_us()), builtin(make_si())}; }

const Builtins& builtins()
{
    static const Builtins b = make_builtins();
    return b;
}

// The built-in system that `u` is, if it is one.
const Builtin* builtin_of(const UnitSystem& u)
{
    const Builtins& b = builtins();
    return &u == &b.us.units ? &b.us : &u == &b.si.units ? &b.si : nullptr;
}

// The width of a slot's label in the report.
std::size_t label_width(int slot)
{
    switch (slot) {
    case 5:
        return 6;
    case 6:
    case 9:
        return 10;
    case kTemperatureScale:
    case kTemperatureOffset:
        return 1;
    default:
        return 3;
    }
}

// The label of a quantity's slot without its leading blanks, cut to
// `width`, without its trailing blanks; none when dimensionless.
std::string trimmed_label(const UnitSystem& u, Quantity q, std::size_t width)
{
    const int slot = slot_of(q);
    if (slot == 0)
        return {};
    std::string_view l = u.labels[static_cast<std::size_t>(slot - 1)];
    l.remove_prefix(std::min(l.find_first_not_of(' '), l.size()));
    l = l.substr(0, width);
    l.remove_suffix(l.size() - std::min(l.find_last_not_of(' ') + 1, l.size()));
    return std::string(l);
}

}  // namespace

int slot_of(Quantity q) { return kSlots[static_cast<std::size_t>(q)]; }

std::string_view slot_meaning(int slot) { return kSlotMeaning[static_cast<std::size_t>(slot - 1)]; }

float UnitSystem::to_display(Quantity q, float internal) const
{
    if (q == Quantity::dimensionless)
        return internal;
    float shown = internal * static_cast<float>(factor(slot_of(q)));
    if (q == Quantity::temperature)
        shown = shown + static_cast<float>(factor(kTemperatureOffset));
    return shown;
}

std::uint32_t unscaled_quantities(const UnitSystem& u)
{
    const Builtin* b = builtin_of(u);
    return b ? b->unscaled : find_unscaled_quantities(u);
}

std::optional<float> UnitSystem::to_internal(Quantity q, double v) const
{
    if (unscaled(*this, q))
        return unscaled_value(v);  // as every value in US units: the nearest float shows as typed
    double internal = v;
    if (q == Quantity::temperature)
        internal = (v - factor(kTemperatureOffset)) / factor(kTemperatureScale);
    else if (q != Quantity::dimensionless)
        internal = v / factor(slot_of(q));
    if (!(std::fabs(internal) <= static_cast<double>(std::numeric_limits<float>::max())))
        return std::nullopt;
    const float nearest = static_cast<float>(internal);
    const float typed = static_cast<float>(v);
    if (to_display(q, nearest) == typed)
        return nearest;  // as for most values
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float up = std::nextafter(nearest, inf), down = std::nextafter(nearest, -inf);
    for (float x : {up, down, std::nextafter(up, inf), std::nextafter(down, -inf)})  // outwards
        if (std::isfinite(x) && to_display(q, x) == typed)
            return x;
    return nearest;
}

std::string UnitSystem::label(Quantity q) const { return trimmed_label(*this, q, label_width(slot_of(q))); }
std::string UnitSystem::unit_name(Quantity q) const { return trimmed_label(*this, q, std::string_view::npos); }

std::array<float, kFactorCount> UnitSystem::host_factors() const
{
    std::array<float, kFactorCount> f{};
    for (std::size_t i = 0; i < f.size(); ++i)
        f[i] = static_cast<float>(factors[i]);
    return f;
}

std::array<char, kLabelCount * kLabelWidth> UnitSystem::host_labels() const
{
    std::array<char, kLabelCount * kLabelWidth> l;
    l.fill(' ');
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i].copy(l.data() + i * kLabelWidth, std::min<std::size_t>(labels[i].size(), kLabelWidth));
    return l;
}

const HostUnits& host_units(const UnitSystem& u, HostUnits& made)
{
    if (const Builtin* b = builtin_of(u))
        return b->host;
    made = {u.host_factors(), u.host_labels()};
    return made;
}

const UnitSystem& us_units() { return builtins().us.units; }
const UnitSystem& si_units() { return builtins().si.units; }

const UnitSystem* builtin_units(std::string_view name)
{
    if (name == "US")
        return &us_units();
    if (name == "SI")
        return &si_units();
    return nullptr;
}

std::vector<UnitProblem> unit_problems(std::span<const double> factors, std::span<const std::string> labels)
{
    std::vector<UnitProblem> problems;
    if (factors.size() != kFactorCount)
        problems.push_back({0, 0, "\"factors\" must be an array of 22 numbers"});
    for (int i = 1; i <= static_cast<int>(factors.size()) && i <= kFactorCount; ++i) {
        const double f = factors[static_cast<std::size_t>(i - 1)];
        const bool dividing =
            std::find(std::begin(kDividingSlots), std::end(kDividingSlots), i) != std::end(kDividingSlots);
        if (!std::isfinite(static_cast<float>(f)))
            problems.push_back({i, 0, "factor " + std::to_string(i) + " is not a finite single-precision number"});
        else if (dividing && f == 0.0)
            problems.push_back(
                {i, 0, "factor " + std::to_string(i) + " (" + std::string(slot_meaning(i)) + ") must not be 0"});
    }
    if (labels.size() != kLabelCount)
        problems.push_back({0, 0, "\"labels\" must be an array of 23 texts"});
    for (int i = 1; i <= static_cast<int>(labels.size()); ++i)
        if (labels[static_cast<std::size_t>(i - 1)].size() > kLabelWidth)
            problems.push_back({0, i, "label " + std::to_string(i) + " is longer than 10 characters"});
    return problems;
}

}  // namespace tx14
