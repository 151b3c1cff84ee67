// The results record of a half-pipe jacket or a limpet coil: the values the
// report prints and the comparisons it makes or implies.
#include "../jacket/pipe_schedules.hpp"
#include "record_items.hpp"

namespace tx14 {
namespace {

using Q = Quantity;

// The jacket thickness check names the schedule the run went on with.
constexpr const char* kThinJacket[pipes::kSchedules + 1] = {
    "jacket thickness Tj against the required thickness",
    "jacket thickness Tj (schedule 5S would pass)",
    "jacket thickness Tj (schedule 10S would pass)",
    "jacket thickness Tj (schedule 10 would pass)",
    "jacket thickness Tj (schedule 20 would pass)",
    "jacket thickness Tj (schedule 30 would pass)",
    "jacket thickness Tj (schedule 40 would pass)",
    "jacket thickness Tj (schedule 40S would pass)",
    "jacket thickness Tj (schedule 80 would pass)",
    "jacket thickness Tj (schedule 80S would pass)",
    "jacket thickness Tj (schedule 80XS would pass)",
    "jacket thickness Tj (schedule 100 would pass)",
    "jacket thickness Tj (schedule 120 would pass)",
    "jacket thickness Tj (schedule 140 would pass)",
    "jacket thickness Tj (schedule 160 would pass)",
    "jacket thickness Tj (schedule XXS would pass)",
};

void record_half_pipe(ResultsRecord& rec, const JacketInput& in, const JacketResults& out)
{
    const bool div2 = in.code == 2;
    rec.add("Pj", "pressure used for jacket design", Q::pressure, in.Pj);
    rec.add("ts", "input shell thickness", Q::thickness, in.ts);
    rec.add("Tr", "required shell thickness for internal pressure", Q::thickness, out.Tr);
    rec.add("Trj", "required shell thickness for jacket pressure", Q::thickness, out.Trj);
    rec.add("ts_net", "corroded input shell thickness", Q::thickness, out.ts_net);
    rec.add(div2 ? "Kp" : "K", div2 ? "half-pipe jacket rating factor" : "K factor from the chart",
            Q::dimensionless, out.K);
    rec.add("Sstar", "longitudinal stress in the shell due to internal pressure", Q::stress,
            out.Sstar);
    if (div2)
        rec.add("Fp", "allowable jacket bending stress", Q::stress, out.Fp);
    rec.add("Pprime_ts", "M.A.W.P. of the jacket for the input shell thickness", Q::pressure,
            out.Pprime_ts);
    rec.add("Pprime_Trj", "M.A.W.P. of the jacket for the required shell thickness", Q::pressure,
            out.Pprime_Trj);
    rec.add("Tj_input", "input thickness of the half-pipe jacket", Q::thickness, out.Tj_input);
    rec.add("T_input", "required jacket thickness for the input thickness", Q::thickness,
            out.T_input);
    rec.add("Tj", "accepted thickness of the half-pipe jacket", Q::thickness, out.Tj);
    rec.add("T", "required thickness of the half-pipe jacket", Q::thickness, out.T);
    rec.add("Fillet", "minimum fillet weld size", Q::thickness, out.Fillet);

    rec.check("Tr", "Tr against the input shell thickness ts", Q::thickness, out.Tr, "<=", in.ts);
    rec.check("Trj", "Trj against the input shell thickness ts", Q::thickness, out.Trj, "<=",
              in.ts + 0.0001f);
    rec.check("Trj_search", "P' at Trj against Pj (a shell thickness found)", Q::pressure,
              out.Pprime_Trj, ">=", in.Pj);
    rec.check("Pprime_ts", "P' at ts against Pj", Q::pressure, out.Pprime_ts, ">=", in.Pj);
    rec.check("Tj", kThinJacket[out.schedule], Q::thickness, out.Tj_input, ">=", out.T_input);
}

void record_coil(ResultsRecord& rec, const JacketInput& in, const JacketResults& out)
{
    rec.add("pc", "coil design pressure", Q::pressure, in.Pj);
    rec.add("ec", "coil thickness", Q::thickness, in.Tj);
    rec.add("e", "cylinder thickness", Q::thickness, in.ts);
    rec.add("e_coil", "minimum coil thickness", Q::thickness, out.e_coil);
    rec.add("e_cylinder", "minimum cylinder thickness", Q::thickness, out.Tr);
    rec.add("pMaxC1", "maximum pressure in the coil, coil side", Q::pressure, out.pMaxC1);
    rec.add("pMaxC2", "maximum pressure in the coil, cylinder side", Q::pressure, out.pMaxC2);
    rec.add("pMax", "maximum coil pressure", Q::pressure, out.Pprime_ts);

    rec.check("e_coil", "minimum coil thickness against the coil thickness", Q::thickness,
              out.e_coil, "<=", in.Tj);
    rec.check("e_cylinder", "minimum cylinder thickness against the cylinder thickness",
              Q::thickness, out.Tr, "<=", in.ts);
    rec.check("pMaxC1", "pMaxC1 against the coil design pressure", Q::pressure, out.pMaxC1, ">=",
              in.Pj);
    rec.check("pMaxC2", "pMaxC2 against the coil design pressure", Q::pressure, out.pMaxC2, ">=",
              in.Pj);
}

}  // namespace

void record_jacket_results(ResultsRecord& rec, const UnitRecord& units, const JacketInput& in,
                           const JacketResults& out)
{
    if (in.code >= 3)
        record_coil(rec, in, out);
    else
        record_half_pipe(rec, in, out);
    rec.finish(units);
}

}  // namespace tx14
