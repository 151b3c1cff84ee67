// Stresses of the head with a large opening: the opening's flange stresses
// and (E theta)*, the moment MH at the head/shell juncture, the factor X1,
// and the stresses at the juncture and at the opening against their limits.
#include <cmath>

#include "../report/fixed_line.hpp"
#include "../report/formula_block.hpp"
#include "../report/number_fields.hpp"
#include "../report/single_precision.hpp"
#include "../report/squeezed_line.hpp"
#include "opening_calculation.hpp"

namespace tx14 {
namespace {

// The block of an opening flange stress, on a 78-column line: caption,
// symbolic line, filled template and " = value unit"; then a blank line.
// `value` is in display units.
void write_stress_block(Report& r, std::string_view label, std::string_view symbolic, const FormulaTemplate& tmpl,
                        std::initializer_list<float> values, float value, std::string_view unit)
{
    std::array<char, 78> line;  // the block's lines are 78 columns wide
    FixedLine(r, line).text(label).write(style::kCaption);
    FixedLine(r, line).text(symbolic).write();

    write_formula(r, line, tmpl, values, 8);

    // " = ", the value and its unit, squeezed: a unit label of ten
    // characters keeps the text far inside the formula width.
    field::TextBuffer buf;
    SqueezedLine result(line, 8, SqueezedLine::kSqueeze);
    result.text(" = ");
    result.clean_text(field::fixed_text(buf, value, 3));
    result.blanks(1);
    result.text(unit);
    result.finish();
    write_line(r, line);
    write_blank_line(r);
}

}  // namespace

void flange_stresses(const OpeningInput& in, const OpeningLoads& L, const OpeningFactors& f, OpeningPass& p)
{
    const float tc = p.t - in.ca;
    const float g1nc = in.g1n - in.ca;
    const float B = in.Bn + 2.0f * in.ca;
    const float fn = f.nozzle.flange.f;
    const float Lamda = p.s.Lamda;

    p.has_SH = f.integral && g1nc > kNozzleTolerance && Lamda > 0.001f;
    p.has_SR = f.integral && Lamda > 0.0f;
    if (p.has_SH)
        p.SH = std::fabs(L.Mo) * ((fn / B) / ((Lamda * g1nc) * g1nc));
    if (p.has_SR)
        p.SR = std::fabs(L.Mo) * ((p.s.BETA / B) / ((Lamda * tc) * tc));
    const float q = (tc * tc) * B == 0.0f ? 0.0f : f.k.Y / ((tc * tc) * B);
    p.ST = f.integral ? std::fabs(L.Mo) * q - f.k.Z * p.SR : std::fabs(L.Mo) * q;

    if (f.nozzle_hub) {
        const float g0nc = in.g0n - in.ca;
        p.B1 = fn >= 1.0f ? L.Bncor + g0nc : L.Bncor;
        p.E = ((((0.91f * whole_power(g1nc / g0nc, 2)) * p.B1) * f.nozzle.flange.V) * p.SH) / (fn * f.nozzle.hub.h0);
    } else {
        p.E = (L.Bncor / tc) * p.ST;
    }
}

void juncture_stresses(const OpeningInput& in, const OpeningLoads& L, const OpeningFactors& f, OpeningPass& p)
{
    const float tc = p.t - in.ca;
    const float g0sc = in.g0s - in.ca;
    const float g1sc = in.g1s - in.ca;
    const float B1s = (in.A - in.g0s) - in.ca;
    const float E = p.E;
    const float G = L.G;  // Bs
    const float h0s = f.shell.hub.h0;
    const float Fs = f.shell.flange.F, Vs = f.shell.flange.V, fs = f.shell.flange.f;
    const float hub = (Fs * tc) / h0s + 1;
    const float r_s = g1sc / g0sc;

    p.MH = E / ((1.74f * h0s * Vs) / (whole_power(g0sc, 3) * B1s) + (E / L.Mo) * hub);
    p.X1 = (L.Mo - p.MH * hub) / L.Mo;
    p.SHS = ((((p.X1 * E) * 1.1f) * h0s) * fs) / (((r_s * r_s) * G) * Vs);
    p.SRS = ((1.91f * p.MH) * hub) / (G * (tc * tc)) + ((0.64f * Fs) * p.MH) / ((G * h0s) * tc);
    p.STS = ((p.X1 * E) * tc) / G - ((0.57f * hub) * p.MH) / ((G * tc) * tc) +
            (((0.64f * Fs) * f.k.Z) * p.MH) / ((G * h0s) * tc);
    p.SHO = p.X1 * p.SH;
    p.SRO = p.X1 * p.SR;
    const float K = L.K;
    p.Z1 = ((2 * K) * K) / (K * K - 1);
    p.STO = p.X1 * p.ST + (((0.64f * Fs) * p.Z1) * p.MH) / ((G * h0s) * tc);
    p.averages.shell_SH_SR = (p.SHS + p.SRS) * 0.5f;
    p.averages.shell_SH_ST = (p.SHS + p.STS) * 0.5f;
    p.averages.opening_SH_SR = (p.SHO + p.SRO) * 0.5f;
    p.averages.opening_SH_ST = (p.SHO + p.STO) * 0.5f;
}

void write_flange_stresses(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L,
                           const OpeningFactors& f, const OpeningPass& p)
{
    const std::string_view stress = show.u.stress.text();
    const float tc = p.t - in.ca;
    const float g1nc = in.g1n - in.ca;
    const float B = in.Bn + 2.0f * in.ca;
    const float Mo = show.moment_in_formula(L.Mo);

    write_blank_line(r);
    if (p.has_SH) {
        write_text(r, " ");
        write_stress_block(r, "Longitudinal Hub Stress, Operating [SH]:", " = ( F * Mo / B ) / ( Lamda * g1n^2 )",
                           " = ( @4 *@0 / @4 ) / ( @4 *@4^2 )#",
                           {f.nozzle.flange.f, Mo, show.dia(B), p.s.Lamda, show.dia(g1nc)}, show.stress(p.SH), stress);
    }
    if (p.has_SR)
        write_stress_block(r, "Radial Flange Stress, Operating [SR]:", " = ( BETA * Mo / B ) / ( Lamda(t-ca)^2 )",
                           " = ( @4 *@0 / @4 ) / ( @4(@4)^2 ) #", {p.s.BETA, Mo, show.dia(B), p.s.Lamda, show.thk(tc)},
                           show.stress(p.SR), stress);
    if (f.integral)
        write_stress_block(r, "Tangential Flange Stress, Operating [ST]:", " = ( Y * Mo / (t-ca)^2 * B ) - Z * SR* ",
                           " = ( @4 *@0 / @4^2 *@4 ) - @4 *@0 #",
                           {f.k.Y, Mo, show.thk(tc), show.dia(B), f.k.Z, show.stress(p.SR)}, show.stress(p.ST), stress);
    else
        write_stress_block(r, "Tangential Flange Stress, Operating [ST]:", " = ( Y * Mo / (t-ca)^2 * B ) ",
                           " = ( @4 *@0 / (@4)^2 * @4 ) #", {f.k.Y, Mo, show.thk(tc), show.dia(B)}, show.stress(p.ST),
                           stress);

    // \xF8 stands for theta.
    if (f.nozzle_hub) {
        const float g0nc = in.g0n - in.ca;
        const bool viii1 = in.code == 1;
        write_block_head(r, "The Value for E Theta Star ( Integral Nozzle ) [(E\xF8)*]:",
                         viii1 ? " = 0.91(g1n/g0n)\xB2 * B1 * V * Sh/(f*ho)"
                               : " = 0.91(g1n/g0n)\xB2 * (Bn + g0n)Vn*SH/(fn*sqrt(Bn*g0n))");
        write_formula(r,
                      viii1 ? FormulaTemplate(" = 0.91(@3 /@3 )\xB2 * @3 * @3 *@0/(@3 * @3)")
                            : FormulaTemplate(" = 0.91(@3 /@3 )\xB2 * (@3)@3*@1/(@3 * @3)"),
                      {show.thk(g1nc), show.thk(g0nc), show.dia(p.B1), f.nozzle.flange.V, show.stress(p.SH),
                       f.nozzle.flange.f, show.thk(f.nozzle.hub.h0)},
                      1);
        write_block_end(r, show.stress(p.E), stress);
    } else {
        write_blank_line(r);
        write_block(r, "The Value for E Theta Star ( No Nozzle )[(E\xF8)*]:", " = ( Bn / t ) * St* ",
                    " = ( @4 / @4 ) * @2 ", {show.dia(L.Bncor), show.thk(tc), show.stress(p.ST)}, show.stress(p.E),
                    stress);
    }
}

namespace {

// SHO and SRO: one substituted line each, the stress label directly behind
// the result, marked when over the limit.
void write_opening_product(Report& r, const Shown& show, std::string_view label, std::string_view tmpl, float X1,
                           float S, float SO, float limit)
{
    std::array<char, kFormulaWidth> text;  // the template, then the stress unit
    const int end = put(text, put(text, 1, tmpl), show.u.stress.text());
    write_text(r, style::kCaption, label);
    if (over_limit(SO, limit))
        set_line_styles(r, style::kWarning);
    write_formula(r, FormulaTemplate::parse({text.data(), static_cast<std::size_t>(end - 1)}),
                  {X1, show.stress(S), show.stress(SO)}, 1);
    write_blank_line(r);
}

// MH and X1.
void write_juncture_moment(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L,
                           const OpeningFactors& f, const OpeningPass& p)
{
    const float tc = p.t - in.ca;
    const float g0sc = in.g0s - in.ca;
    const float B1s = (in.A - in.g0s) - in.ca;
    const float h0s = f.shell.hub.h0;
    const float Fs = f.shell.flange.F;
    const float Mo = show.moment_in_formula(L.Mo);
    const float MH = show.moment_in_formula(p.MH);

    write_blank_line(r);
    write_block_head(r, "Moment Acting at the Shell to Flat Head Juncture [MH]:",
                     " = (E\xF8)*/[(1.74*ho*V/(g0s^3*B1s))+(E\xF8)*/Mo*(1+Ft/ho)]");
    write_formula(r, " = @0 /[(1.74 *@4 *@4 /(@4^3 *@4 ))+@0 / ",
                  {show.stress(p.E), show.thk(h0s), f.shell.flange.V, show.thk(g0sc), show.dia(B1s), show.stress(p.E)},
                  1);
    write_formula(r, "   @0( 1 + @4 * @4 / @4 )", {Mo, Fs, show.thk(tc), show.thk(h0s)}, 3);
    write_block_end(r, show.moment(p.MH), show.u.moment.text());

    write_blank_line(r);
    write_block(r, "Factor [X1]:", " = ( Mo - MH( 1 + Ft/ho ) ) / Mo ", " = ( @0 - @0( 1 + @4 * @4 / @4 ) ) / @0 ",
                {Mo, MH, Fs, show.thk(tc), show.thk(h0s), Mo}, p.X1, kNoUnit);
}

// SHS, SRS and STS at the head/shell juncture.
void write_shell_stresses(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L,
                          const OpeningFactors& f, const OpeningPass& p)
{
    const std::string_view stress = show.u.stress.text();
    const float tc = p.t - in.ca;
    const float r_s = (in.g1s - in.ca) / (in.g0s - in.ca);
    const float h0s = f.shell.hub.h0;
    const float Fs = f.shell.flange.F;
    const float Sho = in.Sho;
    const float MH = show.moment_in_formula(p.MH);
    const float K2 = L.K * L.K;

    write_blank_line(r);
    write_text(r, style::kTitle, "Stress Results for the Head/Shell Juncture :");
    write_blank_line(r);

    write_block_head(r,
                     "Longitudinal Hub Stress in the Shell [SHS]: ", " = (X1)((E\xF8)*)(1.10*ho*f)/((g1/g0)\xB2*Bs*V)");
    fill_formula(r, " = (@2)(@0)(1.10 *@3 *@3)/((@3)\xB2 *@2)#",
                 {p.X1, show.stress(p.E), show.dia(h0s), f.shell.flange.f, r_s, show.dia(L.G)});
    extend_formula(r, "@3 )", {f.shell.flange.V});
    write_formula_line(r, 1);
    write_block_end(r, show.stress(p.SHS), stress, over_limit(p.SHS, 1.5f * Sho));

    write_block_head(
        r, "Radial Stress at the Outside Diameter [SRS]: ", " = 1.91*MH(1+F*t/ho)/(Bs*t\xB2) + 0.64*F*MH/(Bs*ho*t)");
    write_formula(r, " = 1.91 * @0( 1 + @3 * @3 / @3 )/(@3 * @3\xB2 ) + #",
                  {MH, Fs, show.thk(tc), show.dia(h0s), show.dia(L.G), show.thk(tc)}, 1);
    write_formula(r, "   0.64 *@3*@0/(@3 *@3 *@3 )", {Fs, MH, show.dia(L.G), show.dia(h0s), show.thk(tc)}, 8);
    write_block_end(r, show.stress(p.SRS), stress, over_limit(p.SRS, Sho));

    write_block_head(r, "Tangential Stress at the Outside Diameter [STS]: ",
                     " = X1*(E\xF8)*t/Bs - 0.57(1+F*t/ho)MH/(Bs*t\xB2) + 0.64*F*Z*MH/(Bs*ho*t)");
    write_formula(r, " = @3 *@3* @3 / @3 - #", {p.X1, show.stress(p.E), show.thk(tc), show.dia(L.G)}, 1);
    write_formula(r, "   0.57( 1 + @3 * @3 / @3)@0 /( @3 * @4\xB2 ) + #",
                  {Fs, show.thk(tc), show.dia(h0s), MH, show.dia(L.G), show.thk(tc)}, 3);
    write_formula(r, "   0.64 * @3 * @3 * @0 /( @3 * @3 * @3 )",
                  {Fs, f.k.Z, MH, show.dia(L.G), show.dia(h0s), show.thk(tc)}, 3);
    write_block_end(r, show.stress(p.STS), stress, over_limit(p.STS, Sho));
    write_formula(r, "where Z = (K\xB2+1)/(K\xB2-1) = (@3+1)/(@3-1) = @3", {K2, K2, f.k.Z}, 1);
    write_blank_line(r);
}

// SHO, SRO and STO at the opening.
void write_opening_stresses(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L,
                            const OpeningFactors& f, const OpeningPass& p)
{
    const float tc = p.t - in.ca;
    const float h0s = f.shell.hub.h0;
    const float Fs = f.shell.flange.F;
    const float Sho = in.Sho;
    const float MH = show.moment_in_formula(p.MH);
    const float K2 = L.K * L.K;

    write_text(r, style::kTitle, "Stress Results for the Opening Head Juncture :");
    write_blank_line(r);

    write_opening_product(r, show, "Longitudinal Hub Stress in Central Opening [SHO]:", " = X1 * SH = ( @3 * @3 ) = @3",
                          p.X1, p.SH, p.SHO, 1.5f * Sho);
    write_opening_product(r, show, "Radial Stress at Central Opening [SRO]:", " = X1 * SR = ( @3 * @3 ) = @3", p.X1,
                          p.SR, p.SRO, Sho);

    write_block_head(r, "Tangential Stress at Diameter of Central Opening [Sto]:", " = X1*ST + 0.64*F*Z1*MH/(Bs*ho*t)");
    write_formula(r, " = @3 * @3  + ", {p.X1, show.stress(p.ST)}, 1);
    write_formula(r, "   0.64 * @4 * @3 * @0 / ( @3 * @3 * @3 )",
                  {Fs, p.Z1, MH, show.dia(L.G), show.dia(h0s), show.thk(tc)}, 3);
    write_block_end(r, show.stress(p.STO), show.u.stress.text(), over_limit(p.STO, Sho));
    write_formula(r, "where Z1 = 2*K\xB2/(K\xB2-1) = (2*@3)/(@3 - 1) = @3", {K2, K2, p.Z1}, 1);
    write_blank_line(r);
}

}  // namespace

void write_juncture_stresses(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L,
                             const OpeningFactors& f, const OpeningPass& p)
{
    write_juncture_moment(r, show, in, L, f, p);
    write_shell_stresses(r, show, in, L, f, p);
    write_opening_stresses(r, show, in, L, f, p);
}

}  // namespace tx14
