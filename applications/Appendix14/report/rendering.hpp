// Number rendering for result lines and tables: SIGDIGITS, RESULTLINE,
// BLANKZEROS and UNDERLINE.
#pragma once

#include <span>
#include <string_view>

#include "report.hpp"

namespace tx14 {

inline constexpr int kSigDigitsWidth = 16;

// Renders `value` with about n significant digits, right-aligned in a
// 16-character field, with rounding noise ("2.1999") and trailing zeros
// cleaned up. Values above a million print as whole numbers or in
// engineering notation ('3.00E+09 ', with one trailing blank).
void SIGDIGITS(float value, std::span<char, kSigDigitsWidth> text, int n);

// Writes " = value unit" with SIGDIGITS; nothing when n >= 7.
void RESULTLINE(Report& r, float value, int n, std::string_view unit);

// Replaces every zero value of a table row (" 0.0 ", " 0 ", ...) by blanks,
// with "..." ending at the zero's last digit when dots is 1.
void BLANKZEROS(Field row, int dots);

// Writes the line, then a line of dashes as long as its text.
void UNDERLINE(Report& r, Field line);

}  // namespace tx14
