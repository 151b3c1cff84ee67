// A fixed-format report line built from left to right: texts, blanks and
// number fields of given widths, then written with its styles.
#pragma once

#include <algorithm>
#include <string_view>

#include "number_fields.hpp"
#include "report.hpp"

namespace tx14 {

// Builds a fixed-format line from left to right in the line buffer (or
// another buffer) and writes it.
class FixedLine {
public:
    explicit FixedLine(Report& r) : FixedLine(r, r.line) {}
    FixedLine(Report& r, Field buffer) : r_(r), buffer_(buffer) { blank(buffer_); }

    FixedLine& text(std::string_view s)
    {
        put(next(static_cast<int>(s.size())), 1, s);
        return *this;
    }
    FixedLine& text(std::string_view s, int width)  // blank-padded or cut to width
    {
        put(next(width), 1, s.substr(0, static_cast<std::size_t>(std::max(width, 0))));
        return *this;
    }
    FixedLine& blanks(int n)
    {
        next(n);  // the buffer is blank already
        return *this;
    }
    FixedLine& fixed(float v, int width, int decimals)
    {
        field::fixed(next(width), v, decimals);
        return *this;
    }
    FixedLine& exponential(float v, int width, int decimals)
    {
        field::exponential(next(width), v, decimals);
        return *this;
    }
    FixedLine& fixed_shortest(float v, int decimals)  // in as many columns as it takes
    {
        field::TextBuffer buf;
        return text(field::fixed_text(buf, v, decimals));
    }
    FixedLine& whole(float v, int width)  // rounded to the nearest whole number
    {
        field::nearest_whole(next(width), v);
        return *this;
    }
    FixedLine& integer(long long v, int width)
    {
        field::integer(next(width), v);
        return *this;
    }

    Field buffer() const { return buffer_; }
    void write() { write_line(r_, buffer_); }
    void write(const LineStyles& styles)
    {
        set_line_styles(r_, styles);
        write_line(r_, buffer_);
    }

private:
    // The next `width` columns, clipped to the buffer. Inline, so that the
    // columns of a line built from constant widths are worked out when the
    // program is compiled.
    Field next(int width)
    {
        const int size = static_cast<int>(buffer_.size());
        const int from = std::clamp(col_, 1, size + 1);
        const int n = std::clamp(width, 0, size + 1 - from);
        col_ += width;
        return buffer_.subspan(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(n));
    }

    Report& r_;
    Field buffer_;
    int col_ = 1;
};

}  // namespace tx14
