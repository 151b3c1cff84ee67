// All run state of the library in one place: what a run of LGCENTER reads
// and writes besides the host's own arrays. The exported entry points work
// on one process-wide State; a caller of the C++ API owns as many as it
// likes, one per thread.
#pragma once

#include "../jacket/jacket_input.hpp"
#include "../opening/opening_work.hpp"
#include "../report/report.hpp"
#include "../results/results_record.hpp"
#include "opening_input.hpp"
#include "units.hpp"

namespace tx14 {

struct State {
    UnitRecord units;
    Report report;
    OpeningInput opening;
    OpeningWork opening_work;
    OpeningWork opening_first_pass;  // the work record after the stresses of pass 1
    JacketInput jacket;

    // Fatal input errors of the last item, of either kind (the host gets
    // them only for a large opening, through its error count).
    std::int32_t input_errors = 0;

    // Values, checks and verdict of the last item.
    ResultsRecord results;
};

}  // namespace tx14
