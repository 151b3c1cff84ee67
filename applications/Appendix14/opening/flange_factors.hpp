// The factor operations of the flange treatment of the head: K-ratio
// factors, hub factors, integral-flange factors F, V, f, the factors d and
// e, and the stress factors. Each prints its own fixed-format lines.
#pragma once

#include "../entry/units.hpp"
#include "../report/report.hpp"
#include "opening_work.hpp"

namespace tx14 {

struct KRatioFactors {
    float K = 0, T = 0, U = 0, Y = 0, Z = 0;
};

// K = A / (Bn + 2 ca) and T, U, Y, Z; the VIII-2 flag words the K line.
KRatioFactors k_ratio_factors(Report& r, float A, float Bn, float ca, bool viii2);

enum class HubSide { opening, shell };

struct HubFactors {
    float Dc = 0;     // corroded base diameter
    float h0 = 0;     // effective hub length
    float h_h0 = 0;   // hub ratio h/h0
    float g1_g0 = 0;  // thickness ratio g1/g0 (corroded)
};

// Hub factors of a hub with base diameter D (h uncorroded).
HubFactors hub_factors(Report& r, const UnitRecord& u, float g0, float g1, float h, float D,
                       float ca, HubSide side);

struct FlangeFactors {
    float F = 0, V = 0, f = 0;
    float f_unclamped = 0;  // f before it is raised to 1
};

// Constants C1-C37, E1-E6 (kept in k) and F, V, f of an integral flange.
// g1/g0 and h/h0 are raised to their lower limits in place. Prints the
// factor lines in the wording of the analysis code.
FlangeFactors integral_flange_factors(Report& r, IntegralFlangeConstants& k, int code,
                                      float& g1_g0, float& h_h0);

struct HubDE {
    float d = 0, e = 0;
};

// d and e of a hub.
HubDE d_and_e(Report& r, const UnitRecord& u, float U, float h0, float g0, float ca, float F,
              float V);

struct StressFactors {
    float ALPHA = 0, BETA = 0, GAMMA = 0, DELTA = 0, Lamda = 0;
};

StressFactors stress_factors(Report& r, float t, float T, float e, float d, float ca);

}  // namespace tx14
