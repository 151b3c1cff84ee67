// Searches over report text: sixteen characters at a time where the
// processor has SSE2 (every x86-64, and the 32-bit builds ask for it), one
// at a time elsewhere. Both give the same answer; the wide one only makes
// the formula lines, which are searched several times each, cheaper.
#pragma once

#include <bit>

#include "text.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tx14 {

// Position of the first character of text[from, to) that is one of Cs, or
// `to` when there is none.
template <char... Cs>
int find_any(ConstField text, int from, int to)
{
    const char* s = text.data();
    int p = from;
#if defined(__SSE2__)
    // Sixteen at a time while sixteen are left in the field.
    for (; p < to && p + 16 <= static_cast<int>(text.size()); p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p));
        __m128i hit = _mm_setzero_si128();
        ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(Cs)))), ...);
        if (const auto m = static_cast<unsigned>(_mm_movemask_epi8(hit)); m != 0)
            return std::min(p + std::countr_zero(m), to);
    }
#endif
    for (; p < to; ++p)
        if (((s[p] == Cs) || ...))
            return p;
    return to;
}

// Position p of the first two blanks in a row, text[p] and text[p + 1],
// with from <= p and p + 1 < to; `to` when there are none.
inline int find_blank_pair(ConstField text, int from, int to)
{
    const char* s = text.data();
    int p = from;
#if defined(__SSE2__)
    // Fifteen pairs start in every sixteen characters.
    for (; p + 1 < to && p + 16 <= static_cast<int>(text.size()); p += 15) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p));
        const auto m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(' '))));
        if (const unsigned pairs = m & (m >> 1); pairs != 0) {
            const int at = p + std::countr_zero(pairs);
            return at + 1 < to ? at : to;
        }
    }
#endif
    for (; p + 1 < to; ++p)
        if (s[p] == ' ' && s[p + 1] == ' ')
            return p;
    return to;
}

}  // namespace tx14
