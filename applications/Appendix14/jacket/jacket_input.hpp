// The jacket input record: a half-pipe jacket or limpet coil item as
// unpacked from the host's real array and text fields, in internal units
// (lengths in inches).
#pragma once

#include <array>
#include <cstdint>

namespace tx14 {

// The formed inside radius r is 0 for a standard pipe of size NPS. Three
// thresholds read it, each kept where the reports have always drawn it:
inline constexpr float kRadiusEchoed = 0.0f;   // any radius at all is echoed in place of NPS
inline constexpr float kRadiusGiven = 0.001f;  // above: a radius counts for the jacket radius Rp
                                               // and for the VIII-2 refusal of formed jackets
inline constexpr float kFormedRadius = 0.01f;  // above: a formed jacket or coil (NPS, chart, weld,
                                               // coil radius follow r); up to it a typed 0 with
                                               // rounding noise still means a standard pipe

// The input as given, never changed by the calculation.
struct JacketInput {
    std::int32_t item = 0;                     // element 1, printed in the error heading
    std::int32_t code = 0;                     // element 20: 1 App. EE, 2 VIII-2, 3 PD 5500, 4 EN 13445
    float D = 0;                               // cylinder inside diameter, uncorroded
    float ts = 0;                              // cylinder thickness (coil: e)
    float P = 0;                               // cylinder internal design pressure
    float T = 0;                               // design temperature for internal pressure
    float S = 0;                               // cylinder allowable stress, design temperature (coil: f)
    float Sa = 0;                              // cylinder allowable stress, ambient
    float ca = 0;                              // cylinder corrosion allowance
    float E = 0;                               // cylinder joint efficiency
    float NPS = 0;                             // nominal pipe size of the jacket or coil (Dpj) as given
    float Tj = 0;                              // jacket (coil) thickness
    float Pj = 0;                              // jacket (coil) design pressure as given
    float Tjacket = 0;                         // jacket (coil) design temperature
    float Sj = 0;                              // jacket allowable stress (coil: fc)
    float Sja = 0;                             // jacket allowable stress, ambient
    float caj = 0;                             // jacket (coil) corrosion allowance
    float r = 0;                               // formed inside radius; 0 for a standard pipe of size NPS
    float ExtPCore = 0;                        // core external pressure
    float co = 0;                              // cylinder outer corrosion allowance (ExtCA)
    float L = 0;                               // span of the coils
    std::array<char, 15> cylinder_material{};  // right-adjusted by the echo
    std::array<char, 15> jacket_material{};    // right-adjusted by the echo
};

// What the calculation works with besides the input as given.
struct JacketDesign {
    // The nominal pipe size: for a formed jacket or coil the standard size
    // whose pipe contains it, otherwise the given size rounded to 5
    // decimals.
    float NPS = 0;
    // The design jacket pressure: Pj plus the core's external pressure for a
    // half-pipe jacket, Pj as given for a coil.
    float Pj = 0;
};

// The design basis of an item, before its validation (which checks it).
JacketDesign jacket_design(const JacketInput& in);

}  // namespace tx14
