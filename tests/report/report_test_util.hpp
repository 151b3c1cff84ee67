// Helpers of the report tests: fixed-width buffers from strings and back.
#pragma once

#include <string>
#include <string_view>

#include "report/report.hpp"

namespace tx14::test {

// A blank-padded buffer of `width` characters holding `text`.
inline std::string padded(std::string_view text, std::size_t width)
{
    std::string s(width, ' ');
    s.replace(0, std::min(text.size(), width), text.substr(0, std::min(text.size(), width)));
    return s;
}

inline Field field_of(std::string& s) { return Field(s.data(), s.size()); }

inline std::string without_trailing_blanks(std::string_view s)
{
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ')
        --n;
    return std::string(s.substr(0, n));
}

// Text of captured record i (from 0): columns 5 to 104, trailing blanks cut.
inline std::string captured_text(const Report& r, int i)
{
    return without_trailing_blanks(std::string_view(r.capture.records[i] + 4, 100));
}

// Style columns 109-120 of captured record i.
inline std::string captured_styles(const Report& r, int i)
{
    return std::string(r.capture.records[i] + 108, 12);
}

}  // namespace tx14::test
