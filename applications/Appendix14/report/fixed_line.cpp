// The fixed-format line builder: the part that is not inline in its header.
#include "fixed_line.hpp"

#include <algorithm>

#include "number_fields.hpp"

namespace tx14 {

FixedLine& FixedLine::fixed_shortest(float v, int decimals)
{
    char text[field::kShortestMax];
    auto n = static_cast<std::size_t>(field::fixed_shortest(text, v, decimals));
    this->text(std::string_view(text, std::min(n, sizeof text)));
    return *this;
}

}  // namespace tx14
