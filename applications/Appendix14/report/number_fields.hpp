// Number fields as the report writes them: fixed point, exponential and
// integer fields of a given width (asterisks when the value does not fit),
// and the shortest-width forms. Decimal conversion is exact: the binary
// value is rounded to nearest, ties to even, independent of the locale.
#pragma once

#include <array>
#include <string_view>

#include "text.hpp"

namespace tx14::field {

// Largest text a shortest-width form produces (a float with 9 decimals).
inline constexpr int kShortestMax = 64;

// Fixed point with d decimals, right-aligned in the whole field. The zero
// before the decimal point of a magnitude below 1 is written only where
// the field has room for it.
void fixed(Field out, float v, int d);

// Exponential form with d digits after the point and a mantissa below 1
// ('.20000E+09', ' 0.200E+09'), right-aligned in the whole field; the
// zero before the point only where the field has room.
void exponential(Field out, float v, int d);

// Whole number right-aligned in the field.
void integer(Field out, long long v);

// v rounded to the nearest whole number, halves away from zero, then
// written as integer(). Non-finite values print their word, values outside
// the 32-bit range asterisks.
void nearest_whole(Field out, float v);

// Shortest forms: written from column 1 of `out` (blank-padded), returning
// the number of characters. Fixed forms always write "0." for magnitudes
// below 1; non-finite values write "Infinity", "-Infinity" or "NaN".
int fixed_shortest(Field out, float v, int d);
int nearest_whole_shortest(Field out, float v);

// The text of the shortest forms alone, for callers that place it
// themselves: in `buf` or a constant, never longer than kTextMax.
inline constexpr int kTextMax = 96;
using TextBuffer = std::array<char, kTextMax>;
std::string_view fixed_text(TextBuffer& buf, float v, int d);
std::string_view nearest_whole_text(TextBuffer& buf, float v);

}  // namespace tx14::field
