// The values the large-opening calculation computes: the loads (once per
// item) and one pass of the thickness search (per trial thickness). Plain
// values, written by the calculation and read by the report.
#pragma once

#include <cstdint>

namespace tx14 {

// G, K, R, the end forces and the moments: independent of the thickness.
struct OpeningLoads {
    float P = 0;      // working pressure
    float Bncor = 0;  // corroded opening diameter
    float G = 0, K = 0, R = 0;
    float Hd = 0, Md = 0, H = 0, Ht = 0, Mt = 0, Mo = 0;
};

struct KRatioFactors {
    float T = 0, U = 0, Y = 0, Z = 0;
};

enum class HubSide { opening, shell };

struct HubFactors {
    bool thick = false;     // g0 above ca: h0 and g1/g0 are defined, otherwise 0
    bool has_h_h0 = false;  // h and h0 not 0: h/h0 is defined, otherwise 0
    float h0 = 0;           // effective hub length
    float h_h0 = 0;         // hub ratio h/h0
    float g1_g0 = 0;        // thickness ratio g1/g0 (corroded)
};

struct FlangeFactors {
    float F = 0, V = 0, f = 0;
    float g1_g0 = 0, h_h0 = 0;  // the ratios raised to their lower limits
};

struct HubDE {
    float d = 0, e = 0;
};

// One hub: its factors as the hub lines show them and, when it has a
// thickness ratio, its flange factors and d and e.
struct HubSet {
    HubFactors hub;
    bool integral = false;  // g1/g0 above 0: flange factors, d and e follow
    FlangeFactors flange;
    HubDE de;

    float g1_g0() const { return integral ? flange.g1_g0 : hub.g1_g0; }
    float h_h0() const { return integral ? flange.h_h0 : hub.h_h0; }
};

// The K-ratio factors and both hubs' factors: independent of the
// thickness, computed once per item.
struct OpeningFactors {
    KRatioFactors k;
    HubSet nozzle;                    // the opening's hub
    bool has_stress_factors = false;  // the opening hub has both ratios
    HubSet shell;                     // the shell side hub
    bool integral = false;            // nozzle hub with thicknesses and length: SH, SR and Z * SR apply
    bool nozzle_hub = false;          // (E theta)* of an integral nozzle, else of a plain opening
};

struct StressFactors {
    float ALPHA = 0, BETA = 0, GAMMA = 0, DELTA = 0, Lamda = 0;
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

// Everything one pass of the thickness search computes from the input, the
// factors and the trial thickness t.
struct OpeningPass {
    float t = 0;  // the trial thickness of this pass

    StressFactors s;  // when the factors have stress factors

    // Stresses of the opening as an integral flange and (E theta)*.
    bool has_SH = false, has_SR = false;
    float SH = 0, SR = 0, ST = 0;
    float B1 = 0;  // diameter of the integral-nozzle (E theta)*
    float E = 0;   // (E theta)*

    // The moment at the juncture, its factor, and the stresses at the
    // juncture and at the opening as computed (before any replacement).
    float MH = 0, X1 = 0;
    float SHS = 0, SRS = 0, STS = 0;
    float SHO = 0, SRO = 0, STO = 0;
    float Z1 = 0;
    StressAverages averages;

    StressRatios ratios;       // from the stresses, those not above 0 counted as 1
    float largest_stress = 0;  // largest magnitude of those stresses and their averages
    float mawp = 0;            // P x governing ratio
};

}  // namespace tx14
