// Fuzz target: the escaping of text for HTML, SVG, CSS strings, JSON
// strings, CSV cells and the terminal, on arbitrary bytes. Whatever the
// bytes, each output holds only characters its target takes as text, every
// other character as an escape the target reads; read back with a small
// reader of the target's own, it gives the characters given: the bytes as
// UTF-8, a byte that begins no valid sequence as U+FFFD, and the characters
// the target cannot hold at all as U+FFFD.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "escape.hpp"
#include "fuzz_checks.hpp"

namespace {

using namespace tx14::fuzz;
using Text = std::u32string;

constexpr char32_t kFffd = 0xFFFD;

// UTF-8 as code points, each byte that begins no valid sequence as U+FFFD;
// nullopt for any such byte when `strict`.
std::optional<Text> code_points(std::string_view s, bool strict)
{
    Text out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char lead = static_cast<unsigned char>(s[i]);
        const std::size_t n = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                            : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        char32_t c = n == 1 ? lead : n == 2 ? lead & 0x1F : n == 3 ? lead & 0x0F : lead & 0x07;
        bool valid = n > 0 && i + n <= s.size();
        for (std::size_t k = 1; valid && k < n; ++k) {
            const unsigned char b = static_cast<unsigned char>(s[i + k]);
            valid = (b & 0xC0) == 0x80;
            c = (c << 6) | (b & 0x3F);
        }
        valid = valid && !(n == 3 && c < 0x800) && !(n == 4 && (c < 0x10000 || c > 0x10FFFF)) &&
                !(c >= 0xD800 && c <= 0xDFFF);
        if (!valid && strict)
            return std::nullopt;
        out += valid ? c : kFffd;
        i += valid ? n : 1;
    }
    return out;
}

bool is_control(char32_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0); }
bool is_one_of(char32_t c, std::u32string_view set) { return set.find(c) != set.npos; }

std::optional<char32_t> hex(const Text& s, std::size_t& i, std::size_t most)
{
    char32_t v = 0;
    std::size_t n = 0;
    for (; n < most && i < s.size(); ++n, ++i) {
        const char32_t c = s[i];
        const int d = c >= '0' && c <= '9' ? static_cast<int>(c - '0') : c >= 'a' && c <= 'f' ? static_cast<int>(c - 'a' + 10)
                    : c >= 'A' && c <= 'F' ? static_cast<int>(c - 'A' + 10) : -1;
        if (d < 0)
            break;
        v = v * 16 + static_cast<char32_t>(d);
    }
    if (n == 0 || v > 0x10FFFF)
        return std::nullopt;
    return v;
}

// &#xHH; references; no raw markup character or control.
std::optional<Text> read_html(const Text& s)
{
    Text out;
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] == '&') {
            if (s.compare(i, 3, U"&#x") != 0)
                return std::nullopt;
            i += 3;
            std::optional<char32_t> c = hex(s, i, 6);
            if (!c || i >= s.size() || s[i++] != ';')
                return std::nullopt;
            out += *c;
        } else if (is_control(s[i]) || is_one_of(s[i], U"<>\"'`\\")) {
            return std::nullopt;
        } else {
            out += s[i++];
        }
    }
    return out;
}

// In double quotes: a backslash, hex digits and one blank after them.
std::optional<Text> read_css(const Text& s)
{
    if (s.size() < 2 || s.front() != '"' || s.back() != '"')
        return std::nullopt;
    Text out;
    for (std::size_t i = 1; i + 1 < s.size();) {
        if (s[i] == '\\') {
            ++i;
            std::optional<char32_t> c = hex(s, i, 6);
            if (!c || *c == 0 || i + 1 >= s.size() || s[i++] != ' ')  // CSS reads \0 as U+FFFD
                return std::nullopt;
            out += *c;
        } else if (is_control(s[i]) || is_one_of(s[i], U"\"'<>&")) {
            return std::nullopt;
        } else {
            out += s[i++];
        }
    }
    return out;
}

// In double quotes: \uHHHH, surrogates in pairs.
std::optional<Text> read_json(const Text& s)
{
    if (s.size() < 2 || s.front() != '"' || s.back() != '"')
        return std::nullopt;
    Text out;
    for (std::size_t i = 1; i + 1 < s.size();) {
        if (s[i] == '\\') {
            if (s[i + 1] != 'u')
                return std::nullopt;
            i += 2;
            const std::size_t start = i;
            std::optional<char32_t> c = hex(s, i, 4);
            if (!c || i - start != 4 || (*c >= 0xD800 && *c <= 0xDFFF))  // nothing above U+FFFF is escaped
                return std::nullopt;
            out += *c;
        } else if (is_control(s[i]) || is_one_of(s[i], U"\"<>&\u2028\u2029")) {
            return std::nullopt;
        } else {
            out += s[i++];
        }
    }
    return out;
}

// \\, \xHH, \u{H...}; nothing raw that moves the cursor or reorders text.
std::optional<Text> read_terminal(const Text& s)
{
    Text out;
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char32_t kind = s[i + 1];
            i += 2;
            std::optional<char32_t> c = kind == '\\' ? std::optional<char32_t>('\\') : std::nullopt;
            if (kind == 'x') {
                const std::size_t start = i;
                c = hex(s, i, 2);
                c = i - start == 2 ? c : std::nullopt;
            } else if (kind == 'u' && i < s.size() && s[i++] == '{') {
                c = hex(s, i, 6);
                c = i < s.size() && s[i++] == '}' ? c : std::nullopt;
            }
            if (!c)
                return std::nullopt;
            out += *c;
        } else if (s[i] == '\\' || is_control(s[i]) ||
                   is_one_of(s[i], U"\u061C\u200E\u200F\u202A\u202B\u202C\u202D\u202E\u2066\u2067\u2068\u2069\u2028\u2029")) {
            return std::nullopt;
        } else {
            out += s[i++];
        }
    }
    return out;
}

// A cell of RFC 4180: in quotes with "" for a quote, or without , " CR LF.
std::optional<Text> read_csv(const Text& s)
{
    for (char32_t c : s)
        if (is_control(c) && c != '\t' && c != '\r' && c != '\n')
            return std::nullopt;
    if (s.empty() || s.front() != '"')
        return s.find_first_of(U",\"\r\n") == Text::npos ? std::optional<Text>(s) : std::nullopt;
    Text out;
    std::size_t i = 1;
    for (; i < s.size(); ++i) {
        if (s[i] == '"' && (i + 1 == s.size() || s[i + 1] != '"'))
            break;
        i += s[i] == '"';
        out += s[i];
    }
    return i + 1 == s.size() ? std::optional<Text>(out) : std::nullopt;
}

// The text with the characters `lost` as U+FFFD.
template <typename Lost>
Text carried(Text text, Lost lost)
{
    for (char32_t& c : text)
        c = lost(c) ? kFffd : c;
    return text;
}

void check(const std::string& out, std::optional<Text> (*read)(const Text&), const Text& expected, const char* what)
{
    const std::optional<Text> shown = code_points(out, true);
    require(shown.has_value(), "an output that is not UTF-8");
    const std::optional<Text> back = read(*shown);
    require(back.has_value(), what);
    require(*back == expected, "an output that does not read back as its input");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    namespace text = tx14::text;
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const Text given = *code_points(in, false);
    auto none = [](char32_t) { return false; };
    auto outside_xml = [](char32_t c) { return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF; };

    require(code_points(text::valid_utf8(in), true) == given, "valid_utf8 changed a valid character");
    check(text::html(in), read_html, carried(given, none), "HTML with a raw markup character or control");
    check(text::svg(in), read_html, carried(given, outside_xml), "SVG with a raw markup character or control");
    check(text::css_string(in), read_css, carried(given, [](char32_t c) { return c == 0; }),
          "a CSS string with a raw quote, backslash, line break or control");
    check(text::json_string(in), read_json, carried(given, none), "a JSON string with a raw quote or control");
    check(text::terminal(in), read_terminal, carried(given, none), "terminal text with a raw control");

    const Text cell = carried(given, [](char32_t c) { return is_control(c) && c != '\t' && c != '\r' && c != '\n'; });
    const std::optional<Text> shown = code_points(text::csv_cell(in), true);
    require(shown.has_value(), "a CSV cell that is not UTF-8");
    const std::optional<Text> back = read_csv(*shown);
    require(back.has_value(), "a CSV cell quoted wrongly or with a control");
    require(*back == cell || *back == U"'" + cell, "a CSV cell that does not read back as its input");  // ' : a formula disarmed
    return 0;
}
