// Result forms and warning groups of the jacket and coil report.
#include "jacket_calc.hpp"

#include "../report/formula_block.hpp"
#include "../report/number_fields.hpp"

namespace tx14 {

void write_result_a(Report& r, bool exceeds, float value, std::string_view unit)
{
    if (exceeds)
        write_result(r, style::kWarning, value, unit);
    else
        write_result(r, value, unit);
}

void write_result_b(Report& r, float value, std::string_view unit)
{
    Field work = r.work;
    blank(work);
    put_right(work, 1, 20, " = ");
    field::fixed(work.subspan(20, 20), value, 4);
    put_right(work, 41, 30, unit);
    write_formula_line(r, 0);
}

void write_warning(Report& r, const LineStyles& headline,
                   std::initializer_list<std::string_view> messages)
{
    write_blank_line(r);
    write_text(r, headline, "*** WARNING ***");
    for (std::string_view message : messages)
        write_text(r, style::kWarning, message);
}

}  // namespace tx14
