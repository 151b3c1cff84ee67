// The end of each pass of the large-opening calculation: the stress summary
// table, the stress ratios with the M.A.W.P., and the forging weight.
#include <cmath>
#include <initializer_list>

#include "../report/rendering.hpp"
#include "opening_calculation.hpp"

namespace tx14 {
namespace {

// The largest (smallest) of a list: a running comparison from the first
// value, so a NaN in first place carries through and a later NaN does not.
float largest_of(std::initializer_list<float> values)
{
    float m = *values.begin();
    for (float v : values)
        if (v > m)
            m = v;
    return m;
}

float smallest_of(std::initializer_list<float> values)
{
    float m = *values.begin();
    for (float v : values)
        if (v < m)
            m = v;
    return m;
}

bool over_limit(float stress, float limit) { return std::fabs(stress) > std::fabs(limit); }

// One row: head/shell value and its allowable, opening value and its
// allowable, in whole display units; zeros become "...".
void write_summary_row(State& st, std::string_view label, float shell, float opening, float limit,
                       bool underline)
{
    Report& r = st.report;
    const Shown show = shown(st);
    ReportLine line(r);
    line.text(label)
        .whole(show.stress(shell), 10).text(" | ").whole(show.stress(limit), 9).text(" | ")
        .blanks(5)
        .whole(show.stress(opening), 10).text(" | ").whole(show.stress(limit), 9).text(" | ");
    BLANKZEROS(line.buffer(), 1);
    if (over_limit(shell, limit) || over_limit(opening, limit))
        set_line_styles(r, style::kWarning);
    if (underline)
        UNDERLINE(r, line.buffer());
    else
        line.write();
}

void write_summary_table(State& st)
{
    Report& r = st.report;
    const OpeningWork& w = st.opening_work;
    const StressAverages& a = w.averages;
    const float Sho = st.opening.Sho;

    ReportLine(r)
        .text(st.opening.code == 1 ? "Flange Stress Results per Appendix 14 ("
                                   : "Flange Stress Results per 4.6.4 (")
        .text(trimmed(st.units.stress.label)).text(")")
        .write(style::kTitle);
    write_blank_line(r);
    assign(r.line, "                  | Head/Shell |   Allowed |         Opening |   Allowed |");
    UNDERLINE(r, r.line);
    write_summary_row(st, "Long.  Hub     SH | ", w.SHS, w.SHO, 1.5f * Sho, false);
    write_summary_row(st, "Radial         SR | ", w.SRS, w.SRO, Sho, false);
    write_summary_row(st, "Tangential     ST | ", w.STS, w.STO, Sho, false);
    write_summary_row(st, "Average (SH+SR)/2 | ", a.shell_SH_SR, a.opening_SH_SR, Sho, false);
    write_summary_row(st, "Average (SH+ST)/2 | ", a.shell_SH_ST, a.opening_SH_ST, Sho, true);
}

// A stress that is not above 0 counts as 1 in the ratios (NaN stays).
void replace_nonpositive(float& stress)
{
    if (stress <= 0.0f)
        stress = 1.0f;
}

// The allowable-to-stress ratios; the six stresses are replaced first.
void stress_ratios(State& st, OpeningResults& results)
{
    OpeningWork& w = st.opening_work;
    const float Sho = st.opening.Sho;
    for (float* s : {&w.SHS, &w.SRS, &w.STS, &w.SHO, &w.SRO, &w.STO})
        replace_nonpositive(*s);

    if (w.iteration == 1)
        results.largest_stress = largest_of(
            {std::fabs(w.SHS), std::fabs(w.SRS), std::fabs(w.STS), std::fabs(w.SHO),
             std::fabs(w.SRO), std::fabs(w.STO), std::fabs((w.SHS + w.SRS) * 0.5f),
             std::fabs((w.SHO + w.SRO) * 0.5f), std::fabs((w.SHS + w.STS) * 0.5f),
             std::fabs((w.SHO + w.STO) * 0.5f)});

    StressRatios& q = w.ratios;
    q.SHS = 1.5f * Sho / w.SHS;
    q.SRS = Sho / w.SRS;
    q.STS = Sho / w.STS;
    q.SHO = 1.5f * Sho / w.SHO;
    q.SRO = Sho / w.SRO;
    q.STO = Sho / w.STO;
    const StressAverages& a = w.averages;  // formed before the replacement
    q.governing = smallest_of({std::fabs(q.SHS), std::fabs(q.SRS), std::fabs(q.STS),
                               std::fabs(q.SHO), std::fabs(q.SRO), std::fabs(q.STO),
                               std::fabs(Sho / a.shell_SH_SR), std::fabs(Sho / a.shell_SH_ST),
                               std::fabs(Sho / a.opening_SH_SR), std::fabs(Sho / a.opening_SH_ST)});
}

}  // namespace

void summarise_pass(State& st, OpeningResults& results)
{
    Report& r = st.report;
    const OpeningInput& in = st.opening;
    OpeningWork& w = st.opening_work;
    const Shown show = shown(st);

    if (r.print != 0)
        write_summary_table(st);

    stress_ratios(st, results);
    write_blank_line(r);
    const float mawp = w.P * w.ratios.governing;
    if (w.first_pass == 1)
        results.mawp = mawp;
    if (mawp > 0.0f)
        ReportLine(r)
            .text("M.A.W.P. for the given Geometry", 43).blanks(5)
            .fixed(show.pressure(mawp), 12, 3).blanks(2).text(st.units.pressure.text())
            .write(w.P > mawp ? style::kWarning : LineStyles{});

    forging_weight(in.Bn, in.A, in.t, in.g1s, in.g0s, in.hs, w.W, w.Wr, in.density);
    if (w.first_pass == 1)
        results.weight = w.W;
    if (w.W > 0.01f)
        ReportLine(r)
            .text("Estimated Finished Weight of Forging", 43).blanks(5)
            .fixed(show.force(w.W), 12, 1).blanks(2).text(st.units.force.text())
            .write();
}

}  // namespace tx14
