// The opening work record: values the large-opening calculation computes
// and shares between its sections (loads, factors, stresses, summary).
#pragma once

#include <array>
#include <cstdint>

namespace tx14 {

// Intermediate constants of the integral-flange factors, numbered as the
// engineering text numbers them: Cn[1] to Cn[37] are C1 to C37, En[1] to
// En[6] are E1 to E6 (element 0 unused).
struct IntegralFlangeConstants {
    float A = 0;  // g1/g0 - 1
    float C = 0;  // 43.68 (h/h0)^4
    std::array<float, 38> Cn{};
    std::array<float, 7> En{};
};

// The four averages of the juncture and opening stresses.
struct StressAverages {
    float shell_SH_SR = 0;    // (SHS + SRS)/2
    float shell_SH_ST = 0;    // (SHS + STS)/2
    float opening_SH_SR = 0;  // (SHO + SRO)/2
    float opening_SH_ST = 0;  // (SHO + STO)/2
};

// Allowable-to-stress ratios of one pass.
struct StressRatios {
    float SHS = 0, SRS = 0, STS = 0, SHO = 0, SRO = 0, STO = 0;
    float governing = 0;  // smallest magnitude of the ten ratios
};

struct OpeningWork {
    // Run control of the thickness search.
    std::int32_t iteration = 0;
    std::int32_t first_pass = 1;
    bool viii2 = false;  // wording of the K-factor line
    float m12 = 1;       // 12 when the moment factor is exactly 1: internal moments in formulas

    // Loads and moments (independent of the head thickness).
    float P = 0;      // working pressure
    float Bncor = 0;  // corroded opening diameter
    float G = 0, K = 0, R = 0;
    float Hd = 0, Md = 0, H = 0, Ht = 0, Mt = 0, Mo = 0;

    // K-ratio factors.
    float T = 0, U = 0, Y = 0, Z = 0;

    // Opening hub, its flange factors and the stress factors.
    float h0n = 0, Hratn = 0, Gratn = 0;
    float Fn = 0, Vn = 0, fn = 0;
    float dn = 0, en = 0;
    float ALPHA = 0, BETA = 0, GAMMA = 0, DELTA = 0, Lamda = 0;

    // Shell hub and its flange factors.
    float h0s = 0, Hrats = 0, Grats = 0;
    float Fs = 0, Vs = 0, fs = 0;
    float ds = 0, es = 0;

    IntegralFlangeConstants flange;

    // Opening flange stresses, the rotation term and the moment split.
    float SH = 0, SR = 0, ST = 0;
    float E = 0;  // (E theta)*
    float MH = 0, X1 = 0;

    // Stresses at the head/shell juncture and at the opening.
    float SHS = 0, SRS = 0, STS = 0;
    float SHO = 0, SRO = 0, STO = 0;
    float Z1 = 0;
    StressAverages averages;

    StressRatios ratios;

    // Forging weights: finished and rough.
    float W = 0, Wr = 0;
};

}  // namespace tx14
