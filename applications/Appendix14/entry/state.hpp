// The run state of the library, one part per concern: the report, the unit
// record, and the input and results of each analysis. The exported entry
// points work on one process-wide State; a caller of the C++ interface owns
// as many as it likes, one per thread. Only the entry sees the whole; each
// routine below it is handed the parts it uses.
#pragma once

#include <cstdint>

#include "../common/units.hpp"
#include "../jacket/jacket_input.hpp"
#include "../opening/opening.hpp"
#include "../report/report.hpp"

namespace tx14 {

struct State {
    UnitRecord units;
    Report report;
    OpeningInput opening;
    OpeningResults opening_results;
    JacketInput jacket;

    // Fatal input errors of the last item, of either kind (the host gets
    // them only for a large opening, through its error count).
    std::int32_t input_errors = 0;
};

}  // namespace tx14
