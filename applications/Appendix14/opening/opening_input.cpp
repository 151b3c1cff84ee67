// Unpacking a large-opening item from the host's arrays.
#include "opening_input.hpp"

#include "../common/host_arrays.hpp"
#include "../report/single_precision.hpp"
#include "../report/text.hpp"

namespace tx14 {

void unpack_opening_input(OpeningInput& in, float* reals, const char* texts)
{
    replace_missing_values(reals);
    in.item = truncate_to_int32(element(reals, 1));
    in.T = element(reals, 6);
    in.P = element(reals, 5);
    in.Bn = element(reals, 8);
    in.A = element(reals, 9);
    in.t = element(reals, 7);
    in.g0s = element(reals, 10);
    in.g1s = element(reals, 11);
    in.hs = element(reals, 12);
    in.ca = element(reals, 13);
    copy_text(in.material, text_field(texts, 1), kTextWidth);
    in.Sho = element(reals, 15);
    in.Shg = element(reals, 16);
    in.g0n = element(reals, 18);
    in.g1n = element(reals, 19);
    in.hn = element(reals, 20);
    in.density = element(reals, 21);
    in.code = truncate_to_int32(element(reals, 25));
}

}  // namespace tx14
