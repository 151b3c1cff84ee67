// The end of a half-pipe jacket report: the required jacket thickness with
// the search for an adequate pipe schedule, the minimum fillet weld, the
// note on cyclic service and the results summary.
#include "../entry/state.hpp"
#include "../report/formula_block.hpp"
#include "jacket_calc.hpp"

namespace tx14 {
namespace {

constexpr float kMillTolerance = 0.875f;  // a pipe wall may be 12.5 % under nominal
constexpr float kWeldFactor = 1.414f;

// T = Pj Rp / (0.85 Sj - 0.6 Pj) + caj.
float required_jacket_thickness(const JacketInput& in, float Rp)
{
    return (in.Pj * Rp) / (0.85f * in.Sj - 0.6f * in.Pj) + in.caj;
}

// " Pipe Schedule = " and the schedule name, squeezed like a formula line.
void write_schedule_line(Report& r, std::string_view name)
{
    Field work = r.work;
    blank(work);
    put_right(work, 1, 20, "Pipe Schedule = ");
    put_right(work, 21, 5, name);
    write_formula_line(r, 0);
}

// The first schedule, from 5S on, whose wall less the mill tolerance
// carries the jacket pressure; XXS when none does. Tj becomes that wall.
int search_schedule(JacketInput& in, JacketResults& out, pipes::PipeSize pipe)
{
    int s = 1;
    for (;;) {
        in.Tj = pipes::wall(s, pipe.col) * kMillTolerance;
        float Rp = pipe.OD * 0.5f - in.Tj + in.caj;  // the pipe's, even for a formed jacket
        out.T = required_jacket_thickness(in, Rp);
        if (out.T <= in.Tj || s == pipes::kSchedules)
            return s;
        ++s;
    }
}

void jacket_thickness(State& st, JacketInput& in, JacketResults& out, pipes::PipeSize pipe)
{
    Report& r = st.report;
    const JacketUnits u(st.units);
    const bool div2 = in.code == 2;

    write_blank_line(r);
    write_text(r, style::kTitle, "Half-Pipe Jacket Thickness Calculations:");
    write_blank_line(r);
    write_text(r, style::kCaption, "Input Half-Pipe Jacket Thickness [Tj]:");
    write_result_b(r, in.Tj * u.thk, u.thk_label);

    out.Tj_input = in.Tj;
    float Rp = pipe.OD * 0.5f - in.Tj + in.caj;
    if (in.r > 0.001f)
        Rp = in.r + in.caj;
    out.T = required_jacket_thickness(in, Rp);
    out.T_input = out.T;
    write_blank_line(r);
    constexpr std::string_view kTemplate = " = ( @4 * @4 ) / ( 0.85 * @2 - 0.6 * @4 ) + @4";
    const auto values = {in.Pj * u.prs, Rp * u.dia, in.Sj * u.str, in.Pj * u.prs, in.caj * u.thk};
    if (div2)
        write_block(r, style::kCaption,
                    "Req'd Half-Pipe Jacket Thickness per 4.11.6.3, Eqn. 4.11.2, "
                    "(Includes ca) [trp]:",
                    " = ( Pj * Rp ) / ( 0.85 * Sj - 0.6 * Pj ) + caj", kTemplate, values, 1);
    else
        write_block(r, style::kCaption,
                    "Req'd Half-Pipe Jacket Thickness per App. EE-1, Eqn. (2) (Includes ca) [T]:",
                    " = ( Pj * R ) / ( 0.85 * Sj - 0.6 * Pj ) + caj", kTemplate, values, 1);
    write_result_a(r, out.T > in.Tj, out.T * u.thk, u.thk_label);
    if (!(in.Tj < out.T))
        return;

    write_warning(r, style::kWarningHeadline,
                  {div2 ? "Input Thickness is less than the Required Thickness per eqn. 4.11.2!"
                        : "Input Thickness is less than the Required Thickness of App.EE, "
                          "EQN.(2)!",
                   "*** Continuing the Analysis Using an Acceptable Thickness"});
    int s = search_schedule(in, out, pipe);
    out.schedule = s;
    write_blank_line(r);
    write_text(r, style::kCaption, "Acceptable Pipe Schedule for Jacket:");
    write_schedule_line(r, pipes::schedule_name(s));
    write_blank_line(r);
    write_block(r, style::kCaption, "Actual Thickness of Selected Pipe Schedule [Tj]:",
                " = t * 0.875", " =  @4 * 0.875", {pipes::wall(s, pipe.col) * u.thk}, 1);
    write_result_b(r, in.Tj * u.thk, u.thk_label);
}

// Based on the shell when it is not thicker than the jacket; a standard
// pipe's weld allows for the mill tolerance of its wall.
void fillet_weld(State& st, const JacketInput& in, JacketResults& out)
{
    Report& r = st.report;
    const JacketUnits u(st.units);

    write_blank_line(r);
    write_text(r, style::kTitle, "Minimum Fillet Weld Size Calculations:");
    write_blank_line(r);
    if (in.ts <= in.Tj) {
        out.Fillet = in.ts * kWeldFactor;
        write_block(r, style::kCaption,
                    "Minimum Fillet Weld Size (Based on Shell Thickness) [Fillet]:",
                    " = Ts * 1.414", " = @4 * 1.414", {in.ts * u.thk}, 1);
    } else {
        const char* label = "Minimum Fillet Weld Size (Based on Jacket Thickness) [Fillet]:";
        if (in.r > 0.01f) {
            out.Fillet = in.Tj * kWeldFactor;
            write_block(r, style::kCaption, label, " = Tj * 1.414", " = @4 * 1.414",
                        {in.Tj * u.thk}, 1);
        } else {
            out.Fillet = in.Tj * kWeldFactor / kMillTolerance;
            write_block(r, style::kCaption, label, " = Tj / .875 * 1.414",
                        " = @4 / .875 * 1.414", {in.Tj * u.thk}, 1);
        }
    }
    write_result_b(r, out.Fillet * u.thk, u.thk_label);
}

}  // namespace

void jacket_thickness_and_weld(State& st, JacketInput& in, JacketResults& out,
                               pipes::PipeSize pipe)
{
    jacket_thickness(st, in, out, pipe);
    fillet_weld(st, in, out);

    Report& r = st.report;
    write_blank_line(r);
    write_text(r, style::kNote,
               "Note: For Cyclic service a full penetration groove weld should be used.");
    write_blank_line(r);
    JACKETSUMMARY(st, {.Tr = out.Tr,
                       .ts = in.ts,
                       .Trj = out.Trj,
                       .Pj = in.Pj,
                       .T = out.T,
                       .Tj = in.Tj,
                       .Fillet = out.Fillet,
                       .Pprime_Trj = out.Pprime_Trj,
                       .Pprime_ts = out.Pprime_ts,
                       .Tj_input = out.Tj_input});
}

}  // namespace tx14
