// The large-opening analysis as the entry calls it: one item from the
// host's arrays to its results, and the forging weight the host may call
// on its own.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "../common/input_findings.hpp"
#include "../common/units.hpp"
#include "../report/report.hpp"
#include "opening_input.hpp"
#include "opening_work.hpp"

namespace tx14 {

// The results of the calculation: the approximate minimum thickness and
// the passes its search took, and the loads, factors and first pass as the
// report prints them (the M.A.W.P. and the largest stress are the first
// pass's).
struct OpeningResults {
    float minimum_t = 0;     // approximate minimum flange thickness, 0 after a failed search
    int passes = 0;          // passes of the thickness search
    InputFindings findings;  // of the validation, fatal or not
    OpeningLoads loads;
    OpeningFactors factors;
    OpeningPass first;  // the pass at the input thickness
};

// Runs an unpacked item: echo, validation and, without a fatal finding,
// the results title and the calculation. Returns the number of fatal
// findings.
std::int32_t run_opening(Report& r, const UnitRecord& u, const OpeningInput& in, OpeningResults& results);

// The named results of a run (elements 30 to 32 of the host's array):
// approximate minimum thickness, M.A.W.P., largest stress.
std::array<float, 3> named_results(const OpeningResults& results);

// Prints the input in display units, the material name right-adjusted.
void echo_opening_input(Report& r, const UnitRecord& u, const OpeningInput& in);

// Checks the item, lists the codes it found in `findings` and prints the
// error section; returns the number of fatal findings.
std::int32_t validate_opening_input(Report& r, const OpeningInput& in, InputFindings& findings);

// The message of a finding code as the error section prints it (empty for
// an unknown code), and whether the finding is fatal.
struct OpeningMessage {
    std::string_view text;
    bool fatal;
};
OpeningMessage opening_message(std::int32_t code);

// The calculation: loads, then the passes of the thickness search; fills
// every field of results.
void calculate_opening(Report& r, const UnitRecord& u, const OpeningInput& in, OpeningResults& results);

// Finished weight W and rough weight Wr of the head forging.
void forging_weight(float B, float A, float t, float g1, float g0, float h, float& W, float& Wr, float density);
// The finished weight alone, of the item's head at thickness t: the one
// the report and the results record show.
float finished_weight(const OpeningInput& in, float t);

}  // namespace tx14
