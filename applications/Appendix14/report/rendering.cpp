// SIGDIGITS, RESULTLINE, BLANKZEROS and UNDERLINE.
#include "rendering.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "number_fields.hpp"
#include "scan.hpp"
#include "single_precision.hpp"

namespace tx14 {
namespace {

// Engineering notation: a mantissa with at least 2 decimals in 11 columns
// and a four-character exponent that is a multiple of 3 ('E+09').
void engineering(Field text, float x, float L, int n)
{
    int p = truncate_to_int32(L / 3.0f) * 3;
    char exponent[4] = {'E', p >= 0 ? '+' : '-', '0', '0'};
    int mag = p < 0 ? -p : p;
    exponent[2] = static_cast<char>('0' + (mag / 10) % 10);
    exponent[3] = static_cast<char>('0' + mag % 10);
    float m = x / whole_power(10.0f, p);
    int d = n - 2 - truncate_to_int32(log10_single(std::fabs(m)));
    if (d < 2)
        d = 2;
    field::fixed(text.first(11), m, d);
    put(text, 12, std::string_view(exponent, 4));
}

// Nudges a value whose rendering shows rounding noise. False when clean.
bool nudge(std::string_view text, float& x)
{
    // Every pattern begins with the decimal point, and a rendered number
    // has one (asterisks none).
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos)
        return false;
    const std::string_view t = text.substr(point);
    float step;                                                                   // toward a larger magnitude
    if (t.size() >= 6 && t[1] >= '1' && t[1] <= '9' && t.substr(2, 4) == "999 ")  // ".1999 " to ".9999 "
        step = 0.0001f;
    else if (t.starts_with(".0001 "))
        step = -0.0001f;
    else if (t.starts_with(".00001"))
        step = -0.00001f;
    else if (t.starts_with(".99999"))
        step = 0.00001f;
    else
        return false;
    x = x > 0.0f ? x + step : x - step;
    return true;
}

// Blanks up to five trailing zeros behind the decimal point.
void drop_trailing_zeros(Field text)
{
    std::string_view t = view(text);
    std::size_t point = t.find('.');
    if (point == std::string_view::npos)
        return;
    for (int pass = 0; pass < 5; ++pass) {
        std::size_t zero = view(text).find("0 ");
        if (zero == std::string_view::npos || zero < point)
            break;  // nothing changes, so the passes left would find the same
        std::memset(text.data() + zero, ' ', text.size() - zero);
    }
}

}  // namespace

void SIGDIGITS(float value, std::span<char, kSigDigitsWidth> out, int n)
{
    Field text(out.data(), out.size());
    if (!std::isfinite(value)) {
        field::fixed(text, value, 0);  // the word, right-aligned: never a made-up exponent
        return;
    }
    n = n < -64 ? -64 : (n > 64 ? 64 : n);  // beyond any digits a float has
    float x = value;
    bool nudged = false;
    for (;;) {
        blank(text);
        float ax = std::fabs(x);
        float L = ax > 0.0001f ? log10_single(ax) : 0.0f;
        if (L < -5.0f || L > 6.0f) {
            if (ax > 99999.0f && ax < 2147399936.0f)
                field::integer(text, truncate_to_int32(x));
            else
                engineering(text, x, L, n);
            return;
        }
        int d = n - truncate_to_int32(L);
        d = d < 0 ? 0 : (d > 9 ? 9 : d);
        field::fixed(text.first(15), x, d);
        if (nudged || !nudge(view(text), x))
            break;
        nudged = true;
    }
    drop_trailing_zeros(text);
    adjust_right(text);
    if (text[text.size() - 1] == '.') {
        text[text.size() - 1] = ' ';
        adjust_right(text);
    }
}

void RESULTLINE(Report& r, float value, int n, std::string_view unit)
{
    if (n >= 7)
        return;
    char digits[kSigDigitsWidth];
    SIGDIGITS(value, digits, n);
    std::string_view text = trimmed(digits);
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    assign(r.line, " = ");
    put(r.line, put(r.line, 4, text) + 1, unit);
    write_line(r);
}

void BLANKZEROS(Field row, int dots)
{
    static constexpr std::string_view zeros[] = {" 0.0 ",     " 0.00 ", " 0.000 ",    " 0.0000 ",
                                                 " 0.00000 ", " 0 ",    " 0.00E+00 ", " 0. "};
    constexpr std::size_t kNone = std::size(zeros);
    const std::string_view text = view(row);
    for (;;) {
        // The first zero rendering in table order, leftmost for its kind:
        // every one begins with " 0", so one pass over those places finds
        // the earliest kind matching at each, and keeps the best.
        std::size_t at = std::string_view::npos;
        std::size_t kind = kNone;
        const int n = static_cast<int>(row.size());
        for (int zero = find_any<'0'>(row, 1, n); zero < n; zero = find_any<'0'>(row, zero + 1, n)) {
            const auto p = static_cast<std::size_t>(zero - 1);
            if (text[p] != ' ')
                continue;
            for (std::size_t k = 0; k < kind; ++k)
                if (matches_at(text, p, zeros[k])) {
                    kind = k;
                    at = p;
                    break;
                }
        }
        if (kind == kNone)
            return;
        const std::size_t length = zeros[kind].size();
        std::memset(row.data() + at, ' ', length);
        if (dots == 1) {
            // "..." ends at the zero's last digit, the column before the trailing blank.
            long last = static_cast<long>(at + length) - 2;
            for (long c = last - 2; c <= last; ++c)
                if (c >= 0)
                    row[static_cast<std::size_t>(c)] = '.';
        }
    }
}

void UNDERLINE(Report& r, Field line)
{
    int length = last_nonblank(line);
    write_line(r, line);
    std::memset(line.data(), '-', static_cast<std::size_t>(length));
    write_line(r, line);
}

}  // namespace tx14
