// The limpet coil path of JACKETCALC per PD 5500 3.11.4 (code selector 3)
// and EN 13445-3 8.5.3 (4): coil and cylinder thicknesses, and the maximum
// coil pressures on the coil side and the cylinder side.
#include <algorithm>
#include <cmath>

#include "../common/units.hpp"
#include "../report/formula_block.hpp"
#include "../report/rendering.hpp"
#include "../report/report.hpp"
#include "../report/single_precision.hpp"
#include "jacket_calc.hpp"

namespace tx14 {
namespace {

constexpr float z = 1.0f;  // weld joint coefficient of EN 13445, taken as 1

// Blank line, then the block; every coil caption is a result caption.
void coil_block(Report& r, std::string_view label, std::string_view symbolic, const FormulaTemplate& tmpl,
                std::initializer_list<float> values, int keep)
{
    write_blank_line(r);
    write_block(r, style::kResultCaption, label, symbolic, tmpl, values, keep);
}

// The coil's radii and the values its report shows.
struct CoilValues {
    float ri = 0;          // inside radius of the coil
    float rc = 0;          // mean radius (PD 5500: outside radius) of the coil
    float l = 0;           // span of the coil on the cylinder: the a of EN 13445
    float e = 0;           // minimum coil thickness
    float Tr = 0;          // minimum cylinder thickness
    float ecor = 0;        // corroded coil thickness
    float Di = 0;          // EN 13445: inside diameter of the coil, corroded
    float pMaxC1 = 0;      // maximum coil pressure, coil side
    float pMaxC2 = 0;      // maximum coil pressure, cylinder side
    float e_pressure = 0;  // cylinder thickness for its own internal pressure
};

// The cylinder under its internal pressure P, which the coil rules leave
// out: PD 5500 3.5.1.2 e = p Di / (2f - p); EN 13445-3 7.4.2
// e = P Di / (2 f z - P) with z = E for a joint efficiency in (0, 1] and 1
// otherwise. Di is the corroded inside diameter.
float cylinder_thickness_for_pressure(const JacketInput& in)
{
    const float Di = in.D + 2.0f * in.ca;
    if (in.code == 3)
        return in.P * Di / (2.0f * in.S - in.P);
    const float zc = in.E > 0.0f && in.E <= 1.0f ? in.E : 1.0f;
    return in.P * Di / (2.0f * in.S * zc - in.P);
}

// Argument names as the codes write them: pc = Pj, ec = Tj, fc = Sj (the
// coil), f = S and e = ts (the cylinder), ExtCA = co.
CoilValues coil_values(const JacketInput& in, pipes::PipeSize pipe)
{
    CoilValues v;
    const bool pd5500 = in.code == 3;
    const float pc = in.Pj;
    const float ec = in.Tj;
    v.ri = in.r > kFormedRadius ? in.r : pipe.OD * 0.5f - ec + in.caj;
    v.rc = pd5500 ? v.ri + ec : v.ri + ec * 0.5f;
    v.l = v.rc + v.rc;
    if (pd5500)
        v.e = pc * v.rc / (0.75f * in.Sj) + in.caj;
    else
        v.e = (pc * 2.0f) * v.rc / (2.0f * in.Sj - pc) + in.caj;
    v.Tr = (v.rc + v.rc) * std::sqrt(pc / (3.0f * in.S)) + in.co + in.ca;
    v.ecor = ec - in.caj;
    if (pd5500) {
        v.pMaxC1 = v.ecor * 0.75f * in.Sj / v.rc;
    } else {
        v.Di = 2.0f * (v.ri + in.caj);
        v.pMaxC1 = (2.0f * in.Sj) * v.ecor / (v.Di + v.ecor);
    }
    v.pMaxC2 = 3.0f * in.S * whole_power((in.ts - in.co - in.ca) / v.l, 2);
    v.e_pressure = cylinder_thickness_for_pressure(in);
    return v;
}

void write_coil(Report& r, const Shown& show, const JacketInput& in, const CoilValues& v)
{
    const bool pd5500 = in.code == 3;
    const float pc = in.Pj;
    const float ec = in.Tj;
    const std::string_view thk = show.u.thickness.text();
    const std::string_view prs = show.u.pressure.text();

    if (pd5500)
        coil_block(r, "Minimum Coil thickness due to Limpet coil pressure, 8.5.3-23 [e]:",
                   " = pc * rc / ( 0.75 * fc ) + caj", " = @3 * @3 / ( 0.75 * @3 ) + @3",
                   {show.stress(pc), show.dia(v.rc), show.stress(in.Sj), show.thk(in.caj)}, 3);
    else
        coil_block(r, "Minimum Coil thickness due to Limpet coil pressure [e]:",
                   " = pc * D / ( 2 * f * z - pc ) + caj     EN-13445 Equation: 7.4.2:",
                   " = @2 * @2 / ( 2 * @3 * @3 - @3) + @3",
                   {show.pressure(pc), show.dia(v.rc + v.rc), show.stress(in.Sj), z, show.stress(pc), show.thk(in.caj)},
                   3);
    RESULTLINE(r, show.thk(v.e), 3, thk);

    coil_block(r,
               pd5500 ? "Minimum Cylinder thickness due to Limpet coil pressure, 3.11.3-7 [ec]:"
                      : "Minimum Cylinder thickness due to Limpet coil pressure, 8.5.3-23 [e]:",
               pd5500 ? " = l * sqrt( pc/(3f) ) + ca + ExtCA" : " = a * sqrt( pc/(3f) ) + ca + ExtCA",
               " = @3 * sqrt( @3/(3 * @3 ) ) + @3 + @3",
               {show.dia(v.l), show.pressure(pc), show.stress(in.S), show.thk(in.ca), show.thk(in.co)}, 1);
    RESULTLINE(r, show.thk(v.Tr), 3, thk);

    if (pd5500)
        coil_block(r, "Maximum Pressure in Coil, Coil Side [pMaxC1]:", " = ( ec - caj )0.75 * fc / rc",
                   " = (@3 - @3)0.75 * @3 / @3", {show.thk(ec), show.thk(in.caj), show.stress(in.Sj), show.dia(v.rc)},
                   1);
    else
        coil_block(r, "Maximum Pressure in Coil, Coil Side [pMaxC1]:", " = ( 2 * f * ecor * z ) / (Di + ecor)",
                   " = ( 2 * @2 * @3 * @1 ) / (@2 + @4)",
                   {show.stress(in.Sj), show.thk(v.ecor), z, show.dia(v.Di), show.thk(v.ecor)}, 1);
    RESULTLINE(r, show.pressure(v.pMaxC1), 3, prs);

    coil_block(r, "Maximum Pressure in Coil, Cylinder Side [pMaxC2]:", " = 3f( (e - c - ExtCA)/l )^(2)",
               " = 3*@3( (@3 - @3 - @3)/@3 )^(2)",
               {show.stress(in.S), show.thk(in.ts), show.thk(in.ca), show.thk(in.co), show.dia(v.l)}, 1);
    write_result(r, show.pressure(v.pMaxC2), prs);
}

}  // namespace

void limpet_coil(Report& r, const UnitRecord& units, const JacketInput& in, JacketResults& out, pipes::PipeSize pipe)
{
    const CoilValues v = coil_values(in, pipe);
    out.Tr = v.Tr;
    out.e_coil = v.e;
    out.pMaxC1 = v.pMaxC1;
    out.pMaxC2 = v.pMaxC2;
    out.Pprime_ts = std::min(v.pMaxC1, v.pMaxC2);
    out.e_pressure = v.e_pressure;  // a check of the results, not of the report
    write_coil(r, Shown(units), in, v);
}

}  // namespace tx14
