// The results record of a large opening: the values of the first pass of
// the calculation (those the report prints) and the checks of its summary.
#include "../entry/state.hpp"
#include "../opening/opening_calculation.hpp"
#include "record_items.hpp"

namespace tx14 {

void record_opening_results(State& st, const OpeningResults& res)
{
    ResultsRecord& rec = st.results;
    const OpeningInput& in = st.opening;
    const OpeningWork& w = st.opening_first_pass;
    const StressAverages& a = w.averages;
    const float Sho = in.Sho;
    const float S_hub = 1.5f * Sho;
    using Q = Quantity;

    rec.add("P", "design pressure", Q::pressure, w.P);
    rec.add("t", "head thickness", Q::thickness, res.input_t);
    rec.add("G", "diameter of the load reaction", Q::diameter, w.G);
    rec.add("K", "flange K factor", Q::dimensionless, w.K);
    rec.add("R", "radial distance", Q::diameter, w.R);
    rec.add("Hd", "hydrostatic end force on the opening", Q::force, w.Hd);
    rec.add("Md", "moment of Hd", Q::moment, w.Md);
    rec.add("H", "total hydrostatic end force", Q::force, w.H);
    rec.add("Ht", "differential end force", Q::force, w.Ht);
    rec.add("Mt", "moment of Ht", Q::moment, w.Mt);
    rec.add("Mo", "total moment", Q::moment, w.Mo);
    rec.add("T", "K-ratio factor T", Q::dimensionless, w.T);
    rec.add("U", "K-ratio factor U", Q::dimensionless, w.U);
    rec.add("Y", "K-ratio factor Y", Q::dimensionless, w.Y);
    rec.add("Z", "K-ratio factor Z", Q::dimensionless, w.Z);
    rec.add("h0n", "effective hub length, opening", Q::thickness, w.h0n);
    rec.add("Hratn", "hub ratio h/h0, opening", Q::dimensionless, w.Hratn);
    rec.add("Gratn", "thickness ratio g1/g0, opening", Q::dimensionless, w.Gratn);
    rec.add("Fn", "flange factor F, opening", Q::dimensionless, w.Fn);
    rec.add("Vn", "flange factor V, opening", Q::dimensionless, w.Vn);
    rec.add("fn", "hub stress correction factor f, opening", Q::dimensionless, w.fn);
    rec.add("dn", "flange factor d, opening", Q::volume, w.dn);
    rec.add("en", "flange factor e, opening", Q::per_thickness, w.en);
    rec.add("ALPHA", "stress factor ALPHA", Q::dimensionless, w.ALPHA);
    rec.add("BETA", "stress factor BETA", Q::dimensionless, w.BETA);
    rec.add("GAMMA", "stress factor GAMMA", Q::dimensionless, w.GAMMA);
    rec.add("DELTA", "stress factor DELTA", Q::dimensionless, w.DELTA);
    rec.add("Lamda", "stress factor Lamda", Q::dimensionless, w.Lamda);
    rec.add("SH", "longitudinal hub stress of the opening flange", Q::stress, w.SH);
    rec.add("SR", "radial stress of the opening flange", Q::stress, w.SR);
    rec.add("ST", "tangential stress of the opening flange", Q::stress, w.ST);
    rec.add("E_theta", "rotation term (E theta)*", Q::stress, w.E);
    rec.add("h0s", "effective hub length, shell", Q::thickness, w.h0s);
    rec.add("Hrats", "hub ratio h/h0, shell", Q::dimensionless, w.Hrats);
    rec.add("Grats", "thickness ratio g1/g0, shell", Q::dimensionless, w.Grats);
    rec.add("Fs", "flange factor F, shell", Q::dimensionless, w.Fs);
    rec.add("Vs", "flange factor V, shell", Q::dimensionless, w.Vs);
    rec.add("fs", "hub stress correction factor f, shell", Q::dimensionless, w.fs);
    rec.add("ds", "flange factor d, shell", Q::volume, w.ds);
    rec.add("es", "flange factor e, shell", Q::per_thickness, w.es);
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
    rec.add("W", "estimated finished weight of the forging", Q::force, res.weight);
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
    rec.check("MAWP", "M.A.W.P. against design pressure P", Q::pressure, res.mawp, ">=", w.P);
    // Passes of the search; the limit when it found no thickness.
    const int passes = res.minimum_t > 0.0f ? st.opening_work.iteration : kIterationLimit;
    rec.check("thickness_search", "thickness search converged (passes)", Q::dimensionless,
              static_cast<float>(passes), "<=", static_cast<float>(kIterationLimit - 1));
    rec.check("t_min", "t against the approximate minimum thickness", Q::thickness,
              res.input_t, ">=", res.minimum_t);
    rec.finish(st.units);
}

}  // namespace tx14
