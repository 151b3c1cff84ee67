// Geometry, loads and moments of the head with a large opening: load
// reaction diameter G, K ratio, radial distance R, end forces and moments.
#include "../report/single_precision.hpp"
#include "opening_calculation.hpp"

namespace tx14 {
namespace {

// G = A - 2 g0s + 2 ca.
float load_reaction_diameter(const OpeningInput& in) { return (in.A - (in.g0s + in.g0s)) + (in.ca + in.ca); }

float corroded_opening(const OpeningInput& in) { return in.Bn + 2.0f * in.ca; }

// R = 0.5 (G - Bncor), less the nozzle hub's corroded thickness g1n - ca.
float radial_distance(const OpeningInput& in, float G, float Bncor)
{
    if (has_nozzle(in))
        return 0.5f * (G - Bncor) - (in.g1n - in.ca);
    return 0.5f * (G - Bncor);
}

}  // namespace

float radial_distance(const OpeningInput& in)
{
    return radial_distance(in, load_reaction_diameter(in), corroded_opening(in));
}

OpeningLoads opening_loads(const OpeningInput& in)
{
    OpeningLoads L;
    const float ca = in.ca;
    L.G = load_reaction_diameter(in);
    L.K = in.A / (in.Bn + 2.0f * ca);
    L.P = in.P;
    L.Bncor = corroded_opening(in);
    L.R = radial_distance(in, L.G, L.Bncor);
    L.Hd = (0.785f * whole_power(L.Bncor, 2)) * L.P;
    if (has_nozzle(in))
        L.Md = L.Hd * (L.R + 0.5f * (in.g1n - ca));
    else
        L.Md = L.Hd * L.R;
    L.H = ((0.785f * L.G) * L.G) * L.P;
    L.Ht = L.H - L.Hd;
    if (has_nozzle(in))
        L.Mt = (0.5f * L.Ht) * (L.R + (in.g1n - ca));
    else
        L.Mt = (0.5f * L.Ht) * L.R;
    L.Mo = L.Md + L.Mt;
    return L;
}

void write_loads(Report& r, const Shown& show, const OpeningInput& in, const OpeningLoads& L)
{
    const std::string_view dia = show.u.diameter.text();
    const std::string_view force = show.u.force.text();
    const std::string_view moment = show.u.moment.text();
    const float ca = in.ca;
    const bool nozzle = has_nozzle(in);

    write_block(r, "Diameter of the Load Reaction G = C [G]:", " = A - 2 * g0s + (2 * ca)",
                " = @4 - 2 * @4 + (2 * @4) #", {show.dia(in.A), show.thk(in.g0s), show.thk(ca)}, show.dia(L.G), dia);
    write_block(r, "The Flange K Factor [K]:", " = A / ( Bn + ( 2 * ca ) )", " = @4 / ( @4 + ( 2 * @3 ) )",
                {show.dia(in.A), show.dia(in.Bn), show.dia(ca)}, L.K, kNoUnit);
    if (nozzle)
        write_block(r, "The Flange Radial Distance Dimension [R]:", " = 0.5( G - Bncor ) - ( g1n - ca ) ",
                    " = 0.5( @4 - @4 ) - ( @4 - @4 )",
                    {show.dia(L.G), show.dia(L.Bncor), show.thk(in.g1n), show.thk(ca)}, show.dia(L.R), dia);
    else
        write_block(r, "The Flange Radial Distance Dimension [R]:", " = 0.5( G - Bncor ) ", " = 0.5( @4 - @4 )",
                    {show.dia(L.G), show.dia(L.Bncor)}, show.dia(L.R), dia);

    // \xB2 is the superscript two.
    write_block(r, "The Hydrostatic End Force [Hd]:", " = 0.785 * Bncor\xB2 * P ", " = 0.785 * @4\xB2 * @4 ",
                {show.dia(L.Bncor), show.pressure(L.P)}, show.force(L.Hd), force);
    if (nozzle)
        write_block(r, "The Moment [Md]:", " = Hd( R + 0.5( g1n - ca ) ) ", " = @2(@4 + 0.5( @4 - @4 ) ) ",
                    {show.force(L.Hd), show.dia(L.R), show.thk(in.g1n), show.thk(ca)}, show.moment(L.Md), moment);
    else
        write_block(r, "The Moment [Md]:", " = HD * R ", " = @2 * @4 ", {show.force(L.Hd), show.dia(L.R)},
                    show.moment(L.Md), moment);
    write_block(r, "The Total Hydrostatic End Force [H]:", " = 0.785 * G\xB2 * P", " = 0.785 * @4\xB2 * @4 ",
                {show.dia(L.G), show.pressure(L.P)}, show.force(L.H), force);
    write_block(r, "The Differential End Force [Ht]:", " = H - Hd ", " = @2 - @2   ",
                {show.force(L.H), show.force(L.Hd)}, show.force(L.Ht), force);
    if (nozzle)
        write_block(r, "The Moment [Mt]:", " = 0.5 * Ht( R + g1n )", " = 0.5 * @2( @4 + ( @4 - @4 ) )",
                    {show.force(L.Ht), show.dia(L.R), show.thk(in.g1n), show.thk(ca)}, show.moment(L.Mt), moment);
    else
        write_block(r, "The Moment [Mt]:", " = 0.5 * Ht * R", " = 0.5 * @2 * @4", {show.force(L.Ht), show.dia(L.R)},
                    show.moment(L.Mt), moment);
    write_block(r, "The Total Moment [Mo]:", " = Md + Mt ", " = @0 + @0 ", {show.moment(L.Md), show.moment(L.Mt)},
                show.moment(L.Mo), moment);

    write_text(r, style::kTitle, "Flange Factors ( Opening ):");
    write_blank_line(r);
}

}  // namespace tx14
