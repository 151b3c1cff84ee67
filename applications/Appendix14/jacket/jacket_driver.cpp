// A jacket or coil item from the host's arrays to its results: unpacking,
// echo, validation, JACKETCALC and the results in elements 196 to 198.
#include <algorithm>

#include "../common/host_arrays.hpp"
#include "../report/single_precision.hpp"
#include "jacket.hpp"
#include "jacket_calc.hpp"
#include "jacket_item.hpp"

namespace tx14 {

void unpack_jacket_input(JacketInput& in, float* reals, const char* texts)
{
    replace_missing_values(reals);
    in.item = truncate_to_int32(element(reals, 1));
    in.D = element(reals, 2);
    in.ts = element(reals, 3);
    in.P = element(reals, 4);
    in.T = element(reals, 5);
    in.S = element(reals, 6);
    in.Sa = element(reals, 7);
    in.ca = element(reals, 8);
    in.E = element(reals, 9);
    in.NPS = element(reals, 10);
    in.Tj = element(reals, 11);
    in.Pj = element(reals, 12);
    in.Tjacket = element(reals, 13);
    in.Sj = element(reals, 14);
    in.Sja = element(reals, 15);
    in.caj = element(reals, 16);
    in.r = element(reals, 17);
    in.ExtPCore = element(reals, 18);
    in.co = element(reals, 19);
    in.code = truncate_to_int32(element(reals, 20));
    in.L = element(reals, 21);
    copy_text(in.cylinder_material, text_field(texts, 1), kTextWidth);
    copy_text(in.jacket_material, text_field(texts, 2), kTextWidth);
}

std::int32_t run_jacket(Report& r, const UnitRecord& units, const JacketInput& in, JacketResults& out)
{
    out = JacketResults{};
    out.design = jacket_design(in);
    echo_jacket_input(r, units, in);
    const std::int32_t errors = validate_jacket_input(r, in, out.design, out.findings);
    if (errors == 0)
        JACKETCALC(r, units, in, out.design, out);
    return errors;
}

std::int32_t run_jacket_item(Report& r, const UnitRecord& units, JacketInput& in, JacketResults& out, float* reals,
                             const char* texts)
{
    unpack_jacket_input(in, reals, texts);
    const std::int32_t errors = run_jacket(r, units, in, out);
    if (errors == 0) {
        element(reals, 198) = std::max(out.Trj, out.Tr);
        element(reals, 197) = out.Pprime_ts;
        element(reals, 196) = out.Fillet;  // 0 for a coil, which sizes no weld
    }
    return errors;
}

}  // namespace tx14
