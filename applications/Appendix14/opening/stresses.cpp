// Stresses of the head with a large opening: the opening's flange stresses
// and (E theta)*, the moment MH at the head/shell juncture, the factor X1,
// and the stresses at the juncture and at the opening against their limits.
#include <cmath>

#include "../report/formula_block.hpp"
#include "../report/single_precision.hpp"
#include "opening_calculation.hpp"

namespace tx14 {
namespace {

bool over_limit(float stress, float limit) { return std::fabs(stress) > std::fabs(limit); }

// (E theta)* of a head with an integral nozzle hub.
void e_theta_integral_nozzle(State& st)
{
    Report& r = st.report;
    const OpeningInput& in = st.opening;
    OpeningWork& w = st.opening_work;
    const Shown show = shown(st);
    const float g1nc = in.g1n - in.ca;
    const float g0nc = in.g0n - in.ca;
    const float B1 = w.fn >= 1.0f ? w.Bncor + g0nc : w.Bncor;
    const float ratio = g1nc / g0nc;

    w.E = ((((0.91f * whole_power(ratio, 2)) * B1) * w.Vn) * w.SH) / (w.fn * w.h0n);
    // \xF8 stands for theta.
    const bool viii1 = in.code == 1;
    write_block_head(r, "The Value for E Theta Star ( Integral Nozzle ) [(E\xF8)*]:",
                     viii1 ? " = 0.91(g1n/g0n)\xB2 * B1 * V * Sh/(f*ho)"
                           : " = 0.91(g1n/g0n)\xB2 * (Bn + g0n)Vn*SH/(fn*sqrt(Bn*g0n))");
    write_formula(r,
                  viii1 ? " = 0.91(@3 /@3 )\xB2 * @3 * @3 *@0/(@3 * @3)"
                        : " = 0.91(@3 /@3 )\xB2 * (@3)@3*@1/(@3 * @3)",
                  {show.thk(g1nc), show.thk(g0nc), show.dia(B1), w.Vn, show.stress(w.SH), w.fn,
                   show.thk(w.h0n)},
                  1);
    write_block_end(r, show.stress(w.E), st.units.stress.text());
}

// (E theta)* of a head without a nozzle hub.
void e_theta_no_nozzle(State& st)
{
    Report& r = st.report;
    const OpeningInput& in = st.opening;
    OpeningWork& w = st.opening_work;
    const Shown show = shown(st);
    const float tc = in.t - in.ca;

    w.E = (w.Bncor / tc) * w.ST;
    write_blank_line(r);
    write_block(r, "The Value for E Theta Star ( No Nozzle )[(E\xF8)*]:", " = ( Bn / t ) * St* ",
                " = ( @4 / @4 ) * @2 ", {show.dia(w.Bncor), show.thk(tc), show.stress(w.ST)},
                show.stress(w.E), st.units.stress.text());
}

// The juncture and opening stresses from MH, X1 and the shell factors.
void juncture_and_opening_stresses(OpeningWork& w, float tc, float r_s)
{
    const float E = w.E;
    const float G = w.G;  // Bs
    const float hub = (w.Fs * tc) / w.h0s + 1;
    w.SHS = ((((w.X1 * E) * 1.1f) * w.h0s) * w.fs) / (((r_s * r_s) * G) * w.Vs);
    w.SRS = ((1.91f * w.MH) * hub) / (G * (tc * tc)) + ((0.64f * w.Fs) * w.MH) / ((G * w.h0s) * tc);
    w.STS = ((w.X1 * E) * tc) / G - ((0.57f * hub) * w.MH) / ((G * tc) * tc)
            + (((0.64f * w.Fs) * w.Z) * w.MH) / ((G * w.h0s) * tc);
    w.SHO = w.X1 * w.SH;
    w.SRO = w.X1 * w.SR;
    const float K = w.K;
    w.Z1 = ((2 * K) * K) / (K * K - 1);
    w.STO = w.X1 * w.ST + (((0.64f * w.Fs) * w.Z1) * w.MH) / ((G * w.h0s) * tc);
    w.averages.shell_SH_SR = (w.SHS + w.SRS) * 0.5f;
    w.averages.shell_SH_ST = (w.SHS + w.STS) * 0.5f;
    w.averages.opening_SH_SR = (w.SHO + w.SRO) * 0.5f;
    w.averages.opening_SH_ST = (w.SHO + w.STO) * 0.5f;
}

void report_juncture_stresses(State& st, float tc, float r_s)
{
    Report& r = st.report;
    const OpeningWork& w = st.opening_work;
    const Shown show = shown(st);
    const std::string_view stress = st.units.stress.text();
    const float Sho = st.opening.Sho;
    const float MH = show.moment_in_formula(w.MH);
    const float K2 = w.K * w.K;

    write_blank_line(r);
    write_text(r, style::kTitle, "Stress Results for the Head/Shell Juncture :");
    write_blank_line(r);

    write_block_head(r, "Longitudinal Hub Stress in the Shell [SHS]: ",
                     " = (X1)((E\xF8)*)(1.10*ho*f)/((g1/g0)\xB2*Bs*V)");
    fill_formula(r, " = (@2)(@0)(1.10 *@3 *@3)/((@3)\xB2 *@2)#",
                 {w.X1, show.stress(w.E), show.dia(w.h0s), w.fs, r_s, show.dia(w.G)});
    extend_formula(r, "@3 )", {w.Vs});
    write_formula_line(r, 1);
    write_block_end(r, show.stress(w.SHS), stress, over_limit(w.SHS, 1.5f * Sho));

    write_block_head(r, "Radial Stress at the Outside Diameter [SRS]: ",
                     " = 1.91*MH(1+F*t/ho)/(Bs*t\xB2) + 0.64*F*MH/(Bs*ho*t)");
    write_formula(r, " = 1.91 * @0( 1 + @3 * @3 / @3 )/(@3 * @3\xB2 ) + #",
                  {MH, w.Fs, show.thk(tc), show.dia(w.h0s), show.dia(w.G), show.thk(tc)}, 1);
    write_formula(r, "   0.64 *@3*@0/(@3 *@3 *@3 )",
                  {w.Fs, MH, show.dia(w.G), show.dia(w.h0s), show.thk(tc)}, 8);
    write_block_end(r, show.stress(w.SRS), stress, over_limit(w.SRS, Sho));

    write_block_head(r, "Tangential Stress at the Outside Diameter [STS]: ",
                     " = X1*(E\xF8)*t/Bs - 0.57(1+F*t/ho)MH/(Bs*t\xB2) + 0.64*F*Z*MH/(Bs*ho*t)");
    write_formula(r, " = @3 *@3* @3 / @3 - #",
                  {w.X1, show.stress(w.E), show.thk(tc), show.dia(w.G)}, 1);
    write_formula(r, "   0.57( 1 + @3 * @3 / @3)@0 /( @3 * @4\xB2 ) + #",
                  {w.Fs, show.thk(tc), show.dia(w.h0s), MH, show.dia(w.G), show.thk(tc)}, 3);
    write_formula(r, "   0.64 * @3 * @3 * @0 /( @3 * @3 * @3 )",
                  {w.Fs, w.Z, MH, show.dia(w.G), show.dia(w.h0s), show.thk(tc)}, 3);
    write_block_end(r, show.stress(w.STS), stress, over_limit(w.STS, Sho));
    write_formula(r, "where Z = (K\xB2+1)/(K\xB2-1) = (@3+1)/(@3-1) = @3", {K2, K2, w.Z}, 1);
    write_blank_line(r);
}

// SHO and SRO: one substituted line each, the stress label directly behind
// the result, marked when over the limit.
void write_opening_product(State& st, std::string_view label, std::string_view tmpl, float S,
                           float SO, float limit)
{
    Report& r = st.report;
    const Shown show = shown(st);
    std::array<char, kFormulaWidth> text;
    blank(text);
    put(text, put(text, 1, tmpl), st.units.stress.text());
    write_caption(r, style::kCaption, label);
    fill_formula(r, view(text), {st.opening_work.X1, show.stress(S), show.stress(SO)});
    if (over_limit(SO, limit))
        set_line_styles(r, style::kWarning);
    write_formula_line(r, 1);
    write_blank_line(r);
}

void report_opening_stresses(State& st, float tc)
{
    Report& r = st.report;
    const OpeningWork& w = st.opening_work;
    const Shown show = shown(st);
    const float Sho = st.opening.Sho;
    const float K2 = w.K * w.K;

    write_text(r, style::kTitle, "Stress Results for the Opening Head Juncture :");
    write_blank_line(r);

    write_opening_product(st, "Longitudinal Hub Stress in Central Opening [SHO]:",
                          " = X1 * SH = ( @3 * @3 ) = @3", w.SH, w.SHO, 1.5f * Sho);
    write_opening_product(st, "Radial Stress at Central Opening [SRO]:",
                          " = X1 * SR = ( @3 * @3 ) = @3", w.SR, w.SRO, Sho);

    write_block_head(r, "Tangential Stress at Diameter of Central Opening [Sto]:",
                     " = X1*ST + 0.64*F*Z1*MH/(Bs*ho*t)");
    write_formula(r, " = @3 * @3  + ", {w.X1, show.stress(w.ST)}, 1);
    write_formula(r, "   0.64 * @4 * @3 * @0 / ( @3 * @3 * @3 )",
                  {w.Fs, w.Z1, show.moment_in_formula(w.MH), show.dia(w.G), show.dia(w.h0s),
                   show.thk(tc)},
                  3);
    write_block_end(r, show.stress(w.STO), st.units.stress.text(), over_limit(w.STO, Sho));
    write_formula(r, "where Z1 = 2*K\xB2/(K\xB2-1) = (2*@3)/(@3 - 1) = @3", {K2, K2, w.Z1}, 1);
    write_blank_line(r);
}

}  // namespace

void compute_opening_flange_stresses(State& st)
{
    Report& r = st.report;
    const OpeningInput& in = st.opening;
    OpeningWork& w = st.opening_work;
    const Shown show = shown(st);
    const std::string_view stress = st.units.stress.text();
    const float tc = in.t - in.ca;
    const float g1nc = in.g1n - in.ca;
    const float B = in.Bn + 2.0f * in.ca;
    const float Mo = show.moment_in_formula(w.Mo);
    const bool integral = in.g1n > kNozzleTolerance && in.g0n > kNozzleTolerance
                          && in.hn > kNozzleTolerance;

    w.SH = w.SR = w.ST = 0;
    write_blank_line(r);
    if (integral && g1nc > kNozzleTolerance && w.Lamda > 0.001f) {
        w.SH = std::fabs(w.Mo) * ((w.fn / B) / ((w.Lamda * g1nc) * g1nc));
        write_text(r, " ");
        write_stress_block(r, "Longitudinal Hub Stress, Operating [SH]:",
                           " = ( F * Mo / B ) / ( Lamda * g1n^2 )",
                           " = ( @4 *@0 / @4 ) / ( @4 *@4^2 )#",
                           {w.fn, Mo, show.dia(B), w.Lamda, show.dia(g1nc)}, "NONE",
                           show.stress(w.SH), stress);
    }
    if (integral && w.Lamda > 0.0f) {
        w.SR = std::fabs(w.Mo) * ((w.BETA / B) / ((w.Lamda * tc) * tc));
        write_stress_block(r, "Radial Flange Stress, Operating [SR]:",
                           " = ( BETA * Mo / B ) / ( Lamda(t-ca)^2 )",
                           " = ( @4 *@0 / @4 ) / ( @4(@4)^2 ) #",
                           {w.BETA, Mo, show.dia(B), w.Lamda, show.thk(tc)}, "NONE",
                           show.stress(w.SR), stress);
    }
    const float q = (tc * tc) * B == 0.0f ? 0.0f : w.Y / ((tc * tc) * B);
    if (integral) {
        w.ST = std::fabs(w.Mo) * q - w.Z * w.SR;
        write_stress_block(r, "Tangential Flange Stress, Operating [ST]:",
                           " = ( Y * Mo / (t-ca)^2 * B ) - Z * SR* ",
                           " = ( @4 *@0 / @4^2 *@4 ) - @4 *@0 #",
                           {w.Y, Mo, show.thk(tc), show.dia(B), w.Z, show.stress(w.SR)}, "NONE",
                           show.stress(w.ST), stress);
    } else {
        w.ST = std::fabs(w.Mo) * q;
        write_stress_block(r, "Tangential Flange Stress, Operating [ST]:",
                           " = ( Y * Mo / (t-ca)^2 * B ) ", " = ( @4 *@0 / (@4)^2 * @4 ) #",
                           {w.Y, Mo, show.thk(tc), show.dia(B)}, "NONE", show.stress(w.ST),
                           stress);
    }

    if (in.g1n > kNozzleTolerance && in.g0n > kNozzleTolerance)
        e_theta_integral_nozzle(st);
    else
        e_theta_no_nozzle(st);
}

void compute_juncture_stresses(State& st)
{
    Report& r = st.report;
    const OpeningInput& in = st.opening;
    OpeningWork& w = st.opening_work;
    const Shown show = shown(st);
    const float tc = in.t - in.ca;
    const float g0sc = in.g0s - in.ca;
    const float g1sc = in.g1s - in.ca;
    const float B1s = (in.A - in.g0s) - in.ca;
    const float E = w.E;
    const float hub = (w.Fs * tc) / w.h0s + 1;

    w.MH = E / ((1.74f * w.h0s * w.Vs) / (whole_power(g0sc, 3) * B1s) + (E / w.Mo) * hub);
    write_blank_line(r);
    write_block_head(r, "Moment Acting at the Shell to Flat Head Juncture [MH]:",
                     " = (E\xF8)*/[(1.74*ho*V/(g0s^3*B1s))+(E\xF8)*/Mo*(1+Ft/ho)]");
    write_formula(r, " = @0 /[(1.74 *@4 *@4 /(@4^3 *@4 ))+@0 / ",
                  {show.stress(E), show.thk(w.h0s), w.Vs, show.thk(g0sc), show.dia(B1s),
                   show.stress(E)},
                  1);
    write_formula(r, "   @0( 1 + @4 * @4 / @4 )",
                  {show.moment_in_formula(w.Mo), w.Fs, show.thk(tc), show.thk(w.h0s)}, 3);
    write_block_end(r, show.moment(w.MH), st.units.moment.text());

    w.X1 = (w.Mo - w.MH * hub) / w.Mo;
    write_blank_line(r);
    write_block(r, "Factor [X1]:", " = ( Mo - MH( 1 + Ft/ho ) ) / Mo ",
                " = ( @0 - @0( 1 + @4 * @4 / @4 ) ) / @0 ",
                {show.moment_in_formula(w.Mo), show.moment_in_formula(w.MH), w.Fs, show.thk(tc),
                 show.thk(w.h0s), show.moment_in_formula(w.Mo)},
                w.X1, kNoUnit);

    const float r_s = g1sc / g0sc;
    juncture_and_opening_stresses(w, tc, r_s);
    if (r.print == 0)
        return;
    report_juncture_stresses(st, tc, r_s);
    report_opening_stresses(st, tc);
}

}  // namespace tx14
