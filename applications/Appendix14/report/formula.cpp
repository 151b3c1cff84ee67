// SUBSTVALUES and TIDYFORMULA: the template language of the formula lines.
#include "formula.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "number_fields.hpp"
#include "scan.hpp"
#include "squeezed_line.hpp"

namespace tx14 {
namespace {

constexpr int kValueWidth = 10;
constexpr int kMaxPlaceholders = 6;

// The decimals of a value between 1e-6 and 1: the selector's, 1 for "0"
// and "1", 6 for characters other than "2" to "5".
int small_decimals(char c) { return c == '0' || c == '1' ? 1 : (c >= '2' && c <= '5' ? c - '0' : 6); }

// Values between 1e-6 and 1: fixed point with their decimals in a field one
// column wider than "0." and the decimals, so the value keeps one leading
// blank.
void render_small(Field value, float v, char c)
{
    const int d = small_decimals(c);
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
    field::TextBuffer buf;
    std::string_view text;
    if (c == '0') {
        text = field::nearest_whole_text(buf, v);
    } else if (c >= '1' && c <= '7') {
        text = field::fixed_text(buf, v, c - '0');
    } else if (c == '8') {
        field::exponential(value, v, 3);
        return true;
    } else {
        return true;  // unknown selector: the value is consumed, the field stays blank
    }
    if (text.size() > kValueWidth)
        return false;
    put(value, 1, text);
    return true;
}

// Whether a rendering looks like a whole number gone astray: the text holds ".999", ".00 ", ".000 ", ".0000 "
// or ".0001 ". Each begins with the point, so only points are looked at.
bool looks_near_integer(std::string_view text)
{
    for (std::size_t at = text.find('.'); at != std::string_view::npos; at = text.find('.', at + 1))
        if (matches_at(text, at, ".999") || matches_at(text, at, ".00 ") || matches_at(text, at, ".000 ") ||
            matches_at(text, at, ".0000 ") || matches_at(text, at, ".0001 "))
            return true;
    return false;
}

// Whether the number overflowed its field: a field too narrow for its
// number is filled with asterisks, from its first column on.
bool overflowed(ConstField value) { return value[0] == '*' && value[1] == '*' && value[2] == '*'; }

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
    if (overflowed(value))
        field::exponential(value, v, 1);  // E form instead
}

// Trailing zeros of a fixed-point value: "12.500" becomes "12.5", "3.0"
// and "2.50E+03" stay. Every rendering is one run of characters with
// blanks only around it, so the zeros go when that run holds a point and
// no "E" and ends in a zero that does not follow the point.
void drop_trailing_zeros(Field value)
{
    const int e = last_nonblank(value);
    if (e < 2 || value[static_cast<std::size_t>(e - 1)] != '0' || value[static_cast<std::size_t>(e - 2)] == '.')
        return;
    int first = e - 1;
    while (first > 0 && value[static_cast<std::size_t>(first - 1)] != ' ')
        --first;
    const std::string_view run =
        view(value).substr(static_cast<std::size_t>(first), static_cast<std::size_t>(e - first));
    if (run.find('.') == std::string_view::npos || run.find('E') != std::string_view::npos)
        return;
    for (int k = e;
         k >= 2 && value[static_cast<std::size_t>(k - 1)] == '0' && value[static_cast<std::size_t>(k - 2)] != '.'; --k)
        value[static_cast<std::size_t>(k - 1)] = ' ';
}

// The first character from `from` on, before `to`, that blanks close up
// to: superscripts two and three, one half, "^", "," and "/".
int next_closer(ConstField line, int from, int to)
{
    return find_any<'\xB2', '\xB3', '\xBD', '^', ',', '/'>(line, from, to);
}

// Moves line[from, to) to `out` (out <= from); returns the end of the move.
int keep_text(Field line, int out, int from, int to)
{
    if (out != from)
        std::memmove(line.data() + out, line.data() + from, static_cast<std::size_t>(to - from));
    return out + (to - from);
}

// Where the next "@" or "#" of the template stands from `at` on, or W.
int next_mark(ConstField t, int at) { return find_any<'@', '#'>(t, at, static_cast<int>(t.size())); }

// The fixed-point text of a placeholder with d decimals looks like a whole
// number gone astray: the rule of looks_near_integer for a text alone in
// its field, which has a blank after it unless it fills all ten columns.
bool near_integer_text(std::string_view text, int d)
{
    const std::string_view decimals = text.substr(text.size() - static_cast<std::size_t>(d));
    if (decimals.starts_with("999"))
        return true;
    if (text.size() >= kValueWidth)
        return false;
    return decimals == "00" || decimals == "000" || decimals == "0000" || decimals == "0001";
}

// A fixed-point text without the zeros drop_trailing_zeros blanks.
std::string_view without_trailing_zeros(std::string_view text)
{
    while (text.size() >= 3 && text.back() == '0' && text[text.size() - 2] != '.')
        text.remove_suffix(1);
    return text;
}

// One placeholder's value into the line: what render_value and
// drop_trailing_zeros leave in the value field, up to its last non-blank.
// The usual values (finite, a selector from "0" to "7", fixed point within
// ten columns) are written straight from their digits; the rest take the
// field.
void put_value(SqueezedLine& line, float v, char c)
{
    field::TextBuffer buf;
    if (1e-6f < v && v < 1.0f) {  // render_small: "0." and the decimals after one blank
        line.blanks(1);
        line.clean_text(without_trailing_zeros(field::fixed_text(buf, v, small_decimals(c))));
        return;
    }
    const char form = v > 500000.0f ? '0' : c;  // as render_plain takes it
    if (std::isfinite(v) && v <= 1e8f && v >= -1e8f && form >= '0' && form <= '7') {
        if (form == '0') {
            const std::string_view text = field::nearest_whole_text(buf, v);
            if (text.size() <= kValueWidth)
                return line.clean_text(text);
        } else {
            std::string_view text = field::fixed_text(buf, v, form - '0');
            if (text.size() <= kValueWidth && near_integer_text(text, form - '0'))
                text = field::fixed_text(buf, v, 1);
            if (text.size() <= kValueWidth)
                return line.clean_text(without_trailing_zeros(text));
        }
    }
    char value_buf[kValueWidth];
    Field value(value_buf, kValueWidth);
    render_value(value, v, c);
    drop_trailing_zeros(value);
    if (const int e = last_nonblank(value); e > 0)
        line.text(view(value).substr(0, static_cast<std::size_t>(e)));
    else
        line.drop_blanks();
}

}  // namespace

void fill_formula_line(Field line, const FormulaTemplate& tmpl, std::span<const float> values, int keep)
{
    SqueezedLine out(line, keep, SqueezedLine::kTidyAndSqueeze);
    const std::string_view text = tmpl.text();
    std::size_t at = 0;  // where the next segment's body begins
    for (int k = 0;; ++k) {
        const FormulaTemplate::Segment& s = tmpl.segment(k);
        out.blanks(s.lead);
        at += s.lead;
        if (s.length > 0) {
            const std::string_view body = text.substr(at, s.length);
            if (s.clean)
                out.clean_text(body);
            else
                out.text(body);
        }
        out.blanks(s.trail);
        if (k == tmpl.placeholders())
            break;
        at += s.length + s.trail + 2;  // past the placeholder
        const auto n = static_cast<std::size_t>(k);
        put_value(out, n < values.size() ? values[n] : 0.0f, tmpl.selector(k));
    }
    out.finish();
}

void SUBSTVALUES(Field tmpl, std::span<const float> values)
{
    const int W = static_cast<int>(std::min<std::size_t>(tmpl.size(), kFormulaWidth));
    Field t = tmpl.first(static_cast<std::size_t>(W));
    char out_buf[kFormulaWidth];
    std::memset(out_buf, ' ', sizeof out_buf);
    Field out(out_buf, static_cast<std::size_t>(W));

    int L = last_nonblank(t);
    if (L < W)
        t[static_cast<std::size_t>(L)] = '#';

    // i: the template's next column, j: the line's (from 0). Plain text is
    // copied run by run, up to the next mark; the line ends at column W.
    int i = 0, j = 0;
    for (std::size_t k = 0; i < W; ++k) {
        const int mark = next_mark(t, i);
        const int n = std::min(mark - i, W - j);
        std::memcpy(out_buf + j, t.data() + i, static_cast<std::size_t>(n));
        i += n;
        j += n;
        if (i >= W || j >= W || t[static_cast<std::size_t>(i)] == '#')
            break;
        const char selector = i + 1 < W ? t[static_cast<std::size_t>(i + 1)] : ' ';
        if (k == kMaxPlaceholders) {
            // The seventh placeholder: the rest of the template as it stands.
            put(out, j + 1, view(t.subspan(static_cast<std::size_t>(i))));
            break;
        }
        char value_buf[kValueWidth];
        Field value(value_buf, kValueWidth);
        render_value(value, k < values.size() ? values[k] : 0.0f, selector);
        const int room = std::min(kValueWidth, W - j);
        const bool cut = last_nonblank(value) > room;  // the value reaches past the line's end
        blank(value.subspan(static_cast<std::size_t>(room)));
        drop_trailing_zeros(value);
        std::memcpy(out_buf + j, value_buf, static_cast<std::size_t>(room));
        if (cut)
            break;
        // The line goes on right behind the value, or behind the text
        // before it when the value is blank.
        const int e = last_nonblank(value);
        j = e > 0 ? j + e : last_nonblank(out.first(static_cast<std::size_t>(j)));
        i += 2;  // past the selector
    }
    std::memcpy(t.data(), out_buf, static_cast<std::size_t>(W));
    TIDYFORMULA(t);
}

// One pass over the text: a run of blanks goes when the character after it
// closes up or the one before it is "/". Deleting one run never joins or
// changes another, so this is the same as closing up before each
// character in turn and then after the slashes. Only the runs next to a
// closing character can go, so the text between those is moved as it is.
void TIDYFORMULA(Field line)
{
    const int T = last_nonblank(line);
    int out = 0;   // the tidied text ends here
    int from = 0;  // the text from here on is still to be looked at
    for (int p = next_closer(line, 0, T); p < T; p = next_closer(line, p + 1, T)) {
        if (p > from && line[static_cast<std::size_t>(p - 1)] == ' ') {
            int run = p - 1;  // the blanks before the character go
            while (run > from && line[static_cast<std::size_t>(run - 1)] == ' ')
                --run;
            out = keep_text(line, out, from, run);
            from = p;
        }
        if (line[static_cast<std::size_t>(p)] == '/' && p + 1 < T && line[static_cast<std::size_t>(p + 1)] == ' ') {
            int end = p + 1;  // and the blanks after a slash
            while (line[static_cast<std::size_t>(end)] == ' ')
                ++end;
            out = keep_text(line, out, from, p + 1);
            from = end;
            p = end - 1;
        }
    }
    out = keep_text(line, out, from, T);
    if (out < T)
        std::memset(line.data() + out, ' ', static_cast<std::size_t>(T - out));
}

}  // namespace tx14
