// JACKETSUMMARY: the "Summary of Results:" table that closes a half-pipe
// jacket report.
#include "../common/units.hpp"
#include "../report/number_fields.hpp"
#include "../report/report.hpp"
#include "jacket_calc.hpp"

namespace tx14 {
namespace {

// The 43-character label, four blanks, the value with four decimals in 10
// columns (asterisks when it does not fit), two blanks and the unit.
void write_summary_line(Report& r, std::string_view label, float value, std::string_view unit)
{
    assign(r.line, label);
    field::fixed(Field(r.line).subspan(47, 10), value, 4);
    put(r.line, 60, unit);
    write_line(r);
}

}  // namespace

void JACKETSUMMARY(Report& r, const UnitRecord& units, const JacketSummary& v)
{
    const Shown show(units);
    const std::string_view thk_label = units.thickness.text();
    const std::string_view prs_label = units.pressure.text();

    write_text(r, style::kSummaryTitle, "Summary of Results:");
    write_blank_line(r);
    write_summary_line(r, "Input Thickness of Shell", show.thk(v.ts), thk_label);
    write_summary_line(r, "Req.d Thickness of Shell due to Internal P.", show.thk(v.Tr), thk_label);
    write_summary_line(r, "Req.d Thickness of Shell due to Jacket P.", show.thk(v.Trj), thk_label);
    write_blank_line(r);
    write_summary_line(r, "Pressure Used for Jacket Design", show.pressure(v.Pj), prs_label);
    write_summary_line(r, "M.A.W.P. of Jacket for Input Thickness", show.pressure(v.Pprime_ts), prs_label);
    write_summary_line(r, "M.A.W.P. of Jacket for Required Thickness", show.pressure(v.Pprime_Trj), prs_label);
    write_blank_line(r);
    write_summary_line(r, "Input Thickness of Half-Pipe Jacket", show.thk(v.Tj_input), thk_label);
    write_summary_line(r, "Required Thickness of Half-Pipe Jacket", show.thk(v.T), thk_label);
    if (v.Tj_input < v.T)
        write_summary_line(r, "Accepted Thickness of Half-Pipe Jacket", show.thk(v.Tj), thk_label);
    write_blank_line(r);
    write_summary_line(r, "Minimum Acceptable Fillet Weld Size", show.thk(v.Fillet), thk_label);
}

}  // namespace tx14
