// The steps of a jacket or coil item before its calculation: unpacking,
// input echo and validation.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "../common/host_arrays.hpp"
#include "../common/input_findings.hpp"
#include "jacket_input.hpp"

namespace tx14 {

struct Report;
struct UnitRecord;

// The number fields by element of the real array (1 and 20, the item and
// the code, are whole numbers).
inline constexpr std::pair<int, float JacketInput::*> kJacketFields[] = {
    {2, &JacketInput::D},         {3, &JacketInput::ts},   {4, &JacketInput::P},    {5, &JacketInput::T},
    {6, &JacketInput::S},         {7, &JacketInput::Sa},   {8, &JacketInput::ca},   {9, &JacketInput::E},
    {10, &JacketInput::NPS},      {11, &JacketInput::Tj},  {12, &JacketInput::Pj},  {13, &JacketInput::Tjacket},
    {14, &JacketInput::Sj},       {15, &JacketInput::Sja}, {16, &JacketInput::caj}, {17, &JacketInput::r},
    {18, &JacketInput::ExtPCore}, {19, &JacketInput::co},  {21, &JacketInput::L},
};

// The number field an element of the host's real array goes to; nullptr
// for an element the record does not hold (or a whole number: 1, 20).
inline float* jacket_field(JacketInput& in, int element)
{
    return field_of_element<JacketInput, kJacketFields>(in, element);
}

// Text field n (from 1) of the host's text fields into the record: 15
// characters, or blanks for nullptr.
void set_jacket_text(JacketInput& in, int field, const char* text);

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

}  // namespace tx14
