// The sections of the large-opening calculation, in the order one run
// calls them: loads once, then each pass of the thickness search.
#pragma once

#include "../entry/state.hpp"
#include "opening.hpp"
#include "opening_report.hpp"

namespace tx14 {

inline constexpr float kNozzleTolerance = 0.001f;  // hub thicknesses up to this are no hub
inline constexpr int kIterationLimit = 50;         // passes of the thickness search

// The display values of this run.
inline Shown shown(const State& st) { return Shown{st.units, st.opening_work.m12}; }

// G, K, R, the end forces and the moments (independent of the thickness).
void compute_loads(State& st);

// Raises the pass counter; K-ratio factors, opening hub factors, F, V, f,
// d, e and the stress factors of the opening.
void compute_opening_factors(State& st);

// SH, SR, ST of the opening as an integral flange, and (E theta)*.
void compute_opening_flange_stresses(State& st);

// Hub factors, F, V, f, d and e of the shell side.
void compute_shell_factors(State& st);

// MH, X1 and the stresses at the juncture and the opening, with their
// report.
void compute_juncture_stresses(State& st);

// Summary table, stress ratios, M.A.W.P. and forging weight of one pass.
void summarise_pass(State& st, OpeningResults& results);

}  // namespace tx14
