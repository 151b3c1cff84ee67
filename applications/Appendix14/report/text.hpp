// Fixed-width, blank-padded text: the only kind of text the report knows.
// Columns are counted from 1, as the report layouts are written; every
// helper clips at the end of its field and never writes outside it.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace tx14 {

using Field = std::span<char>;
using ConstField = std::span<const char>;

inline std::string_view view(ConstField f) { return {f.data(), f.size()}; }

inline void blank(Field f) { std::memset(f.data(), ' ', f.size()); }
// A buffer of a known width: stores of a known length, no call.
template <std::size_t N>
inline void blank(std::array<char, N>& a)
{
    std::memset(a.data(), ' ', N);
}

// Position of the last non-blank character, 0 for an all-blank field.
// Most report buffers are mostly blank: eight blanks are skipped at a time.
inline int last_nonblank(ConstField f)
{
    constexpr std::uint64_t kEightBlanks = 0x2020202020202020;
    std::size_t n = f.size();
    while (n >= 8) {
        std::uint64_t eight;
        std::memcpy(&eight, f.data() + n - 8, 8);
        if (eight != kEightBlanks) {
            if constexpr (std::endian::native == std::endian::little)  // last byte highest
                return static_cast<int>(n) - std::countl_zero(eight ^ kEightBlanks) / 8;
            break;
        }
        n -= 8;
    }
    while (n > 0 && f[n - 1] == ' ')
        --n;
    return static_cast<int>(n);
}

// The field's text without its trailing blanks.
inline std::string_view trimmed(ConstField f) { return {f.data(), static_cast<std::size_t>(last_nonblank(f))}; }

// Whether `text` holds `pattern` from position `at` (from 0) on.
inline bool matches_at(std::string_view text, std::size_t at, std::string_view pattern)
{
    if (at > text.size() || text.size() - at < pattern.size())
        return false;
    for (std::size_t k = 0; k < pattern.size(); ++k)
        if (text[at + k] != pattern[k])
            return false;
    return true;
}

// Copies text into the field from column col on, cut at the field's end.
// Returns the column after the last character written.
inline int put(Field f, int col, std::string_view text)
{
    if (col < 1)
        return col;
    std::size_t start = static_cast<std::size_t>(col - 1);
    if (start >= f.size())
        return col;
    std::size_t n = std::min(text.size(), f.size() - start);
    std::memcpy(f.data() + start, text.data(), n);
    return col + static_cast<int>(n);
}

// Blank the field, then put the text from column 1.
inline void assign(Field f, std::string_view text)
{
    blank(f);
    put(f, 1, text);
}
template <std::size_t N>
inline void assign(std::array<char, N>& a, std::string_view text)
{
    blank(a);
    put(a, 1, text);
}

// Puts text right-aligned in a field of `width` columns starting at `col`
// (cut on the left when it is longer). Returns the column after the field.
inline int put_right(Field f, int col, int width, std::string_view text)
{
    if (width <= 0)
        return col;
    std::size_t w = static_cast<std::size_t>(width);
    if (text.size() > w)
        text = text.substr(text.size() - w);
    const int start = col + width - static_cast<int>(text.size());
    const int first = std::max(col, 1);  // the leading blanks, clipped to the field
    const int last = std::min(start - 1, static_cast<int>(f.size()));
    if (first <= last)
        std::memset(f.data() + first - 1, ' ', static_cast<std::size_t>(last - first + 1));
    put(f, start, text);
    return col + width;
}

// Moves the text to the right end of the field (Fortran ADJUSTR).
inline void adjust_right(Field f)
{
    std::size_t n = static_cast<std::size_t>(last_nonblank(f));
    std::size_t trail = f.size() - n;
    if (trail == 0 || n == 0)
        return;
    std::memmove(f.data() + trail, f.data(), n);
    std::memset(f.data(), ' ', trail);
}

// Copies a fixed-width text of the host into a field, blank-padded or cut.
inline void copy_text(Field to, const char* from, std::size_t width)
{
    blank(to);
    if (from != nullptr)
        std::memcpy(to.data(), from, std::min(width, to.size()));
}

}  // namespace tx14
