// Result form B and the warning groups of the jacket and coil report.
#include "jacket_calc.hpp"

#include "../report/number_fields.hpp"
#include "../report/squeezed_line.hpp"

namespace tx14 {

void write_result_b(Report& r, float value, std::string_view unit)
{
    // " = ", the value and the unit right-aligned in fields of 20, 20 and 30
    // columns, squeezed.
    std::array<char, 20> number;
    field::fixed(number, value, 4);
    SqueezedLine line(r.line, 0, SqueezedLine::kSqueeze);
    line.right_aligned(" = ", 20);
    line.number_field(view(number));
    line.right_aligned(unit, 30);
    line.finish();
    write_line(r);
}

void write_warning(Report& r, const LineStyles& headline, std::initializer_list<std::string_view> messages)
{
    write_blank_line(r);
    write_text(r, headline, "*** WARNING ***");
    for (std::string_view message : messages)
        write_text(r, style::kWarning, message);
}

}  // namespace tx14
