// The blank squeezer: shortens a formula or message line before it is
// written, by shrinking runs of blanks to one blank.
#include <algorithm>
#include <cstring>

#include "report.hpp"
#include "scan.hpp"

namespace tx14 {
namespace {

// keep > 2: the first keep-1 characters are copied as they stand, then
// each run of blanks shrinks to one blank; copying stops at the end of the
// text (E = min(S, T + 1)) and writes at most D - 1 characters.
void squeeze_after_prefix(ConstField src, Field dst, int keep)
{
    const int S = static_cast<int>(src.size());
    const int D = static_cast<int>(dst.size());
    const int E = std::min(S, last_nonblank(src) + 1);
    blank(dst);
    if (S < 1 || D < 1)
        return;
    // Positions i (source) and j (destination) count from 1.
    int i = 1;
    int j = 1;
    dst[0] = src[0];
    while (i < keep) {
        if (i >= S || j >= D)
            return;
        ++i;
        ++j;
        dst[j - 1] = src[i - 1];
    }
    for (;;) {
        bool blank_pair = i + 1 <= S && src[i - 1] == ' ' && src[i] == ' ';
        if (i + 1 <= S && !blank_pair)
            ++j;
        ++i;
        if (i >= E || j >= D)
            return;
        dst[j - 1] = src[i - 1];
    }
}

// keep <= 2: every run of blanks within the text, a leading run included,
// shrinks to one blank in the source; the source is then copied. The text
// between runs of two or more blanks is moved as it stands.
void squeeze_everywhere(Field src, Field dst)
{
    const int T = last_nonblank(src);
    int out = 0;
    int from = 0;
    for (int p = find_blank_pair(src, 0, T); p < T; p = find_blank_pair(src, from, T)) {
        const int kept = p + 1 - from;  // up to the run's first blank
        if (out != from)
            std::memmove(src.data() + out, src.data() + from, static_cast<std::size_t>(kept));
        out += kept;
        from = p + 2;
        while (src[static_cast<std::size_t>(from)] == ' ')
            ++from;
    }
    if (out != from)
        std::memmove(src.data() + out, src.data() + from, static_cast<std::size_t>(T - from));
    out += T - from;
    if (out < T)
        std::memset(src.data() + out, ' ', static_cast<std::size_t>(T - out));
    blank(dst);
    std::copy_n(src.begin(), std::min(src.size(), dst.size()), dst.begin());
}

}  // namespace

void squeeze_blanks(Field source, Field dest, int keep)
{
    if (keep > 2)
        squeeze_after_prefix(source, dest, keep);
    else
        squeeze_everywhere(source, dest);
}

}  // namespace tx14
