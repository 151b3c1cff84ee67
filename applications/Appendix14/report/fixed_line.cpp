// The fixed-format line builder.
#include "fixed_line.hpp"

#include <algorithm>

#include "number_fields.hpp"

namespace tx14 {

FixedLine::FixedLine(Report& r, Field buffer) : r_(r), buffer_(buffer) { blank(buffer_); }

Field FixedLine::next(int width)
{
    int size = static_cast<int>(buffer_.size());
    int from = std::clamp(col_, 1, size + 1);
    int n = std::clamp(width, 0, size + 1 - from);
    col_ += width;
    return buffer_.subspan(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(n));
}

FixedLine& FixedLine::text(std::string_view s)
{
    put(next(static_cast<int>(s.size())), 1, s);
    return *this;
}

FixedLine& FixedLine::text(std::string_view s, int width)
{
    put(next(width), 1, s.substr(0, static_cast<std::size_t>(std::max(width, 0))));
    return *this;
}

FixedLine& FixedLine::blanks(int n)
{
    next(n);  // the buffer is blank already
    return *this;
}

FixedLine& FixedLine::fixed(float v, int width, int decimals)
{
    field::fixed(next(width), v, decimals);
    return *this;
}

FixedLine& FixedLine::exponential(float v, int width, int decimals)
{
    field::exponential(next(width), v, decimals);
    return *this;
}

FixedLine& FixedLine::fixed_shortest(float v, int decimals)
{
    char text[field::kShortestMax];
    auto n = static_cast<std::size_t>(field::fixed_shortest(text, v, decimals));
    this->text(std::string_view(text, std::min(n, sizeof text)));
    return *this;
}

FixedLine& FixedLine::whole(float v, int width)
{
    field::nearest_whole(next(width), v);
    return *this;
}

FixedLine& FixedLine::integer(long long v, int width)
{
    field::integer(next(width), v);
    return *this;
}

void FixedLine::write()
{
    write_line(r_, buffer_);
}

void FixedLine::write(const LineStyles& styles)
{
    set_line_styles(r_, styles);
    write_line(r_, buffer_);
}

}  // namespace tx14
