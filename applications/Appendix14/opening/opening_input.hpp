// The opening input record: a large-opening item as unpacked from the
// host's real array and text fields, in internal units.
#pragma once

#include <array>
#include <cstdint>

namespace tx14 {

struct OpeningInput {
    std::int32_t item = 0;            // element 1
    std::int32_t code = 0;            // element 25: 1 VIII-1 Appendix 14, 2 VIII-2 4.6.4
    std::array<char, 15> material{};  // right-adjusted by the echo
    float P = 0;                      // internal design pressure
    float T = 0;                      // design temperature
    float t = 0;                      // integral flat head thickness
    float Bn = 0;                     // opening inside diameter
    float A = 0;                      // shell outside diameter
    float g0s = 0;                    // shell side hub thickness, small end
    float g1s = 0;                    // shell side hub thickness, large end
    float hs = 0;                     // shell side hub length
    float ca = 0;                     // corrosion allowance
    float Sho = 0;                    // allowable stress at design temperature
    float Shg = 0;                    // allowable stress at ambient temperature
    float g0n = 0;                    // nozzle side hub thickness, small end
    float g1n = 0;                    // nozzle side hub thickness, large end
    float hn = 0;                     // nozzle side hub length
    float density = 0;                // weight per unit volume, for the forging weight
};

// Replaces missing-value marks, then copies elements 1, 5-13, 15, 16,
// 18-21 and 25 and text field 1 into the record.
void unpack_opening_input(OpeningInput& in, float* reals, const char* texts);

}  // namespace tx14
