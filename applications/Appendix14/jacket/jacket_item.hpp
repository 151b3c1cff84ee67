// The steps of a jacket or coil item before its calculation: unpacking,
// input echo and validation.
#pragma once

#include <cstdint>
#include <string_view>

#include "../common/input_findings.hpp"
#include "jacket_input.hpp"

namespace tx14 {

struct Report;
struct UnitRecord;

// Replaces the missing-value marks of the host's array, then copies
// elements 1 to 21 and text fields 1 and 2 into the record.
void unpack_jacket_input(JacketInput& in, float* reals, const char* texts);

// Prints the input in display units, the material names right-adjusted.
void echo_jacket_input(Report& r, const UnitRecord& units, const JacketInput& in);

// Checks the item and its design basis for their faults, lists their codes
// in `errors` and prints the error section; returns the number of faults.
std::int32_t validate_jacket_input(Report& r, const JacketInput& in, const JacketDesign& d, InputFindings& errors);

// The message of an error code (1 to 12), as the error section prints it.
std::string_view jacket_message(int code);

// One message of the error section: a blank line and the message of the
// code (30: the total line with `value`).
void write_jacket_message(Report& r, int code, float value);

}  // namespace tx14
