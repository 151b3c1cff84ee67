// The flange factors of the opening and of the shell side: K-ratio
// factors, hub factors, d and e and stress factors, and their lines.
#include "flange_factors.hpp"

#include <array>
#include <cmath>

#include "../report/single_precision.hpp"

namespace tx14 {
namespace {

// Texts of the hub factor lines, for the opening and for the shell.
struct HubTexts {
    std::string_view h0_caption, Hrat_caption, Grat_caption;
    std::string_view h0, h_h0, g1_g0;
};

constexpr HubTexts kHubTexts[] = {
    {"Effective Hub Length,  h0n = ", "Hub Ratio,           Hratn = ", "Thickness Ratio,     Gratn = ", "sqrt(Bn*g0n)",
     "h / h0n ", "(g1n/g0n)"},
    {"Effective Hub Length,  h0s = ", "Hub Ratio,           Hrats = ", "Thickness Ratio,     Grats = ", "sqrt(Bs*g0s)",
     "h / h0s ", "(g1s/g0s)"},
};
constexpr std::string_view kDefinedAsZero = "Defined as 0";
constexpr int kHubTextWidth = 20;  // of the 26-character text fields

// A line of two factors: blanks, "name = ", the value (3 decimals in 10
// columns), blanks, the second name and value.
void write_factor_pair(Report& r, int lead, std::string_view name1, float v1, int gap, std::string_view name2, float v2)
{
    FixedLine(r).blanks(lead).text(name1).fixed(v1, 10, 3).blanks(gap).text(name2).fixed(v2, 10, 3).write();
}

// A hub factor line: caption, the factor's formula (or "Defined as 0"
// where it is not defined), its value and the unit, if any.
void write_hub_line(Report& r, std::string_view caption, bool defined, std::string_view formula, float value,
                    std::string_view unit = {})
{
    FixedLine line(r);
    line.text(caption).text(defined ? formula : kDefinedAsZero, kHubTextWidth).blanks(1).fixed(value, 10, 3);
    if (!unit.empty())
        line.blanks(1).text(unit);
    line.write();
}

// Hub factors of a hub with base diameter D (h uncorroded).
HubFactors hub_factors(float g0, float g1, float h, float D, float ca)
{
    HubFactors hub;
    const float Dc = D + 2.0f * ca;  // corroded base diameter
    hub.thick = g0 > ca;
    if (hub.thick)
        hub.h0 = std::sqrt(Dc * (g0 - ca));
    hub.has_h_h0 = !(h == 0.0f || hub.h0 == 0.0f);
    if (hub.has_h_h0)
        hub.h_h0 = h / hub.h0;
    if (hub.thick)
        hub.g1_g0 = (g1 - ca) / (g0 - ca);
    return hub;
}

// d and e of a hub.
HubDE d_and_e(float U, float h0, float g0, float ca, float F, float V)
{
    HubDE de;
    const float gc = g0 - ca;
    de.d = ((U * h0) * gc) * gc / V;
    de.e = F / h0;
    return de;
}

void write_d_and_e(Report& r, const Shown& show, const HubDE& de, float h0, float F)
{
    const float ft = show.u.thickness.factor;
    const float d_shown = de.d * whole_power(ft, 3);
    const float e_shown = F / (h0 * ft);
    std::array<char, 5> d_unit;  // thickness label and the superscript three
    assign(d_unit, show.u.thickness.text());
    put(d_unit, 4, "\xB3");
    std::array<char, 6> e_unit;
    assign(e_unit, show.u.thickness.text());
    put(e_unit, 4, "^-1");

    FixedLine line(r);
    line.blanks(20).text("d = ");
    if (d_shown > 99999.0f)
        line.exponential(d_shown, 10, 5);
    else
        line.fixed(d_shown, 10, 3);
    line.blanks(1).text(view(d_unit)).blanks(6).text("e = ").fixed(e_shown, 10, 4).blanks(1).text(view(e_unit)).write();
}

}  // namespace

KRatioFactors k_ratio_factors(float K)
{
    KRatioFactors k;
    const float K2 = K * K;
    const float L = log10_single(K);
    k.Z = (K2 + 1) / (K2 - 1);
    k.Y = ((5.7169f * K2) * L / (K2 - 1) + 0.66845f) / (K - 1);
    const float N = K2 * (8.55246f * L + 1) - 1;
    k.U = N / ((1.36136f * (K2 - 1)) * (K - 1));
    k.T = N / ((1.9448f * K2 + 1.0472f) * (K - 1));
    return k;
}

HubSet hub_set(float g0, float g1, float h, float D, float ca, float U)
{
    HubSet s;
    s.hub = hub_factors(g0, g1, h, D, ca);
    s.integral = s.hub.g1_g0 > 0.0f;
    if (s.integral) {
        s.flange = integral_flange_factors(s.hub.g1_g0, s.hub.h_h0);
        s.de = d_and_e(U, s.hub.h0, g0, ca, s.flange.F, s.flange.V);
    }
    return s;
}

StressFactors stress_factors(float t, float T, float e, float d, float ca)
{
    StressFactors s;
    const float tc = t - ca;
    s.ALPHA = tc * e + 1;
    s.BETA = (4 * tc * e) / 3 + 1;
    s.GAMMA = s.ALPHA / T;
    s.DELTA = whole_power(tc, 3) / d;
    s.Lamda = s.GAMMA + s.DELTA;
    return s;
}

void write_k_ratio_factors(Report& r, float K, const KRatioFactors& k, int code)
{
    FixedLine(r)
        .text(code == 2 ? "Factors from Table 4-16.4 " : "Factors from Figure 2-7.1 ")
        .blanks(20)
        .text("K = ")
        .fixed(K, 10, 3)
        .write();
    write_factor_pair(r, 20, "T = ", k.T, 12, "U = ", k.U);
    write_factor_pair(r, 20, "Y = ", k.Y, 12, "Z = ", k.Z);
}

void write_hub_set(Report& r, const Shown& show, const HubSet& s, HubSide side, int code)
{
    const HubTexts& texts = kHubTexts[side == HubSide::opening ? 0 : 1];
    const HubFactors& hub = s.hub;
    write_blank_line(r);
    write_hub_line(r, texts.h0_caption, hub.thick, texts.h0, show.dia(hub.h0), show.u.diameter.text());
    write_hub_line(r, texts.Hrat_caption, hub.has_h_h0, texts.h_h0, hub.h_h0);
    write_hub_line(r, texts.Grat_caption, hub.thick, texts.g1_g0, hub.g1_g0);
    write_blank_line(r);
    if (s.integral) {
        write_flange_factors(r, s.flange, code);
        write_d_and_e(r, show, s.de, hub.h0, s.flange.F);
    }
}

void write_stress_factors(Report& r, const StressFactors& s)
{
    FixedLine(r).text("Stress Factors").blanks(28).text("ALPHA = ").fixed(s.ALPHA, 10, 3).write();
    write_factor_pair(r, 17, "BETA = ", s.BETA, 8, "GAMMA = ", s.GAMMA);
    write_factor_pair(r, 16, "DELTA = ", s.DELTA, 7, " Lamda = ", s.Lamda);
}

}  // namespace tx14
