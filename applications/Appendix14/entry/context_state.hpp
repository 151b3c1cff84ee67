// The run state behind a Context, for the library's own tests and tools
// (the public header keeps it opaque).
#pragma once

#include "../include/txappendix14.hpp"
#include "state.hpp"

namespace tx14 {

State& context_state(Context& c);

}  // namespace tx14
