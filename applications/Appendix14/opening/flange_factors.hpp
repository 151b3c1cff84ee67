// The factors of the flange treatment of the head: K-ratio factors, hub
// factors, integral-flange factors F, V, f, the factors d and e, and the
// stress factors; each computed by one function and printed by another.
#pragma once

#include "../common/units.hpp"
#include "../report/fixed_line.hpp"
#include "../report/report.hpp"
#include "opening_work.hpp"

namespace tx14 {

// T, U, Y, Z of the ratio K = A / (Bn + 2 ca).
KRatioFactors k_ratio_factors(float K);

// Constants C1-C37, E1-E6 and F, V, f of an integral flange; g1/g0 and
// h/h0 are first raised to their lower limits.
FlangeFactors integral_flange_factors(float g1_g0, float h_h0);

// Hub factors of a hub with base diameter D (h uncorroded), and for a hub
// with a thickness ratio its flange factors and d and e.
HubSet hub_set(float g0, float g1, float h, float D, float ca, float U);

StressFactors stress_factors(float t, float T, float e, float d, float ca);

// The lines of the factors; the VIII-2 code (2) words the K and F, V, f
// lines after its tables.
void write_k_ratio_factors(Report& r, float K, const KRatioFactors& k, int code);
void write_hub_set(Report& r, const Shown& show, const HubSet& s, HubSide side, int code);
void write_flange_factors(Report& r, const FlangeFactors& ff, int code);
void write_stress_factors(Report& r, const StressFactors& s);

}  // namespace tx14
