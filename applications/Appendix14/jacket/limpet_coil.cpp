// The limpet coil path of JACKETCALC per PD 5500 3.11.4 (code selector 3)
// and EN 13445-3 8.5.3 (4): coil and cylinder thicknesses, and the maximum
// coil pressures on the coil side and the cylinder side.
#include <algorithm>
#include <cmath>

#include "../entry/state.hpp"
#include "../report/formula_block.hpp"
#include "../report/rendering.hpp"
#include "../report/single_precision.hpp"
#include "jacket_calc.hpp"

namespace tx14 {
namespace {

constexpr float z = 1.0f;  // weld joint coefficient of EN 13445, taken as 1

// Blank line, then the block; every coil caption is a result caption.
void coil_block(Report& r, std::string_view label, std::string_view symbolic,
                std::string_view tmpl, std::initializer_list<float> values, int keep)
{
    write_blank_line(r);
    write_block(r, style::kResultCaption, label, symbolic, tmpl, values, keep);
}

}  // namespace

// Argument names as the codes write them: pc = Pj, ec = Tj, fc = Sj (the
// coil), f = S and e = ts (the cylinder), ExtCA = co.
void limpet_coil(State& st, JacketInput& in, JacketResults& out, pipes::PipeSize pipe)
{
    Report& r = st.report;
    const JacketUnits u(st.units);
    const bool pd5500 = in.code == 3;
    const float pc = in.Pj;
    out.pc = pc;
    const float ec = in.Tj;

    const float ri = in.r > 0.01f ? in.r : pipe.OD * 0.5f - ec + in.caj;
    const float rc = pd5500 ? ri + ec : ri + ec * 0.5f;
    const float l = rc + rc;  // the span a of EN 13445

    if (pd5500) {
        float e = pc * rc / (0.75f * in.Sj) + in.caj;
        out.e_coil = e;
        coil_block(r, "Minimum Coil thickness due to Limpet coil pressure, 8.5.3-23 [e]:",
                   " = pc * rc / ( 0.75 * fc ) + caj", " = @3 * @3 / ( 0.75 * @3 ) + @3",
                   {pc * u.str, rc * u.dia, in.Sj * u.str, in.caj * u.thk}, 3);
        RESULTLINE(r, e * u.thk, 3, u.thk_label);
    } else {
        float e = (pc * 2.0f) * rc / (2.0f * in.Sj - pc) + in.caj;
        out.e_coil = e;
        coil_block(r, "Minimum Coil thickness due to Limpet coil pressure [e]:",
                   " = pc * D / ( 2 * f * z - pc ) + caj     EN-13445 Equation: 7.4.2:",
                   " = @2 * @2 / ( 2 * @3 * @3 - @3) + @3",
                   {pc * u.prs, (rc + rc) * u.dia, in.Sj * u.str, z, pc * u.str,
                    in.caj * u.thk},
                   3);
        RESULTLINE(r, e * u.thk, 3, u.thk_label);
    }

    out.Trj = 0.0f;
    out.Tr = (rc + rc) * std::sqrt(pc / (3.0f * in.S)) + in.co + in.ca;
    coil_block(r,
               pd5500 ? "Minimum Cylinder thickness due to Limpet coil pressure, 3.11.3-7 [ec]:"
                      : "Minimum Cylinder thickness due to Limpet coil pressure, 8.5.3-23 [e]:",
               pd5500 ? " = l * sqrt( pc/(3f) ) + ca + ExtCA"
                      : " = a * sqrt( pc/(3f) ) + ca + ExtCA",
               " = @3 * sqrt( @3/(3 * @3 ) ) + @3 + @3",
               {l * u.dia, pc * u.prs, in.S * u.str, in.ca * u.thk, in.co * u.thk}, 1);
    RESULTLINE(r, out.Tr * u.thk, 3, u.thk_label);

    const float ecor = ec - in.caj;
    float pMaxC1;
    if (pd5500) {
        pMaxC1 = ecor * 0.75f * in.Sj / rc;
        coil_block(r, "Maximum Pressure in Coil, Coil Side [pMaxC1]:",
                   " = ( ec - caj )0.75 * fc / rc", " = (@3 - @3)0.75 * @3 / @3",
                   {ec * u.thk, in.caj * u.thk, in.Sj * u.str, rc * u.dia}, 1);
    } else {
        const float Di = 2.0f * (ri + in.caj);
        pMaxC1 = (2.0f * in.Sj) * ecor / (Di + ecor);
        coil_block(r, "Maximum Pressure in Coil, Coil Side [pMaxC1]:",
                   " = ( 2 * f * ecor * z ) / (Di + ecor)", " = ( 2 * @2 * @3 * @1 ) / (@2 + @4)",
                   {in.Sj * u.str, ecor * u.thk, z, Di * u.dia, ecor * u.thk}, 1);
    }
    in.Pj = pMaxC1;
    RESULTLINE(r, pMaxC1 * u.prs, 3, u.prs_label);

    const float pMaxC2 = 3.0f * in.S * whole_power((in.ts - in.co - in.ca) / l, 2);
    coil_block(r, "Maximum Pressure in Coil, Cylinder Side [pMaxC2]:",
               " = 3f( (e - c - ExtCA)/l )^(2)", " = 3*@3( (@3 - @3 - @3)/@3 )^(2)",
               {in.S * u.str, in.ts * u.thk, in.ca * u.thk, in.co * u.thk, l * u.dia}, 1);
    write_result(r, pMaxC2 * u.prs, u.prs_label);

    out.Pprime_ts = std::min(pMaxC1, pMaxC2);
    out.pMaxC1 = pMaxC1, out.pMaxC2 = pMaxC2;
}

}  // namespace tx14
