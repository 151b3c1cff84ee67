// Geometry, loads and moments of the head with a large opening: load
// reaction diameter G, K ratio, radial distance R, end forces and moments.
#include "../report/single_precision.hpp"
#include "opening_calculation.hpp"

namespace tx14 {

void compute_loads(State& st)
{
    Report& r = st.report;
    const OpeningInput& in = st.opening;
    OpeningWork& w = st.opening_work;
    const Shown show = shown(st);
    const std::string_view dia = st.units.diameter.text();
    const std::string_view force = st.units.force.text();
    const std::string_view moment = st.units.moment.text();
    const float ca = in.ca;
    const bool nozzle = in.g0n > kNozzleTolerance || in.g1n > kNozzleTolerance;

    w.G = (in.A - (in.g0s + in.g0s)) + (ca + ca);
    write_block(r, "Diameter of the Load Reaction G = C [G]:", " = A - 2 * g0s + (2 * ca)",
                " = @4 - 2 * @4 + (2 * @4) #", {show.dia(in.A), show.thk(in.g0s), show.thk(ca)},
                show.dia(w.G), dia);

    w.K = in.A / (in.Bn + 2.0f * ca);
    write_block(r, "The Flange K Factor [K]:", " = A / ( Bn + ( 2 * ca ) )",
                " = @4 / ( @4 + ( 2 * @3 ) )", {show.dia(in.A), show.dia(in.Bn), show.dia(ca)},
                w.K, kNoUnit);

    w.P = in.P;
    w.Bncor = in.Bn + 2.0f * ca;

    if (nozzle) {
        w.R = 0.5f * (w.G - w.Bncor) - (in.g1n - ca);
        write_block(r, "The Flange Radial Distance Dimension [R]:",
                    " = 0.5( G - Bncor ) - ( g1n - ca ) ", " = 0.5( @4 - @4 ) - ( @4 - @4 )",
                    {show.dia(w.G), show.dia(w.Bncor), show.thk(in.g1n), show.thk(ca)},
                    show.dia(w.R), dia);
    } else {
        w.R = 0.5f * (w.G - w.Bncor);
        write_block(r, "The Flange Radial Distance Dimension [R]:", " = 0.5( G - Bncor ) ",
                    " = 0.5( @4 - @4 )", {show.dia(w.G), show.dia(w.Bncor)}, show.dia(w.R), dia);
    }

    // \xB2 is the superscript two.
    w.Hd = (0.785f * whole_power(w.Bncor, 2)) * w.P;
    write_block(r, "The Hydrostatic End Force [Hd]:", " = 0.785 * Bncor\xB2 * P ",
                " = 0.785 * @4\xB2 * @4 ", {show.dia(w.Bncor), show.pressure(w.P)},
                show.force(w.Hd), force);

    if (nozzle) {
        w.Md = w.Hd * (w.R + 0.5f * (in.g1n - ca));
        write_block(r, "The Moment [Md]:", " = Hd( R + 0.5( g1n - ca ) ) ",
                    " = @2(@4 + 0.5( @4 - @4 ) ) ",
                    {show.force(w.Hd), show.dia(w.R), show.thk(in.g1n), show.thk(ca)},
                    show.moment(w.Md), moment);
    } else {
        w.Md = w.Hd * w.R;
        write_block(r, "The Moment [Md]:", " = HD * R ", " = @2 * @4 ",
                    {show.force(w.Hd), show.dia(w.R)}, show.moment(w.Md), moment);
    }

    w.H = ((0.785f * w.G) * w.G) * w.P;
    write_block(r, "The Total Hydrostatic End Force [H]:", " = 0.785 * G\xB2 * P",
                " = 0.785 * @4\xB2 * @4 ", {show.dia(w.G), show.pressure(w.P)}, show.force(w.H),
                force);

    w.Ht = w.H - w.Hd;
    write_block(r, "The Differential End Force [Ht]:", " = H - Hd ", " = @2 - @2   ",
                {show.force(w.H), show.force(w.Hd)}, show.force(w.Ht), force);

    if (nozzle) {
        w.Mt = (0.5f * w.Ht) * (w.R + (in.g1n - ca));
        write_block(r, "The Moment [Mt]:", " = 0.5 * Ht( R + g1n )",
                    " = 0.5 * @2( @4 + ( @4 - @4 ) )",
                    {show.force(w.Ht), show.dia(w.R), show.thk(in.g1n), show.thk(ca)},
                    show.moment(w.Mt), moment);
    } else {
        w.Mt = (0.5f * w.Ht) * w.R;
        write_block(r, "The Moment [Mt]:", " = 0.5 * Ht * R", " = 0.5 * @2 * @4",
                    {show.force(w.Ht), show.dia(w.R)}, show.moment(w.Mt), moment);
    }

    w.Mo = w.Md + w.Mt;
    write_block(r, "The Total Moment [Mo]:", " = Md + Mt ", " = @0 + @0 ",
                {show.moment(w.Md), show.moment(w.Mt)}, show.moment(w.Mo), moment);

    write_text(r, style::kTitle, "Flange Factors ( Opening ):");
    write_blank_line(r);
}

}  // namespace tx14
