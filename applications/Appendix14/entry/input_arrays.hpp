// Layout of the host's real array and text fields for a large opening.
#pragma once

#include "lgcenter.hpp"

namespace tx14 {

// Replaces missing-value marks, then copies elements 1, 5-13, 15, 16,
// 18-21 and 25 and text fields 1 and 2 into the opening input record.
void unpack_opening_input(OpeningInput& in, float* reals, const char* texts);

}  // namespace tx14
