// One analysis call: the arguments of LGCENTER without the hidden length
// words, and the run sequence behind it.
#pragma once

#include <cstdint>

#include "state.hpp"

namespace tx14 {

struct CallArguments {
    float* reals;                 // at least 200 elements; results come back here
    const char* texts;            // fields of 15 characters
    std::int32_t* error_count;    // fatal input errors of a large opening
    const char* report_file;      // 256 characters; blank: capture in memory
    const char* unit_labels;      // 23 labels of 10 characters
    const float* unit_factors;    // 22 factors from internal to display units
    std::int32_t* print_control;  // set to 1
};

// Runs one item of the host's arrays on the state: units, report
// destination, dispatch on the item kind, analysis, closing lines, close of
// the report file. Never throws: a run that cannot finish drops the rest of
// its report, captures nothing, leaves the results record empty and counts
// one fatal error (in error_count too, for either kind).
void analyse_item(State& st, const CallArguments& call) noexcept;

// The steps of a run, shared with the typed entry: the units and a reset
// report and record; an unpacked item's analysis and results record; the
// closing lines and the close of the report file.
void begin_run(State& st, const float* unit_factors, const char* unit_labels);
void run_opening_input(State& st);
void run_jacket_input(State& st);
void end_run(State& st);

}  // namespace tx14
