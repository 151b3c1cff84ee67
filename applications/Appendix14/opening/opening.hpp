// The large-opening analysis as the entry calls it: echo, validation and
// the calculation with its thickness search.
#pragma once

#include <cstdint>

namespace tx14 {

struct State;

// The four results of the calculation routine.
struct OpeningResults {
    float mawp = 0;             // M.A.W.P. for the given geometry (first pass)
    float minimum_t = 0;        // approximate minimum flange thickness, 0 after a failed search
    float input_t = 0;          // the input thickness
    float largest_stress = 0;   // largest stress magnitude of the first pass
    float weight = 0;           // finished forging weight at the input thickness
};

// Prints the input in display units; right-adjusts the material name.
void echo_opening_input(State& st);

// Checks the item, prints the error section, raises error_count by one per
// fatal finding.
void validate_opening_input(State& st, std::int32_t& error_count, char run_mode);

// The calculation: loads, factors, stresses, summary, thickness search.
void calculate_opening(State& st, OpeningResults& results);

// Finished weight W and rough weight Wr of the head forging.
void forging_weight(float B, float A, float t, float g1, float g0, float h, float& W, float& Wr,
                    float density);

}  // namespace tx14
