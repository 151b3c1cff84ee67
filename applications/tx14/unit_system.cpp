// The built-in unit systems, unit files and the conversion of input values.
#include "unit_system.hpp"

#include <charconv>
#include <cmath>
#include <limits>

#include "cp1252.hpp"
#include "toml_reading.hpp"

namespace tx14::cli {
namespace {

constexpr int kLength = 1, kForce = 2, kMoment = 5, kStress = 6, kTemperatureScale = 7,
              kTemperatureOffset = 8, kPressure = 9, kDensity = 11, kDiameter = 21,
              kThickness = 22;

// What each slot holds, for the comments of a unit file. The library reads
// slots 1, 2, 5-9, 21 and 22; tx14 reads slot 11 for the density input.
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
    "diameters, radii, nominal pipe sizes",
    "thicknesses, allowances, hub lengths",
    "label only, unassigned",
};

// Slots whose factor an input value is divided by: never zero.
constexpr std::array<int, 7> kDividingSlots = {kLength,   kStress,   kTemperatureScale, kPressure,
                                               kDensity,  kDiameter, kThickness};

int slot_of(Quantity q)
{
    switch (q) {
    case Quantity::length: return kLength;
    case Quantity::force: return kForce;
    case Quantity::moment: return kMoment;
    case Quantity::stress: return kStress;
    case Quantity::temperature: return kTemperatureScale;
    case Quantity::pressure: return kPressure;
    case Quantity::density: return kDensity;
    case Quantity::diameter: return kDiameter;
    case Quantity::thickness: return kThickness;
    case Quantity::none: break;
    }
    return 0;
}

// Width of the library's slot for a label (temperature: the letter).
std::size_t label_width(int slot)
{
    switch (slot) {
    case kMoment: return 6;
    case kStress:
    case kPressure: return 10;
    case kTemperatureScale:
    case kTemperatureOffset: return 1;
    default: return 3;
    }
}

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

std::string shortest(double v)
{
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, end);
    if (s.find_first_of(".en") == std::string::npos)
        s += ".0";  // a TOML float, not an integer
    return s;
}

void read_factors(const toml::node& node, const std::string& file, UnitSystem& u, Diagnostics& diags)
{
    const toml::array* arr = node.as_array();
    if (arr == nullptr || arr->size() != kFactorCount) {
        diags.push_back({position_of(file, node.source()),
                         "\"factors\" must be an array of 22 numbers"});
        return;
    }
    for (std::size_t i = 0; i < arr->size(); ++i) {
        const toml::node& f = *arr->get(i);
        std::optional<double> v = f.value<double>();
        int slot = static_cast<int>(i) + 1;
        if (!f.is_number() || !v) {
            diags.push_back({position_of(file, f.source()),
                             "factor " + std::to_string(slot) + " must be a number, found " +
                                 std::string(type_name(f))});
        } else if (!std::isfinite(static_cast<float>(*v))) {
            diags.push_back({position_of(file, f.source()),
                             "factor " + std::to_string(slot) + " is not a finite single-precision number"});
        } else {
            u.factors[i] = *v;
        }
    }
    for (int slot : kDividingSlots)
        if (u.factor(slot) == 0.0)
            diags.push_back({position_of(file, arr->get(static_cast<std::size_t>(slot - 1))->source()),
                             "factor " + std::to_string(slot) + " (" +
                                 std::string(kSlotMeaning[static_cast<std::size_t>(slot - 1)]) +
                                 ") must not be 0"});
}

void read_labels(const toml::node& node, const std::string& file, UnitSystem& u, Diagnostics& diags)
{
    const toml::array* arr = node.as_array();
    if (arr == nullptr || arr->size() != kLabelCount) {
        diags.push_back({position_of(file, node.source()),
                         "\"labels\" must be an array of 23 texts"});
        return;
    }
    for (std::size_t i = 0; i < arr->size(); ++i) {
        const toml::node& l = *arr->get(i);
        std::string n = std::to_string(i + 1);
        std::string problem;
        if (!l.is_string()) {
            diags.push_back({position_of(file, l.source()),
                             "label " + n + " must be a text, found " + std::string(type_name(l))});
        } else if (auto text = to_cp1252(**l.as_string(), problem); !text) {
            diags.push_back({position_of(file, l.source()), "label " + n + ": " + problem});
        } else if (text->size() > kLabelWidth) {
            diags.push_back({position_of(file, l.source()),
                             "label " + n + " is longer than 10 characters"});
        } else {
            u.labels[i] = *text;
        }
    }
}

}  // namespace

double UnitSystem::to_internal(Quantity q, double value) const
{
    if (q == Quantity::none)
        return value;
    if (q == Quantity::temperature)
        return (value - factor(kTemperatureOffset)) / factor(kTemperatureScale);
    return value / factor(slot_of(q));
}

float UnitSystem::to_display(Quantity q, float internal) const
{
    if (q == Quantity::none)
        return internal;
    return internal * static_cast<float>(factor(slot_of(q)));
}

std::string UnitSystem::label(Quantity q) const
{
    int slot = slot_of(q);
    if (slot == 0)
        return {};
    std::string_view l = labels[static_cast<std::size_t>(slot - 1)];
    l.remove_prefix(std::min(l.find_first_not_of(' '), l.size()));
    l = l.substr(0, label_width(slot));
    l.remove_suffix(l.size() - std::min(l.find_last_not_of(' ') + 1, l.size()));
    return std::string(l);
}

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

const UnitSystem& us_units()
{
    static const UnitSystem u = make_us();
    return u;
}

const UnitSystem& si_units()
{
    static const UnitSystem u = make_si();
    return u;
}

std::optional<UnitSystem> load_unit_file(const std::filesystem::path& file, Diagnostics& diags)
{
    std::size_t before = diags.size();
    std::optional<toml::table> table = parse_toml_file(file, diags);
    if (!table)
        return std::nullopt;
    const std::string name = file.string();
    UnitSystem u;
    u.name = name;
    for (auto [key, value] : in_file_order(*table)) {
        if (*key == "factors")
            read_factors(*value, name, u, diags);
        else if (*key == "labels")
            read_labels(*value, name, u, diags);
        else
            diags.push_back({position_of(name, key->source()),
                             "unknown key \"" + std::string(key->str()) +
                                 "\"; a unit file holds \"factors\" and \"labels\""});
    }
    for (std::string_view key : {"factors", "labels"})
        if (!table->contains(key))
            diags.push_back({{name}, "missing key \"" + std::string(key) + "\""});
    if (diags.size() != before)
        return std::nullopt;
    return u;
}

std::string unit_file_text(const UnitSystem& u)
{
    std::string s = "# Unit system " + u.name +
                    ": factor n converts a value from the library's internal units\n"
                    "# (in., lbf, psi, degrees F; moments in ft-lbf) into display units;\n"
                    "# temperatures are T * factor 7 + factor 8. Labels: at most 10 characters.\n"
                    "factors = [\n";
    for (std::size_t i = 0; i < u.factors.size(); ++i) {
        std::string value = "  " + shortest(u.factors[i]) + ",";
        value.resize(std::max<std::size_t>(value.size(), 26), ' ');
        s += value + "# " + std::to_string(i + 1) + " " + std::string(kSlotMeaning[i]) + "\n";
    }
    s += "]\nlabels = [\n";
    for (std::size_t i = 0; i < u.labels.size(); ++i) {
        std::size_t width = u.labels[i].size() + 5;  // characters, not UTF-8 bytes
        s += "  \"" + to_utf8(u.labels[i]) + "\"," + std::string(width < 16 ? 16 - width : 0, ' ') + "# " + std::to_string(i + 1) + " " + std::string(kSlotMeaning[i]) + "\n";
    }
    return s + "]\n";
}

std::shared_ptr<const UnitSystem> UnitCatalog::resolve(std::string_view name,
                                                       const std::filesystem::path& base_dir,
                                                       const Position& where, Diagnostics& diags)
{
    static const auto us = std::make_shared<const UnitSystem>(us_units());
    static const auto si = std::make_shared<const UnitSystem>(si_units());
    if (name == "US")
        return us;
    if (name == "SI")
        return si;
    std::filesystem::path file = base_dir / std::filesystem::path(name);
    auto [it, added] = files_.try_emplace(file);
    if (added) {
        Diagnostics own;
        if (std::optional<UnitSystem> u = load_unit_file(file, own))
            it->second = std::make_shared<const UnitSystem>(std::move(*u));
        diags.insert(diags.end(), own.begin(), own.end());
    }
    if (!it->second)
        diags.push_back({where, "units \"" + std::string(name) +
                                    "\": expected \"US\", \"SI\" or a readable unit file"});
    return it->second;
}

}  // namespace tx14::cli
