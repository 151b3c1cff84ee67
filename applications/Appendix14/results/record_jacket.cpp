// The results record of a half-pipe jacket or a limpet coil: the values
// the report prints, the code's acceptance criteria, the limits of each
// method's validity, and the notes.
#include "../jacket/chart_tables.hpp"
#include "../jacket/pipe_schedules.hpp"
#include "record_items.hpp"

namespace tx14 {
namespace {

using Q = Quantity;

// The Appendix EE charts (and the VIII-2 rating factor, in t) are drawn
// for these shell diameters and net shell thicknesses, in inches; outside
// them the factor is held at the edge.
constexpr float kChartDiameterMin = charts::kDiameterMin, kChartDiameterMax = charts::kDiameterMax;
constexpr float kChartThicknessMin = charts::kThicknessMin, kChartThicknessMax = charts::kThicknessMax;
constexpr float kThinWall = 0.385f;  // the thin-wall formulas hold up to 0.385 S E

// Where the code states each criterion, as the report names it: its
// captions and the title of its results. The cylinder's own check under P
// is the code's cylinder formula, which the coil report does not print.
struct HalfPipeReferences {
    const char* Tr;
    const char* Pprime;
    const char* T;
};
constexpr HalfPipeReferences kAppendixEEReferences = {"UG-27, Eq. (1)", "App. EE-1, Eq. (1)", "App. EE-1, Eq. (2)"};
constexpr HalfPipeReferences kDiv2References = {"4.3.3.1", "4.11.6.4, Eq. 4.11.3", "4.11.6.3, Eq. 4.11.2"};

struct CoilReferences {
    const char* e_coil;
    const char* e_cylinder;
    const char* pMax;
    const char* cylinder;
};
constexpr CoilReferences kPD5500References = {"3.11.4", "3.11.3-7", "3.11.4", "3.5.1.2"};
constexpr CoilReferences kEN13445References = {"7.4.2", "8.5.3-23", "8.5.3.5", "7.4.2"};

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

// A jacket or coil whose design pressure is below 0 holds a vacuum: the
// half-pipe or coil is then under external pressure, which these rules do
// not check (their pressure checks would pass on any negative pressure).
void reason_if_jacket_under_vacuum(ResultsRecord& rec, float Pj)
{
    if (Pj < 0.0f)
        rec.reason("jacket_external_pressure",
                   "The design jacket pressure {0p} is below 0: a jacket or coil under external pressure is "
                   "outside these rules; its buckling check is a calculation of its own.",
                   {Pj});
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
    reason_if_jacket_under_vacuum(rec, out.design.Pj);
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
                 {in.Tj, out.T_input, out.Tj})
            .words[0] = pipes::schedule_word(out.schedule);
}

void record_half_pipe(ResultsRecord& rec, const JacketInput& in, const JacketResults& out)
{
    const bool div2 = in.code == 2;
    const ValueRow values[] = {
        {"Pj", "jacket design pressure as given", Q::pressure, in.Pj},
        {"Pj_design", "pressure used for jacket design, Pj + ExtPCore", Q::pressure, out.design.Pj},
        {"ts", "input shell thickness", Q::thickness, in.ts},
        {"Tr", "required shell thickness for internal pressure", Q::thickness, out.Tr},
        {"Trj", "required shell thickness for jacket pressure", Q::thickness, out.Trj},
        {"ts_net", "corroded input shell thickness", Q::thickness, out.ts_net},
        {div2 ? "Kp" : "K", div2 ? "half-pipe jacket rating factor" : "K factor from the chart", Q::dimensionless,
         out.K},
        {"Sstar", "longitudinal stress in the shell due to internal pressure", Q::stress, out.Sstar},
        {div2 ? "Fp" : nullptr, "allowable jacket bending stress", Q::stress, out.Fp},
        {"Pprime_ts", "M.A.W.P. of the jacket for the input shell thickness", Q::pressure, out.Pprime_ts},
        {"Pprime_Trj", "M.A.W.P. of the jacket for the required shell thickness", Q::pressure, out.Pprime_Trj},
        {"Tj_input", "input thickness of the half-pipe jacket", Q::thickness, in.Tj},
        {"T_input", "required jacket thickness for the input thickness", Q::thickness, out.T_input},
        {"Tj", "accepted thickness of the half-pipe jacket", Q::thickness, out.Tj},
        {"T", "required thickness of the half-pipe jacket", Q::thickness, out.T},
        {"Fillet", "minimum fillet weld size", Q::thickness, out.Fillet},
    };
    record_values(rec, values);

    // The report warns by the same rules; Trj is the least thickness at
    // which the jacket pressure equation carries Pj + ExtPCore.
    const HalfPipeReferences& ref = div2 ? kDiv2References : kAppendixEEReferences;
    const CheckRow checks[] = {
        {"Tr", "Tr against the input shell thickness ts", Q::thickness, out.Tr, "<=", in.ts, ref.Tr, true,
         Tr_exceeds_ts(out, in)},
        {"Trj", "Trj against the input shell thickness ts", Q::thickness, out.Trj, "<=", in.ts, ref.Pprime, true,
         Trj_exceeds_ts(out, in)},
        {"Pprime_ts", "P' at ts against the design jacket pressure", Q::pressure, out.Pprime_ts, ">=", out.design.Pj,
         ref.Pprime},
        {"T", "required jacket thickness T against the input Tj", Q::thickness, out.T_input, "<=", in.Tj, ref.T, true,
         T_exceeds_Tj(out.T_input, in)},
    };
    record_checks(rec, checks);

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
    const ValueRow values[] = {
        {"pc", "coil design pressure", Q::pressure, in.Pj},
        {"ec", "coil thickness", Q::thickness, in.Tj},
        {"e", "cylinder thickness", Q::thickness, in.ts},
        {"e_coil", "minimum coil thickness", Q::thickness, out.e_coil},
        {"e_cylinder", "minimum cylinder thickness", Q::thickness, out.Tr},
        {"pMaxC1", "maximum pressure in the coil, coil side", Q::pressure, out.pMaxC1},
        {"pMaxC2", "maximum pressure in the coil, cylinder side", Q::pressure, out.pMaxC2},
        {"pMax", "maximum coil pressure", Q::pressure, out.Pprime_ts},
        {"e_pressure", "cylinder thickness required for its internal pressure P", Q::thickness, out.e_pressure,
         in.P > 0.0f},
    };
    record_values(rec, values);

    const CoilReferences& ref = in.code == 3 ? kPD5500References : kEN13445References;
    const CheckRow checks[] = {
        {"e_coil", "minimum coil thickness against the coil thickness", Q::thickness, out.e_coil, "<=", in.Tj,
         ref.e_coil},
        {"e_cylinder", "minimum cylinder thickness against the cylinder thickness", Q::thickness, out.Tr, "<=", in.ts,
         ref.e_cylinder},
        {"pMaxC1", "pMaxC1 against the coil design pressure", Q::pressure, out.pMaxC1, ">=", in.Pj, ref.pMax},
        {"pMaxC2", "pMaxC2 against the coil design pressure", Q::pressure, out.pMaxC2, ">=", in.Pj, ref.pMax},
        {"cylinder_pressure", "cylinder thickness for internal pressure against the net thickness e - ca - co",
         Q::thickness, out.e_pressure, "<=", e_net, ref.cylinder, in.P > 0.0f},
    };
    record_checks(rec, checks);
    reason_if_jacket_under_vacuum(rec, in.Pj);
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
