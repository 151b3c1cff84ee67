// The large-opening calculation: loads once, then the passes of the search
// for the approximate minimum head thickness, the first pass printed in
// full and the later ones silent.
#include "opening_calculation.hpp"

#include <cmath>

namespace tx14 {
namespace {

enum class Step { next_pass, converged, failed };

// Rescales the trial thickness by the governing ratio; the search ends when
// the ratio is within 0.1 % of 1 (or not a number), or fails on the last pass.
Step thickness_step(State& st, OpeningResults& results)
{
    Report& r = st.report;
    OpeningWork& w = st.opening_work;
    float& t = st.opening.t;
    const float ratio = w.ratios.governing;

    r.print = 0;  // later passes are silent
    if (w.iteration > kIterationLimit - 1) {
        r.print = 1;
        write_blank_line(r);
        write_text(r, style::kNote, "Thickness Conversion Failure - Revise the Geometry.");
        results.minimum_t = 0;
        return Step::failed;
    }
    t = t / std::sqrt(ratio);
    if (ratio > 1.001f || ratio < 0.999f) {
        w.first_pass = 0;
        return Step::next_pass;
    }
    return Step::converged;
}

void write_minimum_thickness(State& st, OpeningResults& results)
{
    Report& r = st.report;
    const float t = st.opening.t;
    r.print = 1;
    results.minimum_t = t;
    ReportLine(r)
        .text("Approximate Minimum Flange Thickness", 43).blanks(5)
        .fixed(t * st.units.thickness.factor, 12, 4).blanks(2).text(st.units.thickness.text())
        .write(t > results.input_t ? style::kWarning : LineStyles{});
}

}  // namespace

void calculate_opening(State& st, OpeningResults& results)
{
    OpeningWork& w = st.opening_work;
    w = OpeningWork{};
    w.viii2 = st.opening.code == 2;
    w.m12 = st.units.moment.factor == 1.0f ? 12.0f : 1.0f;
    results.input_t = st.opening.t;

    compute_loads(st);
    for (int pass = 1; pass <= kIterationLimit; ++pass) {
        compute_opening_factors(st);  // raises the pass counter
        compute_opening_flange_stresses(st);
        compute_shell_factors(st);
        compute_juncture_stresses(st);
        if (pass == 1)
            st.opening_first_pass = w;  // the values the report shows, for the results record
        summarise_pass(st, results);
        switch (thickness_step(st, results)) {
        case Step::next_pass: continue;
        case Step::converged: write_minimum_thickness(st, results); return;
        case Step::failed: return;
        }
    }
}

}  // namespace tx14
