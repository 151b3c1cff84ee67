// A jacket or coil item from the host's arrays to its results: unpacking,
// echo, validation, JACKETCALC and the results in elements 196 to 198.
#include <algorithm>

#include "../common/host_arrays.hpp"
#include "../report/single_precision.hpp"
#include "jacket.hpp"
#include "jacket_calc.hpp"
#include "jacket_item.hpp"

namespace tx14 {

void set_jacket_text(JacketInput& in, int field, const char* text)
{
    if (field == 1)
        copy_text(in.cylinder_material, text, kTextWidth);
    else if (field == 2)
        copy_text(in.jacket_material, text, kTextWidth);
}

void unpack_jacket_input(JacketInput& in, float* reals, const char* texts)
{
    replace_missing_values(reals);
    in.item = truncate_to_int32(element(reals, 1));
    for (auto [e, field] : kJacketFields)
        in.*field = element(reals, e);
    in.code = truncate_to_int32(element(reals, 20));
    set_jacket_text(in, 1, text_field(texts, 1));
    set_jacket_text(in, 2, text_field(texts, 2));
}

std::int32_t run_jacket(Report& r, const UnitRecord& units, const JacketInput& in, JacketResults& out)
{
    out = JacketResults{};
    out.design = jacket_design(in);
    echo_jacket_input(r, units, in);
    const std::int32_t errors = validate_jacket_input(r, in, out.design, out.findings);
    if (errors == 0)
        JACKETCALC(r, units, in, out);
    return errors;
}

std::array<float, 3> named_results(const JacketResults& out)
{
    return {out.Fillet, out.Pprime_ts, std::max(out.Trj, out.Tr)};
}

}  // namespace tx14
