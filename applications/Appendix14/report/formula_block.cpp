// Formula block pieces shared by the calculation reports.
#include "formula_block.hpp"

#include "formula.hpp"
#include "number_fields.hpp"

namespace tx14 {

void fill_formula(Report& r, std::string_view tmpl, std::span<const float> values)
{
    assign(r.work, tmpl);
    SUBSTVALUES(r.work, values);
    constexpr std::size_t kPerCall = 6;  // SUBSTVALUES keeps the seventh placeholder as it stands
    if (values.size() > kPerCall)
        SUBSTVALUES(r.work, values.subspan(kPerCall));
}

void write_formula_line(Report& r, int keep)
{
    squeeze_blanks(r.work, r.line, keep);
    write_line(r);
}

void write_formula(Report& r, Field line, const FormulaTemplate& tmpl, std::initializer_list<float> values, int keep)
{
    const std::span<const float> v(values.begin(), values.size());
    if (tmpl.one_pass() && v.size() <= std::size_t{FormulaTemplate::kMaxPlaceholders} &&
        keep < static_cast<int>(line.size())) {
        fill_formula_line(line, tmpl, v, keep);
    } else {
        fill_formula(r, tmpl.text(), v);
        squeeze_blanks(r.work, line, keep);
    }
    write_line(r, line);
}

void write_result(Report& r, float value, std::string_view unit)
{
    field::TextBuffer buf;
    const std::string_view number = field::fixed_text(buf, value, 3);
    assign(r.line, " = ");
    put(r.line, put(r.line, 4, number) + 1, unit);
    write_line(r);
}

void write_result(Report& r, float value, std::string_view unit, bool over_limit)
{
    if (over_limit)
        set_line_styles(r, style::kWarning);
    write_result(r, value, unit);
}

void write_block_head(Report& r, const LineStyles& styles, std::string_view label, std::string_view symbolic)
{
    write_text(r, styles, label);
    write_text(r, symbolic);
}

void write_block_end(Report& r, float value, std::string_view unit, bool over_limit)
{
    if (over_limit)
        set_line_styles(r, style::kWarning);
    write_result(r, value, unit);
    write_blank_line(r);
}

void write_block(Report& r, const LineStyles& styles, std::string_view label, std::string_view symbolic,
                 const FormulaTemplate& tmpl, std::initializer_list<float> values, int keep)
{
    write_block_head(r, styles, label, symbolic);
    write_formula(r, tmpl, values, keep);
}

void write_block(Report& r, std::string_view label, std::string_view symbolic, const FormulaTemplate& tmpl,
                 std::initializer_list<float> values, float value, std::string_view unit)
{
    write_block(r, style::kCaption, label, symbolic, tmpl, values, 1);
    write_block_end(r, value, unit);
}

void extend_formula(Report& r, std::string_view more, std::initializer_list<float> values)
{
    put(r.work, last_nonblank(r.work) + 1, more);
    SUBSTVALUES(r.work, values);
}

}  // namespace tx14
