// The results record of a large opening: the loads and the first pass of
// the calculation (the values the report prints) and the checks of its
// summary.
#include "../opening/opening_calculation.hpp"
#include "record_items.hpp"

namespace tx14 {

void record_opening_results(ResultsRecord& rec, const UnitRecord& units, const OpeningInput& in,
                            const OpeningResults& res)
{
    const OpeningLoads& L = res.loads;
    const OpeningPass& w = res.first;
    const HubSet& n = w.nozzle;
    const HubSet& s = w.shell;
    const StressAverages& a = w.averages;
    const float Sho = in.Sho;
    const float S_hub = 1.5f * Sho;
    using Q = Quantity;

    rec.add("P", "design pressure", Q::pressure, L.P);
    rec.add("t", "head thickness", Q::thickness, res.input_t);
    rec.add("G", "diameter of the load reaction", Q::diameter, L.G);
    rec.add("K", "flange K factor", Q::dimensionless, L.K);
    rec.add("R", "radial distance", Q::diameter, L.R);
    rec.add("Hd", "hydrostatic end force on the opening", Q::force, L.Hd);
    rec.add("Md", "moment of Hd", Q::moment, L.Md);
    rec.add("H", "total hydrostatic end force", Q::force, L.H);
    rec.add("Ht", "differential end force", Q::force, L.Ht);
    rec.add("Mt", "moment of Ht", Q::moment, L.Mt);
    rec.add("Mo", "total moment", Q::moment, L.Mo);
    rec.add("T", "K-ratio factor T", Q::dimensionless, w.k.T);
    rec.add("U", "K-ratio factor U", Q::dimensionless, w.k.U);
    rec.add("Y", "K-ratio factor Y", Q::dimensionless, w.k.Y);
    rec.add("Z", "K-ratio factor Z", Q::dimensionless, w.k.Z);
    rec.add("h0n", "effective hub length, opening", Q::thickness, n.hub.h0);
    rec.add("Hratn", "hub ratio h/h0, opening", Q::dimensionless, n.h_h0());
    rec.add("Gratn", "thickness ratio g1/g0, opening", Q::dimensionless, n.g1_g0());
    rec.add("Fn", "flange factor F, opening", Q::dimensionless, n.flange.F);
    rec.add("Vn", "flange factor V, opening", Q::dimensionless, n.flange.V);
    rec.add("fn", "hub stress correction factor f, opening", Q::dimensionless, n.flange.f);
    rec.add("dn", "flange factor d, opening", Q::volume, n.de.d);
    rec.add("en", "flange factor e, opening", Q::per_thickness, n.de.e);
    rec.add("ALPHA", "stress factor ALPHA", Q::dimensionless, w.s.ALPHA);
    rec.add("BETA", "stress factor BETA", Q::dimensionless, w.s.BETA);
    rec.add("GAMMA", "stress factor GAMMA", Q::dimensionless, w.s.GAMMA);
    rec.add("DELTA", "stress factor DELTA", Q::dimensionless, w.s.DELTA);
    rec.add("Lamda", "stress factor Lamda", Q::dimensionless, w.s.Lamda);
    rec.add("SH", "longitudinal hub stress of the opening flange", Q::stress, w.SH);
    rec.add("SR", "radial stress of the opening flange", Q::stress, w.SR);
    rec.add("ST", "tangential stress of the opening flange", Q::stress, w.ST);
    rec.add("E_theta", "rotation term (E theta)*", Q::stress, w.E);
    rec.add("h0s", "effective hub length, shell", Q::thickness, s.hub.h0);
    rec.add("Hrats", "hub ratio h/h0, shell", Q::dimensionless, s.h_h0());
    rec.add("Grats", "thickness ratio g1/g0, shell", Q::dimensionless, s.g1_g0());
    rec.add("Fs", "flange factor F, shell", Q::dimensionless, s.flange.F);
    rec.add("Vs", "flange factor V, shell", Q::dimensionless, s.flange.V);
    rec.add("fs", "hub stress correction factor f, shell", Q::dimensionless, s.flange.f);
    rec.add("ds", "flange factor d, shell", Q::volume, s.de.d);
    rec.add("es", "flange factor e, shell", Q::per_thickness, s.de.e);
    rec.add("MH", "moment at the head/shell juncture", Q::moment, w.MH);
    rec.add("X1", "factor X1", Q::dimensionless, w.X1);
    rec.add("SHS", "longitudinal hub stress in the shell", Q::stress, w.SHS);
    rec.add("SRS", "radial stress at the outside diameter", Q::stress, w.SRS);
    rec.add("STS", "tangential stress at the outside diameter", Q::stress, w.STS);
    rec.add("SHO", "longitudinal hub stress in the central opening", Q::stress, w.SHO);
    rec.add("SRO", "radial stress at the central opening", Q::stress, w.SRO);
    rec.add("STO", "tangential stress at the central opening", Q::stress, w.STO);
    rec.add("Z1", "factor Z1", Q::dimensionless, w.Z1);
    rec.add("Sho", "allowable stress at design temperature", Q::stress, Sho);
    rec.add("S_hub", "allowable longitudinal hub stress, 1.5 Sho", Q::stress, S_hub);
    rec.add("largest_stress", "largest stress magnitude", Q::stress, res.largest_stress);
    rec.add("MAWP", "M.A.W.P. for the given geometry", Q::pressure, res.mawp);
    rec.add("W", "estimated finished weight of the forging", Q::force, w.W);
    rec.add("t_min", "approximate minimum flange thickness", Q::thickness, res.minimum_t);

    rec.check("SH_shell", "SH at head/shell juncture", Q::stress, w.SHS, "<=", S_hub);
    rec.check("SR_shell", "SR at head/shell juncture", Q::stress, w.SRS, "<=", Sho);
    rec.check("ST_shell", "ST at head/shell juncture", Q::stress, w.STS, "<=", Sho);
    rec.check("SH_SR_shell", "(SH+SR)/2 at head/shell juncture", Q::stress, a.shell_SH_SR, "<=",
              Sho);
    rec.check("SH_ST_shell", "(SH+ST)/2 at head/shell juncture", Q::stress, a.shell_SH_ST, "<=",
              Sho);
    rec.check("SH_opening", "SH at opening", Q::stress, w.SHO, "<=", S_hub);
    rec.check("SR_opening", "SR at opening", Q::stress, w.SRO, "<=", Sho);
    rec.check("ST_opening", "ST at opening", Q::stress, w.STO, "<=", Sho);
    rec.check("SH_SR_opening", "(SH+SR)/2 at opening", Q::stress, a.opening_SH_SR, "<=", Sho);
    rec.check("SH_ST_opening", "(SH+ST)/2 at opening", Q::stress, a.opening_SH_ST, "<=", Sho);
    rec.check("MAWP", "M.A.W.P. against design pressure P", Q::pressure, res.mawp, ">=", L.P);
    // Passes of the search; the limit when it found no thickness.
    const int passes = res.minimum_t > 0.0f ? res.passes : kIterationLimit;
    rec.check("thickness_search", "thickness search converged (passes)", Q::dimensionless,
              static_cast<float>(passes), "<=", static_cast<float>(kIterationLimit - 1));
    rec.check("t_min", "t against the approximate minimum thickness", Q::thickness,
              res.input_t, ">=", res.minimum_t);
    rec.finish(units);
}

}  // namespace tx14
