// The input echo of a half-pipe jacket or limpet coil item, in display
// units: a 45-character label, the value in a fixed form ending in column
// 60, two blanks and the unit label.
#include "../entry/state.hpp"
#include "../report/number_fields.hpp"
#include "jacket_item.hpp"

namespace tx14 {
namespace {

constexpr int kLabelWidth = 45;
constexpr int kValueEnd = 60;  // every value form ends here
constexpr int kUnitColumn = 63;

// Fixed point with d decimals in the last `width` columns of the value
// forms (10.4, 10.3, 10.2: width 10; 14.2: width 14), then the unit.
void echo_value(Report& r, std::string_view label, float value, int width, int d,
                std::string_view unit)
{
    assign(r.line, label);
    field::fixed(Field(r.line).subspan(kValueEnd - width, static_cast<std::size_t>(width)), value,
                 d);
    put(r.line, kUnitColumn, unit);
    write_line(r);
}

// Form I10: a temperature rounded to the nearest whole number.
void echo_whole(Report& r, std::string_view label, float value, std::string_view unit)
{
    assign(r.line, label);
    field::nearest_whole(Field(r.line).subspan(kValueEnd - 10, 10), value);
    put(r.line, kUnitColumn, unit);
    write_line(r);
}

// Form A15: the material name, right-adjusted and stored back.
void echo_material(Report& r, std::string_view label, std::array<char, 15>& name)
{
    adjust_right(name);
    assign(r.line, label);
    put(r.line, kLabelWidth + 1, view(name));
    write_line(r);
}

void echo_half_pipe(State& st)
{
    Report& r = st.report;
    const UnitRecord& u = st.units;
    JacketInput& in = st.jacket;
    const float dia = u.diameter.factor, thk = u.thickness.factor;
    const float prs = u.pressure.factor, str = u.stress.factor;

    echo_value(r, "Cylinder Inside Diameter                   D", in.D * dia, 10, 4, u.diameter.text());
    echo_value(r, "Cylinder Thickness                        ts", in.ts * thk, 10, 4, u.thickness.text());
    echo_value(r, "Cylinder Internal Design Pressure          P", in.P * prs, 10, 2, u.pressure.text());
    echo_value(r, "Design Temperature for Internal Pressure", u.temperature(in.T), 10, 2, u.temperature_text());
    echo_material(r, "Cylinder Material", in.cylinder_material);
    echo_value(r, "Cylinder Allowable Stress, Design Temp     S", in.S * str, 14, 2, u.stress.text());
    echo_value(r, "Cylinder Allowable Stress, Ambient        Sa", in.Sa * str, 14, 2, u.stress.text());
    echo_value(r, "Cylinder Corrosion Allowance              ca", in.ca * thk, 10, 4, u.thickness.text());
    echo_value(r, "Cylinder Outer Corrosion Allowance        co", in.co * thk, 10, 3, u.thickness.text());
    echo_value(r, "Cylinder Joint Efficiency                  E", in.E, 10, 2, "");
    write_blank_line(r);
    if (in.r > 0.0f)
        echo_value(r, "Formed Inside Radius of Half-Pipe Jacket   r", in.r * dia, 10, 4, u.diameter.text());
    else
        echo_value(r, "Nominal Pipe Size of Half-Pipe Jacket    Dpj", in.NPS * dia, 10, 4, u.diameter.text());
    echo_value(r, "Jacket Minimum Thickness                  Tj", in.Tj * thk, 10, 4, u.thickness.text());
    echo_value(r, "Jacket Design Pressure                    Pj", in.Pj * prs, 10, 3, u.pressure.text());
    echo_whole(r, "Jacket Design Temperature", u.temperature(in.Tjacket), u.temperature_text());
    echo_material(r, "Jacket Material Name", in.jacket_material);
    echo_value(r, "Jacket Allowable Stress, Design Temp      Sj", in.Sj * str, 14, 2, u.stress.text());
    echo_value(r, "Jacket Allowable Stress, Ambient         Sja", in.Sja * str, 14, 2, u.stress.text());
    echo_value(r, "Jacket Corrosion Allowance               caj", in.caj * thk, 10, 4, u.thickness.text());
    echo_value(r, "Core External Pressure              ExtPCore", in.ExtPCore * prs, 10, 3, u.pressure.text());
}

void echo_limpet_coil(State& st)
{
    Report& r = st.report;
    const UnitRecord& u = st.units;
    JacketInput& in = st.jacket;
    const float dia = u.diameter.factor, thk = u.thickness.factor;
    const float prs = u.pressure.factor, str = u.stress.factor;

    echo_value(r, "Cylinder Inside Diameter", in.D * dia, 10, 4, u.diameter.text());
    echo_value(r, "Cylinder Thickness                         e", in.ts * thk, 10, 4, u.thickness.text());
    echo_value(r, "Cylinder Internal Design Pressure          P", in.P * prs, 10, 2, u.pressure.text());
    echo_value(r, "Design Temperature for Internal Pressure", u.temperature(in.T), 10, 2, u.temperature_text());
    echo_material(r, "Cylinder Material", in.cylinder_material);
    echo_value(r, "Cylinder Allowable Stress, Design Temp     f", in.S * str, 14, 2, u.stress.text());
    echo_value(r, "Cylinder Corrosion Allowance              ca", in.ca * thk, 10, 4, u.thickness.text());
    echo_value(r, "Cylinder Outer Corrosion Allowance        co", in.co * thk, 10, 3, u.thickness.text());
    write_blank_line(r);
    if (in.r > 0.0f)
        echo_value(r, "Formed Inside Radius of Limpet Coil        r", in.r * dia, 10, 4, u.diameter.text());
    else
        echo_value(r, "Nominal Pipe Size of Limpet Coil", in.NPS * dia, 10, 4, u.diameter.text());
    echo_value(r, "Coil Minimum Thickness                    ec", in.Tj * thk, 10, 4, u.thickness.text());
    echo_value(r, "Coil Design Pressure                      pc", in.Pj * prs, 10, 3, u.pressure.text());
    echo_whole(r, "Coil Design Temperature", u.temperature(in.Tjacket), u.temperature_text());
    echo_material(r, "Coil Material Name", in.jacket_material);
    echo_value(r, "Coil Design Stress, Design Temperature    fc", in.Sj * str, 14, 2, u.stress.text());
    echo_value(r, "Coil Corrosion Allowance                 caj", in.caj * thk, 10, 4, u.thickness.text());
    echo_value(r, "Span of the Coils                          L", in.L * u.length.factor, 14, 2, u.length.text());
}

}  // namespace

void echo_jacket_input(State& st)
{
    Report& r = st.report;
    const bool half_pipe = st.jacket.code < 3;
    write_blank_line(r);
    write_text(r, style::kTitle,
               half_pipe ? "Half-Pipe Jacket Analysis Input Data :" : "Limpet Coil Analysis Input Data :");
    write_blank_line(r);
    if (half_pipe)
        echo_half_pipe(st);
    else
        echo_limpet_coil(st);
}

}  // namespace tx14
