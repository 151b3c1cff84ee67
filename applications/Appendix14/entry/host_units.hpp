// A unit system as a run takes it: the host's arrays (the 22 factors in
// single precision and the 23 labels, 10 blank-padded bytes each), and the
// quantities whose values need no conversion.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "txappendix14_items.hpp"

namespace tx14 {

struct HostUnits {
    std::array<float, kFactorCount> factors;
    std::array<char, kLabelCount * kLabelWidth> labels;
};

// The arrays of a unit system: a built-in system's own, made with it;
// another's made into `made`.
const HostUnits& host_units(const UnitSystem& u, HostUnits& made);

// Bit q set: a value of quantity q is its internal value (a factor of 1;
// for a temperature, a scale of 1 and an offset of 0).
std::uint32_t unscaled_quantities(const UnitSystem& u);

// The float nearest to v, which shows as v typed when no factor applies;
// nullopt beyond the single-precision range.
inline std::optional<float> unscaled_value(double v)
{
    if (!(std::fabs(v) <= static_cast<double>(std::numeric_limits<float>::max())))
        return std::nullopt;
    return static_cast<float>(v);
}

}  // namespace tx14
