// A large-opening item's input record: where the elements of the host's
// real array and its text fields go, for the host's arrays and the typed
// entry alike.
#include "opening_input.hpp"

#include "../common/host_arrays.hpp"
#include "../report/single_precision.hpp"
#include "../report/text.hpp"

namespace tx14 {
void set_opening_text(OpeningInput& in, int field, const char* text)
{
    if (field == 1)
        copy_text(in.material, text, kTextWidth);
}

void unpack_opening_input(OpeningInput& in, float* reals, const char* texts)
{
    replace_missing_values(reals);
    in.item = truncate_to_int32(element(reals, 1));
    for (auto [e, field] : kOpeningFields)
        in.*field = element(reals, e);
    set_opening_text(in, 1, text_field(texts, 1));
    in.code = truncate_to_int32(element(reals, 25));
}

}  // namespace tx14
