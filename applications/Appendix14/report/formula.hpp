// Formula lines with substituted values: SUBSTVALUES fills the "@c"
// placeholders of a formula template with display values, TIDYFORMULA
// closes up the blanks around superscripts, commas and slashes.
#pragma once

#include <span>

#include "formula_template.hpp"
#include "report.hpp"

namespace tx14 {

// Replaces the placeholders of `tmpl` (the 120-character formula work
// buffer as a rule), left to right, by `values` rendered by their selector
// characters, and tidies the line. A "#" ends the template. The seventh
// placeholder and everything after it are copied unchanged. A placeholder
// beyond the values given renders 0.
void SUBSTVALUES(Field tmpl, std::span<const float> values);

inline void SUBSTVALUES(Field tmpl, std::initializer_list<float> values)
{
    SUBSTVALUES(tmpl, std::span<const float>(values.begin(), values.size()));
}

// Deletes blanks before superscripts, "^", "," and "/", and after "/".
void TIDYFORMULA(Field line);

// The template filled with the values, tidied and squeezed with the keep
// count into `line`, in one pass: the line SUBSTVALUES, TIDYFORMULA and
// squeeze_blanks leave, without the formula work buffer. For a template
// that is one_pass(), at most six values and a line wider than `keep`.
void fill_formula_line(Field line, const FormulaTemplate& tmpl, std::span<const float> values, int keep);

}  // namespace tx14
