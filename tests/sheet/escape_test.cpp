// Text escaped for each place it goes: what each target gets for the
// characters that would break out of it, and for bytes that are not UTF-8.
// (Every input against every target: the fuzz target fuzz_escape.)
#include <string>

#include <gtest/gtest.h>

#include "escape.hpp"

namespace text = tx14::text;

namespace {

using Escape = std::string (*)(std::string_view);

const std::string kFffd = "\xEF\xBF\xBD";

TEST(Escape, EachTargetEscapesWhatWouldBreakOutOfIt)
{
    const struct {
        const char* target;
        Escape escape;
        std::string in, out;
    } cases[] = {
        {"html", text::html, "</style><script>", "&#x3c;/style&#x3e;&#x3c;script&#x3e;"},
        {"html", text::html, "a\"b'c&d`\\", "a&#x22;b&#x27;c&#x26;d&#x60;&#x5c;"},
        {"html", text::html, "\x1b[2J\xC2\x85 \xCE\xB8", "&#x1b;[2J" + kFffd + " \xCE\xB8"},  // &#x85; reads as ...
        {"svg", text::svg, "\x01\t<x>", kFffd + "&#x9;&#x3c;x&#x3e;"},          // no place for U+0001 in XML
        {"css", text::css_string, "head\f}}.word{}", "\"head\\c }}.word{}\""},  // a form feed ends a CSS string
        {"css", text::css_string, "a\"b\\c\nd\re</style>", "\"a\\22 b\\5c c\\a d\\d e\\3c /style\\3e \""},
        {"css", text::css_string,
         std::string("1\0"
                     "2",
                     3),
         "\"1" + kFffd + "2\""},
        {"json", text::json_string, "\x1b\"\\</", "\"\\u001b\\u0022\\u005c\\u003c/\""},
        {"json", text::json_string, "\xE2\x80\xA8\x7F\xC3\xA9", "\"\\u2028\\u007f\xC3\xA9\""},
        {"terminal", text::terminal, "\x1b]0;PWNED\x07\x1b[2J", "\\x1b]0;PWNED\\x07\\x1b[2J"},
        {"terminal", text::terminal, "C:\\dir\tx\n", "C:\\\\dir\\x09x\\x0a"},
        {"terminal", text::terminal,
         "\xC2\x9B"
         "31m \xE2\x80\xAE"
         "abc \xC3\xA9",
         "\\u{009b}31m \\u{202e}abc \xC3\xA9"},
        {"csv", text::csv_cell, "\x1b[2J\x7F", kFffd + "[2J" + kFffd},  // CSV has no escapes
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.escape(c.in), c.out) << c.target << ": " << c.in;
}

TEST(Escape, BytesThatAreNotUtf8ShowAsReplacementCharacters)
{
    const std::pair<std::string, std::string> cases[] = {
        {"caf\xE9.toml", "caf" + kFffd + ".toml"},  // a Windows-1252 file name
        {"\xC0\xAF", kFffd + kFffd},                // an overlong "/"
        {"\xED\xA0\x80", kFffd + kFffd + kFffd},    // a surrogate
        {"\xE2\x82", kFffd + kFffd},                // cut short
        {"\xF0\x9F\x98\x80 \xF4\x90\x80\x80", "\xF0\x9F\x98\x80 " + kFffd + kFffd + kFffd + kFffd},  // past U+10FFFF
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(text::valid_utf8(in), out);
        for (Escape escape : {text::html, text::svg, text::terminal, text::csv_cell})
            EXPECT_EQ(escape(in), out) << in;
        EXPECT_EQ(text::json_string(in), "\"" + out + "\"");
        EXPECT_EQ(text::css_string(in), "\"" + out + "\"");
    }
}

// Quoted when they need to be, and a leading ' on a text a spreadsheet
// would run as a formula, but not on a plain number.
TEST(Escape, CsvCellsAreQuotedAndFormulasDisarmed)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"plain", "plain"},
        {"SA-106, B", "\"SA-106, B\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"=1+2", "'=1+2"},
        {"@SUM(1)", "'@SUM(1)"},
        {"+A1", "'+A1"},
        {"-2+3", "'-2+3"},
        {"-", "'-"},
        {"\tx", "'\tx"},
        {"\r=x", "\"'\r=x\""},
        {"=a,b", "\"'=a,b\""},
        {"-inf", "'-inf"},
        {"1=2", "1=2"},
        {"-1.5", "-1.5"},
        {"+3e5", "+3e5"},
        {"-.5E-3", "-.5E-3"},
        {"-1e", "'-1e"},
        {"-1.", "-1."},
        {"a\nb", "\"a\nb\""},
        {" x", "\" x\""},
    };
    for (const auto& [cell, field] : cases)
        EXPECT_EQ(text::csv_cell(cell), field) << cell;
}

}  // namespace
