// The formula blocks of the calculation reports: caption line, symbolic
// line, substituted line(s), result line and the blank line after it.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

#include "formula_template.hpp"
#include "report.hpp"

namespace tx14 {

inline constexpr std::string_view kNoUnit = " ";  // dimensionless results

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

// The template filled with values, squeezed with the keep count into
// `line` and written: what fill_formula and the squeezer give, in one pass
// where the template allows it.
void write_formula(Report& r, Field line, const FormulaTemplate& tmpl, std::initializer_list<float> values, int keep);
inline void write_formula(Report& r, const FormulaTemplate& tmpl, std::initializer_list<float> values, int keep)
{
    write_formula(r, r.line, tmpl, values, keep);
}

// " = ", the value with three decimals in the shortest width, one blank and
// the unit label; with the warning styles when the value is over its limit.
void write_result(Report& r, float value, std::string_view unit);
void write_result(Report& r, float value, std::string_view unit, bool over_limit);

// Caption (with its styles) and symbolic line of a formula block.
void write_block_head(Report& r, const LineStyles& styles, std::string_view label, std::string_view symbolic);
inline void write_block_head(Report& r, std::string_view label, std::string_view symbolic)
{
    write_block_head(r, style::kCaption, label, symbolic);
}

// Result line of a formula block, with the warning styles when the value
// is over its limit, and the blank line that ends the block.
void write_block_end(Report& r, float value, std::string_view unit, bool over_limit = false);

// A formula block up to its result: head, then the template filled with
// the display values and squeezed with the keep count.
void write_block(Report& r, const LineStyles& styles, std::string_view label, std::string_view symbolic,
                 const FormulaTemplate& tmpl, std::initializer_list<float> values, int keep);

// A whole formula block of one substituted line: caption styles, keep
// count 1, the result and the blank line.
void write_block(Report& r, std::string_view label, std::string_view symbolic, const FormulaTemplate& tmpl,
                 std::initializer_list<float> values, float value, std::string_view unit);

// Appends `more` directly behind the filled formula and fills it too.
void extend_formula(Report& r, std::string_view more, std::initializer_list<float> values);

}  // namespace tx14
