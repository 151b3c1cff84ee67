// Text leaving the program, escaped for where it goes.
#include "escape.hpp"

#include <algorithm>
#include <cstdio>

#include "txappendix14_text.hpp"

namespace tx14::text {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// What a target does with a character: writes it as it is, writes its
// escape, or writes U+FFFD for a character it cannot hold.
enum class Take { as_is, escape, replace };

bool is_printable_ascii(char32_t c) { return c >= 0x20 && c < 0x7F; }
bool is_control(char32_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0); }
bool is_one_of(char32_t c, std::string_view set) { return c < 0x80 && set.find(static_cast<char>(c)) != set.npos; }

// Marks and controls of bidirectional text, and the Unicode line breaks:
// on a terminal they reorder or split what follows.
bool reorders_or_breaks(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
           c == 0x2028 || c == 0x2029;
}

// In lower-case hex, at least `digits` of them.
void append_hex(std::string& out, char32_t c, int digits)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "%0*x", digits, static_cast<unsigned>(c));
    out += hex;
}

// `s` with each character as `take` says, escaped by `escape`; a byte that
// begins no valid sequence is U+FFFD.
template <typename TakeOf, typename Escape>
std::string escaped(std::string_view s, TakeOf take, Escape escape)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t start = i;
        const std::optional<char32_t> c = decode_utf8(s, i);
        if (!c) {
            out += kReplacementUtf8;
            ++i;
            continue;
        }
        switch (take(*c)) {
        case Take::as_is:
            out.append(s.substr(start, i - start));
            break;
        case Take::escape:
            escape(out, *c);
            break;
        case Take::replace:
            out += kReplacementUtf8;
            break;
        }
    }
    return out;
}

// HTML reads a reference to NUL as U+FFFD and those to the C1 controls as
// Windows-1252 letters: it cannot hold them.
Take html_take(char32_t c)
{
    if (is_printable_ascii(c))
        return is_one_of(c, "&<>\"'`\\") ? Take::escape : Take::as_is;
    if (c == 0 || (c >= 0x80 && c < 0xA0))
        return Take::replace;
    return is_control(c) ? Take::escape : Take::as_is;
}

void html_escape(std::string& out, char32_t c)
{
    out += "&#x";
    append_hex(out, c, 1);
    out += ';';
}

// XML 1.0 has no place for these, not even as references.
bool outside_xml(char32_t c) { return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF; }

Take css_take(char32_t c)
{
    if (c == 0)
        return Take::replace;
    if (is_printable_ascii(c))
        return is_one_of(c, "\"'\\<>&") ? Take::escape : Take::as_is;
    return is_control(c) ? Take::escape : Take::as_is;
}

void css_escape(std::string& out, char32_t c)
{
    out += '\\';
    append_hex(out, c, 1);
    out += ' ';  // ends the escape, so that a hex digit after it stays text
}

Take json_take(char32_t c)
{
    if (is_printable_ascii(c))
        return is_one_of(c, "\"\\<>&") ? Take::escape : Take::as_is;
    return is_control(c) || c == 0x2028 || c == 0x2029 ? Take::escape : Take::as_is;
}

void json_escape(std::string& out, char32_t c)
{
    out += "\\u";
    append_hex(out, c, 4);  // only characters below U+10000 are escaped
}

Take csv_take(char32_t c)
{
    if (is_printable_ascii(c) || c == '\t' || c == '\r' || c == '\n')
        return Take::as_is;
    return is_control(c) ? Take::replace : Take::as_is;
}

Take terminal_take(char32_t c)
{
    if (c == '\\')
        return Take::escape;
    if (is_printable_ascii(c))
        return Take::as_is;
    return is_control(c) || reorders_or_breaks(c) ? Take::escape : Take::as_is;
}

void terminal_escape(std::string& out, char32_t c)
{
    if (c == '\\') {
        out += "\\\\";
    } else if (c < 0x80) {
        out += "\\x";
        append_hex(out, c, 2);
    } else {
        out += "\\u{";
        append_hex(out, c, 4);
        out += '}';
    }
}

void no_escape(std::string&, char32_t) {}

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Digits with an optional sign, decimal point and exponent.
bool is_plain_number(std::string_view s)
{
    std::size_t i = 0;
    auto digits = [&] {
        std::size_t start = i;
        while (i < s.size() && is_digit(s[i]))
            ++i;
        return i - start;
    };
    auto sign = [&] {
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
    };
    sign();
    std::size_t n = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        n += digits();
    }
    if (n > 0 && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        sign();
        n = digits();
    }
    return n > 0 && i == s.size();
}

// A spreadsheet takes a cell beginning so for a formula.
bool is_formula_like(std::string_view s)
{
    return !s.empty() && std::string_view("=+-@\t\r").find(s.front()) != std::string_view::npos && !is_plain_number(s);
}

// Printable ASCII, tab, CR and LF only: a cell as it is.
bool carried_as_is(std::string_view s)
{
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\r' || c == '\n'; });
}

}  // namespace

std::string html(std::string_view s) { return escaped(s, html_take, html_escape); }

std::string svg(std::string_view s)
{
    return escaped(
        s, [](char32_t c) { return outside_xml(c) ? Take::replace : html_take(c); }, html_escape);
}

std::string css_string(std::string_view s) { return "\"" + escaped(s, css_take, css_escape) + "\""; }

std::string json_string(std::string_view s) { return "\"" + escaped(s, json_take, json_escape) + "\""; }

void append_csv_cell(std::string& out, std::string_view cell)
{
    std::string carried;
    if (!carried_as_is(cell)) {
        carried = escaped(cell, csv_take, no_escape);
        cell = carried;
    }
    const bool guard = is_formula_like(cell);
    bool quote = !cell.empty() && ((!guard && is_blank(cell.front())) || is_blank(cell.back()));
    for (std::size_t i = 0; i < cell.size() && !quote; ++i)
        quote = cell[i] == ',' || cell[i] == '"' || cell[i] == '\r' || cell[i] == '\n';
    if (quote)
        out += '"';
    if (guard)
        out += '\'';
    if (!quote)
        out += cell;
    else
        for (char c : cell) {
            if (c == '"')
                out += '"';
            out += c;
        }
    if (quote)
        out += '"';
}

std::string csv_cell(std::string_view s)
{
    std::string out;
    append_csv_cell(out, s);
    return out;
}

std::string terminal(std::string_view s) { return escaped(s, terminal_take, terminal_escape); }

}  // namespace tx14::text
