// The integral-flange factors F, V and f from the hub ratios: the constants
// C1 to C37 and E1 to E6 of the classical flange solution. A fraction of
// whole numbers such as 5.0f / 42 is the single-precision constant nearest
// to it, worked out when the program is compiled.
#include <array>
#include <cmath>

#include "../report/single_precision.hpp"
#include "flange_factors.hpp"

namespace tx14 {
namespace {

// Intermediate constants of the integral-flange factors, numbered as the
// engineering text numbers them: Cn[1] to Cn[37] are C1 to C37, En[1] to
// En[6] are E1 to E6 (element 0 unused).
struct IntegralFlangeConstants {
    float A = 0;  // g1/g0 - 1
    float C = 0;  // 43.68 (h/h0)^4
    std::array<float, 38> Cn{};
    std::array<float, 7> En{};
};

// a + b + c - (d + e + f): the form of the determinants C16 to C25.
float det3(float a, float b, float c, float d, float e, float f) { return a + b + c - (d + e + f); }

// C1 to C15: polynomials in A, with the hub term over C.
void polynomial_constants(IntegralFlangeConstants& k)
{
    const float A = k.A;
    const float C = k.C;
    const float A2 = whole_power(A, 2);
    const float A3 = whole_power(A, 3);
    float* Cn = k.Cn.data();

    Cn[1] = A / 12 + 1.0f / 3;
    Cn[2] = (17 * A) / 336 + 5.0f / 42;
    Cn[3] = A / 360 + 1.0f / 210;
    Cn[4] = (59 * A) / 5040 + 11.0f / 360 + (3 * A + 1) / C;
    Cn[5] = (5 * A) / 1008 + 1.0f / 90 - whole_power(A + 1, 3) / C;
    Cn[6] = (17 * A) / 5040 + 1.0f / 120 + 1 / C;
    Cn[7] = (51 * A) / 1232 + 215.0f / 2772 + ((225 * A) / 14 + 60.0f / 7 + (75 * A2) / 7 + (5 * A3) / 2) / C;
    Cn[8] = (128 * A) / 45045 + 31.0f / 6930 + ((15 * A) / 7 + 6.0f / 7 + (12 * A2) / 7 + (5 * A3) / 11) / C;
    Cn[9] = (653 * A) / 73920 + 533.0f / 30240 + ((33 * A) / 14 + 0.5f + (39 * A2) / 28 + (25 * A3) / 84) / C;
    Cn[10] = (3 * A) / 704 + 29.0f / 3780 - ((33 * A) / 14 + 0.5f + (81 * A2) / 28 + (13 * A3) / 12) / C;
    Cn[11] = (1763 * A) / 665280 + 31.0f / 6048 + ((6 * A) / 7 + 0.5f + (15 * A2) / 28 + (5 * A3) / 42) / C;
    Cn[12] = (71 * A) / 300300 + 1.0f / 2925 + ((18 * A) / 35 + 8.0f / 35 + (156 * A2) / 385 + (6 * A3) / 55) / C;
    Cn[13] = (937 * A) / 1663200 + 761.0f / 831600 + ((6 * A) / 35 + 1.0f / 35 + (11 * A2) / 70 + (3 * A3) / 70) / C;
    Cn[14] = (103 * A) / 332640 + 197.0f / 415800 - ((6 * A) / 35 + 1.0f / 35 + (17 * A2) / 70 + A3 / 10) / C;
    Cn[15] = (97 * A) / 554400 + 233.0f / 831600 + ((3 * A) / 35 + 1.0f / 35 + A2 / 14 + (2 * A3) / 105) / C;
}

// C16 to C25: the solution of the three edge conditions.
void determinant_constants(IntegralFlangeConstants& k)
{
    float* Cn = k.Cn.data();
    const float C2sq = whole_power(Cn[2], 2);
    const float C3sq = whole_power(Cn[3], 2);
    const float C8sq = whole_power(Cn[8], 2);

    Cn[16] = det3(Cn[1] * Cn[7] * Cn[12], Cn[2] * Cn[8] * Cn[3], Cn[3] * Cn[8] * Cn[2], C3sq * Cn[7], C8sq * Cn[1],
                  C2sq * Cn[12]);
    Cn[17] = det3(Cn[4] * Cn[7] * Cn[12], Cn[2] * Cn[8] * Cn[13], Cn[3] * Cn[8] * Cn[9], Cn[13] * Cn[7] * Cn[3],
                  C8sq * Cn[4], Cn[12] * Cn[2] * Cn[9]) /
             Cn[16];
    Cn[18] = det3(Cn[5] * Cn[7] * Cn[12], Cn[2] * Cn[8] * Cn[14], Cn[3] * Cn[8] * Cn[10], Cn[14] * Cn[7] * Cn[3],
                  C8sq * Cn[5], Cn[12] * Cn[2] * Cn[10]) /
             Cn[16];
    Cn[19] = det3(Cn[6] * Cn[7] * Cn[12], Cn[2] * Cn[8] * Cn[15], Cn[3] * Cn[8] * Cn[11], Cn[15] * Cn[7] * Cn[3],
                  C8sq * Cn[6], Cn[12] * Cn[2] * Cn[11]) /
             Cn[16];
    Cn[20] = det3(Cn[1] * Cn[9] * Cn[12], Cn[4] * Cn[8] * Cn[3], Cn[3] * Cn[13] * Cn[2], C3sq * Cn[9],
                  Cn[13] * Cn[8] * Cn[1], Cn[12] * Cn[4] * Cn[2]) /
             Cn[16];
    Cn[21] = det3(Cn[1] * Cn[10] * Cn[12], Cn[5] * Cn[8] * Cn[3], Cn[3] * Cn[14] * Cn[2], C3sq * Cn[10],
                  Cn[14] * Cn[8] * Cn[1], Cn[12] * Cn[5] * Cn[2]) /
             Cn[16];
    Cn[22] = det3(Cn[1] * Cn[11] * Cn[12], Cn[6] * Cn[8] * Cn[3], Cn[3] * Cn[15] * Cn[2], C3sq * Cn[11],
                  Cn[15] * Cn[8] * Cn[1], Cn[12] * Cn[6] * Cn[2]) /
             Cn[16];
    Cn[23] = det3(Cn[1] * Cn[7] * Cn[13], Cn[2] * Cn[9] * Cn[3], Cn[4] * Cn[8] * Cn[2], Cn[3] * Cn[7] * Cn[4],
                  Cn[8] * Cn[9] * Cn[1], C2sq * Cn[13]) /
             Cn[16];
    Cn[24] = det3(Cn[1] * Cn[7] * Cn[14], Cn[2] * Cn[10] * Cn[3], Cn[5] * Cn[8] * Cn[2], Cn[3] * Cn[7] * Cn[5],
                  Cn[8] * Cn[10] * Cn[1], C2sq * Cn[14]) /
             Cn[16];
    Cn[25] = det3(Cn[1] * Cn[7] * Cn[15], Cn[2] * Cn[11] * Cn[3], Cn[6] * Cn[8] * Cn[2], Cn[3] * Cn[7] * Cn[6],
                  Cn[8] * Cn[11] * Cn[1], C2sq * Cn[15]) /
             Cn[16];
}

// C26 to C37: the hub's decay terms with the powers of C/4.
void decay_constants(IntegralFlangeConstants& k)
{
    const float A = k.A;
    const float C4 = k.C / 4;
    float* Cn = k.Cn.data();

    Cn[26] = -real_power(C4, 0.25f);
    Cn[27] = Cn[20] - Cn[17] - 5.0f / 12 + Cn[17] * Cn[26];
    Cn[28] = Cn[22] - Cn[19] - 1.0f / 12 + Cn[19] * Cn[26];
    Cn[29] = -std::sqrt(C4);
    Cn[30] = -real_power(C4, 0.75f);
    Cn[31] = (3 * A) / 2 - Cn[17] * Cn[30];
    Cn[32] = 0.5f - Cn[19] * Cn[30];
    Cn[33] = 0.5f * Cn[26] * Cn[32] + Cn[28] * Cn[31] * Cn[29] - (0.5f * Cn[30] * Cn[28] + Cn[32] * Cn[27] * Cn[29]);
    Cn[34] = 1.0f / 12 + Cn[18] - Cn[21] - Cn[18] * Cn[26];
    Cn[35] = -Cn[18] * real_power(C4, 0.75f);
    Cn[36] = (Cn[28] * Cn[35] * Cn[29] - Cn[32] * Cn[34] * Cn[29]) / Cn[33];
    Cn[37] = (0.5f * Cn[26] * Cn[35] + Cn[34] * Cn[31] * Cn[29] - (0.5f * Cn[30] * Cn[34] + Cn[35] * Cn[27] * Cn[29])) /
             Cn[33];
}

void e_constants(IntegralFlangeConstants& k)
{
    const float A = k.A;
    const float C = k.C;
    const float* Cn = k.Cn.data();
    float* En = k.En.data();

    En[1] = Cn[17] * Cn[36] + Cn[18] + Cn[19] * Cn[37];
    En[2] = Cn[20] * Cn[36] + Cn[21] + Cn[22] * Cn[37];
    En[3] = Cn[23] * Cn[36] + Cn[24] + Cn[25] * Cn[37];
    En[4] = Cn[37] / 12 + 0.25f + Cn[36] / 4 - En[3] / 5 - (3 * En[2]) / 2 - En[1];
    En[5] = En[1] * (A / 6 + 0.5f) + En[2] * ((11 * A) / 84 + 0.25f) + En[3] * (A / 105 + 1.0f / 70);
    En[6] = En[5] - Cn[36] * (A / 36 + 7.0f / 120 + (3 * A) / C) - 1.0f / 40 - A / 72 -
            Cn[37] * (A / 120 + 1.0f / 60 + 1 / C);
}

}  // namespace

FlangeFactors integral_flange_factors(float g1_g0, float h_h0)
{
    if (h_h0 < 0.015f)
        h_h0 = 0.015f;
    if (g1_g0 < 1.0f)
        g1_g0 = 1.0f;
    IntegralFlangeConstants k;
    k.A = g1_g0 - 1;
    k.C = 43.68f * whole_power(h_h0, 4);
    polynomial_constants(k);
    determinant_constants(k);
    decay_constants(k);
    e_constants(k);

    const float A = k.A;
    const float C = k.C;
    const float p = whole_power(1 + A, 3);
    FlangeFactors ff;
    ff.g1_g0 = g1_g0;
    ff.h_h0 = h_h0;
    ff.f = k.Cn[36] / (1 + A);
    ff.V = k.En[4] / (real_power(2.73f / C, 0.25f) * p);
    ff.F = -k.En[6] / (real_power(C / 2.73f, 0.25f) * p / C);
    if (ff.f < 1.0f)
        ff.f = 1.0f;
    if (g1_g0 > 0.9999f && g1_g0 < 1.0001f) {  // no taper: the straight-hub values
        ff.F = 0.90892f;
        ff.V = 0.550103f;
        ff.f = 1.0f;
    }
    return ff;
}

void write_flange_factors(Report& r, const FlangeFactors& ff, int code)
{
    write_text(r, style::kResultCaption, "Flange Factors for Integral Flange: ");
    if (code == 1) {
        FixedLine(r).text("Factor F per 2-7.2  ").blanks(30).fixed(ff.F, 10, 3).write();
        FixedLine(r).text("Factor V per 2-7.3  ").blanks(30).fixed(ff.V, 10, 3).write();
        FixedLine(r).text("Factor f per 2-7.6  ").blanks(30).fixed(ff.f, 10, 3).write();
    } else {
        FixedLine(r).text("Factor F per Table 4.16.5  ").blanks(23).fixed(ff.F, 10, 3).write();
        FixedLine(r).text("Factor V per Table 4.16.5  ").blanks(23).fixed(ff.V, 10, 3).write();
        FixedLine(r).text("Factor f per Table 4.16.5  ").blanks(23).fixed(ff.f, 10, 3).write();
    }
}

}  // namespace tx14
