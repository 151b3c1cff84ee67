// The results record of a half-pipe jacket or a limpet coil: the values
// the report prints, the code's acceptance criteria, the limits of each
// method's validity, and the notes.
#include "../jacket/pipe_schedules.hpp"
#include "record_items.hpp"

namespace tx14 {
namespace {

using Q = Quantity;

// The Appendix EE charts (and the VIII-2 rating factor, in t) are drawn
// for these shell diameters and net shell thicknesses, in inches; outside
// them the factor is held at the edge.
constexpr float kChartDiameterMin = 30.0f, kChartDiameterMax = 170.0f;
constexpr float kChartThicknessMin = 0.1875f, kChartThicknessMax = 2.0f;
constexpr float kThinWall = 0.385f;  // the thin-wall formulas hold up to 0.385 S E

bool outside(float x, float lo, float hi) { return !(x >= lo && x <= hi); }

// Where the chart read at the input lies outside the charts, the method
// does not apply: the factor would be held at the chart's edge.
void reasons_of_charts(ResultsRecord& rec, const JacketInput& in, float ts_net)
{
    if (in.code == 1 && outside(in.D, kChartDiameterMin, kChartDiameterMax))
        rec.reason("chart_diameter",
                   "D = {0d} is outside the Appendix EE charts' shell diameters ({1d} to {2d}): the K factor "
                   "would be held at the chart's edge, so Appendix EE does not apply.",
                   {in.D, kChartDiameterMin, kChartDiameterMax});
    if (outside(ts_net, kChartThicknessMin, kChartThicknessMax))
        rec.reason("chart_thickness",
                   in.code == 2 ? "The net shell thickness ts - ca - co = {0t} is outside the range of the rating "
                                  "factor Kp ({1t} to {2t}): Kp would be held at the range's edge, so 4.11.6 does "
                                  "not apply."
                                : "The net shell thickness ts - ca - co = {0t} is outside the Appendix EE charts' "
                                  "shell thicknesses ({1t} to {2t}): the K factor would be held at the chart's "
                                  "edge, so Appendix EE does not apply.",
                   {ts_net, kChartThicknessMin, kChartThicknessMax});
}

void reasons_of_half_pipe(ResultsRecord& rec, const JacketInput& in, const JacketResults& out)
{
    reasons_of_charts(rec, in, out.ts_net);
    if (in.P < 0.0f)
        rec.reason("external_pressure",
                   "P = {0p}: a shell under external pressure is outside these rules. P = 0 gives the jacket "
                   "check of a shell under vacuum; the shell's external-pressure check is a calculation of its "
                   "own.",
                   {in.P});
    if (in.code != 1)
        return;
    if (in.P > kThinWall * in.S * in.E)
        rec.reason("thin_wall_shell",
                   "P = {0p} is above 0.385 S E = {1p}, where the thin-wall formula for Tr (UG-27) ends.",
                   {in.P, kThinWall * in.S * in.E});
    if (out.design.Pj > kThinWall * in.Sj)
        rec.reason("thin_wall_jacket",
                   "The design jacket pressure Pj + ExtPCore = {0p} is above 0.385 Sj = {1p}, where the "
                   "thin-wall formula for the jacket thickness T (App. EE, Eq. (2)) ends.",
                   {out.design.Pj, kThinWall * in.Sj});
}

void notes_of_half_pipe(ResultsRecord& rec, const JacketInput& in, const JacketResults& out)
{
    if (out.K_from_chart || out.Trj_from_chart)
        rec.note("kp_from_chart",
                 "Where the VIII-2 polynomial for Kp departs by more than 15 % from the Appendix EE chart it "
                 "was fitted to, the chart's factor was used.");
    const float Trj_net = out.Trj - in.ca - in.co;
    if (out.Trj_exhausted)
        rec.note("no_shell_thickness",
                 "The search for Trj found no shell thickness up to {0t} that carries the jacket pressure.", {out.Trj});
    else if (Trj_net < kChartThicknessMin)
        rec.note("Trj_below_charts",
                 "Trj was found at a net shell thickness Trj - ca - co = {0t}, below the charts' {1t}: the "
                 "factor there is the one at the chart's edge.",
                 {Trj_net, kChartThicknessMin});
    if (out.schedule > 0)
        rec.note("schedule",
                 "The input jacket thickness Tj = {0t} is less than the required T = {1t}: the report goes on "
                 "with pipe schedule {w} (Tj = {2t} after the mill tolerance).",
                 {out.Tj_input, out.T_input, out.Tj})
            .words[0] = pipes::schedule_word(out.schedule);
}

void record_half_pipe(ResultsRecord& rec, const JacketInput& in, const JacketResults& out)
{
    const bool div2 = in.code == 2;
    rec.add("Pj", "jacket design pressure as given", Q::pressure, in.Pj);
    rec.add("Pj_design", "pressure used for jacket design, Pj + ExtPCore", Q::pressure, out.design.Pj);
    rec.add("ts", "input shell thickness", Q::thickness, in.ts);
    rec.add("Tr", "required shell thickness for internal pressure", Q::thickness, out.Tr);
    rec.add("Trj", "required shell thickness for jacket pressure", Q::thickness, out.Trj);
    rec.add("ts_net", "corroded input shell thickness", Q::thickness, out.ts_net);
    rec.add(div2 ? "Kp" : "K", div2 ? "half-pipe jacket rating factor" : "K factor from the chart", Q::dimensionless,
            out.K);
    rec.add("Sstar", "longitudinal stress in the shell due to internal pressure", Q::stress, out.Sstar);
    if (div2)
        rec.add("Fp", "allowable jacket bending stress", Q::stress, out.Fp);
    rec.add("Pprime_ts", "M.A.W.P. of the jacket for the input shell thickness", Q::pressure, out.Pprime_ts);
    rec.add("Pprime_Trj", "M.A.W.P. of the jacket for the required shell thickness", Q::pressure, out.Pprime_Trj);
    rec.add("Tj_input", "input thickness of the half-pipe jacket", Q::thickness, out.Tj_input);
    rec.add("T_input", "required jacket thickness for the input thickness", Q::thickness, out.T_input);
    rec.add("Tj", "accepted thickness of the half-pipe jacket", Q::thickness, out.Tj);
    rec.add("T", "required thickness of the half-pipe jacket", Q::thickness, out.T);
    rec.add("Fillet", "minimum fillet weld size", Q::thickness, out.Fillet);

    // The report warns by the same rules.
    rec.check_by(Tr_exceeds_ts(out, in), "Tr", "Tr against the input shell thickness ts", Q::thickness, out.Tr,
                 "<=", in.ts);
    rec.check_by(Trj_exceeds_ts(out, in), "Trj", "Trj against the input shell thickness ts", Q::thickness, out.Trj,
                 "<=", in.ts);
    rec.check_by(Pprime_below_Pj(out), "Pprime_ts", "P' at ts against the design jacket pressure", Q::pressure,
                 out.Pprime_ts, ">=", out.design.Pj);
    rec.check_by(T_exceeds_Tj(out.T_input, in), "T", "required jacket thickness T against the input Tj", Q::thickness,
                 out.T_input, "<=", out.Tj_input);

    reasons_of_half_pipe(rec, in, out);
    notes_of_half_pipe(rec, in, out);
}

void notes_of_coil(ResultsRecord& rec, const JacketInput& in)
{
    if (!(in.P > 0.0f))
        rec.note("cylinder_not_under_pressure",
                 "P = {0p}: the cylinder's internal-pressure check does not apply; external pressure is not "
                 "checked here.",
                 {in.P});
    if (in.code != 4)
        return;
    if (in.E > 0.0f && in.E <= 1.0f)
        rec.note("joint_efficiency",
                 "The coil equations take the weld joint coefficient z = 1; the cylinder's internal-pressure "
                 "check takes z = E = {0}.",
                 {in.E});
    else
        rec.note("joint_efficiency",
                 "No joint efficiency E in (0, 1] was given: the weld joint coefficient z is taken as 1.");
}

void record_coil(ResultsRecord& rec, const JacketInput& in, const JacketResults& out)
{
    const float e_net = in.ts - in.ca - in.co;
    rec.add("pc", "coil design pressure", Q::pressure, in.Pj);
    rec.add("ec", "coil thickness", Q::thickness, in.Tj);
    rec.add("e", "cylinder thickness", Q::thickness, in.ts);
    rec.add("e_coil", "minimum coil thickness", Q::thickness, out.e_coil);
    rec.add("e_cylinder", "minimum cylinder thickness", Q::thickness, out.Tr);
    rec.add("pMaxC1", "maximum pressure in the coil, coil side", Q::pressure, out.pMaxC1);
    rec.add("pMaxC2", "maximum pressure in the coil, cylinder side", Q::pressure, out.pMaxC2);
    rec.add("pMax", "maximum coil pressure", Q::pressure, out.Pprime_ts);
    rec.add("e_pressure", "cylinder thickness required for its internal pressure P", Q::thickness, out.e_pressure,
            in.P > 0.0f);

    rec.check("e_coil", "minimum coil thickness against the coil thickness", Q::thickness, out.e_coil, "<=", in.Tj);
    rec.check("e_cylinder", "minimum cylinder thickness against the cylinder thickness", Q::thickness, out.Tr,
              "<=", in.ts);
    rec.check("pMaxC1", "pMaxC1 against the coil design pressure", Q::pressure, out.pMaxC1, ">=", in.Pj);
    rec.check("pMaxC2", "pMaxC2 against the coil design pressure", Q::pressure, out.pMaxC2, ">=", in.Pj);
    rec.check("cylinder_pressure", "cylinder thickness for internal pressure against the net thickness e - ca - co",
              Q::thickness, out.e_pressure, "<=", e_net, in.P > 0.0f);
    notes_of_coil(rec, in);
}

}  // namespace

void record_jacket_results(ResultsRecord& rec, const UnitRecord& units, const JacketInput& in, const JacketResults& out)
{
    rec.set_units(units);
    // Pj carries ExtPCore for a jacket already.
    rec.inputs_used({{"D", in.D},
                     {"ts", in.ts},
                     {"P", in.P},
                     {"S", in.S},
                     {"ca", in.ca},
                     {"E", in.E},
                     {"NPS", out.design.NPS},
                     {"Tj", in.Tj},
                     {"Pj", in.Pj},
                     {"ExtPCore", in.code < 3 ? in.ExtPCore : 0.0f},
                     {"Sj", in.Sj},
                     {"caj", in.caj},
                     {"r", in.r},
                     {"co", in.co}});
    if (in.code >= 3)
        record_coil(rec, in, out);
    else
        record_half_pipe(rec, in, out);
    rec.finish();
}

}  // namespace tx14
