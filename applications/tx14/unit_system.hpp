// Unit systems of the front end: the host's 22 factors and 23 labels, the
// built-in US and SI systems, unit files, and the conversion of input values
// into the library's internal units (inch, lbf, psi, degrees F).
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "diagnostics.hpp"

namespace tx14::cli {

inline constexpr int kFactorCount = 22;
inline constexpr int kLabelCount = 23;
inline constexpr int kLabelWidth = 10;

// What an input value or a result measures, that is which unit slot
// converts it. Temperatures use slots 7 (scale) and 8 (offset).
enum class Quantity {
    none,         // pure numbers: joint efficiency
    length,       // slot 1: long lengths (coil span)
    force,        // slot 2
    moment,       // slot 5 (from ft-lbf)
    stress,       // slot 6
    temperature,  // slots 7 and 8
    pressure,     // slot 9
    density,      // slot 11: weight per unit volume (forging weight)
    diameter,     // slot 21: diameters, radii, pipe sizes
    thickness,    // slot 22: thicknesses, allowances, hub lengths
};

struct UnitSystem {
    std::string name;                              // "US", "SI" or the unit file
    std::array<double, kFactorCount> factors{};    // internal -> display
    std::array<std::string, kLabelCount> labels;   // Windows-1252, at most 10 bytes

    double factor(int slot) const { return factors[static_cast<std::size_t>(slot - 1)]; }

    // An input value given in this system, in internal units.
    double to_internal(Quantity q, double value) const;

    // An internal value shown in this system, in single precision as the
    // report shows it. Not for temperatures.
    float to_display(Quantity q, float internal) const;

    // The label of a quantity as the report prints it: leading blanks
    // removed, cut to the width of the library's slot, trailing blanks cut.
    std::string label(Quantity q) const;

    // The arrays the library takes: 22 floats, 23 blank-padded labels.
    std::array<float, kFactorCount> host_factors() const;
    std::array<char, kLabelCount * kLabelWidth> host_labels() const;
};

const UnitSystem& us_units();
const UnitSystem& si_units();

// The unit system of a unit file: `factors` (22 numbers) and `labels` (23
// texts). Nullopt with diagnostics when the file is unreadable or wrong.
std::optional<UnitSystem> load_unit_file(const std::filesystem::path& file, Diagnostics& diags);

// A unit system written as a unit file (UTF-8 TOML, one comment per slot).
std::string unit_file_text(const UnitSystem& units);

// Resolves the `units` of items: "US", "SI" or a unit file, relative to the
// directory of the item's file. Each unit file is read once.
class UnitCatalog {
public:
    std::shared_ptr<const UnitSystem> resolve(std::string_view name,
                                              const std::filesystem::path& base_dir,
                                              const Position& where, Diagnostics& diags);

private:
    std::map<std::filesystem::path, std::shared_ptr<const UnitSystem>> files_;
};

}  // namespace tx14::cli
