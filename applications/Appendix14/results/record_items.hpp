// Filling the results record at the end of an item's run, from the values
// the calculation left in the run state.
#pragma once

namespace tx14 {

struct State;
struct OpeningResults;
struct JacketResults;

void record_opening_results(State& st, const OpeningResults& res);
void record_jacket_results(State& st, const JacketResults& out);

}  // namespace tx14
