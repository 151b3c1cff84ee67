// A fixed-format report line built from left to right: texts, blanks and
// number fields of given widths, then written with its styles.
#pragma once

#include <string_view>

#include "report.hpp"

namespace tx14 {

// Builds a fixed-format line from left to right in the line buffer (or
// another buffer) and writes it.
class FixedLine {
public:
    explicit FixedLine(Report& r) : FixedLine(r, r.line) {}
    FixedLine(Report& r, Field buffer);

    FixedLine& text(std::string_view s);
    FixedLine& text(std::string_view s, int width);  // blank-padded or cut to width
    FixedLine& blanks(int n);
    FixedLine& fixed(float v, int width, int decimals);
    FixedLine& exponential(float v, int width, int decimals);
    FixedLine& fixed_shortest(float v, int decimals);
    FixedLine& whole(float v, int width);  // rounded to the nearest whole number
    FixedLine& integer(long long v, int width);

    Field buffer() const { return buffer_; }
    void write();
    void write(const LineStyles& styles);

private:
    Field next(int width);  // the next `width` columns, clipped to the buffer

    Report& r_;
    Field buffer_;
    int col_ = 1;
};

}  // namespace tx14
