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

void write_result(Report& r, float value, std::string_view unit)
{
    assign(r.line, " = ");
    int n = field::fixed_shortest(Field(r.line).subspan(3), value, 3);
    put(r.line, 3 + n + 2, unit);
    write_line(r);
}

void write_result(Report& r, const LineStyles& styles, float value, std::string_view unit)
{
    set_line_styles(r, styles);
    write_result(r, value, unit);
}

}  // namespace tx14
