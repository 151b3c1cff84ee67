// One analysis call: the arguments of LGCENTER without the hidden length
// words, and the run sequence behind it.
#pragma once

#include <cstdint>

#include "state.hpp"

namespace tx14 {

inline constexpr int kRealCount = 200;
inline constexpr int kTextWidth = 15;
inline constexpr int kFileNameWidth = 256;
inline constexpr float kMissingValue = -1.0101f;

struct HostCall {
    float* reals;                  // at least 200 elements; results come back here
    const char* texts;             // fields of 15 characters
    const char* run_mode;          // one character, passed on, never acted on
    std::int32_t* error_count;     // fatal input errors of a large opening
    const char* report_file;       // 256 characters; blank: capture in memory
    const char* unit_labels;       // 23 labels of 10 characters
    const float* unit_factors;     // 22 factors from internal to display units
    std::int32_t* print_control;   // set to 1
};

// Runs one item on the state: units, report destination, dispatch on the
// item kind, analysis, closing lines.
void analyse_item(State& st, const HostCall& call);

// Element n (counted from 1) of the real array.
inline float& element(float* reals, int n) { return reals[n - 1]; }

// Every element 1 to 200 equal to the missing-value mark becomes 0.0, in
// the host's own array.
void replace_missing_values(float* reals);

// Text field n (from 1) of the host's text array, or nullptr.
inline const char* text_field(const char* texts, int n)
{
    return texts ? texts + (n - 1) * kTextWidth : nullptr;
}

}  // namespace tx14
