// Report pieces of the large-opening analysis: display units, formula
// blocks, fixed-format lines and the stress block.
#pragma once

#include <initializer_list>
#include <string_view>

#include "../common/units.hpp"
#include "../report/report.hpp"

namespace tx14 {

inline constexpr std::string_view kNoUnit = " ";  // dimensionless results

// Builds a fixed-format line from left to right in the line buffer (or
// another buffer) and writes it.
class ReportLine {
public:
    explicit ReportLine(Report& r) : ReportLine(r, r.line) {}
    ReportLine(Report& r, Field buffer);

    ReportLine& text(std::string_view s);
    ReportLine& text(std::string_view s, int width);  // blank-padded or cut to width
    ReportLine& blanks(int n);
    ReportLine& fixed(float v, int width, int decimals);
    ReportLine& exponential(float v, int width, int decimals);
    ReportLine& fixed_shortest(float v, int decimals);
    ReportLine& whole(float v, int width);  // rounded to the nearest whole number
    ReportLine& integer(long long v, int width);

    Field buffer() const { return buffer_; }
    void write();
    void write(const LineStyles& styles);

private:
    Field next(int width);  // the next `width` columns, clipped to the buffer

    Report& r_;
    Field buffer_;
    int col_ = 1;
};

// Caption (caption styles) and symbolic line of a formula block.
void write_block_head(Report& r, std::string_view label, std::string_view symbolic);

// Result line of a formula block, with the warning styles when the value
// is over its limit, and the blank line that ends the block.
void write_block_end(Report& r, float value, std::string_view unit, bool over_limit = false);

// A formula block of one substituted line (keep count 1).
void write_block(Report& r, std::string_view label, std::string_view symbolic,
                 std::string_view tmpl, std::initializer_list<float> values, float value,
                 std::string_view unit);

// Appends `more` directly behind the filled formula and fills it too.
void extend_formula(Report& r, std::string_view more, std::initializer_list<float> values);

// The block of an opening flange stress, on a 78-column line: caption,
// symbolic line, filled template and " = value unit"; then a blank line.
// `value` is in display units.
void write_stress_block(Report& r, std::string_view label, std::string_view symbolic,
                        std::string_view tmpl, std::initializer_list<float> values, float value,
                        std::string_view unit);

}  // namespace tx14
