// Fuzz target: the escaping of text for HTML, SVG, CSS strings, JSON
// strings, CSV cells and the terminal, on arbitrary bytes. Whatever the
// bytes, each output holds only characters its target takes as text, every
// other character as an escape the target reads; read back with a small
// reader of the target's own, it gives the characters given: the bytes as
// UTF-8, a byte that begins no valid sequence as U+FFFD, and the characters
// the target cannot hold at all as U+FFFD.
#include <cctype>
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
        const std::size_t n = lead < 0x80                    ? 1
                              : lead >= 0xC2 && lead <= 0xDF ? 2
                              : lead >= 0xE0 && lead <= 0xEF ? 3
                              : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                             : 0;
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

// Up to `most` hex digits at i (at least `least`), as a code point.
std::optional<char32_t> hex(const Text& s, std::size_t& i, std::size_t least, std::size_t most)
{
    char32_t v = 0;
    std::size_t n = 0;
    for (; n < most && i < s.size() && std::isxdigit(s[i] < 0x80 ? static_cast<int>(s[i]) : 0); ++n, ++i)
        v = v * 16 + static_cast<char32_t>(s[i] <= '9' ? s[i] - '0' : (s[i] | 0x20) - 'a' + 10);
    return n >= least && v <= 0x10FFFF ? std::optional<char32_t>(v) : std::nullopt;
}

bool next_is(const Text& s, std::size_t& i, char32_t c) { return i < s.size() && s[i++] == c; }

// A target as a reader sees it: text in double quotes or not, the character
// that begins an escape and how the rest of one reads, and the characters
// that may not stand raw besides the control characters.
struct Target {
    bool quoted;
    char32_t escape;
    std::optional<char32_t> (*read_escape)(const Text& s, std::size_t& i);  // from after `escape`
    std::u32string_view raw_unsafe;
};

std::optional<Text> read(const Text& all, const Target& t)
{
    if (t.quoted && (all.size() < 2 || all.front() != '"' || all.back() != '"'))
        return std::nullopt;
    const Text s = t.quoted ? all.substr(1, all.size() - 2) : all;
    Text out;
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] == t.escape) {
            std::optional<char32_t> c = t.read_escape(s, ++i);
            if (!c || (*c >= 0xD800 && *c <= 0xDFFF))
                return std::nullopt;
            out += *c;
        } else if (is_control(s[i]) || is_one_of(s[i], t.raw_unsafe)) {
            return std::nullopt;
        } else {
            out += s[i++];
        }
    }
    return out;
}

const Target kHtml{false, '&',
                   [](const Text& s, std::size_t& i) {  // &#xHH;
                       std::optional<char32_t> c =
                           next_is(s, i, '#') && next_is(s, i, 'x') ? hex(s, i, 1, 6) : std::nullopt;
                       return c && next_is(s, i, ';') ? c : std::nullopt;
                   },
                   U"<>\"'`\\"};
const Target kCss{true, '\\',
                  [](const Text& s, std::size_t& i) {  // \HH and a blank; CSS reads \0 as U+FFFD
                      std::optional<char32_t> c = hex(s, i, 1, 6);
                      return c && *c != 0 && next_is(s, i, ' ') ? c : std::nullopt;
                  },
                  U"\"'<>&"};
const Target kJson{true, '\\',
                   [](const Text& s, std::size_t& i) {  // \uHHHH
                       return next_is(s, i, 'u') ? hex(s, i, 4, 4) : std::nullopt;
                   },
                   U"\"<>&\u2028\u2029"};
const Target kTerminal{false, '\\',
                       [](const Text& s, std::size_t& i) {  // \\, \xHH, \u{H...}
                           const char32_t kind = i < s.size() ? s[i++] : 0;
                           if (kind == '\\')
                               return std::optional<char32_t>('\\');
                           if (kind == 'x')
                               return hex(s, i, 2, 2);
                           std::optional<char32_t> c =
                               kind == 'u' && next_is(s, i, '{') ? hex(s, i, 1, 6) : std::nullopt;
                           return c && next_is(s, i, '}') ? c : std::nullopt;
                       },
                       U"\u061C\u200E\u200F\u202A\u202B\u202C\u202D\u202E\u2066\u2067\u2068\u2069\u2028\u2029"};

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

void check(const std::string& out, const Target& target, const Text& expected, const char* what)
{
    const std::optional<Text> shown = code_points(out, true);
    require(shown.has_value(), "an output that is not UTF-8");
    const std::optional<Text> back = read(*shown, target);
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
    auto outside_html = [](char32_t c) { return c == 0 || (c >= 0x80 && c < 0xA0); };  // read as U+FFFD, cp1252
    auto outside_xml = [&](char32_t c) {
        return outside_html(c) || (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF;
    };

    check(text::html(in), kHtml, carried(given, outside_html), "HTML with a raw markup character or control");
    check(text::svg(in), kHtml, carried(given, outside_xml), "SVG with a raw markup character or control");
    check(text::css_string(in), kCss, carried(given, [](char32_t c) { return c == 0; }),
          "a CSS string with a raw quote, backslash, line break or control");
    check(text::json_string(in), kJson, carried(given, none), "a JSON string with a raw quote or control");
    check(text::terminal(in), kTerminal, carried(given, none), "terminal text with a raw control");

    const Text cell = carried(given, [](char32_t c) { return is_control(c) && c != '\t' && c != '\r' && c != '\n'; });
    const std::optional<Text> shown = code_points(text::csv_cell(in), true);
    require(shown.has_value(), "a CSV cell that is not UTF-8");
    const std::optional<Text> back = read_csv(*shown);
    require(back.has_value(), "a CSV cell quoted wrongly or with a control");
    require(*back == cell || *back == U"'" + cell,
            "a CSV cell that does not read back as its input");  // ' : a formula disarmed
    return 0;
}
