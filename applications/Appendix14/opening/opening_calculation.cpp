// The large-opening calculation: the loads once, then the passes of the
// search for the approximate minimum head thickness. Each pass is
// arithmetic only; the report shows the first pass in full and the outcome
// of the search.
#include "opening_calculation.hpp"

#include <cmath>

#include "flange_factors.hpp"

namespace tx14 {

OpeningFactors opening_factors(const OpeningInput& in, const OpeningLoads& L)
{
    OpeningFactors f;
    f.k = k_ratio_factors(L.K);
    f.nozzle = hub_set(in.g0n, in.g1n, in.hn, in.Bn, in.ca, f.k.U);
    f.has_stress_factors = f.nozzle.g1_g0() > 0.0f && f.nozzle.h_h0() > 0.0f;
    f.shell = hub_set(in.g0s, in.g1s, in.hs, in.A - in.g0s - in.ca, in.ca, f.k.U);
    f.nozzle_hub = in.g1n > kNozzleTolerance && in.g0n > kNozzleTolerance;
    f.integral = f.nozzle_hub && in.hn > kNozzleTolerance;
    return f;
}

OpeningPass opening_pass(const OpeningInput& in, const OpeningLoads& L, const OpeningFactors& f, float t)
{
    OpeningPass p;
    p.t = t;
    if (f.has_stress_factors)
        p.s = stress_factors(t, f.k.T, f.nozzle.de.e, f.nozzle.de.d, in.ca);
    flange_stresses(in, L, f, p);
    juncture_stresses(in, L, f, p);
    summarise_pass(in, L, p);
    return p;
}

void write_pass(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L, const OpeningFactors& f,
                const OpeningPass& p)
{
    write_k_ratio_factors(r, L.K, f.k, in.code);
    write_hub_set(r, show, f.nozzle, HubSide::opening, in.code);
    if (f.has_stress_factors)
        write_stress_factors(r, p.s);
    write_flange_stresses(r, show, in, L, f, p);
    write_text(r, style::kTitle, "Flange Factors ( Shell ) : ");
    write_hub_set(r, show, f.shell, HubSide::shell, in.code);
    write_juncture_stresses(r, show, in, L, f, p);
    write_summary(r, show, in, L, p);
}

void calculate_opening(Report& r, const UnitRecord& u, const OpeningInput& in, OpeningResults& results)
{
    const Shown show(u);

    results.loads = opening_loads(in);
    const OpeningLoads& L = results.loads;
    write_loads(r, show, in, L);
    results.factors = opening_factors(in, L);
    const OpeningFactors& factors = results.factors;
    float t = in.t;
    for (results.passes = 1;; ++results.passes) {
        const OpeningPass p = opening_pass(in, L, factors, t);
        if (results.passes == 1) {
            write_pass(r, show, in, L, factors, p);
            results.first = p;
        }
        if (results.passes == kIterationLimit) {
            write_blank_line(r);
            write_text(r, style::kNote, "Thickness Conversion Failure - Revise the Geometry.");
            results.minimum_t = 0;
            return;
        }
        const float ratio = p.ratios.governing;
        t = t / std::sqrt(ratio);
        if (!(ratio > 1.001f || ratio < 0.999f))  // within 0.1 % of 1, or not a number
            break;
    }
    results.minimum_t = t;
    result_line(r, "Approximate Minimum Flange Thickness", show.thk(t), 4, u.thickness.text())
        .write(t > in.t ? style::kWarning : LineStyles{});
}

}  // namespace tx14
