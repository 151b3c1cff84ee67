// The jacket and coil item from the entry to its closing lines: unpacking,
// echo, validation, JACKETCALC and the results in elements 196 to 198.
#include <algorithm>

#include "../entry/lgcenter.hpp"
#include "../report/single_precision.hpp"
#include "../results/record_items.hpp"
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
    copy_text(in.third_text, text_field(texts, 3), kTextWidth);
}

void run_jacket_item(State& st, float* reals, const char* texts, char run_mode)
{
    JacketInput& in = st.jacket;
    st.report.print = 1;
    unpack_jacket_input(in, reals, texts);
    echo_jacket_input(st);

    std::int32_t error_count = 0;
    validate_jacket_input(st, error_count, run_mode);
    st.input_errors = error_count;
    if (error_count == 0) {
        if (in.code < 3)
            in.Pj = in.Pj + in.ExtPCore;  // a jacket also carries the core's external pressure
        JacketResults out;
        JACKETCALC(st, in, out);
        record_jacket_results(st, out);
        element(reals, 198) = std::max(out.Trj, out.Tr);
        element(reals, 197) = out.Pprime_ts;
        element(reals, 196) = out.Fillet;  // 0 for a coil, which sizes no weld
    }

    write_closing_lines(st.report);
    st.report.file.close();
}

}  // namespace tx14
