// The half-pipe jacket and limpet coil analysis as the entry calls it.
#pragma once

#include <array>
#include <cstdint>

#include "../common/input_findings.hpp"
#include "../common/units.hpp"
#include "../report/report.hpp"
#include "jacket_input.hpp"

namespace tx14 {

// The results of JACKETCALC. A coil writes Tr, Pprime_ts, e_coil, pMaxC1,
// pMaxC2 and e_pressure only; the others (Trj among them) keep the zeros
// they start with.
struct JacketResults {
    float Tr = 0;          // required shell thickness for internal pressure (coil: cylinder)
    float T = 0;           // required jacket thickness, for the accepted thickness
    float Fillet = 0;      // minimum fillet weld size
    float Pprime_Trj = 0;  // permissible jacket pressure at the shell thickness Trj
    float Pprime_ts = 0;   // ... at the input shell thickness (coil: governing pressure)
    float ts_net = 0;      // ts - ca - co
    float Trj = 0;         // required shell thickness for the jacket pressure (coil: 0)
    float K = 0;           // K or Kp at the input shell thickness
    float Sstar = 0;       // longitudinal stress at the input shell thickness
    float Fp = 0;          // allowable jacket bending stress (VIII-2)
    float T_input = 0;     // required jacket thickness for the input thickness
    int schedule = 0;      // accepted pipe schedule, 0 when the input thickness served
    float Tj = 0;          // accepted jacket thickness: the input or the schedule's wall
    float e_coil = 0;      // coil: minimum coil thickness
    float pMaxC1 = 0;      // coil: maximum pressure, coil side
    float pMaxC2 = 0;      // coil: maximum pressure, cylinder side
    float e_pressure = 0;  // coil: cylinder thickness its internal pressure P requires

    // What the reader must know about how the figures came about.
    bool K_from_chart = false;    // VIII-2: Kp at ts taken from the chart
    bool Trj_from_chart = false;  // VIII-2: a step of the Trj search took Kp from the chart
    bool Trj_exhausted = false;   // no shell thickness of the search carries the jacket pressure

    InputFindings findings;  // the validation's error codes
    JacketDesign design;     // the basis the calculation worked on
};

// The criteria of a half-pipe jacket, each written once: the report warns
// and the results record fails the check when one holds.
inline constexpr float kTrjTolerance = 0.0001f;  // the Trj search's step may pass ts by this
inline bool Tr_exceeds_ts(const JacketResults& out, const JacketInput& in) { return out.Tr > in.ts; }
inline bool Trj_exceeds_ts(const JacketResults& out, const JacketInput& in) { return out.Trj > in.ts + kTrjTolerance; }
inline bool T_exceeds_Tj(float T, const JacketInput& in) { return T > in.Tj; }  // T at the input jacket thickness

// Runs an unpacked item: echo, validation, JACKETCALC. Returns the number
// of fatal input errors.
std::int32_t run_jacket(Report& r, const UnitRecord& units, const JacketInput& in, JacketResults& out);

// The named results of a run (elements 196 to 198 of the host's array):
// fillet weld (0 for a coil, which sizes none), permissible jacket pressure,
// governing shell thickness.
std::array<float, 3> named_results(const JacketResults& out);

}  // namespace tx14
