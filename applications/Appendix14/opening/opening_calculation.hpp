// The sections of the large-opening calculation, in the order one run
// calls them: the loads once, then a pass of the thickness search per trial
// thickness. Each section computes into plain values; a second function
// prints them, for the first pass only.
#pragma once

#include <cmath>

#include "../common/units.hpp"
#include "../report/fixed_line.hpp"
#include "../report/formula_block.hpp"
#include "../report/report.hpp"
#include "opening.hpp"
#include "opening_input.hpp"
#include "opening_work.hpp"

namespace tx14 {

inline constexpr float kNozzleTolerance = 0.001f;  // hub thicknesses up to this are no hub
inline constexpr int kIterationLimit = 50;         // passes of the thickness search

// Either nozzle hub thickness makes a nozzle for the loads.
inline bool has_nozzle(const OpeningInput& in) { return in.g0n > kNozzleTolerance || in.g1n > kNozzleTolerance; }

inline bool over_limit(float stress, float limit) { return std::fabs(stress) > std::fabs(limit); }

// A result line closing the calculation: the label in 43 columns, 5 blanks,
// the value right-aligned in 12 columns, 2 blanks and the unit. The caller
// writes it, styled or plain.
inline FixedLine result_line(Report& r, std::string_view label, float value, int decimals, std::string_view unit)
{
    FixedLine line(r);
    line.text(label, 43).blanks(5).fixed(value, 12, decimals).blanks(2).text(unit);
    return line;
}

// The radial distance R from the load reaction to the opening's hub, as
// the loads compute it: not above 0 when the opening and its nozzle hub
// do not fit inside the shell.
float radial_distance(const OpeningInput& in);

// G, K, R, the end forces and the moments.
OpeningLoads opening_loads(const OpeningInput& in);
void write_loads(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L);

// The factors of both hubs, which do not depend on the thickness: once per
// item.
OpeningFactors opening_factors(const OpeningInput& in, const OpeningLoads& L);

// One pass: the stresses, their ratios and the M.A.W.P., all at the trial
// thickness t.
OpeningPass opening_pass(const OpeningInput& in, const OpeningLoads& L, const OpeningFactors& f, float t);
void write_pass(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L, const OpeningFactors& f,
                const OpeningPass& p);

// The sections of a pass, each filling its part of the pass in order.
// SH, SR, ST of the opening as an integral flange, and (E theta)*.
void flange_stresses(const OpeningInput& in, const OpeningLoads& L, const OpeningFactors& f, OpeningPass& p);
// MH, X1 and the stresses at the juncture and at the opening.
void juncture_stresses(const OpeningInput& in, const OpeningLoads& L, const OpeningFactors& f, OpeningPass& p);
// Stress ratios and the M.A.W.P.
void summarise_pass(const OpeningInput& in, const OpeningLoads& L, OpeningPass& p);

void write_flange_stresses(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L,
                           const OpeningFactors& f, const OpeningPass& p);
void write_juncture_stresses(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L,
                             const OpeningFactors& f, const OpeningPass& p);
// The summary table, the M.A.W.P. and the forging weight of the pass's
// thickness.
void write_summary(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L, const OpeningPass& p);

}  // namespace tx14
