// The pieces every formula block of the calculation reports is made of:
// caption line, symbolic line, substituted line(s) and result line.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

#include "report.hpp"

namespace tx14 {

// The caption of a block, with its styles.
inline void write_caption(Report& r, const LineStyles& styles, std::string_view label)
{
    write_text(r, styles, label);
}

// Puts the template in the formula work buffer and fills it with values
// (display units) by SUBSTVALUES; a second call on the buffer itself fills
// the placeholders after the sixth.
void fill_formula(Report& r, std::string_view tmpl, std::span<const float> values);
inline void fill_formula(Report& r, std::string_view tmpl, std::initializer_list<float> values)
{
    fill_formula(r, tmpl, std::span<const float>(values.begin(), values.size()));
}

// Squeezes the formula work buffer into the line buffer with the keep count
// and writes it.
void write_formula_line(Report& r, int keep);

// fill_formula, then write_formula_line.
inline void write_formula(Report& r, std::string_view tmpl, std::initializer_list<float> values,
                          int keep)
{
    fill_formula(r, tmpl, values);
    write_formula_line(r, keep);
}

// " = ", the value with three decimals in the shortest width, one blank and
// the unit label; with styles when given.
void write_result(Report& r, float value, std::string_view unit);
void write_result(Report& r, const LineStyles& styles, float value, std::string_view unit);

}  // namespace tx14
