// The steps of a jacket or coil item before its calculation: unpacking,
// input echo and validation.
#pragma once

#include <cstdint>

#include "jacket_input.hpp"

namespace tx14 {

struct State;
struct Report;

// Replaces the missing-value marks of the host's array, then copies
// elements 1 to 21 and text fields 1 to 3 into the record.
void unpack_jacket_input(JacketInput& in, float* reals, const char* texts);

// Prints the input in display units; right-adjusts the material names.
void echo_jacket_input(State& st);

// Checks the item for its nine faults and prints the error section; raises
// error_count by one per message. Normalises NPS (derived from a formed
// radius, or rounded to 5 decimals).
void validate_jacket_input(State& st, std::int32_t& error_count, char run_mode);

// One message of the error section: a blank line and the message of the
// code (30: the total line with `value`). Raises `written` to 1.
void write_jacket_message(Report& r, int code, float value, std::int32_t& written);

}  // namespace tx14
