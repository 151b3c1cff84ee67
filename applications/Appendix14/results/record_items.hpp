// Filling the results record at the end of an item's run, from the results
// the analysis returned: its values, its checks, the display units, the
// reasons and notes, and the verdict.
#pragma once

#include "../jacket/jacket.hpp"
#include "../opening/opening.hpp"
#include "results_record.hpp"

namespace tx14 {

enum class ItemKind { opening, jacket };

void record_opening_results(ResultsRecord& rec, const UnitRecord& units, const OpeningInput& in,
                            const OpeningResults& res);
void record_jacket_results(ResultsRecord& rec, const UnitRecord& units, const JacketInput& in,
                           const JacketResults& out);
// An item with fatal input errors: its messages are the reasons.
void record_input_errors(ResultsRecord& rec, const UnitRecord& units, const InputFindings& f, ItemKind kind);

}  // namespace tx14
