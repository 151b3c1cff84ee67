// The results record of a large opening: the loads and the first pass of
// the calculation (the values the report prints), the acceptance criteria
// of its summary, what the verdict cannot rest on, and the notes.
#include <cmath>

#include "../opening/opening_calculation.hpp"
#include "record_items.hpp"

namespace tx14 {
namespace {

using Q = Quantity;

const char* method_of(const OpeningInput& in) { return in.code == 2 ? "4.6.4" : "Appendix 14"; }

// The ratios take a stress that is not above 0 as 1.0: a M.A.W.P. whose
// governing ratio is such a stress's says nothing. (A ratio that is not
// finite makes the M.A.W.P. a value that is not finite: a reason of its own.)
void reason_for_replaced_stress(ResultsRecord& rec, const OpeningPass& w)
{
    if (!std::isfinite(w.ratios.governing))
        return;
    const struct {
        const char* key;
        float stress, ratio;
    } stresses[] = {
        {"SHS", w.SHS, w.ratios.SHS}, {"SRS", w.SRS, w.ratios.SRS}, {"STS", w.STS, w.ratios.STS},
        {"SHO", w.SHO, w.ratios.SHO}, {"SRO", w.SRO, w.ratios.SRO}, {"STO", w.STO, w.ratios.STO},
    };
    for (const auto& s : stresses)
        if (s.stress <= 0.0f && std::fabs(s.ratio) == w.ratios.governing) {
            rec.reason("mawp_undefined",
                       "The M.A.W.P. rests on {w} = {0s}, a stress not above 0 that the stress ratios take as "
                       "1.0: the M.A.W.P. is undefined.",
                       {s.stress})
                .words[0] = s.key;
            return;
        }
}

// Table 2-7.1's closed forms for F, V and f cancel heavily for short
// tapered hubs: in single precision they drift from 1e-5 at h/h0 = 0.3 to
// 2e-3 at 0.1 and tens of per cent at the 0.015 a hub without length is
// held to. Below 0.1 the stresses that rest on them are not to be trusted.
constexpr float kShortestHub = 0.1f;

void reason_for_short_hubs(ResultsRecord& rec, const OpeningFactors& factors)
{
    const struct {
        const HubSet& s;
        const char* side;
    } hubs[] = {{factors.shell, "shell"}, {factors.nozzle, "opening"}};
    for (const auto& h : hubs) {
        const FlangeFactors& f = h.s.flange;
        if (!h.s.integral || !(f.g1_g0 > 1.0001f) || !(f.h_h0 < kShortestHub))
            continue;
        rec.reason("short_hub",
                   "The {w} hub is tapered (g1/g0 = {0}) and short (h/h0 = {1}, below 0.1): there the flange "
                   "factors F, V and f lose their accuracy, and the stresses with them.",
                   {f.g1_g0, f.h_h0})
            .words[0] = h.side;
    }
}

void notes_of_opening(ResultsRecord& rec, const OpeningInput& in, const OpeningResults& res)
{
    if (in.Bn < 0.5f * in.A)
        rec.note("small_opening",
                 "The opening Bn = {0d} is less than half the shell outside diameter A = {1d}: {w} is meant for "
                 "larger openings.",
                 {in.Bn, in.A})
            .words[0] = method_of(in);
    if (res.minimum_t == 0.0f)
        rec.note("no_minimum_thickness",
                 "The search for the approximate minimum thickness found none in 50 passes (Thickness "
                 "Conversion Failure): t_min is 0.");
}

}  // namespace

void record_opening_results(ResultsRecord& rec, const UnitRecord& units, const OpeningInput& in,
                            const OpeningResults& res)
{
    const OpeningLoads& L = res.loads;
    const OpeningPass& w = res.first;
    const KRatioFactors& k = res.factors.k;
    const HubSet& n = res.factors.nozzle;
    const HubSet& s = res.factors.shell;
    const StressAverages& a = w.averages;
    const float Sho = in.Sho;
    const float S_hub = 1.5f * Sho;
    const bool hub = res.factors.integral;  // an integral nozzle hub: the opening's SH and SR apply

    rec.set_units(units);
    const ValueRow values[] = {
        {"P", "design pressure", Q::pressure, L.P},
        {"t", "head thickness", Q::thickness, in.t},
        {"G", "diameter of the load reaction", Q::diameter, L.G},
        {"K", "flange K factor", Q::dimensionless, L.K},
        {"R", "radial distance", Q::diameter, L.R},
        {"Hd", "hydrostatic end force on the opening", Q::force, L.Hd},
        {"Md", "moment of Hd", Q::moment, L.Md},
        {"H", "total hydrostatic end force", Q::force, L.H},
        {"Ht", "differential end force", Q::force, L.Ht},
        {"Mt", "moment of Ht", Q::moment, L.Mt},
        {"Mo", "total moment", Q::moment, L.Mo},
        {"T", "K-ratio factor T", Q::dimensionless, k.T},
        {"U", "K-ratio factor U", Q::dimensionless, k.U},
        {"Y", "K-ratio factor Y", Q::dimensionless, k.Y},
        {"Z", "K-ratio factor Z", Q::dimensionless, k.Z},
        {"h0n", "effective hub length, opening", Q::thickness, n.hub.h0},
        {"Hratn", "hub ratio h/h0, opening", Q::dimensionless, n.h_h0()},
        {"Gratn", "thickness ratio g1/g0, opening", Q::dimensionless, n.g1_g0()},
        {"Fn", "flange factor F, opening", Q::dimensionless, n.flange.F},
        {"Vn", "flange factor V, opening", Q::dimensionless, n.flange.V},
        {"fn", "hub stress correction factor f, opening", Q::dimensionless, n.flange.f},
        {"dn", "flange factor d, opening", Q::volume, n.de.d},
        {"en", "flange factor e, opening", Q::per_thickness, n.de.e},
        {"ALPHA", "stress factor ALPHA", Q::dimensionless, w.s.ALPHA},
        {"BETA", "stress factor BETA", Q::dimensionless, w.s.BETA},
        {"GAMMA", "stress factor GAMMA", Q::dimensionless, w.s.GAMMA},
        {"DELTA", "stress factor DELTA", Q::dimensionless, w.s.DELTA},
        {"Lamda", "stress factor Lamda", Q::dimensionless, w.s.Lamda},
        {"SH", "longitudinal hub stress of the opening flange", Q::stress, w.SH},
        {"SR", "radial stress of the opening flange", Q::stress, w.SR},
        {"ST", "tangential stress of the opening flange", Q::stress, w.ST},
        {"E_theta", "rotation term (E theta)*", Q::stress, w.E},
        {"h0s", "effective hub length, shell", Q::thickness, s.hub.h0},
        {"Hrats", "hub ratio h/h0, shell", Q::dimensionless, s.h_h0()},
        {"Grats", "thickness ratio g1/g0, shell", Q::dimensionless, s.g1_g0()},
        {"Fs", "flange factor F, shell", Q::dimensionless, s.flange.F},
        {"Vs", "flange factor V, shell", Q::dimensionless, s.flange.V},
        {"fs", "hub stress correction factor f, shell", Q::dimensionless, s.flange.f},
        {"ds", "flange factor d, shell", Q::volume, s.de.d},
        {"es", "flange factor e, shell", Q::per_thickness, s.de.e},
        {"MH", "moment at the head/shell juncture", Q::moment, w.MH},
        {"X1", "factor X1", Q::dimensionless, w.X1},
        {"SHS", "longitudinal hub stress in the shell", Q::stress, w.SHS},
        {"SRS", "radial stress at the outside diameter", Q::stress, w.SRS},
        {"STS", "tangential stress at the outside diameter", Q::stress, w.STS},
        {"SHO", "longitudinal hub stress in the central opening", Q::stress, w.SHO, hub},
        {"SRO", "radial stress at the central opening", Q::stress, w.SRO, hub},
        {"STO", "tangential stress at the central opening", Q::stress, w.STO},
        {"Z1", "factor Z1", Q::dimensionless, w.Z1},
        {"Sho", "allowable stress at design temperature", Q::stress, Sho},
        {"S_hub", "allowable longitudinal hub stress, 1.5 Sho", Q::stress, S_hub},
        {"largest_stress", "largest stress magnitude", Q::stress, w.largest_stress},
        {"MAWP", "M.A.W.P. for the given geometry", Q::pressure, w.mawp},
        {"W", "estimated finished weight of the forging", Q::force, finished_weight(in, w.t)},
        {"t_min", "approximate minimum flange thickness", Q::thickness, res.minimum_t},
        {"passes", "passes of the thickness search (50: no thickness found)", Q::dimensionless,
         static_cast<float>(res.passes)},
    };
    record_values(rec, values);

    // The summary table compares stress magnitudes with their allowables
    // under the method's name ("per Appendix 14"): each check's reference.
    const char* ref = in.code == 2 ? "4.6.4" : "App. 14";
    const auto stress = [&](const char* key, const char* label, float value, float limit, bool applies = true) {
        return CheckRow{key, label, Q::stress, std::fabs(value), "<=", limit, ref, applies};
    };
    const CheckRow checks[] = {
        stress("SH_shell", "SH at head/shell juncture", w.SHS, S_hub),
        stress("SR_shell", "SR at head/shell juncture", w.SRS, Sho),
        stress("ST_shell", "ST at head/shell juncture", w.STS, Sho),
        stress("SH_SR_shell", "(SH+SR)/2 at head/shell juncture", a.shell_SH_SR, Sho),
        stress("SH_ST_shell", "(SH+ST)/2 at head/shell juncture", a.shell_SH_ST, Sho),
        stress("SH_opening", "SH at opening", w.SHO, S_hub, hub),
        stress("SR_opening", "SR at opening", w.SRO, Sho, hub),
        stress("ST_opening", "ST at opening", w.STO, Sho),
        stress("SH_SR_opening", "(SH+SR)/2 at opening", a.opening_SH_SR, Sho, hub),
        stress("SH_ST_opening", "(SH+ST)/2 at opening", a.opening_SH_ST, Sho),
        {"MAWP", "M.A.W.P. against design pressure P", Q::pressure, w.mawp, ">=", L.P, ref},
    };
    record_checks(rec, checks);

    rec.inputs_used({{"P", in.P},
                     {"t", in.t},
                     {"Bn", in.Bn},
                     {"A", in.A},
                     {"g0s", in.g0s},
                     {"g1s", in.g1s},
                     {"hs", in.hs},
                     {"ca", in.ca},
                     {"Sho", in.Sho},
                     {"g0n", in.g0n},
                     {"g1n", in.g1n},
                     {"hn", in.hn},
                     {"density", in.density}});
    reason_for_replaced_stress(rec, w);
    reason_for_short_hubs(rec, res.factors);
    notes_of_opening(rec, in, res);
    rec.finish();
}

}  // namespace tx14
