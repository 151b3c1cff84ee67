// The missing-value marks of the host's real array.
#include "host_arrays.hpp"

namespace tx14 {

void replace_missing_values(float* reals)
{
    for (int n = 1; n <= kRealCount; ++n)
        if (element(reals, n) == kMissingValue)
            element(reals, n) = 0.0f;
}

}  // namespace tx14
