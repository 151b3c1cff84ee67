// The input echo of a half-pipe jacket or limpet coil item, in display
// units: a 45-character label, the value in a fixed form ending in column
// 60, two blanks and the unit label.
#include "../common/units.hpp"
#include "../report/number_fields.hpp"
#include "../report/report.hpp"
#include "jacket_item.hpp"

namespace tx14 {
namespace {

constexpr int kLabelWidth = 45;
constexpr int kValueEnd = 60;  // every value form ends here
constexpr int kUnitColumn = 63;

// The value lines of the echo, by the kind of quantity they show.
struct Echo {
    Report& r;
    const Shown show;

    // Fixed point with d decimals in the last `width` columns of the value
    // forms (10.4, 10.3, 10.2: width 10; 14.2: width 14), then the unit.
    void value(std::string_view label, float v, int width, int d, std::string_view unit)
    {
        assign(r.line, label);
        field::fixed(Field(r.line).subspan(kValueEnd - width, static_cast<std::size_t>(width)), v, d);
        put(r.line, kUnitColumn, unit);
        write_line(r);
    }

    void diameter(std::string_view label, float v) { value(label, show.dia(v), 10, 4, show.u.diameter.text()); }
    void thickness(std::string_view label, float v, int d = 4)
    {
        value(label, show.thk(v), 10, d, show.u.thickness.text());
    }
    void pressure(std::string_view label, float v, int d)
    {
        value(label, show.pressure(v), 10, d, show.u.pressure.text());
    }
    void stress(std::string_view label, float v) { value(label, show.stress(v), 14, 2, show.u.stress.text()); }
    void temperature(std::string_view label, float T)
    {
        value(label, show.temperature(T), 10, 2, show.u.temperature_text());
    }

    // Form I10: a temperature rounded to the nearest whole number.
    void whole_temperature(std::string_view label, float T)
    {
        assign(r.line, label);
        field::nearest_whole(Field(r.line).subspan(kValueEnd - 10, 10), show.temperature(T));
        put(r.line, kUnitColumn, show.u.temperature_text());
        write_line(r);
    }

    // Form A15: the material name, right-adjusted.
    void material(std::string_view label, std::array<char, 15> name)
    {
        adjust_right(name);
        assign(r.line, label);
        put(r.line, kLabelWidth + 1, view(name));
        write_line(r);
    }
};

void echo_half_pipe(Echo& e, const JacketInput& in)
{
    e.diameter("Cylinder Inside Diameter                   D", in.D);
    e.thickness("Cylinder Thickness                        ts", in.ts);
    e.pressure("Cylinder Internal Design Pressure          P", in.P, 2);
    e.temperature("Design Temperature for Internal Pressure", in.T);
    e.material("Cylinder Material", in.cylinder_material);
    e.stress("Cylinder Allowable Stress, Design Temp     S", in.S);
    e.stress("Cylinder Allowable Stress, Ambient        Sa", in.Sa);
    e.thickness("Cylinder Corrosion Allowance              ca", in.ca);
    e.thickness("Cylinder Outer Corrosion Allowance        co", in.co, 3);
    e.value("Cylinder Joint Efficiency                  E", in.E, 10, 2, "");
    write_blank_line(e.r);
    if (in.r > kRadiusEchoed)
        e.diameter("Formed Inside Radius of Half-Pipe Jacket   r", in.r);
    else
        e.diameter("Nominal Pipe Size of Half-Pipe Jacket    Dpj", in.NPS);
    e.thickness("Jacket Minimum Thickness                  Tj", in.Tj);
    e.pressure("Jacket Design Pressure                    Pj", in.Pj, 3);
    e.whole_temperature("Jacket Design Temperature", in.Tjacket);
    e.material("Jacket Material Name", in.jacket_material);
    e.stress("Jacket Allowable Stress, Design Temp      Sj", in.Sj);
    e.stress("Jacket Allowable Stress, Ambient         Sja", in.Sja);
    e.thickness("Jacket Corrosion Allowance               caj", in.caj);
    e.pressure("Core External Pressure              ExtPCore", in.ExtPCore, 3);
}

void echo_limpet_coil(Echo& e, const JacketInput& in)
{
    e.diameter("Cylinder Inside Diameter", in.D);
    e.thickness("Cylinder Thickness                         e", in.ts);
    e.pressure("Cylinder Internal Design Pressure          P", in.P, 2);
    e.temperature("Design Temperature for Internal Pressure", in.T);
    e.material("Cylinder Material", in.cylinder_material);
    e.stress("Cylinder Allowable Stress, Design Temp     f", in.S);
    e.thickness("Cylinder Corrosion Allowance              ca", in.ca);
    e.thickness("Cylinder Outer Corrosion Allowance        co", in.co, 3);
    write_blank_line(e.r);
    if (in.r > kRadiusEchoed)
        e.diameter("Formed Inside Radius of Limpet Coil        r", in.r);
    else
        e.diameter("Nominal Pipe Size of Limpet Coil", in.NPS);
    e.thickness("Coil Minimum Thickness                    ec", in.Tj);
    e.pressure("Coil Design Pressure                      pc", in.Pj, 3);
    e.whole_temperature("Coil Design Temperature", in.Tjacket);
    e.material("Coil Material Name", in.jacket_material);
    e.stress("Coil Design Stress, Design Temperature    fc", in.Sj);
    e.thickness("Coil Corrosion Allowance                 caj", in.caj);
    e.value("Span of the Coils                          L", in.L * e.show.u.length.factor, 14, 2,
            e.show.u.length.text());
}

}  // namespace

void echo_jacket_input(Report& r, const UnitRecord& units, const JacketInput& in)
{
    const bool half_pipe = in.code < 3;
    write_blank_line(r);
    write_text(r, style::kTitle,
               half_pipe ? "Half-Pipe Jacket Analysis Input Data :" : "Limpet Coil Analysis Input Data :");
    write_blank_line(r);
    Echo e{r, Shown(units)};
    if (half_pipe)
        echo_half_pipe(e, in);
    else
        echo_limpet_coil(e, in);
}

}  // namespace tx14
