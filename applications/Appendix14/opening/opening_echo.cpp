// The echo of a large-opening item: its input in display units, one
// labelled line per value, printed before the validation.
#include <string_view>

#include "../report/fixed_line.hpp"
#include "opening.hpp"

namespace tx14 {
namespace {

constexpr int kLabelWidth = 45;  // the symbol ends in column 44

// Label, 5 blanks, the value right-aligned in 10 columns, 2 blanks, the
// unit label at its slot's width.
void write_value_line(Report& r, std::string_view label, float value, int decimals, std::string_view unit)
{
    FixedLine(r).text(label, kLabelWidth).blanks(5).fixed(value, 10, decimals).blanks(2).text(unit).write();
}

}  // namespace

void echo_opening_input(Report& r, const UnitRecord& u, const OpeningInput& in)
{
    const Shown show(u);

    write_blank_line(r);
    write_text(r, style::kTitle,
               in.code == 1 ? "ASME VIII-1, Appendix 14 Large Centrally Located Opening Input"
                            : "ASME VIII-2, 4.6.4 Integral Flat Head with a Centrally Located Opening");
    write_blank_line(r);

    const std::string_view dia = u.diameter.text();
    const std::string_view thk = u.thickness.text();
    write_value_line(r, "Design Temperature", show.temperature(in.T), 2, u.temperature_text());
    write_value_line(r, "Internal Design Pressure                   P", show.pressure(in.P), 2, u.pressure.text());
    write_value_line(r, "Integral Flat Head Thickness               t", show.thk(in.t), 4, thk);
    write_blank_line(r);
    write_value_line(r, "Opening Inside Diameter                   Bn", show.dia(in.Bn), 4, dia);
    write_value_line(r, "Shell Outside Diameter                     A", show.dia(in.A), 4, dia);
    write_blank_line(r);
    write_value_line(r, "Shell Side Hub Thickness, Small End      g0s", show.thk(in.g0s), 4, thk);
    write_value_line(r, "Shell Side Hub Thickness, Large End      g1s", show.thk(in.g1s), 4, thk);
    write_value_line(r, "Shell Side Hub Length                     hs", show.thk(in.hs), 4, thk);
    write_value_line(r, "Corrosion Allowance                       ca", show.thk(in.ca), 4, thk);
    write_blank_line(r);

    std::array<char, 15> material = in.material;
    adjust_right(material);
    FixedLine(r).text("Flange and Nozzle Material", kLabelWidth).text(view(material)).write();
    write_value_line(r, "Allowable Stress at Design Temperature   Sho", show.stress(in.Sho), 2, u.stress.text());
    write_value_line(r, "Allowable Stress at Ambient Temperature  Shg", show.stress(in.Shg), 2, u.stress.text());
    write_blank_line(r);
    write_value_line(r, "Nozzle Side Hub Thickness, Small End     g0n", show.thk(in.g0n), 4, thk);
    write_value_line(r, "Nozzle Side Hub Thickness, Large End     g1n", show.thk(in.g1n), 4, thk);
    write_value_line(r, "Nozzle Side Hub Length                    hn", show.thk(in.hn), 4, thk);
}

}  // namespace tx14
