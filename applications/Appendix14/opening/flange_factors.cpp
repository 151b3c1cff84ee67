// The flange factors of the opening and of the shell side: K-ratio
// factors, hub factors, d and e, stress factors, and the order in which a
// pass of the thickness search computes them.
#include "flange_factors.hpp"

#include <array>
#include <cmath>

#include "../report/single_precision.hpp"
#include "opening_calculation.hpp"

namespace tx14 {
namespace {

// Texts of the hub factor lines, for the opening and for the shell.
struct HubTexts {
    std::string_view h0_caption, Hrat_caption, Grat_caption;
    std::string_view h0, h_h0, g1_g0;
};

constexpr HubTexts kHubTexts[] = {
    {"Effective Hub Length,  h0n = ", "Hub Ratio,           Hratn = ",
     "Thickness Ratio,     Gratn = ", "sqrt(Bn*g0n)", "h / h0n ", "(g1n/g0n)"},
    {"Effective Hub Length,  h0s = ", "Hub Ratio,           Hrats = ",
     "Thickness Ratio,     Grats = ", "sqrt(Bs*g0s)", "h / h0s ", "(g1s/g0s)"},
};
constexpr std::string_view kDefinedAsZero = "Defined as 0";
constexpr int kHubTextWidth = 20;  // of the 26-character text fields

// A line of two factors: blanks, "name = ", the value (3 decimals in 10
// columns), blanks, the second name and value.
void write_factor_pair(Report& r, int lead, std::string_view name1, float v1, int gap,
                       std::string_view name2, float v2)
{
    ReportLine(r)
        .blanks(lead).text(name1).fixed(v1, 10, 3)
        .blanks(gap).text(name2).fixed(v2, 10, 3)
        .write();
}

}  // namespace

KRatioFactors k_ratio_factors(Report& r, float A, float Bn, float ca, bool viii2)
{
    KRatioFactors k;
    k.K = A / (Bn + 2.0f * ca);
    const float K = k.K;
    const float K2 = K * K;
    const float L = log10_single(K);
    k.Z = (K2 + 1) / (K2 - 1);
    k.Y = ((5.7169f * K2) * L / (K2 - 1) + 0.66845f) / (K - 1);
    const float N = K2 * (8.55246f * L + 1) - 1;
    k.U = N / ((1.36136f * (K2 - 1)) * (K - 1));
    k.T = N / ((1.9448f * K2 + 1.0472f) * (K - 1));

    ReportLine(r)
        .text(viii2 ? "Factors from Table 4-16.4 " : "Factors from Figure 2-7.1 ")
        .blanks(20).text("K = ").fixed(k.K, 10, 3)
        .write();
    write_factor_pair(r, 20, "T = ", k.T, 12, "U = ", k.U);
    write_factor_pair(r, 20, "Y = ", k.Y, 12, "Z = ", k.Z);
    return k;
}

HubFactors hub_factors(Report& r, const UnitRecord& u, float g0, float g1, float h, float D,
                       float ca, HubSide side)
{
    const HubTexts& texts = kHubTexts[side == HubSide::opening ? 0 : 1];
    HubFactors hub;
    hub.Dc = D + 2.0f * ca;

    std::string_view h0_text = kDefinedAsZero;
    if (g0 > ca) {
        hub.h0 = std::sqrt(hub.Dc * (g0 - ca));
        h0_text = texts.h0;
    }
    std::string_view h_h0_text = kDefinedAsZero;
    if (!(h == 0.0f || hub.h0 == 0.0f)) {
        hub.h_h0 = h / hub.h0;
        h_h0_text = texts.h_h0;
    }
    std::string_view g1_g0_text = kDefinedAsZero;
    if (g0 > ca) {
        hub.g1_g0 = (g1 - ca) / (g0 - ca);
        g1_g0_text = texts.g1_g0;
    }

    if (r.print == 0)
        return hub;
    write_blank_line(r);
    ReportLine(r)
        .text(texts.h0_caption).text(h0_text, kHubTextWidth)
        .blanks(1).fixed(hub.h0 * u.diameter.factor, 10, 3)
        .blanks(1).text(u.diameter.text())
        .write();
    ReportLine(r)
        .text(texts.Hrat_caption).text(h_h0_text, kHubTextWidth)
        .blanks(1).fixed(hub.h_h0, 10, 3)
        .write();
    ReportLine(r)
        .text(texts.Grat_caption).text(g1_g0_text, kHubTextWidth)
        .blanks(1).fixed(hub.g1_g0, 10, 3)
        .write();
    write_blank_line(r);
    return hub;
}

HubDE d_and_e(Report& r, const UnitRecord& u, float U, float h0, float g0, float ca, float F,
              float V)
{
    HubDE de;
    const float gc = g0 - ca;
    de.d = ((U * h0) * gc) * gc / V;
    de.e = F / h0;

    if (r.print == 0)
        return de;
    const float ft = u.thickness.factor;
    const float d_shown = de.d * whole_power(ft, 3);
    const float e_shown = F / (h0 * ft);
    std::array<char, 5> d_unit;  // thickness label and the superscript three
    assign(d_unit, u.thickness.text());
    put(d_unit, 4, "\xB3");
    std::array<char, 6> e_unit;
    assign(e_unit, u.thickness.text());
    put(e_unit, 4, "^-1");

    ReportLine line(r);
    line.blanks(20).text("d = ");
    if (d_shown > 99999.0f)
        line.exponential(d_shown, 10, 5);
    else
        line.fixed(d_shown, 10, 3);
    line.blanks(1).text(view(d_unit))
        .blanks(6).text("e = ").fixed(e_shown, 10, 4)
        .blanks(1).text(view(e_unit))
        .write();
    return de;
}

StressFactors stress_factors(Report& r, float t, float T, float e, float d, float ca)
{
    StressFactors s;
    const float tc = t - ca;
    s.ALPHA = tc * e + 1;
    s.BETA = (4 * tc * e) / 3 + 1;
    s.GAMMA = s.ALPHA / T;
    s.DELTA = whole_power(tc, 3) / d;
    s.Lamda = s.GAMMA + s.DELTA;

    ReportLine(r).text("Stress Factors").blanks(28).text("ALPHA = ").fixed(s.ALPHA, 10, 3).write();
    write_factor_pair(r, 17, "BETA = ", s.BETA, 8, "GAMMA = ", s.GAMMA);
    write_factor_pair(r, 16, "DELTA = ", s.DELTA, 7, " Lamda = ", s.Lamda);
    return s;
}

namespace {

struct HubSet {
    HubFactors hub;
    FlangeFactors flange;  // zero when the hub has no thickness ratio
    HubDE de;
};

// Hub factors of one hub and, when it has a thickness ratio, its flange
// factors (the ratios raised to their limits in place) and d and e.
HubSet hub_set(State& st, float g0, float g1, float h, float D, HubSide side)
{
    Report& r = st.report;
    const OpeningInput& in = st.opening;
    OpeningWork& w = st.opening_work;
    HubSet s;
    s.hub = hub_factors(r, st.units, g0, g1, h, D, in.ca, side);
    if (s.hub.g1_g0 > 0.0f) {
        s.flange = integral_flange_factors(r, w.flange, in.code, s.hub.g1_g0, s.hub.h_h0);
        s.de = d_and_e(r, st.units, w.U, s.hub.h0, g0, in.ca, s.flange.F, s.flange.V);
    }
    return s;
}

}  // namespace

void compute_opening_factors(State& st)
{
    const OpeningInput& in = st.opening;
    OpeningWork& w = st.opening_work;

    ++w.iteration;
    const KRatioFactors k = k_ratio_factors(st.report, in.A, in.Bn, in.ca, w.viii2);
    w.K = k.K;
    w.T = k.T;
    w.U = k.U;
    w.Y = k.Y;
    w.Z = k.Z;

    const HubSet n = hub_set(st, in.g0n, in.g1n, in.hn, in.Bn, HubSide::opening);
    w.h0n = n.hub.h0;
    w.Hratn = n.hub.h_h0;
    w.Gratn = n.hub.g1_g0;
    w.Fn = n.flange.F;
    w.Vn = n.flange.V;
    w.fn = n.flange.f;
    w.dn = n.de.d;
    w.en = n.de.e;

    StressFactors s;
    if (w.Gratn > 0.0f && w.Hratn > 0.0f)
        s = stress_factors(st.report, in.t, w.T, w.en, w.dn, in.ca);
    w.ALPHA = s.ALPHA;
    w.BETA = s.BETA;
    w.GAMMA = s.GAMMA;
    w.DELTA = s.DELTA;
    w.Lamda = s.Lamda;
}

void compute_shell_factors(State& st)
{
    const OpeningInput& in = st.opening;
    OpeningWork& w = st.opening_work;

    write_text(st.report, style::kTitle, "Flange Factors ( Shell ) : ");
    const HubSet s = hub_set(st, in.g0s, in.g1s, in.hs, in.A - in.g0s - in.ca, HubSide::shell);
    w.h0s = s.hub.h0;
    w.Hrats = s.hub.h_h0;
    w.Grats = s.hub.g1_g0;
    w.Fs = s.flange.F;
    w.Vs = s.flange.V;
    w.fs = s.flange.f;
    w.ds = s.de.d;  // printed, not used further
    w.es = s.de.e;
}

}  // namespace tx14
