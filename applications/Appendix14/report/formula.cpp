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

// A value rendered by its selector: the blanks before it in its ten columns
// and its text (empty: the value stays blank). Where `zeros`, the text is
// fixed point and its trailing zeros after the first decimal go.
struct ValueText {
    int lead = 0;
    std::string_view text;
    bool zeros = false;
};

// The decimals of a value between 1e-6 and 1: the selector's, 1 for "0"
// and "1", 6 for characters other than "2" to "5".
int small_decimals(char c) { return c == '0' || c == '1' ? 1 : (c >= '2' && c <= '5' ? c - '0' : 6); }

// The E form with d digits, right-aligned in the ten columns (asterisks
// when it does not fit).
ValueText exponential_text(field::TextBuffer& buf, float v, int d)
{
    const Field value(buf.data(), kValueWidth);
    field::exponential(value, v, d);
    const std::size_t lead = std::min(view(value).find_first_not_of(' '), value.size());
    return {static_cast<int>(lead), view(value).substr(lead)};
}

// A value whose rendering looks like a whole number gone astray: one
// decimal, or the E form with one digit where that does not fit.
ValueText one_decimal(field::TextBuffer& buf, float v)
{
    const std::string_view text = field::fixed_text(buf, v, 1);
    return text.size() <= kValueWidth ? ValueText{0, text, true} : exponential_text(buf, v, 1);
}

// Whether the fixed-point text of a value with d decimals looks like a whole
// number gone astray in its ten columns: its decimals begin with "999", or
// they are "00", "000", "0000" or "0001" with a blank after them. Inline
// in both its callers, the usual value's path among them.
[[gnu::always_inline]] inline bool near_integer_text(std::string_view text, int d)
{
    const char* const decimals = text.data() + text.size() - d;
    if (d >= 3 && decimals[0] == '9' && decimals[1] == '9' && decimals[2] == '9')
        return true;
    if (text.size() >= kValueWidth || d < 2 || d > 4 || decimals[0] != '0' || decimals[1] != '0')
        return false;
    return d == 2 || (decimals[2] == '0' && (d == 3 || decimals[3] == '0' || decimals[3] == '1'));
}

// The E form with d digits, as a whole number gone astray when its mantissa
// begins with ".999", with one digit when it does not fit.
ValueText exponential_value(field::TextBuffer& buf, float v, int d)
{
    const ValueText e = exponential_text(buf, v, d);
    if (e.text.front() == '*')
        return exponential_text(buf, v, 1);
    return e.text.find(".999") == std::string_view::npos ? e : one_decimal(buf, v);
}

// The rendering of one placeholder: values between 1e-6 and 1 in fixed
// point with one blank before them; beyond 1e8 (and the infinities) in E
// form; from 500000 on and for selector "0" the nearest whole number;
// selectors "1" to "7" the decimals they name, "8" E form with three
// digits, any other a blank. A value too wide for its ten columns is
// written in E form with one digit. Out of line: put_value() writes the
// usual values itself.
[[gnu::noinline]] ValueText value_text(field::TextBuffer& buf, float v, char c)
{
    if (1e-6f < v && v < 1.0f)
        return {1, field::fixed_text(buf, v, small_decimals(c)), true};
    if (v > 1e8f || v < -1e8f)
        return exponential_value(buf, v, 5);
    const char form = v > 500000.0f ? '0' : c;
    if (form == '0')
        return {0, field::nearest_whole_text(buf, v)};  // ten columns at most up to 1e8
    if (form == '8')
        return exponential_value(buf, v, 3);
    if (form < '1' || form > '7')
        return {};
    const int d = form - '0';
    const std::string_view text = field::fixed_text(buf, v, d);
    if (text.size() > kValueWidth)
        return exponential_text(buf, v, 1);
    if (std::isfinite(v) && near_integer_text(text, d))
        return one_decimal(buf, v);
    return {0, text, std::isfinite(v)};
}

// A fixed-point text without its trailing zeros after the first decimal.
std::string_view without_trailing_zeros(std::string_view text)
{
    while (text.size() >= 3 && text.back() == '0' && text[text.size() - 2] != '.')
        text.remove_suffix(1);
    return text;
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

// One placeholder's value into the line, up to its last non-blank. The
// usual values (finite, a selector from "0" to "7", fixed point within ten
// columns) are written straight from their digits, the rest as value_text()
// renders them.
void put_value(SqueezedLine& line, float v, char c)
{
    field::TextBuffer buf;
    if (1e-6f < v && v < 1.0f) {  // "0." and the decimals after one blank
        line.blanks(1);
        line.clean_text(without_trailing_zeros(field::fixed_text(buf, v, small_decimals(c))));
        return;
    }
    const char form = v > 500000.0f ? '0' : c;  // as value_text() takes it
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
    const ValueText value = value_text(buf, v, c);
    if (value.text.empty())
        return line.drop_blanks();
    line.blanks(value.lead);
    line.clean_text(value.zeros ? without_trailing_zeros(value.text) : value.text);
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
        field::TextBuffer buf;
        const ValueText value = value_text(buf, k < values.size() ? values[k] : 0.0f, selector);
        const int room = std::min(kValueWidth, W - j);
        if (!value.text.empty() && value.lead + static_cast<int>(value.text.size()) > room) {
            // The value reaches past the line's end: what fits of it, its
            // trailing zeros dropped where it reads as fixed point, ends the line.
            std::string_view shown = value.text.substr(0, static_cast<std::size_t>(std::max(room - value.lead, 0)));
            if (shown.find('.') != std::string_view::npos && shown.find('E') == std::string_view::npos)
                shown = without_trailing_zeros(shown);
            put(out, j + 1 + value.lead, shown);
            break;
        }
        // The line goes on right behind the value, or behind the text
        // before it when the value is blank.
        const std::string_view shown = value.zeros ? without_trailing_zeros(value.text) : value.text;
        if (!shown.empty())  // a blank value's view may hold no pointer at all
            put(out, j + 1 + value.lead, shown);
        j = shown.empty() ? last_nonblank(out.first(static_cast<std::size_t>(j)))
                          : j + value.lead + static_cast<int>(shown.size());
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
