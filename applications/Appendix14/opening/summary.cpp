// The end of each pass of the large-opening calculation: the stress ratios
// with the M.A.W.P., and the summary table of the stresses against their
// allowables with the forging weight.
#include <algorithm>
#include <cmath>

#include "../report/rendering.hpp"
#include "opening_calculation.hpp"

namespace tx14 {
namespace {

// A stress that is not above 0 counts as 1 in the ratios (NaN stays).
float counted(float stress) { return stress <= 0.0f ? 1.0f : stress; }

}  // namespace

void summarise_pass(const OpeningInput& in, const OpeningLoads& L, OpeningPass& p)
{
    const float Sho = in.Sho;
    const float SHS = counted(p.SHS), SRS = counted(p.SRS), STS = counted(p.STS);
    const float SHO = counted(p.SHO), SRO = counted(p.SRO), STO = counted(p.STO);

    // std::max and std::min of a list compare from its first value on, so a
    // NaN in first place carries through and a later NaN does not.
    p.largest_stress = std::max({std::fabs(SHS), std::fabs(SRS), std::fabs(STS), std::fabs(SHO), std::fabs(SRO),
                                 std::fabs(STO), std::fabs((SHS + SRS) * 0.5f), std::fabs((SHO + SRO) * 0.5f),
                                 std::fabs((SHS + STS) * 0.5f), std::fabs((SHO + STO) * 0.5f)});

    StressRatios& q = p.ratios;
    q.SHS = 1.5f * Sho / SHS;
    q.SRS = Sho / SRS;
    q.STS = Sho / STS;
    q.SHO = 1.5f * Sho / SHO;
    q.SRO = Sho / SRO;
    q.STO = Sho / STO;
    const StressAverages& a = p.averages;  // of the stresses as computed
    q.governing = std::min({std::fabs(q.SHS), std::fabs(q.SRS), std::fabs(q.STS), std::fabs(q.SHO), std::fabs(q.SRO),
                            std::fabs(q.STO), std::fabs(Sho / a.shell_SH_SR), std::fabs(Sho / a.shell_SH_ST),
                            std::fabs(Sho / a.opening_SH_SR), std::fabs(Sho / a.opening_SH_ST)});
    p.mawp = L.P * q.governing;
}

namespace {

// One row: head/shell value and its allowable, opening value and its
// allowable, in whole display units; zeros become "...".
void write_summary_row(Report& r, const Shown& show, std::string_view label, float shell, float opening, float limit,
                       bool underline)
{
    FixedLine line(r);
    line.text(label)
        .whole(show.stress(shell), 10)
        .text(" | ")
        .whole(show.stress(limit), 9)
        .text(" | ")
        .blanks(5)
        .whole(show.stress(opening), 10)
        .text(" | ")
        .whole(show.stress(limit), 9)
        .text(" | ");
    BLANKZEROS(line.buffer(), 1);
    if (over_limit(shell, limit) || over_limit(opening, limit))
        set_line_styles(r, style::kWarning);
    if (underline)
        UNDERLINE(r, line.buffer());
    else
        line.write();
}

}  // namespace

void write_summary(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L, const OpeningPass& p)
{
    const StressAverages& a = p.averages;
    const float Sho = in.Sho;
    const float W = finished_weight(in, p.t);

    FixedLine(r)
        .text(in.code == 1 ? "Flange Stress Results per Appendix 14 (" : "Flange Stress Results per 4.6.4 (")
        .text(trimmed(show.u.stress.label))
        .text(")")
        .write(style::kTitle);
    write_blank_line(r);
    assign(r.line, "                  | Head/Shell |   Allowed |         Opening |   Allowed |");
    UNDERLINE(r, r.line);
    write_summary_row(r, show, "Long.  Hub     SH | ", p.SHS, p.SHO, 1.5f * Sho, false);
    write_summary_row(r, show, "Radial         SR | ", p.SRS, p.SRO, Sho, false);
    write_summary_row(r, show, "Tangential     ST | ", p.STS, p.STO, Sho, false);
    write_summary_row(r, show, "Average (SH+SR)/2 | ", a.shell_SH_SR, a.opening_SH_SR, Sho, false);
    write_summary_row(r, show, "Average (SH+ST)/2 | ", a.shell_SH_ST, a.opening_SH_ST, Sho, true);

    write_blank_line(r);
    if (p.mawp > 0.0f)
        result_line(r, "M.A.W.P. for the given Geometry", show.pressure(p.mawp), 3, show.u.pressure.text())
            .write(L.P > p.mawp ? style::kWarning : LineStyles{});
    if (W > 0.01f)
        result_line(r, "Estimated Finished Weight of Forging", show.force(W), 1, show.u.force.text()).write();
}

}  // namespace tx14
