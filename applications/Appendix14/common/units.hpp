// The unit record: the host's 22 conversion factors and 23 unit labels, and
// the named slots the report uses. A displayed value is the internal value
// times its slot's factor; a temperature is T x factor 7 + factor 8.
#pragma once

#include <array>
#include <string_view>

namespace tx14 {

inline constexpr int kUnitFactors = 22;
inline constexpr int kUnitLabels = 23;
inline constexpr int kUnitLabelWidth = 10;

// A factor and its label, cut to the slot's width after leading blanks.
template <int W>
struct UnitSlot {
    float factor = 1.0f;
    std::array<char, W> label{};
    std::string_view text() const { return {label.data(), static_cast<std::size_t>(W)}; }
};

struct UnitRecord {
    std::array<float, kUnitFactors> factors{};
    std::array<std::array<char, kUnitLabelWidth>, kUnitLabels> labels{};

    UnitSlot<3> length;                       // factor 1: long lengths (coil span)
    UnitSlot<3> force;                        // factor 2: forces, forging weight
    UnitSlot<6> moment;                       // factor 5
    UnitSlot<10> stress;                      // factor 6
    UnitSlot<1> temperature_scale;            // factor 7; its label is the temperature letter
    UnitSlot<1> temperature_offset;           // factor 8
    UnitSlot<10> pressure;                    // factor 9
    UnitSlot<3> diameter;                     // factor 21: diameters, radii
    UnitSlot<3> thickness;                    // factor 22: thicknesses, allowances, hub lengths
    std::array<char, 5> temperature_label{};  // degree sign and the letter

    std::string_view temperature_text() const { return {temperature_label.data(), 5}; }

    // Display value of a temperature.
    float temperature(float T) const { return T * temperature_scale.factor + temperature_offset.factor; }
};

// Display values: the internal value times the factor of its unit slot.
// The one conversion every report of the library uses.
struct Shown {
    const UnitRecord& u;
    float m12;  // 12 when the moment factor is exactly 1, else 1

    explicit Shown(const UnitRecord& units) : u(units), m12(units.moment.factor == 1.0f ? 12.0f : 1.0f) {}

    float dia(float x) const { return x * u.diameter.factor; }
    float thk(float x) const { return x * u.thickness.factor; }
    float force(float x) const { return x * u.force.factor; }
    float stress(float x) const { return x * u.stress.factor; }
    float pressure(float x) const { return x * u.pressure.factor; }
    float temperature(float T) const { return u.temperature(T); }
    // A moment on a result line: M / 12 in the moment unit.
    float moment(float M) const { return (M / 12.0f) * u.moment.factor; }
    // A moment inside a substituted line: the internal moment when the
    // moment factor is exactly 1.
    float moment_in_formula(float M) const { return moment(M) * m12; }
};

// Copies the host's factors and labels into the record (null arrays count
// as factors of 1 and blank labels).
void take_over_units(UnitRecord& u, const float* factors, const char* labels);

}  // namespace tx14
