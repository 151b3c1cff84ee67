// One analysis call: the arguments of LGCENTER without the hidden length
// words, and the run sequence behind it.
#pragma once

#include <cstdint>

#include "state.hpp"

namespace tx14 {

inline constexpr int kFileNameWidth = 256;

struct CallArguments {
    float* reals;                 // at least 200 elements; results come back here
    const char* texts;            // fields of 15 characters
    std::int32_t* error_count;    // fatal input errors of a large opening
    const char* report_file;      // 256 characters; blank: capture in memory
    const char* unit_labels;      // 23 labels of 10 characters
    const float* unit_factors;    // 22 factors from internal to display units
    std::int32_t* print_control;  // set to 1
};

// Runs one item on the state: units, report destination, dispatch on the
// item kind, analysis, closing lines, close of the report file.
void analyse_item(State& st, const CallArguments& call);

}  // namespace tx14
