// Text escaped for the sheet's HTML, SVG and CSS: the characters that would
// break out of each, and bytes that are not UTF-8; CSV formulas disarmed.
// (Every target, JSON and the terminal too, reading back as given: the fuzz
// target fuzz_escape and its seeds.)
#include <string>

#include <gtest/gtest.h>

#include "escape.hpp"

namespace text = tx14::text;

namespace {

const std::string kFffd = "\xEF\xBF\xBD";

TEST(Escape, EachTargetEscapesWhatWouldBreakOutOfIt)
{
    const std::tuple<const char*, std::string (*)(std::string_view), std::string, std::string> cases[] = {
        {"html", text::html, "</style>\"'&`\\", "&#x3c;/style&#x3e;&#x22;&#x27;&#x26;&#x60;&#x5c;"},
        {"html", text::html, "\x1b\xC2\x85 caf\xE9", "&#x1b;" + kFffd + " caf" + kFffd},  // &#x85; reads as ...
        {"svg", text::svg, "\x01\t<x>", kFffd + "&#x9;&#x3c;x&#x3e;"},                    // no place for U+0001 in XML
        {"css", text::css_string, "head\f}}.word{}", "\"head\\c }}.word{}\""},  // a form feed ends a CSS string
        {"css", text::css_string, std::string("\"\\\n</style>\0", 12),
         "\"\\22 \\5c \\a \\3c /style\\3e " + kFffd + "\""},
    };
    for (const auto& [target, escape, in, out] : cases)
        EXPECT_EQ(escape(in), out) << target << ": " << in;
}

// A leading ' on a text a spreadsheet would run as a formula, but not on a
// plain number. (Quoting: the fuzz target's seeds.)
TEST(Escape, CsvFormulasAreDisarmedButNotNumbers)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"=1+2", "'=1+2"}, {"@SUM(1)", "'@SUM(1)"}, {"+A1", "'+A1"},  {"-2+3", "'-2+3"},
        {"\tx", "'\tx"},   {"-inf", "'-inf"},       {"-1e", "'-1e"},  {"\r=x", "\"'\r=x\""},
        {"1=2", "1=2"},    {"-1.5", "-1.5"},        {"+3e5", "+3e5"}, {"-.5E-3", "-.5E-3"}};
    for (const auto& [cell, field] : cases)
        EXPECT_EQ(text::csv_cell(cell), field) << cell;
}

}  // namespace
