// The half-pipe jacket and limpet coil analysis as the entry calls it.
#pragma once

namespace tx14 {

struct State;

// Runs a jacket or coil item to its end: unpack, echo, validate, calculate,
// results into elements 196-198, closing lines, close of the report file.
void run_jacket_item(State& st, float* reals, const char* texts, char run_mode);

}  // namespace tx14
