// The half-pipe jacket and limpet coil analysis as the entry calls it.
#pragma once

#include <cstdint>

#include "../common/units.hpp"
#include "../report/report.hpp"
#include "jacket_input.hpp"

namespace tx14 {

// Runs a jacket or coil item: unpack, echo, validate, calculate, results
// into elements 196-198. Returns the number of fatal input errors.
std::int32_t run_jacket_item(Report& r, const UnitRecord& units, JacketInput& in, float* reals,
                             const char* texts);

}  // namespace tx14
