// The run state of the library, one part per concern: the report, the unit
// record, the input and results of each analysis, and the results record.
// The exported entry points work on one process-wide State; a caller of the
// C++ interface owns as many as it likes, one per thread. Only the entry
// sees the whole; each routine below it is handed the parts it uses.
#pragma once

#include <cstdint>

#include "../common/units.hpp"
#include "../jacket/jacket.hpp"
#include "../opening/opening.hpp"
#include "../report/report.hpp"
#include "txappendix14_record.hpp"

namespace tx14 {

struct State {
    UnitRecord units;
    Report report;
    OpeningInput opening;
    OpeningResults opening_results;
    JacketInput jacket;
    JacketResults jacket_results;

    // Fatal input errors of the last item, of either kind (the host gets
    // them only for a large opening, through its error count).
    std::int32_t input_errors = 0;

    // Values, checks and verdict of the last item.
    ResultsRecord results;
};

}  // namespace tx14
