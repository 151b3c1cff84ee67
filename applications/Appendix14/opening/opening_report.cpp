// Report pieces of the large-opening analysis: fixed-format lines, formula
// blocks and the stress block.
#include "opening_report.hpp"

#include <algorithm>
#include <array>

#include "../report/formula.hpp"
#include "../report/formula_block.hpp"
#include "../report/number_fields.hpp"

namespace tx14 {

ReportLine::ReportLine(Report& r, Field buffer) : r_(r), buffer_(buffer) { blank(buffer_); }

Field ReportLine::next(int width)
{
    int size = static_cast<int>(buffer_.size());
    int from = std::clamp(col_, 1, size + 1);
    int n = std::clamp(width, 0, size + 1 - from);
    col_ += width;
    return buffer_.subspan(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(n));
}

ReportLine& ReportLine::text(std::string_view s)
{
    put(next(static_cast<int>(s.size())), 1, s);
    return *this;
}

ReportLine& ReportLine::text(std::string_view s, int width)
{
    put(next(width), 1, s.substr(0, static_cast<std::size_t>(std::max(width, 0))));
    return *this;
}

ReportLine& ReportLine::blanks(int n)
{
    next(n);  // the buffer is blank already
    return *this;
}

ReportLine& ReportLine::fixed(float v, int width, int decimals)
{
    field::fixed(next(width), v, decimals);
    return *this;
}

ReportLine& ReportLine::exponential(float v, int width, int decimals)
{
    field::exponential(next(width), v, decimals);
    return *this;
}

ReportLine& ReportLine::fixed_shortest(float v, int decimals)
{
    char text[field::kShortestMax];
    auto n = static_cast<std::size_t>(field::fixed_shortest(text, v, decimals));
    this->text(std::string_view(text, std::min(n, sizeof text)));
    return *this;
}

ReportLine& ReportLine::whole(float v, int width)
{
    field::nearest_whole(next(width), v);
    return *this;
}

ReportLine& ReportLine::integer(long long v, int width)
{
    field::integer(next(width), v);
    return *this;
}

void ReportLine::write()
{
    write_line(r_, buffer_);
}

void ReportLine::write(const LineStyles& styles)
{
    set_line_styles(r_, styles);
    write_line(r_, buffer_);
}

void write_block_head(Report& r, std::string_view label, std::string_view symbolic)
{
    write_caption(r, style::kCaption, label);
    write_text(r, symbolic);
}

void write_block_end(Report& r, float value, std::string_view unit, bool over_limit)
{
    if (over_limit)
        write_result(r, style::kWarning, value, unit);
    else
        write_result(r, value, unit);
    write_blank_line(r);
}

void write_block(Report& r, std::string_view label, std::string_view symbolic,
                 std::string_view tmpl, std::initializer_list<float> values, float value,
                 std::string_view unit)
{
    write_block_head(r, label, symbolic);
    write_formula(r, tmpl, values, 1);
    write_block_end(r, value, unit);
}

void extend_formula(Report& r, std::string_view more, std::initializer_list<float> values)
{
    put(r.work, last_nonblank(r.work) + 1, more);
    SUBSTVALUES(r.work, values);
}

void write_stress_block(Report& r, std::string_view label, std::string_view symbolic,
                        std::string_view tmpl, std::initializer_list<float> values, float value,
                        std::string_view unit)
{
    std::array<char, 78> line;  // the block's lines are 78 columns wide
    ReportLine(r, line).text(label).write(style::kCaption);
    ReportLine(r, line).text(symbolic).write();

    fill_formula(r, tmpl, values);
    squeeze_blanks(r.work, line, 8);
    write_line(r, line);

    ReportLine(r, r.work).text(" = ").fixed_shortest(value, 3).blanks(1).text(unit);
    squeeze_blanks(r.work, line, 8);
    write_line(r, line);
    write_blank_line(r);
}

}  // namespace tx14
