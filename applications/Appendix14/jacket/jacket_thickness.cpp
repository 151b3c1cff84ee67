// The end of a half-pipe jacket report: the required jacket thickness with
// the search for an adequate pipe schedule, the minimum fillet weld, the
// note on cyclic service and the "Summary of Results:" table.
#include "../common/units.hpp"
#include "../report/formula_block.hpp"
#include "../report/number_fields.hpp"
#include "../report/report.hpp"
#include "../report/squeezed_line.hpp"
#include "jacket_calc.hpp"

namespace tx14 {
namespace {

constexpr float kMillTolerance = 0.875f;  // a pipe wall may be 12.5 % under nominal
constexpr float kWeldFactor = 1.414f;

// T = Pj Rp / (0.85 Sj - 0.6 Pj) + caj, Pj the design jacket pressure.
float required_jacket_thickness(const JacketInput& in, float Pj, float Rp)
{
    return (Pj * Rp) / (0.85f * in.Sj - 0.6f * Pj) + in.caj;
}

// " Pipe Schedule = " and the schedule name, right-aligned in fields of 20
// and 5 columns and squeezed.
void write_schedule_line(Report& r, std::string_view name)
{
    SqueezedLine line(r.line, 0, SqueezedLine::kSqueeze);
    line.right_aligned("Pipe Schedule = ", 20);
    line.right_aligned(name, 5);
    line.finish();
    write_line(r);
}

// The jacket wall: the thickness the jacket pressure requires at the input
// thickness and, when the input is thinner, the first schedule from 5S on
// whose wall less the mill tolerance carries it (XXS when none does).
struct JacketWall {
    float Rp = 0;           // jacket radius for the input thickness
    float T_input = 0;      // thickness required with that radius
    bool searched = false;  // the input was too thin
    int schedule = 0;       // the accepted schedule of the search
    float Tj = 0;           // accepted thickness: the input or the schedule's wall
    float T = 0;            // thickness required for the accepted wall
};

JacketWall jacket_wall(const JacketInput& in, float Pj, pipes::PipeSize pipe)
{
    JacketWall w;
    w.Rp = pipe.OD * 0.5f - in.Tj + in.caj;
    if (in.r > kRadiusGiven)
        w.Rp = in.r + in.caj;
    w.T_input = required_jacket_thickness(in, Pj, w.Rp);
    w.Tj = in.Tj;
    w.T = w.T_input;
    w.searched = T_exceeds_Tj(w.T_input, in);
    if (!w.searched)
        return w;
    for (w.schedule = 1;; ++w.schedule) {
        w.Tj = pipes::wall(w.schedule, pipe.col) * kMillTolerance;
        const float Rp = pipe.OD * 0.5f - w.Tj + in.caj;  // the pipe's, even for a formed jacket
        w.T = required_jacket_thickness(in, Pj, Rp);
        if (w.T <= w.Tj || w.schedule == pipes::kSchedules)
            return w;
    }
}

void write_jacket_wall(Report& r, const Shown& show, const JacketInput& in, float Pj, pipes::PipeSize pipe,
                       const JacketWall& w)
{
    const bool div2 = in.code == 2;
    const std::string_view thk = show.u.thickness.text();

    write_blank_line(r);
    write_text(r, style::kTitle, "Half-Pipe Jacket Thickness Calculations:");
    write_blank_line(r);
    write_text(r, style::kCaption, "Input Half-Pipe Jacket Thickness [Tj]:");
    write_result_b(r, show.thk(in.Tj), thk);

    write_blank_line(r);
    write_block(
        r, style::kCaption,
        div2 ? "Req'd Half-Pipe Jacket Thickness per 4.11.6.3, Eqn. 4.11.2, (Includes ca) [trp]:"
             : "Req'd Half-Pipe Jacket Thickness per App. EE-1, Eqn. (2) (Includes ca) [T]:",
        div2 ? " = ( Pj * Rp ) / ( 0.85 * Sj - 0.6 * Pj ) + caj" : " = ( Pj * R ) / ( 0.85 * Sj - 0.6 * Pj ) + caj",
        " = ( @4 * @4 ) / ( 0.85 * @2 - 0.6 * @4 ) + @4",
        {show.pressure(Pj), show.dia(w.Rp), show.stress(in.Sj), show.pressure(Pj), show.thk(in.caj)}, 1);
    write_result(r, show.thk(w.T_input), thk, w.searched);
    if (!w.searched)
        return;

    write_warning(r, style::kWarningHeadline,
                  {div2 ? "Input Thickness is less than the Required Thickness per eqn. 4.11.2!"
                        : "Input Thickness is less than the Required Thickness of App.EE, "
                          "EQN.(2)!",
                   "*** Continuing the Analysis Using an Acceptable Thickness"});
    write_blank_line(r);
    write_text(r, style::kCaption, "Acceptable Pipe Schedule for Jacket:");
    write_schedule_line(r, pipes::schedule_word(w.schedule));
    write_blank_line(r);
    write_block(r, style::kCaption, "Actual Thickness of Selected Pipe Schedule [Tj]:", " = t * 0.875",
                " =  @4 * 0.875", {show.thk(pipes::wall(w.schedule, pipe.col))}, 1);
    write_result_b(r, show.thk(w.Tj), thk);
}

// Based on the shell when it is not thicker than the jacket wall Tj; a
// standard pipe's weld allows for the mill tolerance of its wall.
enum class WeldBasis { shell, formed_jacket, pipe_jacket };

WeldBasis weld_basis(const JacketInput& in, float Tj)
{
    if (in.ts <= Tj)
        return WeldBasis::shell;
    return in.r > kFormedRadius ? WeldBasis::formed_jacket : WeldBasis::pipe_jacket;
}

float fillet_weld(const JacketInput& in, float Tj)
{
    switch (weld_basis(in, Tj)) {
    case WeldBasis::shell:
        return in.ts * kWeldFactor;
    case WeldBasis::formed_jacket:
        return Tj * kWeldFactor;
    case WeldBasis::pipe_jacket:
        break;
    }
    return Tj * kWeldFactor / kMillTolerance;
}

void write_fillet_weld(Report& r, const Shown& show, const JacketInput& in, float Tj, float Fillet)
{
    constexpr std::string_view kOnJacket = "Minimum Fillet Weld Size (Based on Jacket Thickness) [Fillet]:";
    write_blank_line(r);
    write_text(r, style::kTitle, "Minimum Fillet Weld Size Calculations:");
    write_blank_line(r);
    switch (weld_basis(in, Tj)) {
    case WeldBasis::shell:
        write_block(r, style::kCaption,
                    "Minimum Fillet Weld Size (Based on Shell Thickness) [Fillet]:", " = Ts * 1.414", " = @4 * 1.414",
                    {show.thk(in.ts)}, 1);
        break;
    case WeldBasis::formed_jacket:
        write_block(r, style::kCaption, kOnJacket, " = Tj * 1.414", " = @4 * 1.414", {show.thk(Tj)}, 1);
        break;
    case WeldBasis::pipe_jacket:
        write_block(r, style::kCaption, kOnJacket, " = Tj / .875 * 1.414", " = @4 / .875 * 1.414", {show.thk(Tj)}, 1);
        break;
    }
    write_result_b(r, show.thk(Fillet), show.u.thickness.text());
}

// A line of the results summary: the 43-character label, four blanks, the
// value with four decimals in 10 columns (asterisks when it does not fit),
// two blanks and the unit.
void write_summary_line(Report& r, std::string_view label, float value, std::string_view unit)
{
    assign(r.line, label);
    field::fixed(Field(r.line).subspan(47, 10), value, 4);
    put(r.line, 60, unit);
    write_line(r);
}

// The "Summary of Results:" table that closes a half-pipe jacket report.
void write_summary(Report& r, const Shown& show, const JacketInput& in, const JacketResults& out)
{
    const std::string_view thk = show.u.thickness.text();
    const std::string_view prs = show.u.pressure.text();

    write_text(r, style::kSummaryTitle, "Summary of Results:");
    write_blank_line(r);
    write_summary_line(r, "Input Thickness of Shell", show.thk(in.ts), thk);
    write_summary_line(r, "Req.d Thickness of Shell due to Internal P.", show.thk(out.Tr), thk);
    write_summary_line(r, "Req.d Thickness of Shell due to Jacket P.", show.thk(out.Trj), thk);
    write_blank_line(r);
    write_summary_line(r, "Pressure Used for Jacket Design", show.pressure(out.design.Pj), prs);
    write_summary_line(r, "M.A.W.P. of Jacket for Input Thickness", show.pressure(out.Pprime_ts), prs);
    write_summary_line(r, "M.A.W.P. of Jacket for Required Thickness", show.pressure(out.Pprime_Trj), prs);
    write_blank_line(r);
    write_summary_line(r, "Input Thickness of Half-Pipe Jacket", show.thk(in.Tj), thk);
    write_summary_line(r, "Required Thickness of Half-Pipe Jacket", show.thk(out.T), thk);
    if (in.Tj < out.T)
        write_summary_line(r, "Accepted Thickness of Half-Pipe Jacket", show.thk(out.Tj), thk);
    write_blank_line(r);
    write_summary_line(r, "Minimum Acceptable Fillet Weld Size", show.thk(out.Fillet), thk);
}

}  // namespace

void jacket_thickness_and_weld(Report& r, const UnitRecord& units, const JacketInput& in, JacketResults& out,
                               pipes::PipeSize pipe)
{
    const Shown show(units);
    const float Pj = out.design.Pj;
    const JacketWall w = jacket_wall(in, Pj, pipe);
    out.T_input = w.T_input;
    out.schedule = w.schedule;
    out.Tj = w.Tj;
    out.T = w.T;
    out.Fillet = fillet_weld(in, w.Tj);

    write_jacket_wall(r, show, in, Pj, pipe, w);
    write_fillet_weld(r, show, in, w.Tj, out.Fillet);
    write_blank_line(r);
    write_text(r, style::kNote, "Note: For Cyclic service a full penetration groove weld should be used.");
    write_blank_line(r);
    write_summary(r, show, in, out);
}

}  // namespace tx14
