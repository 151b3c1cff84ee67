// SUBSTVALUES and TIDYFORMULA: the template language of the formula lines.
#include "formula.hpp"

#include <algorithm>
#include <cstring>

#include "number_fields.hpp"

namespace tx14 {
namespace {

constexpr int kValueWidth = 10;
constexpr int kMaxPlaceholders = 6;

// Values between 1e-6 and 1: fixed point with the selector's decimals
// (1 for "0" and "1", 6 for other characters) in a field one column wider
// than "0." and the decimals, so the value keeps one leading blank.
void render_small(Field value, float v, char c)
{
    int d = 6;
    if (c == '0' || c == '1')
        d = 1;
    else if (c >= '2' && c <= '5')
        d = c - '0';
    field::fixed(value.first(static_cast<std::size_t>(d + 3)), v, d);
}

// Values outside (1e-6, 1): the selector's rendering in the shortest
// width. Returns false when the text did not fit.
bool render_plain(Field value, float v, char c)
{
    if (v > 1e8f || v < -1e8f) {
        field::exponential(value, v, 5);
        return true;
    }
    if (v > 500000.0f)
        c = '0';
    char wide[field::kShortestMax];
    int n = 0;
    if (c == '0') {
        n = field::nearest_whole_shortest(wide, v);
    } else if (c >= '1' && c <= '7') {
        n = field::fixed_shortest(wide, v, c - '0');
    } else if (c == '8') {
        field::exponential(value, v, 3);
        return true;
    } else {
        return true;  // unknown selector: the value is consumed, the field stays blank
    }
    if (n > kValueWidth)
        return false;
    put(value, 1, std::string_view(wide, static_cast<std::size_t>(n)));
    return true;
}

// Whether a rendering looks like a whole number gone astray: the text holds ".999", ".00 ", ".000 ", ".0000 "
// or ".0001 ". Each begins with the point, so only points are looked at.
bool looks_near_integer(std::string_view text)
{
    for (std::size_t at = 0; at < text.size(); ++at)
        if (text[at] == '.' &&
            (matches_at(text, at, ".999") || matches_at(text, at, ".00 ") ||
             matches_at(text, at, ".000 ") || matches_at(text, at, ".0000 ") ||
             matches_at(text, at, ".0001 ")))
            return true;
    return false;
}

// The 10-column value field of one placeholder: the selector's rendering,
// a near-whole number with one decimal, and E form when nothing else fits.
void render_value(Field value, float v, char c)
{
    blank(value);
    if (1e-6f < v && v < 1.0f) {
        render_small(value, v, c);
    } else {
        if (!render_plain(value, v, c)) {
            field::exponential(value, v, 1);  // too wide for the field
            return;
        }
        // A near-integer rendering is written with one decimal.
        if (looks_near_integer(view(value))) {
            field::fixed(value, v, 1);
            adjust_left(value);
        }
    }
    if (contains(view(value), "***"))
        field::exponential(value, v, 1);  // overflowed: E form
}

// Trailing zeros of a fixed-point value, looked at in the 11
// columns from the value's first column (blanks past the end of the line).
void drop_trailing_zeros(Field out, int first)
{
    char window[kValueWidth + 1];
    std::memset(window, ' ', sizeof window);
    int avail = std::min(kValueWidth + 1, static_cast<int>(out.size()) - first + 1);
    std::memcpy(window, &out[static_cast<std::size_t>(first - 1)], static_cast<std::size_t>(avail));
    // The window must hold ".", a "0" before a blank, no ".0" before a
    // blank and no "E"; one look at each column up to the first blank
    // after the text decides (all blank beyond).
    const int look = std::min(last_nonblank(Field(window, sizeof window)) + 1, kValueWidth + 1);
    bool point = false, zero_blank = false;
    for (int i = 0; i < look; ++i) {
        if (window[i] == '.') {
            point = true;
        } else if (window[i] == 'E') {
            return;
        } else if (window[i] == '0' && i + 1 < kValueWidth + 1 && window[i + 1] == ' ') {
            if (i > 0 && window[i - 1] == '.')
                return;
            zero_blank = true;
        }
    }
    if (!point || !zero_blank)
        return;
    for (;;) {
        int e = last_nonblank(Field(window, sizeof window));
        if (e < 2 || window[e - 1] != '0' || window[e - 2] == '.')
            break;
        window[e - 1] = ' ';
    }
    std::memcpy(&out[static_cast<std::size_t>(first - 1)], window,
                static_cast<std::size_t>(std::min(avail, kValueWidth)));
}

// The characters that the blanks before them close up to: superscripts
// two and three, one half, "^", "," and "/".
bool closes_up(char c)
{
    switch (c) {
    case '\xB2':
    case '\xB3':
    case '\xBD':
    case '^':
    case ',':
    case '/':
        return true;
    default:
        return false;
    }
}

// The end of the run of blanks that starts at `in`; the text goes on
// after it.
int blank_run_end(ConstField line, int in)
{
    while (line[static_cast<std::size_t>(in)] == ' ')
        ++in;
    return in;
}

// Whether the blanks from `in` to `end` go.
bool blank_run_goes(ConstField line, int in, int end)
{
    return closes_up(line[static_cast<std::size_t>(end)]) ||
           (in > 0 && line[static_cast<std::size_t>(in - 1)] == '/');
}

}  // namespace

void SUBSTVALUES(Field tmpl, std::span<const float> values)
{
    const int W = static_cast<int>(std::min<std::size_t>(tmpl.size(), kFormulaWidth));
    Field t = tmpl.first(static_cast<std::size_t>(W));
    char out_buf[kFormulaWidth];
    Field out(out_buf, static_cast<std::size_t>(W));
    blank(out);

    int L = last_nonblank(t);
    if (L < W)
        t[static_cast<std::size_t>(L)] = '#';

    int i = 1, j = 1, k = 1;
    while (i <= W) {
        if (j > W || k > kMaxPlaceholders + 1)
            break;
        char c = t[static_cast<std::size_t>(i - 1)];
        if (c == '#')
            break;
        if (c != '@') {
            out[static_cast<std::size_t>(j - 1)] = c;
            ++i;
            ++j;
            continue;
        }
        ++i;  // to the selector
        char selector = i <= W ? t[static_cast<std::size_t>(i - 1)] : ' ';
        if (k == kMaxPlaceholders + 1) {
            // The seventh placeholder: the rest of the template as it stands.
            put(out, j, view(t.subspan(static_cast<std::size_t>(i - 2))));
            break;
        }
        float v = static_cast<std::size_t>(k - 1) < values.size() ? values[static_cast<std::size_t>(k - 1)] : 0.0f;
        char value_buf[kValueWidth];
        Field value(value_buf, kValueWidth);
        render_value(value, v, selector);
        put(out, j, view(value));
        bool cut = last_nonblank(value) > W - j + 1;
        drop_trailing_zeros(out, j);
        if (cut)
            break;  // the value reached past the end of the line
        ++k;
        // Nothing has been written behind the value field yet.
        j = last_nonblank(out.first(std::min<std::size_t>(W, j - 1 + kValueWidth))) + 1;
        ++i;  // past the selector
    }
    std::memcpy(t.data(), out_buf, static_cast<std::size_t>(W));
    TIDYFORMULA(t);
}

// One pass over the text: a run of blanks goes when the character after it
// closes up or the one before it is "/". Deleting one run never joins or
// changes another, so this is the same as closing up before each
// character in turn and then after the slashes.
void TIDYFORMULA(Field line)
{
    const int T = last_nonblank(line);
    int in = 0;
    // The line stays as it is up to the first run that goes.
    while (in < T) {
        if (line[in] != ' ') {
            ++in;
            continue;
        }
        const int end = blank_run_end(line, in);
        if (blank_run_goes(line, in, end))
            break;
        in = end;
    }
    int out = in;
    while (in < T) {
        if (line[in] != ' ') {
            line[out++] = line[in++];
            continue;
        }
        const int end = blank_run_end(line, in);
        if (!blank_run_goes(line, in, end))  // line[in - 1] is still the character before it
            while (in < end)
                line[out++] = line[in++];
        in = end;
    }
    for (int k = out; k < T; ++k)
        line[k] = ' ';
}

}  // namespace tx14
