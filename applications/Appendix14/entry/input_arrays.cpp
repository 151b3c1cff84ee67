// The host's real array: missing-value marks and the large-opening unpacker.
#include "input_arrays.hpp"

#include "../report/single_precision.hpp"
#include "../report/text.hpp"

namespace tx14 {

void replace_missing_values(float* reals)
{
    for (int n = 1; n <= kRealCount; ++n)
        if (element(reals, n) == kMissingValue)
            element(reals, n) = 0.0f;
}

void unpack_opening_input(OpeningInput& in, float* reals, const char* texts)
{
    replace_missing_values(reals);
    in.item = truncate_to_int32(element(reals, 1));
    copy_text(in.description, text_field(texts, 2), kTextWidth);
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
